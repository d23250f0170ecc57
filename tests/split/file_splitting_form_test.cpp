#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "split/file_splitting_form.h"
#include "split/split_sizes.h"
#include "tests/split/split_test_support.h"

namespace {

constexpr int64_t kFloppy = 1457664, kGiB = int64_t{1} << 30, kLargest = 4294967295;

// At most 999 splits, none beyond the file or 4294967295 bytes; (2^32 +
// 500) floppies must not look like 500. go: Go may start such a split.
TEST(SplitSizeRules, SizeCountAndLastSplit) {
  const int64_t wraps = ((int64_t{1} << 32) + 500) * kFloppy;
  struct Case { int64_t fileSize, wanted, size; int32_t count; int64_t last; bool go; } cases[] = {
      {3000000, kFloppy, kFloppy, 3, 84672, true},
      {2 * kFloppy, kFloppy, kFloppy, 2, kFloppy, true},
      {10000000000, 1000000, 10010011, 999, 10009022, true},
      {20 * kGiB, 5 * kGiB, kLargest, 6, 20 * kGiB - 5 * kLargest, true},
      {3000000, 0, kFloppy, 3, 84672, true},
      {3000000, std::numeric_limits<int64_t>::min(), kFloppy, 3, 84672, true},
      {1000, kFloppy, 1000, 1, 1000, false},
      {0, 100, 100, 0, 100, false},
      {999 * kLargest + 1, 5 * kGiB, kLargest, 1000, 1, false},
      {wraps, 0, kFloppy, std::numeric_limits<int32_t>::max(), kFloppy, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.fileSize << " in " << c.wanted);
    kst::SplitPlan plan = kst::PlanSplits(c.fileSize, c.wanted);
    EXPECT_EQ(plan.splitSize, c.size);
    EXPECT_EQ(plan.count, c.count);
    EXPECT_EQ(plan.lastSize, c.last);
    EXPECT_EQ(kst::CanStartSplitting(true, true, c.fileSize, plan, false), c.go);
  }
  EXPECT_EQ(kst::ApplySizeRules(10000000000, 3000000), 3000000);  // no raise to 999 splits
}

TEST(SplitSizeField, NumberTimesTheUnitAndBack) {
  splittest::UseSplitTexts();
  struct Case { const char* field; int unit; int64_t bytes; } cases[] = {
      {"1423.5", 1, kFloppy}, {"5", 3, 5 * kGiB}, {"10.7", 0, 10}, {"0", 2, kFloppy}, {"-3", 1, kFloppy},
      {"", 0, kFloppy}, {"9000", 6, std::numeric_limits<int64_t>::max()}};  // beyond 64 bits
  for (const Case& c : cases) EXPECT_EQ(kst::SizeFieldBytes(c.field, c.unit), c.bytes) << c.field;
  EXPECT_EQ(kst::SizeFieldText(5 * kGiB, 3), "5");
  EXPECT_EQ(kst::SizeUnitOf("tb"), 4);
}

std::string Slashed(std::string path) { std::replace(path.begin(), path.end(), '\\', '/'); return path; }

struct SplitFormTest : ::testing::Test {
  void SetUp() override {
    splittest::UseSplitTexts();
    ASSERT_TRUE(plat::CreateFolder(scratch.Path("in")) && plat::CreateFolder(scratch.Path("out")) &&
                testenv::WriteFile(file, testenv::PatternBytes(3000000)));
  }
  testenv::ScratchFolder scratch;
  std::string file = scratch.Path("in\\movie.avi");
  kst::SplitForm form;
};

TEST_F(SplitFormTest, ATypedFileBringsItsFolderAndItsSplits) {
  kst::SetFormFile(form, "  \"" + Slashed(file) + "\" ");  // quotes, blanks and forward slashes
  EXPECT_EQ(form.folder, scratch.Path("in"));
  EXPECT_TRUE(kst::CanGo(form, false) && !kst::CanGo(form, true));  // no second run while one goes on
  const kst::SplitFormTexts texts = kst::FormTexts(form);
  EXPECT_EQ(texts.total + " " + texts.sizeField + " " + texts.count + " " + texts.lastSize, "3000000 1457664 3 84672");
  EXPECT_EQ(kst::RunInput(form, 65536, 0, 0).file, file);
  ASSERT_TRUE(testenv::WriteFile(scratch.Path("in\\empty"), ""));
  for (const std::string& path : {scratch.Path("in\\missing"), scratch.Path("in\\empty"), scratch.Path("out"),
                                  std::string("   ")}) {
    kst::SetFormFile(form, file);
    kst::SetFormFile(form, path);
    EXPECT_EQ(kst::FormTexts(form).total, "No File") << path;
    EXPECT_EQ(form.folder, scratch.Path("in")) << path;
    EXPECT_FALSE(kst::CanGo(form, false)) << path;
  }
}

TEST_F(SplitFormTest, WithoutSameTheFolderStaysAndMustExist) {
  form.same = false;
  kst::SetFormFolder(form, scratch.Path("new"));
  kst::SetFormFile(form, file);
  EXPECT_EQ(form.folder, scratch.Path("new"));
  EXPECT_FALSE(kst::CanGo(form, false));
  EXPECT_TRUE(kst::CanCreateFolder(form.folder) && !kst::CanCreateFolder("Q:\\"));
  for (const std::string& notFolder : {file, std::string()}) {
    kst::SetFormFolder(form, notFolder);
    EXPECT_FALSE(form.folderOk) << notFolder;
  }
  ASSERT_TRUE(plat::CreateFolder(scratch.Path("new")));
  for (const std::string& folder : {scratch.path.substr(0, 2), scratch.Path("new\\")}) {  // "C:": its root
    kst::SetFormFolder(form, folder);
    EXPECT_TRUE(kst::CanGo(form, false) && !kst::CanCreateFolder(folder)) << folder;
  }
  kst::SetFormFolder(form, "\"" + Slashed(scratch.Path("new")) + "/\"");
  EXPECT_EQ(kst::RunInput(form, 65536, 0, 0).folder, scratch.Path("new"));
  kst::SetFormSame(form, true);
  EXPECT_EQ(form.folder, scratch.Path("in"));
  ASSERT_TRUE(testenv::WriteFile(scratch.Path("out\\other.bin"), testenv::PatternBytes(2000000)));
  const std::string in = scratch.Path("in"), out = scratch.Path("out");
  for (const std::string& folder : {in, "\"" + Slashed(in) + "/\"", out}) {
    const bool same = folder != out;
    form.same = true;
    kst::SetFormFile(form, file);
    kst::ChooseFormFolder(form, folder);
    EXPECT_EQ(form.same, same) << folder;
    kst::SetFormFile(form, scratch.Path("out\\other.bin"));
    EXPECT_EQ(kst::BareFolder(form.folder), scratch.Path("out")) << folder;
    kst::SetFormFile(form, file);
    EXPECT_EQ(kst::BareFolder(form.folder), scratch.Path(same ? "in" : "out")) << folder;
  }
}

TEST_F(SplitFormTest, SizeFieldIsReadInItsUnitAndARaiseIsNotCarriedToTheNextFile) {
  ASSERT_TRUE(testenv::WriteFile(scratch.Path("in\\small.bin"), testenv::PatternBytes(500000)));
  kst::SetFormFile(form, file);
  kst::SetFormUnit(form, "kB", "1423.5");
  EXPECT_EQ(form.splitSize, 1457664);
  EXPECT_EQ(kst::FormTexts(form).sizeField, "1423.5");
  kst::SetFormUnit(form, "no such unit", "1000");
  EXPECT_EQ(form.splitSize, 3004);
  kst::SetFormFile(form, scratch.Path("in\\small.bin"));
  EXPECT_EQ(form.splitSize, 1000);
  EXPECT_EQ(form.plan.count, 500);
  kst::SetFormFile(form, file);
  kst::SetFormUnit(form, "MB", "5");
  EXPECT_EQ(form.splitSize, 3000000);
  EXPECT_EQ(kst::FormTexts(form).sizeField, "2.861");
  EXPECT_FALSE(kst::CanGo(form, false));
  kst::RememberedList list{10, {"C:\\b.bin", "C:\\a.bin"}};
  const kst::ShownHistory found = kst::HistoryShowing(list, "c:\\A.BIN  "), typed = kst::HistoryShowing(list, "D:\\t");
  EXPECT_TRUE(found.entries == list.entries && found.selected == 1 && typed.selected == 0 && list.entries.size() == 2);
  EXPECT_EQ(typed.entries, (std::vector<std::string>{"D:\\t", "C:\\b.bin", "C:\\a.bin"}));
  EXPECT_EQ(kst::HistoryShowing(list, "  ").selected, -1);
}

}  // namespace
