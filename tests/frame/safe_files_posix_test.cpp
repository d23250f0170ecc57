// The shared safety helpers: renames that never replace, "inside" decided
// by object through links, partial leftovers and prompts that give up.
#include <gtest/gtest.h>
#include <unistd.h>

#include "frame/files/folders.h"
#include "frame/files/partial_files.h"
#include "frame/platform/emulation.h"
#include "frame/platform/platform.h"
#include "frame/threads/prompt_repeats.h"
#include "tests/support/test_env.h"

using namespace kst;
using testenv::ReadFile;
using testenv::ScratchFolder;
using testenv::WriteFile;

TEST(SafeFilesPosix, RenameNeverReplacesAndPartialsAreOwnLeftovers) {
  ScratchFolder dir;
  ASSERT_TRUE(WriteFile(dir.Path("a"), "new"));
  ASSERT_TRUE(WriteFile(dir.Path("b"), "user's"));
  EXPECT_FALSE(plat::RenameFile(dir.Path("a"), dir.Path("b")));
  EXPECT_EQ(plat::LastError(), uint32_t{plat::kErrAlreadyExists});
  EXPECT_EQ(ReadFile(dir.Path("b")), "user's");
  EXPECT_TRUE(plat::RenameFile(dir.Path("a"), dir.Path("c")));
  EXPECT_FALSE(plat::PathExists(dir.Path("a")));

  ASSERT_TRUE(WriteFile(PartialNameOf(dir.Path("big.bin.002")), "half"));
  ASSERT_TRUE(WriteFile(dir.Path("big.bin.001"), "whole"));
  ASSERT_TRUE(WriteFile(dir.Path("other.~ks"), "not ours to take"));
  EXPECT_TRUE(IsPartialName("BIG.BIN.002.~KS"));
  EXPECT_FALSE(IsPartialName(".~ks"));
  EXPECT_EQ(RemovePartialLeftovers(dir.path, "big.bin.*"), 1);
  EXPECT_TRUE(plat::PathExists(dir.Path("big.bin.001")));
  EXPECT_TRUE(plat::PathExists(dir.Path("other.~ks")));
}

TEST(SafeFilesPosix, InsideIsDecidedByObjectThroughLinks) {
  ScratchFolder dir;
  ASSERT_TRUE(plat::CreateFolder(dir.Path("dest")));
  ASSERT_TRUE(plat::CreateFolder(dir.Path("dest\\sub")));
  ASSERT_TRUE(plat::CreateFolder(dir.Path("other")));
  const std::string host = plat::EmuHostPath(dir.path);
  ASSERT_EQ(symlink((host + "/dest/sub").c_str(), (host + "/other/link").c_str()), 0);
  EXPECT_TRUE(IsWithinFolder(dir.Path("dest\\sub"), dir.Path("dest")));
  EXPECT_TRUE(IsWithinFolder(dir.Path("other\\link"), dir.Path("dest")));
  EXPECT_FALSE(IsWithinFolder(dir.Path("dest"), dir.Path("dest\\sub")));
  EXPECT_FALSE(IsWithinFolder(dir.Path("other"), dir.Path("dest")));
}

TEST(SafeFilesPosix, APromptGivesUpOnTheThirdUnchangedAnswer) {
  PromptRepeats r;
  EXPECT_FALSE(GivesUp(&r, "empty"));
  EXPECT_FALSE(GivesUp(&r, "empty"));
  EXPECT_FALSE(GivesUp(&r, "one file"));  // something changed: count again
  EXPECT_FALSE(GivesUp(&r, "one file"));
  EXPECT_TRUE(GivesUp(&r, "one file"));
}
