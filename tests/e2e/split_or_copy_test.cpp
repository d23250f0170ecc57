// Split &/Or Copy as a person uses it: files dropped on the list, the
// floppy A: and a temporary folder chosen, Go, a fresh disk at every
// prompt, the verification fed the stack back out of order with a bad
// byte on one disk, the rows' states, and the big file joined again from
// the gathered disks by its own batch. Also Auto Erase into a folder of
// the floppy, and the refusals a person meets.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
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
using e2e::QuestionShown;
using e2e::ReadBytes;
using e2e::TypeInCombo;
using e2e::WriteBytes;

const char kTitle[] = "Split &/Or Copy - Backing Up where Others won't!";
const char kPromptTitle[] = "New Disk Please!";
const char kDrive[] = "A:\\";

std::string Text(HWND dialog, int id) { return e2e::ItemText(dialog, id); }
std::vector<std::string> Rows(HWND dialog) { return e2e::ListRows(dialog, IDC_SC_LIST); }

bool WaitIdle(HWND dialog, DWORD ms = 30000) {
  return e2e::WaitUntil([&] { return Text(dialog, IDC_SC_GO) == "&Go"; }, ms, "split-or-copy-idle");
}

struct SplitOrCopyWindow : ::testing::Test {
  void SetUp() override {
    session = std::make_unique<Session>(e2e::FreshFolder(test()));
    ASSERT_TRUE(session->center);
    dialog = session->Open(IDC_CC_SPLIT_OR_COPY, kTitle);
    ASSERT_TRUE(dialog);
    temporary = session->folder + "\\tmp";
    ASSERT_TRUE(CreateDirectoryA(temporary.c_str(), nullptr));
  }
  void TearDown() override {
    if (session && session->center) session->ExitWithYes();
  }
  static std::string test() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }
  // Writes the files and drops them on the list.
  void AddFiles(const std::vector<std::pair<std::string, std::string>>& files) {
    std::vector<std::string> paths;
    for (const auto& [name, bytes] : files) {
      paths.push_back(session->folder + "\\" + name);
      ASSERT_TRUE(WriteBytes(paths.back(), bytes));
    }
    ASSERT_TRUE(e2e::DropFiles(session->program, dialog, IDC_SC_LIST, paths));
    ASSERT_TRUE(e2e::WaitUntil([&] { return Rows(dialog).size() == paths.size(); }, 5000, "rows"));
  }
  std::unique_ptr<Session> session;
  HWND dialog = nullptr;
  std::string temporary;
};

