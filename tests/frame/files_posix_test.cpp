#include <gtest/gtest.h>
#include <unistd.h>

#include "frame/files/file_info.h"
#include "frame/files/folders.h"
#include "frame/files/partial_files.h"
#include "frame/platform/emulation.h"
#include "frame/threads/prompt_repeats.h"
#include "tests/support/test_env.h"

using namespace kst;
using testenv::ReadFile;
using testenv::ScratchFolder;
using testenv::WriteFile;

TEST(RemovableDrivesPosix, OnlyRemovableDrivesInLetterOrder) {
  const std::pair<char, uint32_t> drives[] = {
      {'M', plat::kDriveRemovable}, {'B', plat::kDriveRemovable}, {'N', plat::kDriveFixed},
      {'O', plat::kDriveCdRom},     {'P', plat::kDriveRamDisk},
  };
  for (const auto& [letter, type] : drives) plat::EmuMapDrive(letter, plat::EmulatedDrive{"/tmp", type});
  plat::EmuUnmapDrive('A');
  std::vector<std::string> found = ListRemovableDrives();
  for (const auto& entry : drives) plat::EmuUnmapDrive(entry.first);
  EXPECT_EQ(found, (std::vector<std::string>{"B:\\", "M:\\"}));
}

TEST(SafeFilesPosix, RenameNeverReplacesPartialsAreOwnLeftoversInsideIsByObjectAndPromptsGiveUp) {
  ScratchFolder dir;
  ASSERT_TRUE(WriteFile(dir.Path("a"), "new") && WriteFile(dir.Path("b"), "user's"));
  EXPECT_FALSE(plat::RenameFile(dir.Path("a"), dir.Path("b")));
  EXPECT_EQ(plat::LastError(), uint32_t{plat::kErrAlreadyExists});
  EXPECT_EQ(ReadFile(dir.Path("b")), "user's");
  EXPECT_TRUE(plat::RenameFile(dir.Path("a"), dir.Path("c")) && !plat::PathExists(dir.Path("a")));

  for (const std::string& name : {PartialNameOf("big.bin.002"), std::string("big.bin.001"), std::string("other.~ks")})
    ASSERT_TRUE(WriteFile(dir.Path(name), "x"));
  EXPECT_TRUE(IsPartialName("BIG.BIN.002.~KS") && !IsPartialName(".~ks"));
  EXPECT_EQ(RemovePartialLeftovers(dir.path, "big.bin.*"), 1);
  EXPECT_TRUE(plat::PathExists(dir.Path("big.bin.001")) && plat::PathExists(dir.Path("other.~ks")));

  PromptRepeats r;
  std::string given;  // something changed: count again
  for (const char* state : {"empty", "empty", "one file", "one file", "one file"})
    given += GivesUp(&r, state) ? 'y' : 'n';
  EXPECT_EQ(given, "nnnny");

  for (const char* folder : {"dest", "dest\\sub", "other"}) ASSERT_TRUE(plat::CreateFolder(dir.Path(folder)));
  const std::string host = plat::EmuHostPath(dir.path);
  ASSERT_EQ(symlink((host + "/dest/sub").c_str(), (host + "/other/link").c_str()), 0);
  EXPECT_TRUE(IsWithinFolder(dir.Path("dest\\sub"), dir.Path("dest")) &&
              IsWithinFolder(dir.Path("other\\link"), dir.Path("dest")));
  EXPECT_FALSE(IsWithinFolder(dir.Path("dest"), dir.Path("dest\\sub")) ||
               IsWithinFolder(dir.Path("other"), dir.Path("dest")));
}

TEST(WalkFolderPosix, PathsTooLongForThePlatformAreSkippedAndAFolderThatContainsItselfEnds) {
  testenv::ScratchFolder dir;
  ASSERT_LT(dir.path.size(), 100u);
  // A folder whose path fits, holding a file that fits, one that does not, and a subfolder that does not.
  const std::string wide = dir.path + "\\" + std::string(230 - dir.path.size(), 'w');
  ASSERT_TRUE(plat::CreateFolder(wide) && plat::CreateFolder(wide + "\\" + std::string(40, 's')));
  ASSERT_TRUE(WriteFile(wide + "\\short.txt", "12") && WriteFile(wide + "\\" + std::string(40, 'l') + ".txt", "1234"));
  ASSERT_TRUE(WriteFile(wide + "\\" + std::string(40, 's') + "\\x", "1"));
  std::vector<std::string> seen;
  WalkTotals totals;
  EXPECT_TRUE(WalkFolder(dir.path, "*.*", true, [&](const std::string& folder, const FileInfo& info) {
    EXPECT_LT((folder + info.name).size(), 260u);
    seen.push_back(info.name);
    return true;
  }, totals));
  EXPECT_EQ(seen, std::vector<std::string>{"short.txt"});
  EXPECT_EQ(totals.skipped * 10 + totals.bytes, 22);

  // A long name, so that the path limit comes before the host's limit of 40 links in one path.
  ASSERT_TRUE(WriteFile(dir.Path("f.txt"), "abc"));
  const std::string host = plat::EmuHostPath(dir.path) + "/loop_loop_loop_loop_";
  ASSERT_EQ(symlink(".", host.c_str()), 0);
  totals = WalkTotals();
  int walked = 0;
  WalkFolder(dir.path, "*.*", true, [&](const std::string&, const FileInfo&) { return ++walked < 10000; }, totals);
  unlink(host.c_str());
  // f.txt, and again through the loop, until the path length ends it: always before the depth limit could.
  EXPECT_TRUE(walked >= 2 && walked < 10000 && totals.skipped >= 1 && totals.folders < kWalkDepthLimit)
      << walked << " files, " << totals.folders << " folders, " << totals.skipped << " skipped";
}
