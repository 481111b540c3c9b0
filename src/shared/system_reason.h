#pragma once

#include <string>

namespace marvek {

// The system's own wording for an errno value ("No such file or directory"), thread-safe.
std::string SystemReason(int error);

}  // namespace marvek