TEST_F(SplitOrCopyWindow, CarriesTwoFilesOntoFloppiesVerifiesThemRedoesABadPieceAndTheBatchJoinsTheBigOne) {
  if (const std::string why = e2e::WhyNoFloppy(); !why.empty()) GTEST_SKIP() << why;
  e2e::DiskStack stack;
  ASSERT_TRUE(e2e::StackBesideDriveA(session->folder + "\\stack", &stack)) << "A: starts empty";

  const std::string big = Pattern(3000000, 1), small = Pattern(1000, 2);
  AddFiles({{"big.bin", big}, {"small.txt", small}});
  std::vector<std::string> rows = Rows(dialog);
  EXPECT_EQ(rows[0], session->folder + "\\big.bin -- 3000000 -- Not Done -- 0/0");
  EXPECT_EQ(rows[1], session->folder + "\\small.txt -- 1000 -- Not Done -- 0/0");
  EXPECT_EQ(Text(dialog, IDC_SC_FILES), "2");
  EXPECT_EQ(Text(dialog, IDC_SC_TOTAL), "3001000");
  EXPECT_EQ(Text(dialog, IDC_SC_DISKS), "3") << "1457664-byte disks without a margin";

  TypeInCombo(dialog, IDC_SC_DEST, kDrive);
  TypeInCombo(dialog, IDC_SC_TEMP, temporary);
  Shot(dialog, "split-or-copy-ready");
  e2e::Click(e2e::Control(dialog, IDC_SC_GO));

  // A fresh disk at every prompt: the full one goes onto the stack.
  const int disks = e2e::FillDisks(stack, "A Very Verifying Question... :)", 6, [&](HWND prompt, int disk) {
    EXPECT_EQ(Text(prompt, IDC_ND_TEXT), "Insert new disk in drive A:, so that the copying may continue!");
    if (disk > 1) return;
    EXPECT_EQ(Text(dialog, IDC_SC_GO), "&Pause");
    EXPECT_FALSE(IsWindowEnabled(e2e::Control(dialog, IDC_SC_ADD))) << "the list is locked while it runs";
    Shot(prompt, "split-or-copy-new-disk");
  });
  ASSERT_EQ(disks, 3);
  ASSERT_TRUE(AnswerQuestion("A Very Verifying Question... :)", IDYES));

  // A byte of the middle piece goes bad on its disk: the 1000th of big.bin.002.
  const std::string bad = stack.Disk(2) + "\\big.bin.002";
  // The pieces fill the disks, so where the second begins is the first's size.
  const size_t offset = ReadBytes(stack.Disk(1) + "\\big.bin.001").size();
  std::string piece = ReadBytes(bad);
  ASSERT_GT(piece.size(), 999u);
  ASSERT_TRUE(piece == big.substr(offset, piece.size()));
  piece[999] ^= 0x5A;
  ASSERT_TRUE(WriteBytes(bad, piece));

  // The verification asks for the stack back; it is fed in another order,
  // the bad disk last, whose piece the comparison then finds wanting.
  const std::vector<int> order = {3, 1, 2};
  const int fed = e2e::FeedDisks(stack, order, "Verifying Does Pay off, doesn't it!", [&](HWND prompt, int) {
    EXPECT_EQ(Text(prompt, IDC_ND_TEXT).rfind("Insert a disk from your stack of disks", 0), 0u);
    EXPECT_FALSE(IsWindowVisible(e2e::Control(prompt, IDC_ND_ERASE))) << "no erasing while verifying";
  });
  ASSERT_EQ(fed, disks) << "the verification asked for fewer disks than were filled";
  std::string message;
  ASSERT_TRUE(AnswerQuestion("Do Over this file/split!! :(", IDOK, &message));
  EXPECT_EQ(message, "At position 1000 of the file A:\\big.bin.002, isn't equal to the file in the removable disk!");
  ASSERT_TRUE(AnswerQuestion("Verifying Does Pay off, doesn't it!", IDOK, &message));
  EXPECT_EQ(message, "There is(are) 1 split(s) that has(ve) to be redone! Look later at the list.");
  ASSERT_TRUE(AnswerQuestion("Do Over files!! :(", IDOK, &message));
  EXPECT_EQ(message,
            "There were files that had some problems, so please do not erase the splits that were created in the "
            "previous Temporary Folder...\r\nbecause they are the temporary files that you will have to copy again, "
            "since they didn't get in the disks before!!\r\nA new Temporary Folder has been created and selected to "
            "allow the remaining temporary splits to be copied without hassle!");
  ASSERT_TRUE(AnswerQuestion("Asking you...", IDNO)) << "keep the verified files listed";
  ASSERT_TRUE(WaitIdle(dialog));
  ASSERT_GE(stack.TakeOut(order.back()), 0);

  // The bad piece is cut again from the source into the temporary folder
  // and listed for the next run; a new temporary folder is chosen for it.
  rows = Rows(dialog);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], session->folder + "\\big.bin -- 3000000 -- Done -- 2/3");
  EXPECT_EQ(rows[1], session->folder + "\\small.txt -- 1000 -- Done -- 1/1");
  const std::string redone = temporary + "\\big.bin.002";
  EXPECT_EQ(rows[2], redone + " -- " + std::to_string(piece.size()) + " -- Not Done -- 0/0 -- Temporary");
  EXPECT_TRUE(ReadBytes(redone) == big.substr(offset, piece.size())) << "the redone piece differs from the source";
  EXPECT_EQ(Text(dialog, IDC_SC_TEMP).rfind(temporary + "\\KST", 0), 0u) << Text(dialog, IDC_SC_TEMP);
  EXPECT_EQ(Text(dialog, IDC_SC_DONE), "3");
  EXPECT_EQ(Text(dialog, IDC_SC_DLEFT), std::to_string((piece.size() + 1457663) / 1457664))
      << "the redone piece is left to carry, on disks of 1457664 bytes";
  EXPECT_TRUE(IsWindowEnabled(e2e::Control(dialog, IDC_SC_ADD)));
  Shot(dialog, "split-or-copy-verified");

  // The list dialog shows the same rows; the big file's splits are all
  // read back and safe, and their sizes add up to the file.
  e2e::PostClick(e2e::Control(dialog, IDC_SC_LISTS));
  HWND lists = e2e::WaitWindow("Transport List - Split &/Or Copy");
  ASSERT_TRUE(lists);
  HWND listRows = e2e::Control(lists, IDC_TL_LIST);
  ASSERT_EQ(e2e::ListCount(listRows), 3);
  EXPECT_EQ(e2e::ListText(listRows, 0), rows[0]);
  EXPECT_EQ(e2e::ListText(listRows, 2), rows[2]);
  EXPECT_EQ(Text(lists, IDC_TL_TOTAL), std::to_string(3001000 + piece.size()));
  SendMessageA(listRows, LB_SETSEL, TRUE, 0);
  e2e::PostClick(e2e::Control(lists, IDC_TL_VIEW_SPLITS));
  HWND splits = e2e::WaitWindow("Splits of the Selected File");
  ASSERT_TRUE(splits);
  EXPECT_EQ(Text(splits, IDC_SL_COUNT), "3");
  HWND splitRows = e2e::Control(splits, IDC_SL_LIST);
  int64_t carried = 0;
  for (int i = 0; i < e2e::ListCount(splitRows); ++i) {
    std::string row = e2e::ListText(splitRows, i);
    const std::string tail = i == 1 ? " -- Not Safe -- Copied" : " -- Safe -- Copied";
    ASSERT_GT(row.size(), tail.size());
    EXPECT_EQ(row.substr(row.size() - tail.size()), tail) << row;
    EXPECT_EQ(row.rfind(std::string("A:\\big.bin.00") + std::to_string(i + 1) + " -- ", 0), 0u) << row;
    size_t size = row.find(" -- ") + 4;
    carried += _atoi64(row.substr(size, row.find(" -- ", size) - size).c_str());
  }
  EXPECT_EQ(carried, 3000000);
  Shot(splits, "split-or-copy-split-list");
  e2e::PostClick(e2e::Control(splits, IDC_LD_CLOSE));
  ASSERT_TRUE(e2e::WaitGone(splits));
  e2e::PostClick(e2e::Control(lists, IDC_LD_CLOSE));
  ASSERT_TRUE(e2e::WaitGone(lists));

  // The gathered disks, the bad piece replaced by the redone one, join
  // again with nothing but the batch.
  const std::string gathered = session->folder + "\\gathered";
  for (int k = 1; k <= disks; ++k)
    ASSERT_GT(e2e::MoveDiskFiles(stack.Disk(k), gathered), 0);
  EXPECT_EQ(ReadBytes(gathered + "\\small.txt"), small) << "a file that fits goes whole, unnumbered";
  ASSERT_TRUE(FileExists(gathered + "\\big.bin.BAT"));
  ASSERT_TRUE(CopyFileA(redone.c_str(), (gathered + "\\big.bin.002").c_str(), FALSE));
  // The batch joins first, then asks whether the pieces go: No keeps them.
  ASSERT_TRUE(e2e::RunBatch(gathered, "big.bin.BAT", "N\r\n", 60000));
  EXPECT_TRUE(FileExists(gathered + "\\big.bin.001"));
  EXPECT_TRUE(ReadBytes(gathered + "\\big.bin") == big) << "the joined file differs from the one carried";
}

