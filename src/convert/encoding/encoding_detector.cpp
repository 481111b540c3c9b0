#include "convert/encoding/encoding_detector.h"

#include <uchardet/uchardet.h>

#include <cstdint>
#include <cstring>
#include <memory>

namespace marvek {

namespace {

// uchardet's detector, made once a thread and reset for every guess: a new one sets up its
// dozens of probers again, which costs more than the guess on a short file.
uchardet_t ThreadDetector() {
  static thread_local const std::unique_ptr<uchardet, void (*)(uchardet_t)> detector(
      uchardet_new(), uchardet_delete);
  return detector.get();
}

}  // namespace

TextEncoding GuessSingleByteEncoding(std::string_view sample) {
  uchardet_t const detector = ThreadDetector();
  if (detector == nullptr) return TextEncoding::Windows1250;
  uchardet_reset(detector);
  if (uchardet_handle_data(detector, sample.data(), sample.size()) != 0) {
    return TextEncoding::Windows1250;
  }
  uchardet_data_end(detector);
  const std::string_view charset = uchardet_get_charset(detector);
  if (charset == "ISO-8859-2") return TextEncoding::Iso8859_2;
  // French, German, Spanish or Italian text. uchardet names ISO-8859-1 for such text without
  // bytes 0x80 to 0x9F, and Windows-1252 has every letter of ISO-8859-1 at the same byte.
  // ISO-8859-15 differs from both at eight bytes only (€ Š š Ž ž Œ œ Ÿ), and uchardet does not
  // tell it apart from ISO-8859-1 anyway.
  for (const std::string_view western : {"WINDOWS-1252", "ISO-8859-1", "ISO-8859-15"}) {
    if (charset == western) return TextEncoding::Windows1252;
  }
  // On short Serbian texts uchardet may name another Cyrillic code page. Windows-1251 is the one
  // the region's Cyrillic files come in, and the guards still hold it to the bytes.
  for (const std::string_view cyrillic :
       {"WINDOWS-1251", "MAC-CYRILLIC", "KOI8-R", "IBM866", "IBM855", "ISO-8859-5"}) {
    if (charset == cyrillic) return TextEncoding::Windows1251;
  }
  return TextEncoding::Windows1250;
}

void EncodingDetector::NoteHighBytes(std::string_view piece) {
  const char* p = piece.data();
  const char* const end = p + piece.size();
  const auto bytes = [](const char* c) { return reinterpret_cast<const unsigned char*>(c); };
  while ((p = reinterpret_cast<const char*>(SkipAscii(bytes(p), bytes(end)))) != end) {
    // The line around this byte goes into the sample, as far as it lies in this piece.
    const char* lineStart = p;
    while (lineStart != piece.data() && lineStart[-1] != '\n') --lineStart;
    const void* newline = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
    const char* const lineEnd = newline != nullptr ? static_cast<const char*>(newline) + 1 : end;
    for (; p != lineEnd; ++p) {
      const auto byte = static_cast<unsigned char>(*p);
      if (byte >= 0x80) {
        seen_.set(byte);
        ++highBytes_;
      }
    }
    if (sample_.size() < kSampleLimit) {
      sample_.append(lineStart, static_cast<std::size_t>(lineEnd - lineStart));
    }
  }
}

bool EncodingDetector::MeansTheSameInWindows1250(TextEncoding guess) const {
  for (int byte = 0x80; byte < 0x100; ++byte) {
    if (!seen_.test(byte)) continue;
    const char32_t c = Windows1250ToUnicode(static_cast<unsigned char>(byte));
    if (c == 0 || c != SingleByteCharacter(guess, static_cast<unsigned char>(byte))) return false;
  }
  return true;
}

bool EncodingDetector::HoldsControlBytes() const {
  for (int byte = 0x80; byte < 0xA0; ++byte) {
    if (seen_.test(byte)) return true;
  }
  return false;
}

bool EncodingDetector::GuardNeedsMore() const {
  switch (guess_) {
    case TextEncoding::Iso8859_2:
      // Only a control byte, wherever it is, rules ISO-8859-2 out.
      return !HoldsControlBytes();
    case TextEncoding::Windows1251:
    case TextEncoding::Windows1252:
      // Once a byte means another letter, no later byte makes the file Windows-1250 again.
      return MeansTheSameInWindows1250(guess_);
    default:
      return false;
  }
}

bool EncodingDetector::Feed(std::string_view piece) {
  if (!started_) {
    started_ = true;
    if (const auto mark = FindByteOrderMark(piece)) {
      byteOrderMark_ = true;
      byteOrderMarkEncoding_ = mark->encoding;
      byteOrderMarkLength_ = mark->length;
      return false;
    }
  }
  if (byteOrderMark_) return false;
  if (maybeUtf8_) maybeUtf8_ = utf8_.Feed(piece);
  NoteHighBytes(piece);
  if (maybeUtf8_ || sample_.size() < kSampleLimit) return true;
  if (!guessed_) {
    guess_ = GuessSingleByteEncoding(sample_);
    guessed_ = true;
  }
  return GuardNeedsMore();
}

TextEncoding EncodingDetector::Decide() {
  if (byteOrderMark_) return byteOrderMarkEncoding_;
  if (maybeUtf8_ && utf8_.LooksLikeUtf8()) return TextEncoding::Utf8;
  if (highBytes_ < kFewestHighBytes) return TextEncoding::Windows1250;
  if (!guessed_) {
    guess_ = GuessSingleByteEncoding(sample_);
    guessed_ = true;
  }
  if (guess_ == TextEncoding::Iso8859_2 && HoldsControlBytes()) return TextEncoding::Windows1250;
  if (MeansTheSameInWindows1250(guess_)) return TextEncoding::Windows1250;
  return guess_;
}

TextEncoding DetectTextEncoding(std::string_view bytes) {
  EncodingDetector detector;
  constexpr std::size_t kPiece = 64 * 1024;
  for (std::size_t at = 0; at < bytes.size(); at += kPiece) {
    if (!detector.Feed(bytes.substr(at, kPiece))) break;
  }
  if (bytes.empty()) detector.Feed(bytes);
  return detector.Decide();
}

}  // namespace marvek
