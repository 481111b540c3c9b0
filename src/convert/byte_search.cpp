#include "convert/byte_search.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace marvek {
namespace {

// Bits set in a 16-bit mask, without a library call on processors that lack an instruction.
std::size_t CountBits16(unsigned x) {
  x = x - ((x >> 1) & 0x5555u);
  x = (x & 0x3333u) + ((x >> 2) & 0x3333u);
  x = (x + (x >> 4)) & 0x0F0Fu;
  return (x + (x >> 8)) & 0x1Fu;
}

}  // namespace

const char* FindLineEnd(const char* p, const char* end, std::size_t& braces) {
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i open = _mm_set1_epi8('{');
  const __m128i close = _mm_set1_epi8('}');
  while (end - p >= 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const auto ends = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf))));
    auto found = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, open), _mm_cmpeq_epi8(chunk, close))));
    if (ends != 0) {
      const unsigned at = static_cast<unsigned>(__builtin_ctz(ends));
      found &= (1u << at) - 1;  // only the braces before the line end
      braces += CountBits16(found);
      return p + at;
    }
    braces += CountBits16(found);
    p += 16;
  }
#endif
  for (; p != end && *p != '\r' && *p != '\n'; ++p) braces += (*p == '{' || *p == '}');
  return p;
}

}  // namespace marvek
