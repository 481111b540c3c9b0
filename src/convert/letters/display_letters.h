#pragma once

#include <string_view>

#include "shared/types.h"

namespace marvek {

// The display's letters are ASCII and č ć š ž đ Č Ć Š Ž Đ. Its own codes for those ten take the
// places of é í â ë ě Ě ę î ŕ Ŕ in Windows-1250, so an é sent as it stands shows as đ, and every
// other byte above 0x7F is a glyph the display may not have. Titles therefore reach the
// character mode in those letters only, and the audience reads what --show prints.
class DisplayLetters {
 public:
  // `text`, in Windows-1250, with every other character written as the display can show it: a
  // Latin letter as its base letter or letters (é e, ł l, ß ss), the quotation marks „ “ ” « »
  // as " and ‘ ’ ‚ ‹ › as ', … as ..., – and — as -, a no-break space as a space, and anything
  // else as "?". Returns `text` itself where nothing changes, else a view of a buffer that the
  // next call reuses.
  std::string_view Write(std::string_view text);

  // Whether any character has been written otherwise so far.
  bool changedAny() const { return changed_; }

 private:
  // Write's rare way, apart so that the usual one stays short.
  [[gnu::noinline]] std::string_view Rewrite(std::string_view text);

  ByteString out_;
  bool changed_ = false;
};

// What the Windows-1250 byte `byte` is written as for the display: one to three ASCII bytes,
// or null for ASCII and the ten letters, which the display shows as they are.
const char* DisplaySpelling(unsigned char byte);

}  // namespace marvek
