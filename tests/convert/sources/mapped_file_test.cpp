#include "convert/sources/mapped_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <string>

#include "support/temp_dir.h"

namespace marvek {
namespace {

// The guard answers for its own mappings only: a bus error anywhere else still ends the program
// as it would without the guard, rather than being passed over or retried for ever.
TEST(MappedFileDeathTest, ABusErrorOutsideTheMappingsStillEndsTheProgram) {
  testing::TempDir dir;
  const std::size_t length = 3 * 4096;
  const std::string path = dir.Write("titles.sub", std::string(length, 'x'));
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  const auto guarded = MappedFile::Map(fd, length);
  ASSERT_NE(guarded, nullptr);
  EXPECT_DEATH(
      {
        void* other = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd, 0);
        ::truncate(path.c_str(), 0);
        [[maybe_unused]] volatile char byte = static_cast<const char*>(other)[length - 1];
      },
      "");
  ::close(fd);
}

}  // namespace
}  // namespace marvek
