#include "convert/letters/char_mode_writer.h"

#include "convert/letters/shown_bytes.h"

#include <array>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define MARVEK_X86 1
#endif

namespace marvek {
namespace {

struct Letter {
  std::uint8_t windows1250;
  std::uint8_t deviceCode;
  char plain[3];  // one or two letters, zero-terminated
};

// The ten letters and what each mode makes of them.
constexpr Letter kLetters[] = {
    {0xC8, 0xE0, "C"},  {0xE8, 0xC0, "c"},   // Č č
    {0xC6, 0xEB, "C"},  {0xE6, 0xE2, "c"},   // Ć ć
    {0x8E, 0xEC, "Z"},  {0x9E, 0xCC, "z"},   // Ž ž
    {0xD0, 0xED, "Dj"}, {0xF0, 0xE9, "dj"},  // Đ đ
    {0x8A, 0xEE, "S"},  {0x9A, 0xEA, "s"},   // Š š
};

// One lookup per incoming byte in either mode. All ten letters lie above 0x7F, so plain ASCII
// passes both modes unchanged.
struct Tables {
  std::array<std::uint8_t, 256> device{};
  std::array<std::uint8_t, 256> plainFirst{};   // the letter, or the first of two
  std::array<std::uint8_t, 256> plainSecond{};  // the second letter, 0 when there is one
};

constexpr Tables MakeTables() {
  Tables t;
  for (int b = 0; b < 256; ++b) {
    t.device[b] = static_cast<std::uint8_t>(b);
    t.plainFirst[b] = static_cast<std::uint8_t>(b);
  }
  for (const Letter& letter : kLetters) {
    t.device[letter.windows1250] = letter.deviceCode;
    t.plainFirst[letter.windows1250] = static_cast<std::uint8_t>(letter.plain[0]);
    t.plainSecond[letter.windows1250] = static_cast<std::uint8_t>(letter.plain[1]);
  }
  return t;
}

constexpr Tables kTables = MakeTables();

constexpr std::uint64_t kHighBits = 0x8080808080808080u;

#if defined(__SSE2__)
// Sixteen bytes at once, without a branch: each of the ten letters among them is turned into its
// code by an exclusive-or with the difference of the two.
__m128i DeviceCodes16(__m128i bytes) {
  __m128i change = _mm_setzero_si128();
  for (const Letter& letter : kLetters) {
    const __m128i found =
        _mm_cmpeq_epi8(bytes, _mm_set1_epi8(static_cast<char>(letter.windows1250)));
    const auto difference = static_cast<char>(letter.windows1250 ^ letter.deviceCode);
    change = _mm_or_si128(change, _mm_and_si128(found, _mm_set1_epi8(difference)));
  }
  return _mm_xor_si128(bytes, change);
}

// Texts of sixteen bytes or more, through `Codes`; the last sixteen overlap those already
// written. A macro rather than a template, so that each writer compiles `Codes` inline for the
// processor it is written for.
#define MARVEK_WRITE_SIXTEENS(Codes, p, end, to)                                      \
  do {                                                                                \
    char* const last = (to) + ((end) - (p)) - 16;                                     \
    for (; (end) - (p) > 16; (p) += 16, (to) += 16) {                                 \
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));     \
      _mm_storeu_si128(reinterpret_cast<__m128i*>(to), Codes(bytes));                 \
    }                                                                                 \
    const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(end - 16)); \
    _mm_storeu_si128(reinterpret_cast<__m128i*>(last), Codes(tail));                  \
    return last + 16;                                                                 \
  } while (false)

char* WriteDeviceCodes16(const char* p, const char* end, char* to) {
  MARVEK_WRITE_SIXTEENS(DeviceCodes16, p, end, to);
}
#endif

