// Every saved fuzzer input, the seeds and the inputs that once broke a property, replayed through
// the harnesses' property checks in the normal build.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/title_properties.h"

namespace marvek {
namespace {

using Check = std::string (*)(std::string_view);

// Runs every file of the harness's corpus folder through `check`; returns how many there were.
std::size_t Replay(const char* harness, Check check) {
  const std::filesystem::path folder = std::filesystem::path(MARVEK_FUZZ_CORPUS) / harness;
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(check(bytes), "") << entry.path();
    ++files;
  }
  return files;
}

TEST(FuzzCorpus, EveryTitleLineInputKeepsItsProperties) {
  EXPECT_GT(Replay("title_line", fuzz::CheckTitleLine), 0u);
}

TEST(FuzzCorpus, EveryCharModeInputKeepsItsProperties) {
  EXPECT_GT(Replay("char_mode", fuzz::CheckCharModes), 0u);
}

TEST(FuzzCorpus, EveryConversionInputKeepsItsProperties) {
  EXPECT_GT(Replay("conversion", fuzz::CheckConversion), 0u);
}

TEST(FuzzCorpus, EveryEncodingInputKeepsItsImage) {
  EXPECT_GT(Replay("encoding", fuzz::CheckEncodingsKeepImage), 0u);
}

}  // namespace
}  // namespace marvek
