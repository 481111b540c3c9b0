#pragma once

#include <cstddef>

#include "convert/layouts/line_reader.h"
#include "convert/title_image.h"
#include "convert/title_readers.h"

namespace marvek {

// Where a file's lines are in the file, for progress.
struct FileExtent {
  std::size_t length = 0;    // the file's length in bytes
  std::size_t consumed = 0;  // bytes read before the first line (a byte order mark)
};

// Runs the lines of `lines` through the reader that `reader` makes and the record builder into
// `result`, reporting progress after each line. A layout of times is read at the display's frame
// rate, which the caller has made sure of.
void ConvertLines(LineReader& lines, const TitleReader& reader, FileExtent extent, CharMode mode,
                  const ConversionOptions& options, OperatorPanel& panel, ConversionResult& result);

}  // namespace marvek
