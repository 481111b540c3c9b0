#pragma once

#include <bitset>
#include <cstddef>
#include <string>
#include <string_view>

#include "convert/encoding/text_encoding.h"

namespace marvek {

// Decides how a title file is written, from its bytes read in pieces from the start:
// 1. a byte order mark names UTF-8, UTF-16 LE or UTF-16 BE;
// 2. valid UTF-8 with at least one multi-byte sequence is UTF-8;
// 3. otherwise uchardet guesses among Windows-1250, ISO-8859-2, Windows-1251 and Windows-1252
//    from the lines that hold bytes above 0x7F, and facts of the whole file guard its guess: a
//    file holding bytes 0x80 to 0x9F (controls in ISO-8859-2) is never ISO-8859-2; a file whose
//    every byte means the same letter in Windows-1250 and in the guess, or with few bytes above
//    0x7F, is Windows-1250.
// Most files are decided after their first few blocks; the whole file is read only while it may
// still be UTF-8 or while a guard needs it.
class EncodingDetector {
 public:
  // A file with fewer bytes above 0x7F than this gives too little to go on: Windows-1250 stands.
  static constexpr std::size_t kFewestHighBytes = 16;
  // uchardet sees at most this much of the lines with bytes above 0x7F.
  static constexpr std::size_t kSampleLimit = 32 * 1024;

  // Takes the next piece of the file. False once the answer is known and no piece after this one
  // can change it.
  bool Feed(std::string_view piece);

  // The answer, after the last piece or once Feed returned false.
  TextEncoding Decide();

  // The length of the byte order mark that opens the file, 0 when there is none.
  std::size_t byteOrderMarkLength() const { return byteOrderMarkLength_; }

 private:
  void NoteHighBytes(std::string_view piece);
  bool HoldsControlBytes() const;  // any of 0x80 to 0x9F
  bool GuardNeedsMore() const;
  bool MeansTheSameInWindows1250(TextEncoding guess) const;

  bool started_ = false;
  bool byteOrderMark_ = false;
  std::size_t byteOrderMarkLength_ = 0;
  TextEncoding byteOrderMarkEncoding_ = TextEncoding::Windows1250;
  Utf8Detector utf8_;
  bool maybeUtf8_ = true;
  std::string sample_;
  bool guessed_ = false;
  TextEncoding guess_ = TextEncoding::Windows1250;
  std::bitset<256> seen_;  // the bytes above 0x7F in the file so far
  std::size_t highBytes_ = 0;
};

// The encoding of title file contents already in memory.
TextEncoding DetectTextEncoding(std::string_view bytes);

// What uchardet makes of `sample`: ISO-8859-2, Windows-1251 for any Cyrillic code page,
// Windows-1252 for Windows-1252, ISO-8859-1 and ISO-8859-15, and Windows-1250 for any other
// answer.
TextEncoding GuessSingleByteEncoding(std::string_view sample);

}  // namespace marvek
