#include "frame/folders.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "frame/platform/platform.h"
#include "tests/support/test_env.h"

using namespace kst;
using testenv::ScratchFolder;

namespace {

bool IsFolder(const std::string& path) {
  uint32_t a = plat::GetAttributes(path);
  return a != plat::kAttrInvalid && (a & plat::kAttrDirectory);
}

std::string MissingDrive() {
  for (char letter = 'Y'; letter > 'B'; --letter) {
    std::string drive = std::string(1, letter) + ":";
    if (plat::DriveType(drive + "\\") == plat::kDriveNoRoot) return drive;
  }
  return "";
}

}  // namespace

TEST(MakeFolderPathTest, MakesTheMissingFoldersParentsFirst) {
  ScratchFolder dir;
  ASSERT_TRUE(plat::CreateFolder(dir.Path("one")));
  EXPECT_TRUE(MakeFolderPath(dir.Path("one\\two\\three")));
  EXPECT_TRUE(IsFolder(dir.Path("one\\two")));
  EXPECT_TRUE(IsFolder(dir.Path("one\\two\\three")));

  EXPECT_TRUE(MakeFolderPath(dir.Path("one\\two\\three")));  // already there
  EXPECT_TRUE(MakeFolderPath(dir.Path("x\\y\\   ")));       // trailing backslash and blanks
  EXPECT_TRUE(IsFolder(dir.Path("x\\y")));
  EXPECT_TRUE(MakeFolderPath(dir.path.substr(0, 3)));       // a drive root exists
}

TEST(MakeFolderPathTest, FailsCleanly) {
  ScratchFolder dir;
  ASSERT_TRUE(testenv::WriteFile(dir.Path("file"), "x"));
  EXPECT_FALSE(MakeFolderPath(dir.Path("file")));  // a file is in the way
  EXPECT_FALSE(MakeFolderPath(dir.Path("file\\sub")));
  EXPECT_FALSE(MakeFolderPath(""));
  EXPECT_FALSE(MakeFolderPath(dir.Path(std::string(300, 'l') + "\\sub")));
  EXPECT_FALSE(plat::PathExists(dir.Path(std::string(300, 'l'))));
  std::string drive = MissingDrive();
  ASSERT_FALSE(drive.empty());
  EXPECT_FALSE(MakeFolderPath(drive + "\\a\\b"));
}

TEST(PathPartsTest, NameAndFolderOfAPath) {
  ScratchFolder dir;
  ASSERT_TRUE(testenv::WriteFile(dir.Path("file.txt"), "x"));
  ASSERT_TRUE(plat::CreateFolder(dir.Path("sub")));
  std::string missing = MissingDrive();
  ASSERT_FALSE(missing.empty());
  std::string root = dir.path.substr(0, 3);
  struct Case {
    std::string path, name, folder;
  };
  const Case cases[] = {
      {dir.Path("file.txt"), "file.txt", dir.path},
      {dir.Path("file.txt") + "   ", "file.txt", dir.path},
      {dir.Path("sub"), "", dir.Path("sub")},  // an existing folder is whole
      {dir.Path("sub") + "\\", "", dir.Path("sub")},
      {dir.Path("nothing.bin"), "nothing.bin", dir.path},
      {missing + "\\dir\\x.bin", "x.bin", missing + "\\dir"},
      {missing + "\\x.bin", "x.bin", missing + "\\"},
      {missing + "\\dir\\", "", missing + "\\dir"},
      {root, "", root},
      {root.substr(0, 2), "", root},
      {"plain.txt", "plain.txt", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FileNameOf(c.path), c.name) << c.path;
    EXPECT_EQ(FolderOf(c.path), c.folder) << c.path;
  }
  EXPECT_EQ(JoinPath("C:\\", "a"), "C:\\a");
  EXPECT_EQ(JoinPath("C:\\d", "a"), "C:\\d\\a");
  EXPECT_EQ(JoinPath("C:\\d\\  ", "a"), "C:\\d\\a");
  EXPECT_EQ(JoinPath("", "a"), "a");
}

TEST(RemovableDrivesTest, TheFloppyIsListedAndFixedDrivesAreNot) {
  testenv::PrepareFloppy();
  std::vector<std::string> drives = ListRemovableDrives();
  ASSERT_FALSE(drives.empty());
  EXPECT_EQ(drives[0], "A:\\");
  for (size_t i = 0; i < drives.size(); ++i) {
    EXPECT_EQ(plat::DriveType(drives[i]), plat::kDriveRemovable) << drives[i];
    if (i > 0) {
      EXPECT_LT(drives[i - 1], drives[i]);
    }
  }
  testenv::ReleaseFloppy();
  ScratchFolder dir;  // on a fixed drive
  EXPECT_EQ(std::count(drives.begin(), drives.end(), dir.path.substr(0, 3)), 0);
}
