#include "convert/text_encoding.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace marvek {
namespace {

// Windows-1250, bytes 0x80 to 0xFF. Zero marks the five bytes that stand for nothing.
constexpr char32_t kUpperHalf[128] = {
    0x20AC, 0,      0x201A, 0,      0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0,      0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 88
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0,      0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // F8
};

// Every character of the upper half lies below U+2200, so one array turns a character back into
// its byte; zero means Windows-1250 has no such letter.
constexpr char32_t kReverseLimit = 0x2200;

constexpr std::array<std::uint8_t, kReverseLimit> MakeReverse() {
  std::array<std::uint8_t, kReverseLimit> reverse{};
  for (int i = 0; i < 128; ++i) {
    if (kUpperHalf[i] != 0) reverse[kUpperHalf[i]] = static_cast<std::uint8_t>(0x80 + i);
  }
  return reverse;
}

constexpr auto kReverse = MakeReverse();
constexpr char32_t kMalformed = 0xFFFFFFFF;

// Decodes one character at `p`, advancing past it; a malformed sequence (truncated, overlong,
// a surrogate, above U+10FFFF) yields kMalformed and advances by one byte.
char32_t DecodeOne(const unsigned char*& p, const unsigned char* end) {
  const unsigned char lead = *p;
  if (lead < 0x80) {
    ++p;
    return lead;
  }
  int length;
  char32_t value;
  char32_t smallest;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, value = lead & 0x1F, smallest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, value = lead & 0x0F, smallest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, value = lead & 0x07, smallest = 0x10000;
  } else {
    ++p;
    return kMalformed;
  }
  if (end - p < length) {
    ++p;
    return kMalformed;
  }
  for (int i = 1; i < length; ++i) {
    if ((p[i] & 0xC0) != 0x80) {
      ++p;
      return kMalformed;
    }
    value = (value << 6) | (p[i] & 0x3F);
  }
  if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    ++p;
    return kMalformed;
  }
  p += length;
  return value;
}

}  // namespace

bool HasUtf8ByteOrderMark(std::string_view bytes) {
  return bytes.starts_with("\xEF\xBB\xBF");
}

namespace {

// The length of the sequence that `lead` begins, 0 when no sequence begins with it.
int SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

}  // namespace

bool Utf8Detector::Feed(std::string_view bytes) {
  if (invalid_) return false;
  auto p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto end = p + bytes.size();
  if (pendingLength_ != 0) {
    // Complete the sequence cut off last time with the first bytes of this piece.
    const auto need =
        static_cast<std::size_t>(SequenceLength(static_cast<unsigned char>(pending_[0])));
    while (pendingLength_ < need && p != end) pending_[pendingLength_++] = static_cast<char>(*p++);
    if (pendingLength_ < need) return true;
    auto q = reinterpret_cast<const unsigned char*>(pending_);
    if (DecodeOne(q, q + pendingLength_) == kMalformed) return !(invalid_ = true);
    multiByte_ = true;
    pendingLength_ = 0;
  }
  while (p != end) {
    // Skip plain ASCII eight bytes at a time: most of a title file is ASCII.
    while (end - p >= 8) {
      std::uint64_t word;
      std::memcpy(&word, p, 8);
      if (word & 0x8080808080808080u) break;
      p += 8;
    }
    if (p == end) break;
    if (*p < 0x80) {
      ++p;
      continue;
    }
    const int length = SequenceLength(*p);
    if (length != 0 && end - p < length) {
      // Possibly cut by the end of the piece: keep it if what is there can still be right.
      for (auto q = p + 1; q != end; ++q) {
        if ((*q & 0xC0) != 0x80) return !(invalid_ = true);
      }
      while (p != end) pending_[pendingLength_++] = static_cast<char>(*p++);
      return true;
    }
    if (DecodeOne(p, end) == kMalformed) return !(invalid_ = true);
    multiByte_ = true;
  }
  return true;
}

bool Utf8Detector::LooksLikeUtf8() const {
  return !invalid_ && pendingLength_ == 0 && multiByte_;
}

bool LooksLikeUtf8(std::string_view bytes) {
  Utf8Detector detector;
  detector.Feed(bytes);
  return detector.LooksLikeUtf8();
}

void AppendUtf8AsWindows1250(std::string_view utf8, ByteString& out) {
  auto p = reinterpret_cast<const unsigned char*>(utf8.data());
  const auto end = p + utf8.size();
  while (p != end) {
    const char32_t c = DecodeOne(p, end);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < kReverseLimit && kReverse[c] != 0) {
      out.push_back(static_cast<char>(kReverse[c]));
    } else {
      out.push_back('?');
    }
  }
}

char32_t Windows1250ToUnicode(unsigned char byte) {
  return byte < 0x80 ? char32_t{byte} : kUpperHalf[byte - 0x80];
}

}  // namespace marvek
