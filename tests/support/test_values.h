#pragma once

#include <gtest/gtest.h>

#include <string_view>

#include "convert/encoding/text_encoding.h"
#include "convert/timing/frame_rate.h"

namespace marvek::testing {

// A frame rate written as text, which the test expects to be one.
inline FrameRate Rate(std::string_view text) {
  const auto rate = ParseFrameRate(text);
  EXPECT_TRUE(rate) << text;
  return rate.value_or(FrameRate{25, 1});
}

// An encoding's name, for the tables the tests print.
inline const char* NameOf(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Windows1250:
      return "Windows-1250";
    case TextEncoding::Utf8:
      return "UTF-8";
    case TextEncoding::Utf16LittleEndian:
      return "UTF-16 LE";
    case TextEncoding::Utf16BigEndian:
      return "UTF-16 BE";
    case TextEncoding::Iso8859_2:
      return "ISO-8859-2";
    case TextEncoding::Windows1251:
      return "Windows-1251";
    case TextEncoding::Windows1252:
      return "Windows-1252";
  }
  return "?";
}

}  // namespace marvek::testing
