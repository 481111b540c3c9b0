// libFuzzer harness. The conversion of any bytes in both modes, held against the reference in
// title_properties.cpp.
#include <cstdint>

#include "fuzz/title_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  marvek::fuzz::AbortIfFailed(
      marvek::fuzz::CheckConversion({reinterpret_cast<const char*>(data), size}));
  return 0;
}
