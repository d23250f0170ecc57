// Walks that only the Linux emulation can set up: paths beyond what the
// platform takes, and a folder that contains itself.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "frame/files/file_info.h"
#include "frame/platform/emulation.h"
#include "frame/platform/platform.h"
#include "tests/support/test_env.h"

using namespace kst;

TEST(WalkFolderPosix, PathsTooLongForThePlatformAreSkippedAndCounted) {
  testenv::ScratchFolder dir;
  ASSERT_LT(dir.path.size(), 100u);
  // A folder whose own path fits, holding a file that fits, one that does
  // not, and a subfolder that does not.
  const std::string wide = dir.path + "\\" + std::string(230 - dir.path.size(), 'w');
  ASSERT_TRUE(plat::CreateFolder(wide) && plat::CreateFolder(wide + "\\" + std::string(40, 's')));
  ASSERT_TRUE(testenv::WriteFile(wide + "\\short.txt", "12"));
  ASSERT_TRUE(testenv::WriteFile(wide + "\\" + std::string(40, 'l') + ".txt", "1234"));
  ASSERT_TRUE(testenv::WriteFile(wide + "\\" + std::string(40, 's') + "\\x", "1"));
  std::vector<std::string> seen;
  WalkTotals totals;
  EXPECT_TRUE(WalkFolder(dir.path, "*.*", true, [&](const std::string& folder, const FileInfo& info) {
    EXPECT_LT((folder + info.name).size(), 260u);
    seen.push_back(info.name);
    return true;
  }, totals));
  EXPECT_EQ(seen, std::vector<std::string>{"short.txt"});
  EXPECT_EQ(totals.skipped, 2);
  EXPECT_EQ(totals.bytes, 2);
}

TEST(WalkFolderPosix, AFolderThatContainsItselfEnds) {
  // A long name, so that the path limit comes before the host's limit of
  // 40 symbolic links in one path.
  const std::string loop = "loop_loop_loop_loop_";
  testenv::ScratchFolder dir;
  ASSERT_TRUE(testenv::WriteFile(dir.Path("f.txt"), "abc"));
  const std::string host = plat::EmuHostPath(dir.path) + "/" + loop;
  ASSERT_EQ(symlink(".", host.c_str()), 0);
  WalkTotals totals;
  int seen = 0;
  WalkFolder(dir.path, "*.*", true, [&](const std::string&, const FileInfo&) { return ++seen < 10000; }, totals);
  unlink(host.c_str());
  EXPECT_GE(seen, 2);  // f.txt, and again through the loop
  EXPECT_LT(seen, 10000);
  // The path length ends it, and always before the depth limit could.
  EXPECT_GE(totals.skipped, 1) << seen << " files, " << totals.folders << " folders";
  EXPECT_LT(totals.folders, kWalkDepthLimit);
}
