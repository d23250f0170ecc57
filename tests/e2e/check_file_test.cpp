// The check file across floppies: a file backed up onto A: by Split &/Or
// Copy gets <name>.SFV beside its batch on the last disk, one CRC-32 per
// split; a byte of split 2 goes bad on its disk while it is out, Copy &/Or
// Join shows that split as Damaged and says so, and a good copy of the disk
// fed afterwards completes the join, byte for byte.
#include <cstdio>

#include "tests/e2e/command_center_steps.h"
#include "tests/e2e/disk_swaps.h"

namespace {

using namespace cc_steps;
using namespace e2e;

const char kDamagedHeading[] = "Damaged Split!";

// "<split> <CRC-32 of zip and gzip, in hex>", the CRC taken a bit at a time: slow, and sure.
std::string SfvLine(const std::string& split, const std::string& bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char c : bytes) {
    crc ^= c;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(~crc));
  return split + " " + hex + "\r\n";
}

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

  // The check file lies with the batch on the last disk only, and lists
  // each split's sum as its bytes are on the disks.
  std::vector<std::string> splits;
  std::string lines;
  for (int k = 1; k <= disks; ++k) {
    const std::string name = "big.bin.00" + std::to_string(k);
    splits.push_back(ReadBytes(stack.Disk(k) + "\\" + name));
    lines += SfvLine(name, splits.back());
    EXPECT_EQ(FileExists(stack.Disk(k) + "\\big.bin.SFV"), k == disks) << "disk " << k;
  }
  ASSERT_TRUE(splits[0] + splits[1] + splits[2] == big) << "the splits do not hold the file";
  EXPECT_TRUE(FileExists(stack.Disk(disks) + "\\big.bin.BAT"));
  const std::string sfv = ReadBytes(stack.Disk(disks) + "\\big.bin.SFV");
  ASSERT_EQ(sfv.rfind(";", 0), 0u) << sfv;
  EXPECT_EQ(sfv.substr(sfv.find("\r\n") + 2), lines);

  // A good copy of disk 2 is kept as disk 4; then the 1000th byte of its
  // split goes bad on disk 2 while it is out.
  ASSERT_TRUE(CreateDirectoryA(stack.Disk(4).c_str(), nullptr));
  for (const std::string& name : NamesIn(stack.Disk(2)))
    ASSERT_TRUE(WriteBytes(stack.Disk(4) + "\\" + name, ReadBytes(stack.Disk(2) + "\\" + name)));
  std::string bad = splits[1];
  bad[999] ^= 0x5A;
  ASSERT_TRUE(WriteBytes(stack.Disk(2) + "\\big.bin.002", bad));

  // The restore, fed disks 1 to 3: split 2 is found Damaged and the person
  // is told which split it is.
  dialog = session->Open(IDC_CC_COPY_OR_JOIN, "Copy &/Or Join - Restoring where Others won't!");
  ASSERT_TRUE(dialog);
  const std::string destination = Path("back");
  TypeInCombo(dialog, IDC_CJ_DEST, destination);
  Click(Control(dialog, IDC_CJ_CREATE));
  TypeInCombo(dialog, IDC_CJ_ORIGIN, "A:\\");
  Click(Control(dialog, IDC_CJ_GO));
  ASSERT_EQ(FeedDisks(stack, {1, 2, 3}, kDamagedHeading), 3);
  std::string message;
  ASSERT_TRUE(FindQuestion(kDamagedHeading, 60000)) << "the damaged split was not told";
  ASSERT_TRUE(AnswerQuestion(kDamagedHeading, IDOK, &message));
  EXPECT_EQ(message.rfind("The split " + destination + "\\big.bin.002 doesn't hold", 0), 0u) << message;
  EXPECT_NE(message.find("It came from A:\\big.bin.002, disk 2."), std::string::npos) << message;
  auto onlyRow = [&](const std::string& tail) {
    const std::vector<std::string> rows = ListRows(dialog, IDC_CJ_LIST);
    return rows.size() == 1 && rows[0].rfind(destination + "\\big.bin -- ", 0) == 0 && EndsWith(rows[0], tail);
  };
  EXPECT_TRUE(WaitUntil([&] { return onlyRow(" -- Not Joined -- Damaged"); }, 10000, "damaged-row"))
      << testing::PrintToString(ListRows(dialog, IDC_CJ_LIST));
  Shot(dialog, "check-file-damaged");

  // The good copy, fed at the next prompt, takes the damaged split's place
  // and the join goes on to the end; at the prompt after it the person stops.
  ASSERT_EQ(FeedDisks(stack, {4}, kDamagedHeading, [&](HWND, int) { ASSERT_GE(stack.TakeOut(3), 0); }), 1);
  HWND prompt = WaitWindow("New Disk Please!", 60000);
  ASSERT_TRUE(prompt);
  ASSERT_GE(stack.TakeOut(4), 0);
  PostClick(Control(prompt, IDC_PR_ABORT));
  ASSERT_TRUE(AnswerQuestion("Abort Action - The Big Question...", IDYES));
  ASSERT_TRUE(WaitUntil([&] { return Text(dialog, IDC_CJ_GO) == "Feed &Me"; }, 30000, "restore-idle"));
  ASSERT_TRUE(WaitUntil([&] { return onlyRow(" -- Joined"); }, 30000, "check-file-joined"))
      << testing::PrintToString(ListRows(dialog, IDC_CJ_LIST));
  EXPECT_TRUE(ReadBytes(destination + "\\big.bin") == big) << "the joined file differs from its source";
  EXPECT_TRUE(ReadBytes(stack.Disk(2) + "\\big.bin.002") == bad) << "the damaged split is left as it was";
}

}  // namespace
