// libFuzzer harness. The cut of one title line, held against the reference in title_properties.cpp.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/title_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string failure =
      marvek::fuzz::CheckTitleLine({reinterpret_cast<const char*>(data), size});
  if (!failure.empty()) {
    std::fprintf(stderr, "property failed: %s\n", failure.c_str());
    std::abort();
  }
  return 0;
}
