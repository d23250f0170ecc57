#include <gtest/gtest.h>

#include "frame/files/folders.h"
#include "frame/files/typed_path.h"
#include "frame/platform/platform.h"
#include "tests/support/test_env.h"

using namespace kst;
using testenv::ScratchFolder;

TEST(MakeFolderPathTest, MakesTheMissingFoldersParentsFirstAndFailsWhereNoFolderCanBe) {
  ScratchFolder dir;
  ASSERT_TRUE(plat::CreateFolder(dir.Path("one")));
  // The second time it is already there; a drive root is there always.
  for (const std::string& path : {dir.Path("one\\two\\three"), dir.Path("one\\two\\three"), dir.Path("x\\y\\   "),
                                  dir.path.substr(0, 3)})
    EXPECT_TRUE(MakeFolderPath(path)) << path;
  EXPECT_TRUE(IsFolder(dir.Path("one\\two\\three")) && IsFolder(dir.Path("x\\y")));

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
  struct Case { std::string path, name, folder; } cases[] = {
      {dir.Path("file.txt") + "   ", "file.txt", dir.path},
      {dir.Path("sub"), "", dir.Path("sub")},  // an existing folder is whole
      {dir.Path("sub") + "\\", "", dir.Path("sub")},
      {missing + "\\dir\\x.bin", "x.bin", missing + "\\dir"},
      {missing + "\\x.bin", "x.bin", missing + "\\"},
      {root.substr(0, 2), "", root},
      {"plain.txt", "plain.txt", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(FileNameOf(c.path) + "|" + FolderOf(c.path), c.name + "|" + c.folder) << c.path;
  EXPECT_EQ(JoinPath("C:\\", "a") + JoinPath("C:\\d\\  ", "a"), "C:\\aC:\\d\\a");
}

TEST(TypedPathsAndNames, QuotesBlanksAndSlashesAreTakenOffAndNamesWindowsCannotHoldAreFound) {
  struct Case { const char* typed; const char* path; } cases[] = {
      {"  \"C:\\x y\\f.bin\"\t ", "C:\\x y\\f.bin"},  // "Copy as path"
      {"\" C:\\x\\ \"", "C:\\x\\"}, {"\"D:/out\"", "D:\\out"}, {"\"\"", ""},
      {"\"C:\\a\"b\"", "C:\\a\"b"},  // one pair only
      {"\"C:\\open", "\"C:\\open"},  // not a pair
  };
  for (const Case& c : cases) EXPECT_EQ(TypedPath(c.typed), c.path) << c.typed;

  struct NameCase { std::string name; NameFault fault; } names[] = {
      {"movie.avi", NameFault::None},     {"caf\xE9 100%!&^.bin", NameFault::None}, {".hidden", NameFault::None},
      {"", NameFault::Empty},             {"a\nb.bin", NameFault::Control},  {"tab\t.bin", NameFault::Control},
      {"x\".bin", NameFault::Reserved},   {"C:x", NameFault::Reserved},
      {"x?.bin", NameFault::Reserved},  // what an ANSI program gets for a character it cannot carry
      {"a\\b.bin", NameFault::Separator}, {"a/b.bin", NameFault::Separator},
      {"x.bin ", NameFault::TrailingBlank}, {"x.bin.", NameFault::TrailingDot},
  };
  for (const NameCase& c : names) EXPECT_EQ(CheckWindowsName(c.name), c.fault) << c.name;
}