TEST_F(SplitOrCopyWindow, LoadIsRefusedWhileARunGoesAndAClosedPromptOrAnAbortEndsIt) {
  AddFiles({{"data.bin", Pattern(5000, 4)}});
  TypeInCombo(dialog, IDC_SC_DEST, kDrive);
  TypeInCombo(dialog, IDC_SC_TEMP, temporary);
  e2e::Click(e2e::Control(dialog, IDC_SC_GO));
  HWND prompt = e2e::WaitWindow(kPromptTitle);
  ASSERT_TRUE(prompt);
  // Load is locked while the run goes; a press that gets through is refused.
  EXPECT_FALSE(IsWindowEnabled(e2e::Control(dialog, IDC_SC_LOAD1)));
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SC_LOAD1, BN_CLICKED),
               reinterpret_cast<LPARAM>(e2e::Control(dialog, IDC_SC_LOAD1)));
  std::string message;
  ASSERT_TRUE(AnswerQuestion("Two Files necessary!", IDOK, &message));
  EXPECT_EQ(message,
            "Cannot load while copying is in progress.\r\nTo load, abort current copying process.\r\nCan't alter the "
            "list with Save List files during copying!");
  EXPECT_EQ(Rows(dialog).size(), 1u);
  EXPECT_TRUE(IsWindowVisible(prompt)) << "the run goes on";
  PostMessageA(prompt, WM_CLOSE, 0, 0);
  ASSERT_TRUE(e2e::WaitGone(prompt));
  ASSERT_TRUE(WaitIdle(dialog, 5000)) << "the run ends as an abort, no question asked";
  EXPECT_FALSE(QuestionShown("Abort Action - The Big Question...")) << "a close asks nothing";
  EXPECT_EQ(Rows(dialog)[0], session->folder + "\\data.bin -- 5000 -- Not Done -- 0/0");
  EXPECT_FALSE(FileExists(std::string(kDrive) + "data.bin"));

  // Abort in the window while a prompt waits: Yes closes the prompt too.
  e2e::Click(e2e::Control(dialog, IDC_SC_GO));
  prompt = e2e::WaitWindow(kPromptTitle);
  ASSERT_TRUE(prompt);
  e2e::PostClick(e2e::Control(dialog, IDC_SC_HIDE));
  ASSERT_TRUE(AnswerQuestion("Abort Action - The Big Question...", IDYES));
  EXPECT_TRUE(e2e::WaitGone(prompt));
  ASSERT_TRUE(WaitIdle(dialog, 5000));
  EXPECT_EQ(Rows(dialog)[0], session->folder + "\\data.bin -- 5000 -- Not Done -- 0/0");
}

