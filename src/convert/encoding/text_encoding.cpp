#include "convert/encoding/text_encoding.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace marvek {
namespace {

constexpr char32_t kMalformed = kMalformedUtf8;

// ISO-8859-2, bytes 0xA0 to 0xFF; below them it agrees with Unicode (0x80 to 0x9F are controls).
constexpr char32_t kIso8859_2UpperHalf[96] = {
    0x00A0, 0x0104, 0x02D8, 0x0141, 0x00A4, 0x013D, 0x015A, 0x00A7,  // A0
    0x00A8, 0x0160, 0x015E, 0x0164, 0x0179, 0x00AD, 0x017D, 0x017B,  // A8
    0x00B0, 0x0105, 0x02DB, 0x0142, 0x00B4, 0x013E, 0x015B, 0x02C7,  // B0
    0x00B8, 0x0161, 0x015F, 0x0165, 0x017A, 0x02DD, 0x017E, 0x017C,  // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // F8
};

// Windows-1251, bytes 0x80 to 0xFF. Zero marks 0x98, which stands for nothing.
constexpr char32_t kWindows1251UpperHalf[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0,      0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // F8
};

// Windows-1252, bytes 0x80 to 0x9F; from 0xA0 on it agrees with Unicode. Zero marks the five
// bytes that stand for nothing.
constexpr char32_t kWindows1252Controls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 88
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  // 98
};

}  // namespace

char32_t DecodeUtf8(const unsigned char*& p, const unsigned char* end) {
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

std::optional<ByteOrderMark> FindByteOrderMark(std::string_view bytes) {
  if (bytes.starts_with(kUtf8ByteOrderMark)) {
    return ByteOrderMark{TextEncoding::Utf8, kUtf8ByteOrderMark.size()};
  }
  if (bytes.starts_with(kUtf16LittleEndianByteOrderMark)) {
    return ByteOrderMark{TextEncoding::Utf16LittleEndian, 2};
  }
  if (bytes.starts_with(kUtf16BigEndianByteOrderMark)) {
    return ByteOrderMark{TextEncoding::Utf16BigEndian, 2};
  }
  return std::nullopt;
}

std::string_view ByteOrderMarkOf(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf8:
      return kUtf8ByteOrderMark;
    case TextEncoding::Utf16LittleEndian:
      return kUtf16LittleEndianByteOrderMark;
    case TextEncoding::Utf16BigEndian:
      return kUtf16BigEndianByteOrderMark;
    default:
      return {};
  }
}

const unsigned char* SkipAscii(const unsigned char* p, const unsigned char* end) {
  for (; end - p >= 8; p += 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    if (word & 0x8080808080808080u) break;
  }
  while (p != end && *p < 0x80) ++p;
  return p;
}

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
    if (DecodeUtf8(q, q + pendingLength_) == kMalformed) return !(invalid_ = true);
    multiByte_ = true;
    pendingLength_ = 0;
  }
  while ((p = SkipAscii(p, end)) != end) {
    const int length = SequenceLength(*p);
    if (length != 0 && end - p < length) {
      // Possibly cut by the end of the piece: keep it if what is there can still be right.
      for (auto q = p + 1; q != end; ++q) {
        if ((*q & 0xC0) != 0x80) return !(invalid_ = true);
      }
      while (p != end) pending_[pendingLength_++] = static_cast<char>(*p++);
      return true;
    }
    if (DecodeUtf8(p, end) == kMalformed) return !(invalid_ = true);
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

char32_t Iso8859_2ToUnicode(unsigned char byte) {
  return byte < 0xA0 ? char32_t{byte} : kIso8859_2UpperHalf[byte - 0xA0];
}

char32_t Windows1251ToUnicode(unsigned char byte) {
  return byte < 0x80 ? char32_t{byte} : kWindows1251UpperHalf[byte - 0x80];
}

char32_t Windows1252ToUnicode(unsigned char byte) {
  return byte < 0x80 || byte >= 0xA0 ? char32_t{byte} : kWindows1252Controls[byte - 0x80];
}

char32_t SingleByteCharacter(TextEncoding encoding, unsigned char byte) {
  switch (encoding) {
    case TextEncoding::Iso8859_2:
      return Iso8859_2ToUnicode(byte);
    case TextEncoding::Windows1251:
      return Windows1251ToUnicode(byte);
    case TextEncoding::Windows1252:
      return Windows1252ToUnicode(byte);
    case TextEncoding::Windows1250:
    case TextEncoding::Utf8:
    case TextEncoding::Utf16LittleEndian:
    case TextEncoding::Utf16BigEndian:
      break;
  }
  return Windows1250ToUnicode(byte);
}

}  // namespace marvek
