// libFuzzer harness. The conversion of any bytes in both modes, held against the reference in
// title_properties.cpp.
#include <cstdint>

#include "fuzz/title_properties.h"

// Allocation stacks of five frames rather than thirty: a conversion makes many small
// allocations, and recording the stack of each is a good part of what an input costs. Only a
// report's detail is trimmed; every fault is found as before, and ASAN_OPTIONS still sets another
// depth for a run that needs it.
extern "C" const char* __asan_default_options() {
  return "malloc_context_size=5";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  marvek::fuzz::AbortIfFailed(
      marvek::fuzz::CheckConversion({reinterpret_cast<const char*>(data), size}));
  return 0;
}
