#pragma once

namespace marvek {

// Sets a speed that has no B constant (for example 250000) with the kernel's termios2 interface
// and reads it back. Returns 0, or the errno of the failure; EINVAL when the port took another
// speed than the one asked for.
int SetCustomSpeed(int fd, int speed);

// The output speed the terminal `fd` is set to, in bits per second, whether it was set with a
// B constant or as a custom speed; -1 when it cannot be read.
long CurrentSpeed(int fd);

}  // namespace marvek
