#pragma once

#include <string_view>

#include "convert/title_image.h"
#include "support/recording_panel.h"

namespace marvek::testing {

// The padded image a display must end up holding for the title file `titles`.
inline ByteString ExpectedImage(std::string_view titles, CharMode mode) {
  RecordingPanel quiet;
  ByteString image = ConvertTitleBytes(titles, mode, quiet).image;
  PadTitleImage(image);
  return image;
}

}  // namespace marvek::testing
