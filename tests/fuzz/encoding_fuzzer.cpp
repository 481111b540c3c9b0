// libFuzzer harness. Any bytes taken as a Windows-1250 title file, written out in the other
// encodings read here, convert to the image of the original; taken as a Windows-1252 file, to
// the image of their characters in UTF-8.
#include <cstdint>

#include "fuzz/title_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  marvek::fuzz::AbortIfFailed(
      marvek::fuzz::CheckEncodingsKeepImage({reinterpret_cast<const char*>(data), size}));
  return 0;
}
