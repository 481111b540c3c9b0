// The marvek program's command line.
#include "window/window_arguments.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace marvek {
namespace {

using Action = WindowArguments::Action;

WindowArguments Read(std::vector<const char*> args) {
  args.insert(args.begin(), "marvek");
  return ReadWindowArguments(static_cast<int>(args.size()), args.data());
}

TEST(WindowArguments, HelpAndVersionWinAndOtherOptionsOrASecondFileAreRefused) {
  EXPECT_EQ(Read({}).action, Action::OpenWindow);
  EXPECT_EQ(Read({}).titleFile, "");
  // Before the window toolkit has taken its own options out.
  EXPECT_EQ(Read({"-platform", "offscreen", "--help"}).action, Action::ShowHelp);
  EXPECT_EQ(Read({"a.sub", "--version"}).action, Action::ShowVersion);
  EXPECT_EQ(Read({"-platform", "offscreen"}).action, Action::Refuse);
  EXPECT_EQ(Read({"a.sub", "b.sub"}).action, Action::Refuse);
  EXPECT_EQ(Read({""}).action, Action::Refuse);

  // After "--" a name that looks like an option is a file.
  const WindowArguments dashed = Read({"--", "--help"});
  EXPECT_EQ(dashed.action, Action::OpenWindow);
  EXPECT_EQ(dashed.titleFile, (std::filesystem::current_path() / "--help").string());
}

TEST(WindowArguments, PathsBecomeAbsoluteWithoutDotStepsAndKeepTheirDotDots) {
  const std::string here = std::filesystem::current_path().string();
  EXPECT_EQ(AbsoluteTitlePath("/films//a/./b.sub"), "/films/a/b.sub");
  EXPECT_EQ(AbsoluteTitlePath("./b.sub"), here + "/b.sub");
  EXPECT_EQ(AbsoluteTitlePath("../b.sub"), here + "/../b.sub");
}

}  // namespace
}  // namespace marvek
