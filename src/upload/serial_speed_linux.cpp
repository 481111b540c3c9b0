// Kept apart from the rest of the port code: the kernel's termios2 header cannot be included
// together with the C library's <termios.h>.
#include "upload/serial_speed_linux.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <errno.h>

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace marvek {

int SetCustomSpeed(int fd, int speed) {
  struct termios2 tio {};
  if (ioctl(fd, TCGETS2, &tio) != 0) return errno;
  tio.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
  tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  tio.c_ispeed = static_cast<speed_t>(speed);
  tio.c_ospeed = static_cast<speed_t>(speed);
  if (ioctl(fd, TCSETS2, &tio) != 0) return errno;
  struct termios2 applied {};
  if (ioctl(fd, TCGETS2, &applied) != 0) return errno;
  // Drivers round to what their clock can divide; more than 2 % off is no longer that speed.
  const long difference = static_cast<long>(applied.c_ospeed) - speed;
  if (difference * 50 > speed || -difference * 50 > speed) return EINVAL;
  return 0;
}

long CurrentSpeed(int fd) {
  struct termios2 tio {};
  if (ioctl(fd, TCGETS2, &tio) != 0) return -1;
  return static_cast<long>(tio.c_ospeed);
}

}  // namespace marvek
