#pragma once

#include <cstddef>

namespace marvek {

// The first CR or LF in [p, end), or end. Adds the number of "{" and "}" before it to `braces`:
// a usual title line holds just the four of its frame fields, and a text without braces needs
// no further look. Sets `slash` when a "/" lies before it: repair looks at a line's slashes
// only then. Uses AVX2 where the processor has it.
const char* FindLineEnd(const char* p, const char* end, std::size_t& braces, bool& slash);

// The same search with 32 and with 16 bytes a step; FindLineEnd picks one once.
const char* FindLineEndAvx2(const char* p, const char* end, std::size_t& braces, bool& slash);
const char* FindLineEndSse2(const char* p, const char* end, std::size_t& braces, bool& slash);

}  // namespace marvek
