#pragma once

namespace marvek {

// The Windows-1250 bytes (one or two letters, zero-terminated) that stand for a Latin letter
// Windows-1250 lacks: ñ n, à a, Ø O, Æ AE. Null for any other character.
const char* LatinBaseLetters(char32_t letter);

}  // namespace marvek
