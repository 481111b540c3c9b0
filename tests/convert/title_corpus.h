#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "convert/text_encoding.h"

namespace marvek::testing {

// One file of the corpus: a title file as an operator gets it, and its Windows-1250 twin, the
// file the display must end up showing.
struct CorpusFile {
  std::string name;       // e.g. "serbian-cyrillic-2.utf-16le.sub"
  TextEncoding encoding;  // what it is written in
  std::string bytes;      // the file
  std::string twin;       // the same titles in Windows-1250 (Cyrillic in Serbian Latin)
};

// Title files of several hundred lines from Croatian, Serbian (Latin and Cyrillic), Bosnian and
// Slovene sentences, `seeds` files a language in every encoding that holds its letters:
// Windows-1250 and ISO-8859-2 for the Latin ones, Windows-1251 for Cyrillic, UTF-8 with and without
// a byte order mark, and UTF-16 in both byte orders. The system's converter (iconv) writes them.
std::vector<CorpusFile> MakeTitleCorpus(int seeds);

}  // namespace marvek::testing