TEST_F(SplitOrCopyWindow, ADiskThatIsNotEmptyIsShownAndKeptWhenThePersonAborts) {
  const std::string stray = std::string(kDrive) + "stray.txt";
  ASSERT_TRUE(WriteBytes(stray, Pattern(4096, 5)));
  AddFiles({{"data.bin", Pattern(5000, 6)}});
  TypeInCombo(dialog, IDC_SC_DEST, kDrive);
  TypeInCombo(dialog, IDC_SC_TEMP, temporary);
  e2e::Click(e2e::Control(dialog, IDC_SC_GO));
  HWND prompt = e2e::WaitWindow(kPromptTitle);
  ASSERT_TRUE(prompt);
  e2e::PostClick(e2e::Control(prompt, IDC_PR_GO));
  HWND busy = e2e::WaitWindow("This Disk doesn't look like to be empty!");
  ASSERT_TRUE(busy);
  EXPECT_EQ(Text(busy, IDC_NE_DRIVE), "A:");
  EXPECT_EQ(Text(busy, IDC_NE_FILES), "1");
  EXPECT_LT(_atoi64(Text(busy, IDC_NE_FREE).c_str()), _atoi64(Text(busy, IDC_NE_TOTAL).c_str()));
  EXPECT_FALSE(e2e::IsChecked(e2e::Control(busy, IDC_NE_ERASE)));
  // In front within seconds: on a Wine prefix booted moments before, the
  // window manager can take more than 3 s to hand the focus over.
  EXPECT_TRUE(e2e::WaitUntil([&] { return GetForegroundWindow() == busy; }, 10000, "not-empty-in-front"));
  Sleep(200);  // the screen catches up with the new window
  Shot(busy, "split-or-copy-not-empty");
  e2e::PostClick(e2e::Control(busy, IDC_PR_ABORT));
  ASSERT_TRUE(AnswerQuestion("Abort Action - The Big Question...", IDYES));
  EXPECT_TRUE(e2e::WaitGone(busy));
  ASSERT_TRUE(WaitIdle(dialog, 5000));
  EXPECT_TRUE(FileExists(stray)) << "nothing is erased without Auto Erase";
  EXPECT_FALSE(FileExists(std::string(kDrive) + "data.bin"));
  DeleteFileA(stray.c_str());
}

