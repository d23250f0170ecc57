// The check file across floppies: a split gone bad on its disk is shown
// Damaged, and a good copy of the disk fed afterwards completes the join.
#include "tests/e2e/command_center_steps.h"
#include "tests/e2e/disk_swaps.h"

using namespace e2e;

const char kDamagedHeading[] = "Damaged Split!";

using CheckFileAcrossDisks = WindowTest;

TEST_F(CheckFileAcrossDisks, ADamagedSplitIsShownAndTheGoodCopyFedAfterItCompletesTheJoin) {
  if (const std::string why = WhyNoFloppy(); !why.empty()) GTEST_SKIP() << why;
  ASSERT_NO_FATAL_FAILURE(Begin());
  DiskStack stack;
  ASSERT_TRUE(StackBesideDriveA(Path("disks"), &stack)) << "A: starts empty";
  const std::string big = Pattern(3000000, 21);
  ASSERT_TRUE(WriteBytes(Path("big.bin"), big));
  const int disks = BackUpOntoFloppies(*session, {Path("big.bin")}, stack);
  ASSERT_EQ(disks, 3);
  EXPECT_TRUE(FileExists(stack.Disk(disks) + "\\big.bin.SFV") && FileExists(stack.Disk(disks) + "\\big.bin.BAT"));

  // A good copy of disk 2 is kept as disk 4; then a byte of split 2 goes bad.
  ASSERT_TRUE(CreateDirectoryA(stack.Disk(4).c_str(), nullptr));
  for (const std::string& name : NamesIn(stack.Disk(2)))
    ASSERT_TRUE(WriteBytes(stack.Disk(4) + "\\" + name, ReadBytes(stack.Disk(2) + "\\" + name)));
  std::string bad = ReadBytes(stack.Disk(2) + "\\big.bin.002");
  ASSERT_GT(bad.size(), 999u);
  bad[999] ^= 0x5A;
  ASSERT_TRUE(WriteBytes(stack.Disk(2) + "\\big.bin.002", bad));

  // The restore, fed disks 1 to 3: the person is told which split is Damaged.
  ASSERT_TRUE(dialog = session->Open(IDC_CC_COPY_OR_JOIN, "Copy &/Or Join - Restoring where Others won't!"));
  const std::string destination = Path("back");
  Walk(dialog, {{kCombo, IDC_CJ_DEST, destination}, {kClick, IDC_CJ_CREATE}, {kCombo, IDC_CJ_ORIGIN, kDriveA},
                {kClick, IDC_CJ_GO}});
  ASSERT_EQ(FeedDisks(stack, {1, 2, 3}, kDamagedHeading), 3);
  ASSERT_TRUE(FindQuestion(kDamagedHeading, 60000)) << "the damaged split was not told";
  const std::string message = Answered(kDamagedHeading, IDOK);
  EXPECT_EQ(message.rfind("The split " + destination + "\\big.bin.002 doesn't hold", 0), 0u) << message;
  EXPECT_NE(message.find("It came from A:\\big.bin.002, disk 2."), std::string::npos) << message;
  auto onlyRow = [&](const std::string& tail) {
    const std::vector<std::string> rows = ListRows(dialog, IDC_CJ_LIST);
    return rows.size() == 1 && rows[0].rfind(destination + "\\big.bin -- ", 0) == 0 && EndsWith(rows[0], tail);
  };
  EXPECT_TRUE(WaitUntil([&] { return onlyRow(" -- Not Joined -- Damaged"); }, 10000, "damaged-row"))
      << testing::PrintToString(ListRows(dialog, IDC_CJ_LIST));
  Shot(dialog, "check-file-damaged");

  // The good copy, fed next, takes the damaged split's place: the join ends.
  ASSERT_EQ(FeedDisks(stack, {4}, kDamagedHeading, [&](HWND, int) { ASSERT_GE(stack.TakeOut(3), 0); }), 1);
  ASSERT_NO_FATAL_FAILURE(StopAtPrompt(stack, 4));
  ASSERT_TRUE(Shows(dialog, IDC_CJ_GO, "Feed &Me"));
  ASSERT_TRUE(WaitUntil([&] { return onlyRow(" -- Joined"); }, 30000, "check-file-joined"))
      << testing::PrintToString(ListRows(dialog, IDC_CJ_LIST));
  EXPECT_TRUE(ReadBytes(destination + "\\big.bin") == big) << "the joined file differs from its source";
  EXPECT_TRUE(ReadBytes(stack.Disk(2) + "\\big.bin.002") == bad) << "the damaged split is left as it was";
}

