// The check file across floppies: a file backed up onto A: by Split &/Or
// Copy gets <name>.SFV beside its batch on the last disk, one CRC-32 per
// split; a byte of split 2 goes bad on its disk while it is out, Copy &/Or
// Join shows that split as Damaged and says so, and a good copy of the disk
// fed afterwards completes the join, byte for byte.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/e2e/command_center_steps.h"
#include "tests/e2e/disk_swaps.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/files_on_disk.h"

namespace {

using cc_steps::AnswerQuestion;
using cc_steps::FileExists;
using cc_steps::Session;
using cc_steps::Shot;
using e2e::Pattern;
using e2e::ReadBytes;
using e2e::TypeInCombo;
using e2e::WriteBytes;

const char kBackupTitle[] = "Split &/Or Copy - Backing Up where Others won't!";
const char kRestoreTitle[] = "Copy &/Or Join - Restoring where Others won't!";
const char kVerifyHeading[] = "A Very Verifying Question... :)";
const char kAbortHeading[] = "Abort Action - The Big Question...";
const char kDrive[] = "A:\\";
const char kDamagedHeading[] = "Damaged Split!";

std::string Text(HWND dialog, int id) { return e2e::ItemText(dialog, id); }

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The CRC-32 of zip and gzip, a bit at a time: slow, and sure.
uint32_t Crc32(const std::string& bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char c : bytes) {
    crc ^= c;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

std::string SfvLine(const std::string& split, const std::string& bytes) {
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(Crc32(bytes)));
  return split + " " + hex;
}

struct CheckFileAcrossDisks : ::testing::Test {
  void SetUp() override {
    session = std::make_unique<Session>(e2e::FreshFolder(test()));
    ASSERT_TRUE(session->center);
  }
  void TearDown() override {
    if (session && session->center) session->ExitWithYes();
  }
  static std::string test() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }
  std::unique_ptr<Session> session;
};