TEST_F(SplitOrCopyWindow, AutoEraseEmptiesTheDiskAndCarriesIntoTheDestinationFolder) {
  const std::string stray = std::string(kDrive) + "stray.txt";
  ASSERT_TRUE(WriteBytes(stray, Pattern(4096, 7)));
  const std::string data = Pattern(5000, 8);
  AddFiles({{"data.bin", data}});
  TypeInCombo(dialog, IDC_SC_DEST, "A:\\backup");
  TypeInCombo(dialog, IDC_SC_TEMP, temporary);
  e2e::Click(e2e::Control(dialog, IDC_SC_AUTO_ERASE));
  ASSERT_TRUE(e2e::IsChecked(e2e::Control(dialog, IDC_SC_AUTO_ERASE)));
  e2e::Click(e2e::Control(dialog, IDC_SC_GO));
  HWND prompt = e2e::WaitWindow(kPromptTitle);
  ASSERT_TRUE(prompt);
  EXPECT_TRUE(e2e::IsChecked(e2e::Control(prompt, IDC_ND_ERASE)));
  e2e::PostClick(e2e::Control(prompt, IDC_PR_GO));
  ASSERT_TRUE(e2e::WaitGone(prompt));
  ASSERT_TRUE(AnswerQuestion("A Very Verifying Question... :)", IDCANCEL, nullptr));
  ASSERT_TRUE(WaitIdle(dialog, 5000));
  EXPECT_FALSE(FileExists(stray)) << "the disk was erased before the copy";
  const std::string carried = "A:\\backup\\data.bin";
  EXPECT_TRUE(ReadBytes(carried) == data);
  EXPECT_FALSE(FileExists("A:\\backupdata.bin"));
  EXPECT_EQ(Rows(dialog)[0], session->folder + "\\data.bin -- 5000 -- Done -- 0/1");
  // Every file carried: the window says so, its time field too.
  EXPECT_TRUE(e2e::WaitUntil([&] {
    return Text(dialog, IDC_SC_STATUS) == "Done! Every file of the list is carried." &&
           Text(dialog, IDC_SC_TIME_SPEED) == "Done!";
  }, 3000, "carried")) << Text(dialog, IDC_SC_STATUS);
  DeleteFileA(stray.c_str());
  DeleteFileA(carried.c_str());
  RemoveDirectoryA("A:\\backup");
}

TEST_F(SplitOrCopyWindow, MovesAndRemovesSelectedRowsAndSavesAndLoadsTheList) {
  AddFiles({{"a.txt", "a"}, {"b.txt", "bb"}, {"c.txt", "ccc"}});
  HWND list = e2e::Control(dialog, IDC_SC_LIST);
  const std::string a = session->folder + "\\a.txt -- 1 -- Not Done -- 0/0";
  const std::string b = session->folder + "\\b.txt -- 2 -- Not Done -- 0/0";
  const std::string c = session->folder + "\\c.txt -- 3 -- Not Done -- 0/0";
  auto press = [&](int button, std::vector<int> selected) {
    SendMessageA(list, LB_SETSEL, FALSE, -1);
    for (int row : selected) SendMessageA(list, LB_SETSEL, TRUE, row);
    e2e::Click(e2e::Control(dialog, button));
  };
  press(IDC_SC_UP, {2});
  EXPECT_EQ(Rows(dialog), (std::vector<std::string>{c, a, b}));
  press(IDC_SC_DOWN, {0, 1});
  EXPECT_EQ(Rows(dialog), (std::vector<std::string>{b, c, a}));

  // The list goes to file 1 and comes back from it whole.
  const std::string first = session->folder + "\\one.lst", second = session->folder + "\\two.lst";
  e2e::SetText(e2e::Control(dialog, IDC_SC_SAVE_NAME1), first);
  e2e::SetText(e2e::Control(dialog, IDC_SC_SAVE_NAME2), second);
  e2e::Click(e2e::Control(dialog, IDC_SC_SAVE1));
  ASSERT_TRUE(FileExists(first));
  press(IDC_SC_REMOVE, {1});
  EXPECT_EQ(Rows(dialog), (std::vector<std::string>{b, a}));
  EXPECT_EQ(Text(dialog, IDC_SC_TOTAL), "3");
  e2e::Click(e2e::Control(dialog, IDC_SC_LOAD1));
  EXPECT_EQ(Rows(dialog), (std::vector<std::string>{b, c, a}));
  EXPECT_EQ(Text(dialog, IDC_SC_TOTAL), "6");

  SendMessageA(list, LB_SETSEL, FALSE, -1);
  e2e::PostClick(e2e::Control(dialog, IDC_SC_REMOVE));
  EXPECT_TRUE(AnswerQuestion("Nothing Selected!", IDOK));
  EXPECT_EQ(Rows(dialog).size(), 3u);
}

