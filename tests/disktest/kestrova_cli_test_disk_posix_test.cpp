// kestrova-cli test-disk on folders standing for disks.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/cli_run_posix.h"

namespace {

namespace fs = std::filesystem;

// Disk 2 goes in for new-disk 2 (disk 1 onto the stack); for the read-back
// the disk asked for comes back in. SPOIL=k changes a byte of disk k.
const char kSwapper[] =
    "#!/bin/sh\n"
    "echo \"$KESTROVA_PROMPT $KESTROVA_DISK\" >>log\n"
    "out=1; [ \"$KESTROVA_PROMPT $KESTROVA_DISK\" = 'new-disk 2' ] || out=2\n"
    "[ \"$KESTROVA_PROMPT $KESTROVA_DISK\" = 'new-disk 1' ] && exit 0\n"
    "[ \"$KESTROVA_PROMPT $KESTROVA_DISK\" = 'verify-disk 2' ] && out=1\n"
    "mv disk/* stack/$out/ 2>/dev/null\n"
    "[ \"$KESTROVA_PROMPT\" = verify-disk ] && mv stack/$KESTROVA_DISK/* disk/\n"
    "if [ \"$KESTROVA_PROMPT $KESTROVA_DISK\" = \"verify-disk $SPOIL\" ]; then printf '\\377' |"
    " dd of=\"$(ls disk/* | head -1)\" bs=1 seek=1000 conv=notrunc 2>/dev/null; fi\n"
    "exit 0\n";

using CliTestDisk = testenv::CliTest;

TEST_F(CliTestDisk, ExitsZeroOnlyForTwoDisksReadBackEqual) {
  for (const char* folder : {"disk", "full", "stack/1", "stack/2", "tmp"}) fs::create_directories(host + "/" + folder);
  ASSERT_TRUE(testenv::WriteFile(scratch.Path("swap.sh"), kSwapper));
  fs::permissions(host + "/swap.sh", fs::perms::owner_all);
  auto Empty = [this](const char* folder) { return fs::is_empty(host + "/" + folder); };
  ASSERT_TRUE(testenv::WriteFile(scratch.Path("full\\mine.txt"), "mine"));
  const std::string swapped = " --disk-size 200000 --new-disk-command ./swap.sh";
  const struct { std::string arguments, spoil; int exit; const char* says; } cases[] = {
      {"disk" + swapped, "", 0, "both disks read back equal (200000 and 200000 bytes)\n"},
      {"disk" + swapped, "1", 1, "flaws found: disk 1 differs at byte 1001; disk 2 read back equal\n"},
      {"disk", "", 2, "a folder stands for a disk only with --disk-size N"},
      {"missing --disk-size 1000", "", 2, "missing: no such folder"},
      {"full --disk-size 1000 --new-disk-command true", "", 2, "full holds 1 file; a disk to test must be empty"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Run("test-disk " + c.arguments, "", "export SPOIL=" + c.spoil + " TMPDIR='" + host + "/tmp';"), c.exit)
        << said;
    EXPECT_NE(said.find(c.says), std::string::npos) << c.arguments << ": " << said;
    EXPECT_TRUE(Empty("disk") && Empty("stack/1") && Empty("stack/2") && Empty("tmp")) << c.arguments;
  }
  EXPECT_EQ(testenv::ReadFile(scratch.Path("log")),
            "new-disk 1\nnew-disk 2\nverify-disk 1\nverify-disk 2\n"
            "new-disk 1\nnew-disk 2\nverify-disk 1\nverify-disk 2\n");
  EXPECT_EQ(testenv::ReadFile(scratch.Path("full\\mine.txt")), "mine");
}

}  // namespace
