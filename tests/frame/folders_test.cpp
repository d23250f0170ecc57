#include "frame/files/folders.h"

#include <gtest/gtest.h>

#include "frame/platform/platform.h"
#include "tests/support/test_env.h"

using namespace kst;
using testenv::ScratchFolder;

TEST(MakeFolderPathTest, MakesTheMissingFoldersParentsFirst) {
  ScratchFolder dir;
  ASSERT_TRUE(plat::CreateFolder(dir.Path("one")));
  EXPECT_TRUE(MakeFolderPath(dir.Path("one\\two\\three")));
  EXPECT_TRUE(IsFolder(dir.Path("one\\two\\three")));
  EXPECT_TRUE(MakeFolderPath(dir.Path("one\\two\\three")));  // already there
  EXPECT_TRUE(MakeFolderPath(dir.Path("x\\y\\   ")));
  EXPECT_TRUE(IsFolder(dir.Path("x\\y")));
  EXPECT_TRUE(MakeFolderPath(dir.path.substr(0, 3)));  // a drive root
}

TEST(MakeFolderPathTest, FailsWhereNoFolderCanBe) {
  ScratchFolder dir;
  ASSERT_TRUE(testenv::WriteFile(dir.Path("file"), "x"));
  const std::string drive = testenv::MissingDrive();
  ASSERT_FALSE(drive.empty());
  for (const std::string& path : {dir.Path("file"), dir.Path("file\\sub"), std::string(),
                                  dir.Path(std::string(300, 'l') + "\\sub"), drive + "\\a\\b"})
    EXPECT_FALSE(MakeFolderPath(path)) << path;
  EXPECT_EQ(testenv::ReadFile(dir.Path("file")), "x");
  EXPECT_FALSE(plat::PathExists(dir.Path(std::string(300, 'l'))));
}

TEST(PathPartsTest, NameAndFolderOfAPath) {
  ScratchFolder dir;
  ASSERT_TRUE(plat::CreateFolder(dir.Path("sub")));
  const std::string missing = testenv::MissingDrive(), root = dir.path.substr(0, 3);
  ASSERT_FALSE(missing.empty());
  struct Case {
    std::string path, name, folder;
  } cases[] = {
      {dir.Path("file.txt") + "   ", "file.txt", dir.path},
      {dir.Path("sub"), "", dir.Path("sub")},  // an existing folder is whole
      {dir.Path("sub") + "\\", "", dir.Path("sub")},
      {missing + "\\dir\\x.bin", "x.bin", missing + "\\dir"},
      {missing + "\\x.bin", "x.bin", missing + "\\"},
      {root.substr(0, 2), "", root},
      {"plain.txt", "plain.txt", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FileNameOf(c.path), c.name) << c.path;
    EXPECT_EQ(FolderOf(c.path), c.folder) << c.path;
  }
  EXPECT_EQ(JoinPath("C:\\", "a"), "C:\\a");
  EXPECT_EQ(JoinPath("C:\\d\\  ", "a"), "C:\\d\\a");
}
