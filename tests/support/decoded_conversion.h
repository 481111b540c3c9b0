#pragma once

#include <gtest/gtest.h>

#include <string_view>
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

inline DecodedConversion ConvertAndDecode(std::string_view bytes, CharMode mode,
                                          const ConversionOptions& options) {
  RecordingPanel panel;
  DecodedConversion c{ConvertTitleBytes(bytes, mode, panel, options), {}};
  if (c.result.outcome == ConversionOutcome::Converted) {
    ByteString image = c.result.image;
    PadTitleImage(image);
    const DecodedImage decoded = DecodeTitleImage(image);
    EXPECT_TRUE(decoded.ok()) << DescribeImage(decoded);
    c.titles = decoded.titles;
  }
  return c;
}

}  // namespace marvek::testing
