#include "convert/char_mode.h"

#include "convert/letters/char_mode_writer.h"

namespace marvek {

ByteString ApplyCharMode(std::string_view text, CharMode mode) {
  ByteString out;
  AppendCharMode(text, mode, out);
  return out;
}

}  // namespace marvek
