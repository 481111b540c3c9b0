#include "convert/layouts/byte_search.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define MARVEK_X86 1
#endif

#include <cstdint>

namespace marvek {
namespace {

// Bits set in a mask, without a library call on processors that lack an instruction for it.
std::size_t CountBits(unsigned x) {
  x = x - ((x >> 1) & 0x55555555u);
  x = (x & 0x33333333u) + ((x >> 2) & 0x33333333u);
  x = (x + (x >> 4)) & 0x0F0F0F0Fu;
  return (x * 0x01010101u) >> 24;
}

// The bytes after the last whole step.
const char* FindLineEndByByte(const char* p, const char* end, std::size_t& braces, bool& slash) {
  for (; p != end && *p != '\r' && *p != '\n'; ++p) {
    braces += (*p == '{' || *p == '}');
    slash |= *p == '/';
  }
  return p;
}

// Given the line-end, brace and slash bits of one step, finishes the search if the line ends in
// it.
bool EndsInStep(unsigned ends, unsigned found, unsigned slashes, std::size_t& braces, bool& slash,
                unsigned& at) {
  if (ends == 0) {
    braces += CountBits(found);
    slash |= slashes != 0;
    return false;
  }
  at = static_cast<unsigned>(__builtin_ctz(ends));
  const unsigned before = (1u << at) - 1;  // only the signs before the line end
  braces += CountBits(found & before);
  slash |= (slashes & before) != 0;
  return true;
}

}  // namespace

#if defined(MARVEK_X86)

// Every processor with AVX2 also counts bits in one instruction.
__attribute__((target("avx2,popcnt"))) const char* FindLineEndAvx2(const char* p, const char* end,
                                                                   std::size_t& braces,
                                                                   bool& slash) {
  const __m256i cr = _mm256_set1_epi8('\r');
  const __m256i lf = _mm256_set1_epi8('\n');
  const __m256i open = _mm256_set1_epi8('{');
  const __m256i close = _mm256_set1_epi8('}');
  const __m256i slant = _mm256_set1_epi8('/');
  unsigned slashes = 0;
  for (; end - p >= 32; p += 32) {
    // The file's pages come from memory the first time they are looked at: ask a little ahead.
    __builtin_prefetch(p + 1024);
    const __m256i chunk = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const auto ends = static_cast<unsigned>(_mm256_movemask_epi8(
        _mm256_or_si256(_mm256_cmpeq_epi8(chunk, cr), _mm256_cmpeq_epi8(chunk, lf))));
    const auto found = static_cast<unsigned>(_mm256_movemask_epi8(
        _mm256_or_si256(_mm256_cmpeq_epi8(chunk, open), _mm256_cmpeq_epi8(chunk, close))));
    const auto slashAt =
        static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(chunk, slant)));
    if (ends == 0) {
      braces += static_cast<std::size_t>(__builtin_popcount(found));
      slashes |= slashAt;
      continue;
    }
    const auto at = static_cast<unsigned>(__builtin_ctz(ends));
    // Only the signs before the line end; a shift by 32 would be undefined.
    const std::uint64_t before = (std::uint64_t{1} << at) - 1;
    braces += static_cast<std::size_t>(__builtin_popcountll(found & before));
    slash |= slashes != 0 || (slashAt & before) != 0;
    return p + at;
  }
  slash |= slashes != 0;
  return FindLineEndSse2(p, end, braces, slash);
}

const char* FindLineEndSse2(const char* p, const char* end, std::size_t& braces, bool& slash) {
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i open = _mm_set1_epi8('{');
  const __m128i close = _mm_set1_epi8('}');
  const __m128i slant = _mm_set1_epi8('/');
  for (; end - p >= 16; p += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const auto ends = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf))));
    const auto found = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, open), _mm_cmpeq_epi8(chunk, close))));
    const auto slashes = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, slant)));
    if (unsigned at = 0; EndsInStep(ends, found, slashes, braces, slash, at)) return p + at;
  }
  return FindLineEndByByte(p, end, braces, slash);
}

namespace {

using Finder = const char* (*)(const char*, const char*, std::size_t&, bool&);

Finder PickFinder() {
  __builtin_cpu_init();  // may run before the library's own start-up code
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt") ? FindLineEndAvx2
                                                                            : FindLineEndSse2;
}

const Finder kFinder = PickFinder();

}  // namespace

const char* FindLineEnd(const char* p, const char* end, std::size_t& braces, bool& slash) {
  return kFinder(p, end, braces, slash);
}

#else  // other processors search byte by byte

const char* FindLineEndAvx2(const char* p, const char* end, std::size_t& braces) {
  return FindLineEndByByte(p, end, braces);
}
const char* FindLineEndSse2(const char* p, const char* end, std::size_t& braces, bool& slash) {
  return FindLineEndByByte(p, end, braces);
}
const char* FindLineEnd(const char* p, const char* end, std::size_t& braces) {
  return FindLineEndByByte(p, end, braces);
}

#endif

}  // namespace marvek
