#pragma once

#include <cstddef>
#include <string_view>

#include "shared/types.h"

namespace marvek {

// True for the Cyrillic letters that have a Latin spelling here.
bool IsCyrillicLetter(char32_t c);

// Appends the Latin spelling of the Cyrillic letter text[at], in Windows-1250 bytes. Serbian
// letters take the Serbian Latin alphabet (Љ Lj, Ћ Ć, Џ Dž), the Macedonian Ѓ Ќ Ѕ take Gj Kj Dz,
// and the others the scholarly transliteration (Щ Šč, Ю Ju, Я Ja, Ы Y, Ё Ë, Ь and Ъ its primes,
// written ' and "). A capital spelled with two letters is written all in capitals within a word
// of capitals (ЉУБАВ LJUBAV, КОЊ KONJ), otherwise with only its first letter capital (Љубав).
void AppendCyrillicInLatin(std::u32string_view text, std::size_t at, ByteString& out);

}  // namespace marvek
