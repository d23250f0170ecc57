// kestrova-cli compare as a user would run it.
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/cli_run_posix.h"

namespace {

struct CompareCli : testenv::CliTest {
  void SetUp() override {
    CliTest::SetUp();
    for (const char* folder : {"o", "c", "d", "h"}) ASSERT_TRUE(plat::CreateFolder(Win(folder)));
    const char* files[][2] = {{"o\\a.txt", "x"}, {"o\\b.txt", "yy"}, {"c\\a.txt", "x"}, {"c\\b.txt", "yy"},
                              {"d\\a.txt", "x"}, {"d\\b.txt", "yz"}, {"h\\a.txt", "x"}};
    for (const auto& f : files) ASSERT_TRUE(testenv::WriteFile(Win(f[0]), f[1]));
    // A Linux name Windows cannot hold, and an information file that is
    // another name of a compared file.
    ASSERT_TRUE(std::ofstream(host + "/h/b\\..\\a.txt"));
    ASSERT_EQ(link((host + "/d/b.txt").c_str(), (host + "/hard.txt").c_str()), 0);
  }
};

TEST_F(CompareCli, ExitCodesAndWhatIsSaid) {
  const struct { const char* arguments; int exit; const char* says; } cases[] = {
      {"o c", 0, "compared 2, unmatched 0, different contents 0, different sizes 0"}, {"o d", 1, "differ: "},
      {"o d --pattern a.txt", 0, "compared 1,"}, {"o/a.txt c/a.txt", 0, "compared 1,"},
      {"o/b.txt d/a.txt", 1, "different contents 1, different sizes 1"}, {"o o/", 1, "the same files"},
      {"o nope", 2, "nope: no such file or folder"}, {"o c --bogus", 2, "unknown option: --bogus"},
      {"o", 2, "give the original and the clone"}, {"o/a.txt c --pattern a.txt", 2, "--pattern goes with a folder"},
      {"o c --info c/a.txt --pattern '*.*'", 1, "is one of the files compared"},
      {"o d --info hard.txt", 2, "one of the files compared, under another name"},
      {"h c", 2, "Windows can't hold this name"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    EXPECT_EQ(Run(std::string("compare ") + c.arguments), c.exit) << said;
    EXPECT_NE(said.find(c.says), std::string::npos) << said;
  }
  EXPECT_EQ(testenv::ReadFile(Win("c\\a.txt")), "x");
  EXPECT_EQ(testenv::ReadFile(Win("d\\b.txt")), "yz");
  EXPECT_EQ(Run("compare o d --info info.txt"), 1) << said;
  const std::string o = plat::EmuWindowsPath(host + "/o") + "\\", d = plat::EmuWindowsPath(host + "/d") + "\\";
  EXPECT_EQ(testenv::ReadFile(Win("info.txt")),
            "Comparing '" + o + "a.txt' and '" + d + "a.txt'\r\nThe size of each file are: 1 vs 1\r\n"
            "- They are Equal!... At least in content!\r\n\r\n"
            "Comparing '" + o + "b.txt' and '" + d + "b.txt'\r\nThe size of each file are: 2 vs 2\r\n"
            "- They have different content, starting at position 2\r\n\r\n"
            "Total Number of files that were:\r\nCompared: 2          \r\nUnMatched: 0          \r\n"
            "Different Contents: 1          \r\nDifferent Sizes: 0");
}

}  // namespace