TEST_F(CheckFileAcrossDisks, ADamagedSplitIsShownAndTheGoodCopyFedAfterItCompletesTheJoin) {
  if (const std::string why = e2e::WhyNoFloppy(); !why.empty()) GTEST_SKIP() << why;
  e2e::DiskStack stack;
  ASSERT_TRUE(e2e::StackBesideDriveA(session->folder + "\\disks", &stack)) << "A: starts empty";

  // The backup: three disks, verification skipped.
  const std::string big = Pattern(3000000, 21), source = session->folder + "\\big.bin";
  ASSERT_TRUE(WriteBytes(source, big));
  HWND backup = session->Open(IDC_CC_SPLIT_OR_COPY, kBackupTitle);
  ASSERT_TRUE(backup);
  ASSERT_TRUE(e2e::DropFiles(session->program, backup, IDC_SC_LIST, {source}));
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::ListRows(backup, IDC_SC_LIST).size() == 1; }, 5000, "backup-row"));
  const std::string temporary = session->folder + "\\tmp";
  ASSERT_TRUE(CreateDirectoryA(temporary.c_str(), nullptr));
  TypeInCombo(backup, IDC_SC_DEST, kDrive);
  TypeInCombo(backup, IDC_SC_TEMP, temporary);
  e2e::Click(e2e::Control(backup, IDC_SC_GO));
  const int disks = e2e::FillDisks(stack, kVerifyHeading, 6);
  ASSERT_EQ(disks, 3);
  ASSERT_TRUE(AnswerQuestion(kVerifyHeading, IDCANCEL));
  ASSERT_TRUE(e2e::WaitUntil([&] { return Text(backup, IDC_SC_GO) == "&Go"; }, 30000, "backup-idle"));

  // The check file lies with the batch on the last disk only, and lists
  // each split's sum as its bytes are on the disks.
  std::vector<std::string> splits, lines;
  for (int k = 1; k <= disks; ++k) {
    const std::string name = "big.bin.00" + std::to_string(k);
    splits.push_back(ReadBytes(stack.Disk(k) + "\\" + name));
    lines.push_back(SfvLine(name, splits.back()));
    EXPECT_EQ(FileExists(stack.Disk(k) + "\\big.bin.SFV"), k == disks) << "disk " << k;
  }
  ASSERT_TRUE(splits[0] + splits[1] + splits[2] == big) << "the splits do not hold the file";
  EXPECT_TRUE(FileExists(stack.Disk(disks) + "\\big.bin.BAT"));
  const std::string sfv = ReadBytes(stack.Disk(disks) + "\\big.bin.SFV");
  ASSERT_EQ(sfv.rfind(";", 0), 0u) << sfv;
  EXPECT_EQ(sfv.substr(sfv.find("\r\n") + 2), lines[0] + "\r\n" + lines[1] + "\r\n" + lines[2] + "\r\n");

  // A good copy of disk 2 is kept as disk 4; then the 1000th byte of its
  // split goes bad on disk 2 while it is out.
  ASSERT_TRUE(CreateDirectoryA(stack.Disk(4).c_str(), nullptr));
  for (const std::string& name : e2e::NamesIn(stack.Disk(2)))
    ASSERT_TRUE(WriteBytes(stack.Disk(4) + "\\" + name, ReadBytes(stack.Disk(2) + "\\" + name)));
  std::string bad = splits[1];
  bad[999] ^= 0x5A;
  ASSERT_TRUE(WriteBytes(stack.Disk(2) + "\\big.bin.002", bad));

  // The restore, fed disks 1 to 3: split 2 is found Damaged and the person
  // is told which split it is.
  HWND dialog = session->Open(IDC_CC_COPY_OR_JOIN, kRestoreTitle);
  ASSERT_TRUE(dialog);
  const std::string destination = session->folder + "\\back";
  TypeInCombo(dialog, IDC_CJ_DEST, destination);
  e2e::Click(e2e::Control(dialog, IDC_CJ_CREATE));
  TypeInCombo(dialog, IDC_CJ_ORIGIN, kDrive);
  e2e::Click(e2e::Control(dialog, IDC_CJ_GO));
  ASSERT_EQ(e2e::FeedDisks(stack, {1, 2, 3}, kDamagedHeading), 3);
  std::string message;
  ASSERT_TRUE(cc_steps::FindQuestion(kDamagedHeading, 60000)) << "the damaged split was not told";
  ASSERT_TRUE(AnswerQuestion(kDamagedHeading, IDOK, &message));
  EXPECT_EQ(message.rfind("The split " + destination + "\\big.bin.002 doesn't hold", 0), 0u) << message;
  EXPECT_NE(message.find("It came from A:\\big.bin.002, disk 2."), std::string::npos) << message;
  auto damagedShown = [&] {
    const std::vector<std::string> rows = e2e::ListRows(dialog, IDC_CJ_LIST);
    return rows.size() == 1 && rows[0].rfind(destination + "\\big.bin -- ", 0) == 0 &&
           EndsWith(rows[0], " -- Not Joined -- Damaged");
  };
  EXPECT_TRUE(e2e::WaitUntil(damagedShown, 10000, "damaged-row"))
      << testing::PrintToString(e2e::ListRows(dialog, IDC_CJ_LIST));
  Shot(dialog, "check-file-damaged");

  // The good copy, fed at the next prompt, takes the damaged split's place
  // and the join goes on to the end; at the prompt after it the person stops.
  HWND prompt = e2e::WaitWindow("New Disk Please!", 60000);
  ASSERT_TRUE(prompt);
  ASSERT_GE(stack.TakeOut(3), 0);
  ASSERT_GT(stack.PutIn(4), 0);
  e2e::PostClick(e2e::Control(prompt, IDC_PR_GO));
  ASSERT_TRUE(e2e::WaitGone(prompt));
  prompt = e2e::WaitWindow("New Disk Please!", 60000);
  ASSERT_TRUE(prompt);
  ASSERT_GE(stack.TakeOut(4), 0);
  e2e::PostClick(e2e::Control(prompt, IDC_PR_ABORT));
  ASSERT_TRUE(AnswerQuestion(kAbortHeading, IDYES));
  ASSERT_TRUE(e2e::WaitUntil([&] { return Text(dialog, IDC_CJ_GO) == "Feed &Me"; }, 30000, "restore-idle"));
  ASSERT_TRUE(e2e::WaitUntil(
      [&] {
        const std::vector<std::string> rows = e2e::ListRows(dialog, IDC_CJ_LIST);
        return rows.size() == 1 && EndsWith(rows[0], " -- Joined");
      },
      30000, "check-file-joined"))
      << testing::PrintToString(e2e::ListRows(dialog, IDC_CJ_LIST));
  EXPECT_TRUE(ReadBytes(destination + "\\big.bin") == big) << "the joined file differs from its source";
  EXPECT_TRUE(ReadBytes(stack.Disk(2) + "\\big.bin.002") == bad) << "the damaged split is left as it was";
}

}  // namespace
