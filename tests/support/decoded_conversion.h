#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "convert/title_image.h"
#include "display/image_decoder.h"
#include "support/recording_panel.h"

namespace marvek::testing {

// A conversion of file contents, with the titles the display reads back from its image.
struct DecodedConversion {
  ConversionResult result;
  std::vector<DecodedTitle> titles;  // empty unless converted
};

// The titles the display reads back from a conversion's image.
inline DecodedConversion Decoded(ConversionResult result) {
  DecodedConversion c{std::move(result), {}};
  if (c.result.outcome == ConversionOutcome::Converted) {
    ByteString image = c.result.image;
    PadTitleImage(image);
    const DecodedImage decoded = DecodeTitleImage(image);
    EXPECT_TRUE(decoded.ok()) << DescribeImage(decoded);
    c.titles = decoded.titles;
  }
  return c;
}

inline DecodedConversion ConvertAndDecode(std::string_view bytes, CharMode mode,
                                          const ConversionOptions& options) {
  RecordingPanel panel;
  return Decoded(ConvertTitleBytes(bytes, mode, panel, options));
}

// The same for a title file, or a folder, at `path`.
inline DecodedConversion ConvertFileAndDecode(const std::string& path, CharMode mode,
                                              const ConversionOptions& options) {
  RecordingPanel panel;
  return Decoded(ConvertTitleFile(path, mode, panel, options));
}

}  // namespace marvek::testing
