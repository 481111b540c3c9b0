#pragma once

#include <string_view>

#include "shared/types.h"

namespace marvek {

// Applies the chosen treatment of č ć š ž đ Č Ć Š Ž Đ (Windows-1250 bytes) to a title text.
// DeviceCodes keeps the length; PlainLetters grows it by one byte for every đ and Đ. Every other
// byte stays as it is.
ByteString ApplyCharMode(std::string_view text, CharMode mode);

// The same, appended to `out`: the conversion builds the whole image this way without a
// temporary string per title.
void AppendCharMode(std::string_view text, CharMode mode, ByteString& out);

}  // namespace marvek