#if defined(MARVEK_X86) && defined(__SSE2__)
// The same with four table lookups in place of ten comparisons. The ten letters share five low
// halves (0 6 8 A E), and each low half belongs to two of six high halves (8 9 C D E F): a bit
// for each high half, looked up by both halves, is set only for a letter. Which of its low
// half's two letters it is picks the difference from one of two tables.
__attribute__((target("ssse3"))) inline __m128i DeviceCodesByLookup16(__m128i bytes) {
  const __m128i nibble = _mm_set1_epi8(0x0F);
  const __m128i low = _mm_and_si128(bytes, nibble);
  const __m128i high = _mm_and_si128(_mm_srli_epi16(bytes, 4), nibble);
  // High halves 8 9 C D E F: bits 04 08 01 10 02 20; the first of each pair is 01 04 10.
  const __m128i highBits =
      _mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 0x04, 0x08, 0, 0, 0x01, 0x10, 0x02, 0x20);
  const __m128i lowBits =
      _mm_setr_epi8(0x30, 0, 0, 0, 0, 0, 0x03, 0, 0x03, 0, 0x0C, 0, 0, 0, 0x0C, 0);
  const __m128i letter =
      _mm_and_si128(_mm_shuffle_epi8(lowBits, low), _mm_shuffle_epi8(highBits, high));
  // Č Ć Ž Đ Š, then č ć ž đ š: each letter's byte exclusive-or its device code.
  const __m128i firstDifference =
      _mm_setr_epi8(0x3D, 0, 0, 0, 0, 0, 0x2D, 0, 0x28, 0, 0x64, 0, 0, 0, 0x62, 0);
  const __m128i secondDifference =
      _mm_setr_epi8(0x19, 0, 0, 0, 0, 0, 0x04, 0, 0x28, 0, 0x70, 0, 0, 0, 0x52, 0);
  const __m128i zero = _mm_setzero_si128();
  const __m128i notFirst = _mm_cmpeq_epi8(_mm_and_si128(letter, _mm_set1_epi8(0x15)), zero);
  const __m128i notSecond = _mm_cmpeq_epi8(_mm_and_si128(letter, _mm_set1_epi8(0x2A)), zero);
  const __m128i change =
      _mm_or_si128(_mm_andnot_si128(notFirst, _mm_shuffle_epi8(firstDifference, low)),
                   _mm_andnot_si128(notSecond, _mm_shuffle_epi8(secondDifference, low)));
  return _mm_xor_si128(bytes, change);
}

__attribute__((target("ssse3"))) char* WriteDeviceCodesByLookup(const char* p, const char* end,
                                                                char* to) {
  MARVEK_WRITE_SIXTEENS(DeviceCodesByLookup16, p, end, to);
}

// WriteDeviceCodesByLookup, noting the bytes the display does not show as they stand on the way;
// null when there is one.
__attribute__((target("ssse3"))) char* WriteShownDeviceCodesByLookup(const char* p, const char* end,
                                                                     char* to) {
  unsigned notShown = 0;
  char* const last = to + (end - p) - 16;
  for (; end - p > 16; p += 16, to += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    notShown |= NotShown16(bytes);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), DeviceCodesByLookup16(bytes));
  }
  const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(end - 16));
  notShown |= NotShown16(tail);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(last), DeviceCodesByLookup16(tail));
  return notShown == 0 ? last + 16 : nullptr;
}

// The same two steps 32 bytes at a time, for titles of 32 bytes or more: a byte shuffle of AVX2
// looks up each 16-byte half in its own copy of a table.
__attribute__((target("avx2"))) char* WriteShownDeviceCodesAvx2(const char* p, const char* end,
                                                                char* to) {
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i highBits = _mm256_broadcastsi128_si256(
      _mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 0x04, 0x08, 0, 0, 0x01, 0x10, 0x02, 0x20));
  const __m256i lowBits = _mm256_broadcastsi128_si256(
      _mm_setr_epi8(0x30, 0, 0, 0, 0, 0, 0x03, 0, 0x03, 0, 0x0C, 0, 0, 0, 0x0C, 0));
  const __m256i firstDifference = _mm256_broadcastsi128_si256(
      _mm_setr_epi8(0x3D, 0, 0, 0, 0, 0, 0x2D, 0, 0x28, 0, 0x64, 0, 0, 0, 0x62, 0));
  const __m256i secondDifference = _mm256_broadcastsi128_si256(
      _mm_setr_epi8(0x19, 0, 0, 0, 0, 0, 0x04, 0, 0x28, 0, 0x70, 0, 0, 0, 0x52, 0));
  const __m256i highClasses = _mm256_broadcastsi128_si256(
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(kHighHalfClasses)));
  const __m256i lowClasses = _mm256_broadcastsi128_si256(
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(kLowHalfClasses)));
  const __m256i zero = _mm256_setzero_si256();
  unsigned notShown = 0;
  char* const last = to + (end - p) - 32;
  for (bool tail = false;; p += 32, to += 32) {
    if (end - p <= 32) {
      p = end - 32;
      to = last;
      tail = true;
    }
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i low = _mm256_and_si256(bytes, nibble);
    const __m256i high = _mm256_and_si256(_mm256_srli_epi16(bytes, 4), nibble);
    const __m256i classes = _mm256_and_si256(_mm256_shuffle_epi8(highClasses, high),
                                             _mm256_shuffle_epi8(lowClasses, low));
    notShown |= static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(classes, zero)));
    const __m256i letter =
        _mm256_and_si256(_mm256_shuffle_epi8(lowBits, low), _mm256_shuffle_epi8(highBits, high));
    const __m256i notFirst =
        _mm256_cmpeq_epi8(_mm256_and_si256(letter, _mm256_set1_epi8(0x15)), zero);
    const __m256i notSecond =
        _mm256_cmpeq_epi8(_mm256_and_si256(letter, _mm256_set1_epi8(0x2A)), zero);
    const __m256i change =
        _mm256_or_si256(_mm256_andnot_si256(notFirst, _mm256_shuffle_epi8(firstDifference, low)),
                        _mm256_andnot_si256(notSecond, _mm256_shuffle_epi8(secondDifference, low)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(to), _mm256_xor_si256(bytes, change));
    if (tail) break;
  }
  return notShown == 0 ? last + 32 : nullptr;
}

