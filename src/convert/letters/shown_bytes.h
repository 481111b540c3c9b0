#pragma once

#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace marvek {

// Which Windows-1250 bytes the display shows as they are, asked of a byte's two halves: the byte
// is shown when the classes of its high and low half share a bit. High halves 0 to 7 (ASCII) are
// in every class; the others: 8 and 9 with A and E (Š Ž š ž), C and E with 6 and 8 (Ć Č ć č),
// D and F with 0 (Đ đ). A byte shuffle looks up the classes of 16 halves in one instruction.
inline constexpr std::uint8_t kHighHalfClasses[16] = {
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x02, 0x00, 0x00, 0x04, 0x08, 0x04, 0x08};
inline constexpr std::uint8_t kLowHalfClasses[16] = {
    0x09, 0x01, 0x01, 0x01, 0x01, 0x01, 0x05, 0x01, 0x05, 0x01, 0x03, 0x01, 0x01, 0x01, 0x03, 0x01};

#if defined(__x86_64__) || defined(__i386__)
// The bytes among `bytes` that the display does not show as they are, one bit each.
__attribute__((target("ssse3"))) inline unsigned NotShown16(__m128i bytes) {
  const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kHighHalfClasses));
  const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kLowHalfClasses));
  const __m128i half = _mm_set1_epi8(0x0F);
  const __m128i classes =
      _mm_and_si128(_mm_shuffle_epi8(high, _mm_and_si128(_mm_srli_epi16(bytes, 4), half)),
                    _mm_shuffle_epi8(low, _mm_and_si128(bytes, half)));
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(classes, _mm_setzero_si128())));
}
#endif

}  // namespace marvek
