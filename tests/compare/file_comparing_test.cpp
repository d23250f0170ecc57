// Which originals find which clones, on the real file system of each
// platform (listing order does not matter to the counts).
#include <gtest/gtest.h>

#include "compare/file_comparing.h"
#include "frame/texts/language_files.h"
#include "tests/split/split_test_support.h"
#include "tests/support/test_env.h"

namespace {

using kst::ComparingEnd;
using testenv::WriteFile;

TEST(CompareMatching, PatternsPairFilesByNameOrTwoNamedFiles) {
  kst::LoadBuiltInTexts();
  using Files = std::vector<std::pair<std::string, std::string>>;
  struct Case { const char* name; std::string originalPattern, clonePattern; Files originals, clones; bool recursive;
                int compared, unmatched, differentContents; } cases[] = {
      {"zip against all", "*.zip", "*.*", {{"a.zip", "1"}, {"b.txt", "2"}}, {{"a.zip", "1"}, {"b.txt", "2"}}, false,
       1, 0, 0},
      {"exe against ex_", "*.exe", "*.ex_", {{"a.exe", "1"}}, {{"a.exe", "1"}, {"a.ex_", "1"}}, false, 0, 1, 0},
      {"two named files", "one.bin", "two.bin", {{"one.bin", "same"}}, {{"two.bin", "same"}}, false, 1, 0, 0},
      {"question marks pair by name", "?.txt", "?.txt", {{"a.txt", "aaa"}, {"b.txt", "bbb"}},
       {{"a.txt", "aaa"}, {"b.txt", "bbb"}}, false, 2, 0, 0},
      {"pattern picks files, not folders", "*.zip", "*.zip", {{"sub\\x.zip", "1"}, {"y.zip", "2"}},
       {{"sub\\x.zip", "1"}, {"y.zip", "3"}}, true, 2, 0, 1},
      {"no recursion", "*.*", "*.*", {{"sub\\x.zip", "1"}, {"y.zip", "2"}}, {{"sub\\x.zip", "1"}}, false, 0, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testenv::ScratchFolder scratch;
    for (const char* folder : {"o", "o\\sub", "c", "c\\sub"}) ASSERT_TRUE(plat::CreateFolder(scratch.Path(folder)));
    for (const auto& [name, bytes] : c.originals) ASSERT_TRUE(WriteFile(scratch.Path("o\\" + name), bytes));
    for (const auto& [name, bytes] : c.clones) ASSERT_TRUE(WriteFile(scratch.Path("c\\" + name), bytes));
    const kst::ComparingInput input{scratch.Path("o\\" + c.originalPattern), scratch.Path("c\\" + c.clonePattern),
                                    c.recursive, false, ""};
    splittest::RunningJob running;
    const kst::ComparingResult r = kst::RunComparing(input, running.job);
    ASSERT_EQ(r.end, ComparingEnd::Done);
    EXPECT_EQ(r.counts.compared, c.compared);
    EXPECT_EQ(r.counts.unmatched, c.unmatched);
    EXPECT_EQ(r.counts.differentContents, c.differentContents);
  }
}

}  // namespace
