#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "convert/encoding/text_encoding.h"

namespace marvek::testing {

// One file of the corpus: a title file as an operator gets it, and its Windows-1250 twin, the
// file the display must end up showing.
struct CorpusFile {
  std::string name;         // e.g. "serbian-cyrillic-2.utf-16le.sub"
  TextEncoding encoding;    // what it is written in
  TextEncoding readAs;      // what the conversion must take it for
  std::string bytes;        // the file
  std::string twin;         // the same titles in Windows-1250 (Cyrillic in Serbian Latin, the
                            // Western languages in the ASCII the display shows of them)
  bool cyrillic = false;    // Cyrillic letters are written in Latin letters
  bool simplified = false;  // letters the display lacks are written as their base letters
};

// Title files of several hundred lines from Croatian, Serbian (Latin and Cyrillic), Bosnian,
// Slovene, French, German, Spanish and Italian sentences, `seeds` files a language in every
// encoding that holds its letters: Windows-1250 and ISO-8859-2 for the Latin ones of the region,
// Windows-1251 for Cyrillic, Windows-1252 for the Western ones, UTF-8 with and without a byte
// order mark, and UTF-16 in both byte orders. The system's converter (iconv) writes them.
std::vector<CorpusFile> MakeTitleCorpus(int seeds);

}  // namespace marvek::testing