TEST_F(SplitOrCopyWindow, RefusesAFixedDestinationABigMarginAFileOfTheTemporaryFolderAndOneSaveFileTwice) {
  AddFiles({{"data.bin", Pattern(2700000, 3)}});
  EXPECT_EQ(Text(dialog, IDC_SC_DISKS), "2");
  const std::string destination = session->folder + "\\dest";
  TypeInCombo(dialog, IDC_SC_DEST, destination);
  TypeInCombo(dialog, IDC_SC_TEMP, temporary);
  e2e::PostClick(e2e::Control(dialog, IDC_SC_GO));
  std::string message;
  ASSERT_TRUE(AnswerQuestion("No way Mac!!!", IDOK, &message));
  EXPECT_EQ(message.rfind("Sorry Mac, but No Dice, 'cause the Destination can Only be a removable disks drive!", 0),
            0u);
  EXPECT_EQ(Text(dialog, IDC_SC_GO), "&Go") << "nothing started";
  EXPECT_FALSE(FileExists(destination));

  // 145766 bytes is 10% of a 1457664-byte disk; one more is refused.
  HWND margin = e2e::Control(dialog, IDC_SC_MARGIN);
  auto leave = [&](const char* typed) {
    e2e::SetText(margin, typed);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SC_MARGIN, EN_KILLFOCUS), reinterpret_cast<LPARAM>(margin));
  };
  leave("145766");
  EXPECT_TRUE(e2e::WaitUntil([&] { return Text(dialog, IDC_SC_DISKS) == "3"; }, 3000, "margin-kept"))
      << "2700000 bytes on disks of 1311898 bytes";
  EXPECT_EQ(Text(dialog, IDC_SC_MARGIN), "145766");
  leave("145767");
  ASSERT_TRUE(AnswerQuestion("No Deal!!", IDOK, &message));
  EXPECT_EQ(message, "This value shouldn't be below negative nor more than 10% of disk size! Resetting to Zero.");
  EXPECT_TRUE(e2e::WaitUntil([&] { return Text(dialog, IDC_SC_MARGIN) == "0"; }, 3000, "margin-reset"));

  // A file from the temporary folder is not listed.
  const std::string inTemporary = temporary + "\\cut.bin";
  ASSERT_TRUE(WriteBytes(inTemporary, "cut"));
  ASSERT_TRUE(e2e::DropFiles(session->program, dialog, IDC_SC_LIST, {inTemporary}));
  ASSERT_TRUE(AnswerQuestion("No Way, dude!", IDOK, &message));
  EXPECT_EQ(message,
            "Sorry buddy, but the temporary folder is the same as at least one of the files from the chosen to add! "
            "And that ain't gonna happen!");
  EXPECT_EQ(Rows(dialog).size(), 1u);

  // Auto save alternates between two files: one name twice is refused.
  const std::string same = session->folder + "\\list.lst";
  e2e::SetText(e2e::Control(dialog, IDC_SC_SAVE_NAME1), same);
  e2e::SetText(e2e::Control(dialog, IDC_SC_SAVE_NAME2), same);
  e2e::PostClick(e2e::Control(dialog, IDC_SC_AUTO_SAVE));
  ASSERT_TRUE(AnswerQuestion("Two Files necessary!", IDOK));
  EXPECT_TRUE(e2e::WaitUntil([&] { return !e2e::IsChecked(e2e::Control(dialog, IDC_SC_AUTO_SAVE)); }, 3000,
                             "auto-save-off"));
}

}  // namespace
