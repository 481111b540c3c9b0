#pragma once

namespace marvek {

// Sets a speed that has no B constant (for example 250000) with the kernel's termios2 interface
// and reads it back. Returns 0, or the errno of the failure; EINVAL when the port took another
// speed than the one asked for.
int SetCustomSpeed(int fd, int speed);

}  // namespace marvek
