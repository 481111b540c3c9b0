#pragma once

// The conversion's published face for the character mode: programs outside the conversion call
// ApplyCharMode. Keep its name and signature. The writing itself is letters/char_mode_writer.h.

#include <string_view>

#include "convert/letters/char_mode_writer.h"
#include "shared/types.h"

namespace marvek {

// Published interface (nothing in this repository calls it; programs outside it do): applies the
// chosen treatment of č ć š ž đ Č Ć Š Ž Đ (Windows-1250 bytes) to a title text. DeviceCodes keeps
// the length; PlainLetters grows it by one byte for every đ and Đ. Every other byte stays as it
// is.
ByteString ApplyCharMode(std::string_view text, CharMode mode);

}  // namespace marvek
