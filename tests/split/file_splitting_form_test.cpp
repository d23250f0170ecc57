#include "split/file_splitting_form.h"

#include <gtest/gtest.h>

#include "frame/platform/platform.h"
#include "tests/split/split_test_support.h"
#include "tests/support/test_env.h"

namespace {

std::string Slashed(std::string path) {
  for (char& c : path) c = c == '\\' ? '/' : c;
  return path;
}

struct SplitFormTest : ::testing::Test {
  void SetUp() override {
    splittest::UseSplitTexts();
    ASSERT_TRUE(plat::CreateFolder(scratch.Path("in")) && plat::CreateFolder(scratch.Path("out")));
    ASSERT_TRUE(testenv::WriteFile(file, testenv::PatternBytes(3000000)));
  }
  testenv::ScratchFolder scratch;
  std::string file = scratch.Path("in\\movie.avi");
  kst::SplitForm form;
};

TEST_F(SplitFormTest, ATypedFileBringsItsFolderAndItsSplits) {
  kst::SetFormFile(form, "  \"" + Slashed(file) + "\" ");  // quotes, blanks and forward slashes
  EXPECT_EQ(form.folder, scratch.Path("in"));
  EXPECT_TRUE(kst::CanGo(form, false));
  EXPECT_FALSE(kst::CanGo(form, true)) << "no second run while one goes on";
  kst::SplitFormTexts texts = kst::FormTexts(form);
  EXPECT_EQ(texts.total + " " + texts.sizeField + " " + texts.count + " " + texts.lastSize, "3000000 1457664 3 84672");
  EXPECT_EQ(kst::RunInput(form, 65536, 0, 0).file, file);
  // Missing, empty, a folder or blank: "No File", and the folder stays.
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
  EXPECT_TRUE(kst::CanCreateFolder(form.folder));
  EXPECT_FALSE(kst::CanCreateFolder("Q:\\")) << "a drive root is never made";
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
  kst::SetFormSame(form, true);  // switched on, it takes the file's folder at once
  EXPECT_EQ(form.folder, scratch.Path("in"));
}

// The next file brings its folder only while "Same" is on.
TEST_F(SplitFormTest, AChosenFolderOtherThanTheFilesTurnsSameOff) {
  ASSERT_TRUE(testenv::WriteFile(scratch.Path("out\\other.bin"), testenv::PatternBytes(2000000)));
  const std::string quotedIn = "\"" + Slashed(scratch.Path("in")) + "/\"";
  for (const std::string& folder : {scratch.Path("in"), quotedIn, scratch.Path("out")}) {
    const bool same = folder != scratch.Path("out");
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
  EXPECT_EQ(form.splitSize, 3004) << "raised to 3000000 / 999 + 1";
  kst::SetFormFile(form, scratch.Path("in\\small.bin"));
  EXPECT_EQ(form.splitSize, 1000) << "the size asked for, not the one raised for the last file";
  EXPECT_EQ(form.plan.count, 500);
  kst::SetFormFile(form, file);
  kst::SetFormUnit(form, "MB", "5");
  EXPECT_EQ(form.splitSize, 3000000) << "no split is bigger than the file";
  EXPECT_EQ(kst::FormTexts(form).sizeField, "2.861");
  EXPECT_FALSE(kst::CanGo(form, false)) << "a file that fits one split is not split";
  // The history field shows its value through the list, which stays as it is.
  kst::RememberedList list{10, {"C:\\b.bin", "C:\\a.bin"}};
  kst::ShownHistory shown = kst::HistoryShowing(list, "c:\\A.BIN  ");
  EXPECT_EQ(shown.entries, list.entries);
  EXPECT_EQ(shown.selected, 1);
  shown = kst::HistoryShowing(list, "D:\\typed.bin");
  EXPECT_EQ(shown.entries, (std::vector<std::string>{"D:\\typed.bin", "C:\\b.bin", "C:\\a.bin"}));
  EXPECT_EQ(shown.selected, 0);
  EXPECT_EQ(list.entries.size(), 2u);
  EXPECT_EQ(kst::HistoryShowing(list, "  ").selected, -1);
}

}  // namespace