using DeviceCodesWriter = char* (*)(const char*, const char*, char*);

bool HasSsse3() {
  __builtin_cpu_init();  // may run before the library's own start-up code
  return __builtin_cpu_supports("ssse3");
}

bool HasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}

const bool kHasSsse3 = HasSsse3();
const bool kHasAvx2 = HasAvx2();
const DeviceCodesWriter kDeviceCodesWriter =
    kHasSsse3 ? WriteDeviceCodesByLookup : WriteDeviceCodes16;
#elif defined(__SSE2__)
constexpr auto kDeviceCodesWriter = WriteDeviceCodes16;
#endif

}  // namespace

char* WriteCharMode(std::string_view text, CharMode mode, char* to) {
  // All ten letters lie above 0x7F: a run of eight ASCII bytes is copied as it is, every byte of
  // any other run goes through the table.
  const char* p = text.data();
  const char* const end = p + text.size();
  const auto at = [](const char* q) { return static_cast<std::uint8_t>(*q); };
  if (mode == CharMode::DeviceCodes) {
#if defined(__SSE2__)
    if (text.size() >= 16) return kDeviceCodesWriter(p, end, to);
#endif
    // Eight bytes are copied as they are, then the few above 0x7F among them are looked up.
    const auto eight = [&at](const char* from, char* into) {
      std::uint64_t word;
      std::memcpy(&word, from, 8);
      std::memcpy(into, &word, 8);
      for (std::uint64_t high = word & kHighBits; high != 0; high &= high - 1) {
        const int i = __builtin_ctzll(high) / 8;
        into[i] = static_cast<char>(kTables.device[at(from + i)]);
      }
    };
    if (text.size() < 8) {
      for (; p != end; ++p) *to++ = static_cast<char>(kTables.device[at(p)]);
      return to;
    }
    char* const last = to + text.size() - 8;
    for (; end - p > 8; p += 8, to += 8) eight(p, to);
    eight(end - 8, last);  // the last eight bytes, overlapping those already written
    return last + 8;
  }
  // Both letters are written for every byte and the cursor moves by one or two: no branch per
  // byte, at the cost of one byte of room past the end.
  const auto plain = [&to, &at](const char* q) {
    const std::uint8_t second = kTables.plainSecond[at(q)];
    to[0] = static_cast<char>(kTables.plainFirst[at(q)]);
    to[1] = static_cast<char>(second);
    to += 1 + (second != 0);
  };
  for (; end - p >= 8; p += 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    if ((word & kHighBits) == 0) {
      std::memcpy(to, &word, 8);
      to += 8;
      continue;
    }
    for (int i = 0; i < 8; ++i) plain(p + i);
  }
  for (; p != end; ++p) plain(p);
  return to;
}

char* WriteShownDeviceCodes(std::string_view text, char* to) {
#if defined(MARVEK_X86) && defined(__SSE2__)
  const char* const end = text.data() + text.size();
  if (text.size() >= 32 && kHasAvx2) return WriteShownDeviceCodesAvx2(text.data(), end, to);
  if (text.size() >= 16 && kHasSsse3) return WriteShownDeviceCodesByLookup(text.data(), end, to);
#else
  (void)to;
#endif
  (void)text;
  return nullptr;
}

void AppendCharMode(std::string_view text, CharMode mode, ByteString& out) {
  const std::size_t old = out.size();
  out.resize(old + CharModeRoom(text.size(), mode));
  char* const end = WriteCharMode(text, mode, out.data() + old);
  out.resize(static_cast<std::size_t>(end - out.data()));
}

}  // namespace marvek
