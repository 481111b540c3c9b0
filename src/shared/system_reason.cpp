#include "shared/system_reason.h"

#include <string.h>

namespace marvek {

std::string SystemReason(int error) {
  char buffer[256];
  // GNU strerror_r returns a pointer to the text, which may or may not be `buffer`.
  return ::strerror_r(error, buffer, sizeof buffer);
}

}  // namespace marvek
