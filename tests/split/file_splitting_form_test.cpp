#include "split/file_splitting_form.h"

#include <gtest/gtest.h>

#include "frame/platform/platform.h"
#include "frame/texts.h"
#include "tests/split/split_test_support.h"
#include "tests/support/test_env.h"

namespace {

using kst::SplitForm;
using testenv::ScratchFolder;

struct SplitFormTest : ::testing::Test {
  void SetUp() override {
    splittest::UseSplitTexts();
    kst::SetText(96, "No File");
    ASSERT_TRUE(plat::CreateFolder(scratch.Path("in")));
    ASSERT_TRUE(plat::CreateFolder(scratch.Path("out")));
    file = scratch.Path("in\\movie.avi");
    ASSERT_TRUE(testenv::WriteFile(file, testenv::PatternBytes(3000000)));
  }
  ScratchFolder scratch;
  std::string file;
  SplitForm form;
};

TEST_F(SplitFormTest, AFileBringsItsFolderAndItsSplits) {
  kst::SetFormFile(form, file);
  EXPECT_TRUE(form.fileOk);
  EXPECT_EQ(form.folder, scratch.Path("in"));
  EXPECT_TRUE(form.folderOk);
  EXPECT_TRUE(kst::CanGo(form, false));
  EXPECT_FALSE(kst::CanGo(form, true)) << "no second run while one goes on";
  kst::SplitFormTexts texts = kst::FormTexts(form);
  EXPECT_EQ(texts.total, "3000000");
  EXPECT_EQ(texts.bytes, "1457664");
  EXPECT_EQ(texts.sizeField, "1457664");
  EXPECT_EQ(texts.count, "3");
  EXPECT_EQ(texts.lastSize, "84672");

  kst::FileSplittingInput input = kst::RunInput(form, 65536, 23, 3);
  EXPECT_EQ(input.file, file);
  EXPECT_EQ(input.folder, scratch.Path("in"));
  EXPECT_EQ(input.splitSize, 1457664);
  EXPECT_TRUE(input.joinBatch);
  EXPECT_EQ(input.buffSize, 65536u);
  EXPECT_EQ(input.boxRecord, 23);
  EXPECT_EQ(input.ownerRecord, 3);
}

TEST_F(SplitFormTest, WithoutSameTheFolderStaysAndMustExist) {
  form.same = false;
  kst::SetFormFolder(form, scratch.Path("new"));
  kst::SetFormFile(form, file);
  EXPECT_EQ(form.folder, scratch.Path("new"));
  EXPECT_FALSE(form.folderOk);
  EXPECT_FALSE(kst::CanGo(form, false));
  EXPECT_TRUE(kst::CanCreateFolder(form.folder));

  ASSERT_TRUE(plat::CreateFolder(scratch.Path("new")));
  kst::SetFormFolder(form, scratch.Path("new"));
  EXPECT_TRUE(form.folderOk);
  EXPECT_FALSE(kst::CanCreateFolder(form.folder));
  EXPECT_TRUE(kst::CanGo(form, false));
}

TEST_F(SplitFormTest, SwitchingSameOnTakesTheFilesFolderAtOnce) {
  form.same = false;
  kst::SetFormFolder(form, scratch.Path("out"));
  kst::SetFormFile(form, file);
  kst::SetFormSame(form, true);
  EXPECT_EQ(form.folder, scratch.Path("in"));
  kst::SetFormSame(form, false);
  EXPECT_EQ(form.folder, scratch.Path("in")) << "switching off leaves the folder";
}

TEST_F(SplitFormTest, MissingEmptyOrFolderIsNoFile) {
  ASSERT_TRUE(testenv::WriteFile(scratch.Path("in\\empty"), ""));
  for (const std::string& path : {scratch.Path("in\\missing"), scratch.Path("in\\empty"), scratch.Path("in"),
                                  std::string("   ")}) {
    SCOPED_TRACE(path);
    kst::SetFormFile(form, file);
    kst::SetFormFile(form, path);
    EXPECT_FALSE(form.fileOk);
    EXPECT_EQ(form.fileSize, 0);
    EXPECT_EQ(kst::FormTexts(form).total, "No File");
    EXPECT_EQ(form.folder, scratch.Path("in")) << "a file that is not ok moves no folder";
    EXPECT_FALSE(kst::CanGo(form, false));
  }
}

TEST_F(SplitFormTest, SizeFieldReadsFractionsInItsUnit) {
  kst::SetFormFile(form, file);
  kst::SetFormUnit(form, "kB", "1423.5");
  EXPECT_EQ(form.unit, 1);
  EXPECT_EQ(form.splitSize, 1457664);
  EXPECT_EQ(kst::FormTexts(form).sizeField, "1423.5");

  kst::SetFormSize(form, "1000");
  EXPECT_EQ(form.splitSize, 1024000);
  EXPECT_EQ(form.plan.count, 3);
  EXPECT_EQ(form.plan.lastSize, 3000000 - 2 * 1024000);

  kst::SetFormUnit(form, "no such unit", "1000");
  EXPECT_EQ(form.unit, 0);
  EXPECT_EQ(form.splitSize, 3004) << "1000 bytes is raised to 3000000 / 999 + 1";
  EXPECT_EQ(form.plan.count, 999);
}

TEST_F(SplitFormTest, ASizeTheRulesChangeIsShownInItsUnit) {
  kst::SetFormFile(form, file);
  kst::SetFormUnit(form, "MB", "5");
  EXPECT_EQ(form.splitSize, 3000000) << "no split is bigger than the file";
  EXPECT_EQ(kst::FormTexts(form).sizeField, "2.861");
  EXPECT_EQ(kst::FormTexts(form).bytes, "3000000");
  EXPECT_EQ(form.plan.count, 1);
  EXPECT_FALSE(kst::CanGo(form, false)) << "a file that fits one split is not split";
}

TEST(SplitFormPaths, FolderOfAFileIsHeldWithoutABackslash) {
  EXPECT_EQ(kst::FolderOfFile("D:\\out\\movie.avi"), "D:\\out");
  EXPECT_EQ(kst::FolderOfFile("C:\\movie.avi  "), "C:");
  EXPECT_EQ(kst::FolderOfFile("movie.avi"), "");
  EXPECT_EQ(kst::BareFolder("D:\\out\\"), "D:\\out");
  EXPECT_EQ(kst::BareFolder("C:\\"), "C:");
  EXPECT_EQ(kst::BareFolder("D:\\out  "), "D:\\out");
}

TEST(SplitFormPaths, CreateDirectoryNeedsFourCharacters) {
  ScratchFolder scratch;
  EXPECT_FALSE(kst::CanCreateFolder("Q:\\"));
  EXPECT_FALSE(kst::CanCreateFolder(""));
  EXPECT_TRUE(kst::CanCreateFolder(scratch.Path("a\\b")));
  EXPECT_FALSE(kst::CanCreateFolder(scratch.path));
}

TEST(SplitFormHistory, TheFieldShowsItsValueThroughTheList) {
  kst::RememberedList list{10, {"C:\\b.bin", "C:\\a.bin"}};
  kst::ShownHistory shown = kst::HistoryShowing(list, "c:\\A.BIN  ");
  EXPECT_EQ(shown.entries, (std::vector<std::string>{"C:\\b.bin", "C:\\a.bin"}));
  EXPECT_EQ(shown.selected, 1);

  shown = kst::HistoryShowing(list, "D:\\typed.bin");
  EXPECT_EQ(shown.entries, (std::vector<std::string>{"D:\\typed.bin", "C:\\b.bin", "C:\\a.bin"}));
  EXPECT_EQ(shown.selected, 0);
  EXPECT_EQ(list.entries.size(), 2u) << "the remembered list is left as it is";

  shown = kst::HistoryShowing(list, "  ");
  EXPECT_EQ(shown.entries.size(), 2u);
  EXPECT_EQ(shown.selected, -1);
}

}  // namespace
