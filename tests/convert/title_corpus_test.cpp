// Real-looking title files of the region and of Western Europe in every encoding read here, each
// held against its Windows-1250 twin. Prints the detection table: files by encoding, read right and
// read wrong.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "convert/title_corpus.h"
#include "convert/title_image.h"
#include "support/recording_panel.h"
#include "support/temp_dir.h"
#include "support/test_values.h"

namespace marvek {
namespace {

using testing::NameOf;

TEST(TitleCorpus, EveryFileConvertsToTheImageOfItsWindows1250Twin) {
  const testing::TempDir dir;
  struct Tally {
    int files = 0, right = 0;
  };
  std::map<std::string, Tally> table;
  for (const testing::CorpusFile& file : testing::MakeTitleCorpus(4)) {
    SCOPED_TRACE(file.name);
    ASSERT_FALSE(file.bytes.empty() || file.twin.empty()) << "the system converter failed";
    testing::RecordingPanel panel;
    const ConversionResult got =
        ConvertTitleFile(dir.Write(file.name, file.bytes), CharMode::DeviceCodes, panel);
    const ConversionResult want = ConvertTitleBytes(file.twin, CharMode::DeviceCodes, panel,
                                                    {.encoding = TextEncoding::Windows1250});
    const bool right = got.outcome == ConversionOutcome::Converted && got.encoding == file.readAs &&
                       got.image == want.image && got.cyrillicInLatin == file.cyrillic &&
                       got.lettersSimplified == file.simplified;
    std::size_t differs = 0;
    while (differs < got.image.size() && differs < want.image.size() &&
           got.image[differs] == want.image[differs]) {
      ++differs;
    }
    EXPECT_TRUE(right) << "read as " << NameOf(got.encoding) << ", image differs at " << differs
                       << ": " << ::testing::PrintToString(got.image.substr(differs, 24)) << " for "
                       << ::testing::PrintToString(want.image.substr(differs, 24));
    if (file.encoding == TextEncoding::Windows1250) {
      EXPECT_EQ(file.bytes, file.twin);  // a Windows-1250 file is its own twin: untouched
    }
    const std::string row =
        NameOf(file.encoding) +
        std::string(file.name.find("-bom") != std::string::npos ? " (BOM)" : "");
    ++table[row].files;
    table[row].right += right;
  }
  std::printf("\n%-20s %6s %11s %11s\n", "Encoding", "Files", "Read right", "Read wrong");
  for (const auto& [encoding, tally] : table) {
    std::printf("%-20s %6d %11d %11d\n", encoding.c_str(), tally.files, tally.right,
                tally.files - tally.right);
  }
}

}  // namespace
}  // namespace marvek
