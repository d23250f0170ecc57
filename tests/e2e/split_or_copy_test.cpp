// Split &/Or Copy as a person uses it: files dropped on the list, the
// floppy A: and a temporary folder chosen, Go, a fresh disk at every
// prompt, the verification fed the stack back out of order with a bad
// byte on one disk, the rows' states, and the big file joined again from
// the gathered disks by its own batch. Also Auto Erase into a folder of
// the floppy, and the refusals a person meets.
#include <cstdlib>

#include "tests/e2e/command_center_steps.h"
#include "tests/e2e/disk_swaps.h"

namespace {

using namespace cc_steps;
using namespace e2e;

const char kPromptTitle[] = "New Disk Please!";
const char kAbortHeading[] = "Abort Action - The Big Question...";
const char kDrive[] = "A:\\";

std::vector<std::string> Rows(HWND dialog) { return ListRows(dialog, IDC_SC_LIST); }

struct SplitOrCopyWindow : WindowTest {
  void SetUp() override {
    Begin(IDC_CC_SPLIT_OR_COPY, "Split &/Or Copy - Backing Up where Others won't!");
    if (HasFatalFailure()) return;
    temporary = Path("tmp");
    ASSERT_TRUE(CreateDirectoryA(temporary.c_str(), nullptr));
  }
  // Writes the files, drops them on the list, and chooses the destination
  // (none when empty) and the temporary folder.
  void Ready(const std::vector<std::pair<std::string, std::string>>& files, const std::string& destination = kDrive) {
    std::vector<std::string> paths;
    for (const auto& [name, bytes] : files) {
      paths.push_back(Path(name));
      ASSERT_TRUE(WriteBytes(paths.back(), bytes));
    }
    ASSERT_TRUE(DropFiles(session->program, dialog, IDC_SC_LIST, paths));
    ASSERT_TRUE(WaitUntil([&] { return Rows(dialog).size() == paths.size(); }, 5000, "rows"));
    if (!destination.empty()) TypeInCombo(dialog, IDC_SC_DEST, destination);
    TypeInCombo(dialog, IDC_SC_TEMP, temporary);
  }
  bool WaitIdle(DWORD ms = 30000) {
    return WaitUntil([&] { return Text(dialog, IDC_SC_GO) == "&Go"; }, ms, "split-or-copy-idle");
  }
  std::string Row(const std::string& name, int size, const std::string& state) {
    return Path(name) + " -- " + std::to_string(size) + " -- " + state;
  }
  std::string temporary;
};

TEST_F(SplitOrCopyWindow, CarriesTwoFilesOntoFloppiesVerifiesThemRedoesABadPieceAndTheBatchJoinsTheBigOne) {
  if (const std::string why = WhyNoFloppy(); !why.empty()) GTEST_SKIP() << why;
  DiskStack stack;
  ASSERT_TRUE(StackBesideDriveA(Path("stack"), &stack)) << "A: starts empty";
  const std::string big = Pattern(3000000, 1), small = Pattern(1000, 2);
  ASSERT_NO_FATAL_FAILURE(Ready({{"big.bin", big}, {"small.txt", small}}));
  EXPECT_EQ(Rows(dialog), (std::vector<std::string>{Row("big.bin", 3000000, "Not Done -- 0/0"),
                                                     Row("small.txt", 1000, "Not Done -- 0/0")}));
  EXPECT_EQ(Text(dialog, IDC_SC_FILES), "2");
  EXPECT_EQ(Text(dialog, IDC_SC_TOTAL), "3001000");
  EXPECT_EQ(Text(dialog, IDC_SC_DISKS), "3") << "1457664-byte disks without a margin";
  Shot(dialog, "split-or-copy-ready");
  Click(Control(dialog, IDC_SC_GO));

  // A fresh disk at every prompt: the full one goes onto the stack.
  const int disks = FillDisks(stack, "A Very Verifying Question... :)", 6, [&](HWND prompt, int disk) {
    EXPECT_EQ(Text(prompt, IDC_ND_TEXT), "Insert new disk in drive A:, so that the copying may continue!");
    if (disk > 1) return;
    EXPECT_EQ(Text(dialog, IDC_SC_GO), "&Pause");
    EXPECT_FALSE(IsWindowEnabled(Control(dialog, IDC_SC_ADD))) << "the list is locked while it runs";
    Shot(prompt, "split-or-copy-new-disk");
  });
  ASSERT_EQ(disks, 3);
  ASSERT_TRUE(AnswerQuestion("A Very Verifying Question... :)", IDYES));

  // The 1000th byte of the middle piece goes bad on its disk. The pieces
  // fill the disks, so where the second begins is the first's size.
  const std::string bad = stack.Disk(2) + "\\big.bin.002";
  const size_t offset = ReadBytes(stack.Disk(1) + "\\big.bin.001").size();
  std::string piece = ReadBytes(bad);
  ASSERT_GT(piece.size(), 999u);
  ASSERT_TRUE(piece == big.substr(offset, piece.size()));
  piece[999] ^= 0x5A;
  ASSERT_TRUE(WriteBytes(bad, piece));

  // The verification asks for the stack back; it is fed in another order,
  // the bad disk last, whose piece the comparison then finds wanting.
  const int fed = FeedDisks(stack, {3, 1, 2}, "Verifying Does Pay off, doesn't it!", [&](HWND prompt, int) {
    EXPECT_EQ(Text(prompt, IDC_ND_TEXT).rfind("Insert a disk from your stack of disks", 0), 0u);
    EXPECT_FALSE(IsWindowVisible(Control(prompt, IDC_ND_ERASE))) << "no erasing while verifying";
  });
  ASSERT_EQ(fed, disks) << "the verification asked for fewer disks than were filled";
  std::string message;
  ASSERT_TRUE(AnswerQuestion("Do Over this file/split!! :(", IDOK, &message));
  EXPECT_EQ(message, "At position 1000 of the file A:\\big.bin.002, isn't equal to the file in the removable disk!");
  ASSERT_TRUE(AnswerQuestion("Verifying Does Pay off, doesn't it!", IDOK, &message));
  EXPECT_EQ(message, "There is(are) 1 split(s) that has(ve) to be redone! Look later at the list.");
  ASSERT_TRUE(AnswerQuestion("Do Over files!! :(", IDOK, &message));
  EXPECT_EQ(message.rfind("There were files that had some problems, so please do not erase the splits", 0), 0u);
  ASSERT_TRUE(AnswerQuestion("Asking you...", IDNO)) << "keep the verified files listed";
  ASSERT_TRUE(WaitIdle());
  ASSERT_GE(stack.TakeOut(2), 0);

  // The bad piece is cut again from the source into the temporary folder
  // and listed for the next run; a new temporary folder is chosen for it.
  const std::string redone = temporary + "\\big.bin.002";
  const std::vector<std::string> rows = {
      Row("big.bin", 3000000, "Done -- 2/3"), Row("small.txt", 1000, "Done -- 1/1"),
      redone + " -- " + std::to_string(piece.size()) + " -- Not Done -- 0/0 -- Temporary"};
  EXPECT_EQ(Rows(dialog), rows);
  EXPECT_TRUE(ReadBytes(redone) == big.substr(offset, piece.size())) << "the redone piece differs from the source";
  EXPECT_EQ(Text(dialog, IDC_SC_TEMP).rfind(temporary + "\\KST", 0), 0u) << Text(dialog, IDC_SC_TEMP);
  EXPECT_EQ(Text(dialog, IDC_SC_DONE), "3");
  EXPECT_EQ(Text(dialog, IDC_SC_DLEFT), std::to_string((piece.size() + 1457663) / 1457664))
      << "the redone piece is left to carry, on disks of 1457664 bytes";
  EXPECT_TRUE(IsWindowEnabled(Control(dialog, IDC_SC_ADD)));
  Shot(dialog, "split-or-copy-verified");

  // The list dialog shows the same rows; the big file's splits are read
  // back, the bad one not safe, and their sizes add up to the file.
  PostClick(Control(dialog, IDC_SC_LISTS));
  HWND lists = WaitWindow("Transport List - Split &/Or Copy");
  ASSERT_TRUE(lists);
  EXPECT_EQ(ListRows(lists, IDC_TL_LIST), rows);
  EXPECT_EQ(Text(lists, IDC_TL_TOTAL), std::to_string(3001000 + piece.size()));
  SendMessageA(Control(lists, IDC_TL_LIST), LB_SETSEL, TRUE, 0);
  PostClick(Control(lists, IDC_TL_VIEW_SPLITS));
  HWND splits = WaitWindow("Splits of the Selected File");
  ASSERT_TRUE(splits);
  EXPECT_EQ(Text(splits, IDC_SL_COUNT), "3");
  int64_t carried = 0, i = 0;
  for (const std::string& row : ListRows(splits, IDC_SL_LIST)) {
    EXPECT_TRUE(EndsWith(row, ++i == 2 ? " -- Not Safe -- Copied" : " -- Safe -- Copied")) << row;
    EXPECT_EQ(row.rfind("A:\\big.bin.00" + std::to_string(i) + " -- ", 0), 0u) << row;
    carried += _atoi64(row.c_str() + row.find(" -- ") + 4);
  }
  EXPECT_EQ(carried, 3000000);
  Shot(splits, "split-or-copy-split-list");
  for (HWND closed : {splits, lists}) {
    PostClick(Control(closed, IDC_LD_CLOSE));
    ASSERT_TRUE(WaitGone(closed));
  }

  // The gathered disks, the bad piece replaced by the redone one, join
  // again with nothing but the batch; it asks whether the pieces go: No.
  const std::string gathered = Path("gathered");
  for (int k = 1; k <= disks; ++k) ASSERT_GT(MoveDiskFiles(stack.Disk(k), gathered), 0);
  EXPECT_EQ(ReadBytes(gathered + "\\small.txt"), small) << "a file that fits goes whole, unnumbered";
  ASSERT_TRUE(CopyFileA(redone.c_str(), (gathered + "\\big.bin.002").c_str(), FALSE));
  ASSERT_TRUE(RunBatch(gathered, "big.bin.BAT", "N\r\n", 60000));
  EXPECT_TRUE(FileExists(gathered + "\\big.bin.001"));
  EXPECT_TRUE(ReadBytes(gathered + "\\big.bin") == big) << "the joined file differs from the one carried";
}

TEST_F(SplitOrCopyWindow, LoadIsRefusedWhileARunGoesAndAClosedPromptOrAnAbortEndsIt) {
  ASSERT_NO_FATAL_FAILURE(Ready({{"data.bin", Pattern(5000, 4)}}));
  const std::string notDone = Row("data.bin", 5000, "Not Done -- 0/0");
  Click(Control(dialog, IDC_SC_GO));
  HWND prompt = WaitWindow(kPromptTitle);
  ASSERT_TRUE(prompt);
  // Load is locked while the run goes; a press that gets through is refused.
  EXPECT_FALSE(IsWindowEnabled(Control(dialog, IDC_SC_LOAD1)));
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SC_LOAD1, BN_CLICKED),
               reinterpret_cast<LPARAM>(Control(dialog, IDC_SC_LOAD1)));
  std::string message;
  ASSERT_TRUE(AnswerQuestion("Two Files necessary!", IDOK, &message));
  EXPECT_EQ(message.rfind("Cannot load while copying is in progress.", 0), 0u) << message;
  EXPECT_EQ(Rows(dialog), std::vector<std::string>{notDone});
  EXPECT_TRUE(IsWindowVisible(prompt)) << "the run goes on";
  PostMessageA(prompt, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitGone(prompt));
  ASSERT_TRUE(WaitIdle(5000)) << "the run ends as an abort, no question asked";
  EXPECT_FALSE(QuestionShown(kAbortHeading)) << "a close asks nothing";
  EXPECT_EQ(Rows(dialog), std::vector<std::string>{notDone});
  EXPECT_FALSE(FileExists(std::string(kDrive) + "data.bin"));

  // Abort in the window while a prompt waits: Yes closes the prompt too.
  Click(Control(dialog, IDC_SC_GO));
  prompt = WaitWindow(kPromptTitle);
  ASSERT_TRUE(prompt);
  ASSERT_NE(Asked(dialog, IDC_SC_HIDE, kAbortHeading, IDYES), "(no question)");
  EXPECT_TRUE(WaitGone(prompt));
  ASSERT_TRUE(WaitIdle(5000));
  EXPECT_EQ(Rows(dialog), std::vector<std::string>{notDone});
}

// A disk that is not empty is shown; without Auto Erase an abort keeps its
// file, with it the disk is emptied and the file carried into the folder.
TEST_F(SplitOrCopyWindow, ADiskThatIsNotEmptyIsKeptUnlessAutoEraseEmptiesIt) {
  const std::string stray = std::string(kDrive) + "stray.txt", data = Pattern(5000, 6);
  ASSERT_TRUE(WriteBytes(stray, Pattern(4096, 5)));
  ASSERT_NO_FATAL_FAILURE(Ready({{"data.bin", data}}));
  Click(Control(dialog, IDC_SC_GO));
  HWND prompt = WaitWindow(kPromptTitle);
  ASSERT_TRUE(prompt);
  PostClick(Control(prompt, IDC_PR_GO));
  HWND busy = WaitWindow("This Disk doesn't look like to be empty!");
  ASSERT_TRUE(busy);
  EXPECT_EQ(Text(busy, IDC_NE_DRIVE), "A:");
  EXPECT_EQ(Text(busy, IDC_NE_FILES), "1");
  EXPECT_LT(_atoi64(Text(busy, IDC_NE_FREE).c_str()), _atoi64(Text(busy, IDC_NE_TOTAL).c_str()));
  EXPECT_FALSE(IsChecked(Control(busy, IDC_NE_ERASE)));
  // In front within seconds: on a Wine prefix booted moments before, the
  // window manager can take more than 3 s to hand the focus over.
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == busy; }, 10000, "not-empty-in-front"));
  Sleep(200);  // the screen catches up with the new window
  Shot(busy, "split-or-copy-not-empty");
  ASSERT_NE(Asked(busy, IDC_PR_ABORT, kAbortHeading, IDYES), "(no question)");
  EXPECT_TRUE(WaitGone(busy));
  ASSERT_TRUE(WaitIdle(5000));
  EXPECT_TRUE(FileExists(stray)) << "nothing is erased without Auto Erase";
  EXPECT_FALSE(FileExists(std::string(kDrive) + "data.bin"));

  TypeInCombo(dialog, IDC_SC_DEST, "A:\\backup");
  Click(Control(dialog, IDC_SC_AUTO_ERASE));
  ASSERT_TRUE(IsChecked(Control(dialog, IDC_SC_AUTO_ERASE)));
  Click(Control(dialog, IDC_SC_GO));
  prompt = WaitWindow(kPromptTitle);
  ASSERT_TRUE(prompt);
  EXPECT_TRUE(IsChecked(Control(prompt, IDC_ND_ERASE)));
  PostClick(Control(prompt, IDC_PR_GO));
  ASSERT_TRUE(WaitGone(prompt));
  ASSERT_TRUE(AnswerQuestion("A Very Verifying Question... :)", IDCANCEL));
  ASSERT_TRUE(WaitIdle(5000));
  EXPECT_FALSE(FileExists(stray)) << "the disk was erased before the copy";
  const std::string carried = "A:\\backup\\data.bin";
  EXPECT_TRUE(ReadBytes(carried) == data);
  EXPECT_FALSE(FileExists("A:\\backupdata.bin"));
  EXPECT_EQ(Rows(dialog)[0], Row("data.bin", 5000, "Done -- 0/1"));
  EXPECT_TRUE(WaitUntil([&] {
    return Text(dialog, IDC_SC_STATUS) == "Done! Every file of the list is carried." &&
           Text(dialog, IDC_SC_TIME_SPEED) == "Done!";
  }, 3000, "carried")) << Text(dialog, IDC_SC_STATUS);
  DeleteFileA(stray.c_str());
  DeleteFileA(carried.c_str());
  RemoveDirectoryA("A:\\backup");
}

TEST_F(SplitOrCopyWindow, MovesAndRemovesSelectedRowsAndSavesAndLoadsTheList) {
  ASSERT_NO_FATAL_FAILURE(Ready({{"a.txt", "a"}, {"b.txt", "bb"}, {"c.txt", "ccc"}}, ""));
  HWND list = Control(dialog, IDC_SC_LIST);
  const std::string a = Row("a.txt", 1, "Not Done -- 0/0"), b = Row("b.txt", 2, "Not Done -- 0/0"),
                    c = Row("c.txt", 3, "Not Done -- 0/0");
  auto press = [&](int button, std::vector<int> selected) {
    SendMessageA(list, LB_SETSEL, FALSE, -1);
    for (int row : selected) SendMessageA(list, LB_SETSEL, TRUE, row);
    Click(Control(dialog, button));
  };
  press(IDC_SC_UP, {2});
  EXPECT_EQ(Rows(dialog), (std::vector<std::string>{c, a, b}));
  press(IDC_SC_DOWN, {0, 1});
  EXPECT_EQ(Rows(dialog), (std::vector<std::string>{b, c, a}));

  // The list goes to file 1 and comes back from it whole.
  const std::string first = Path("one.lst");
  SetText(Control(dialog, IDC_SC_SAVE_NAME1), first);
  SetText(Control(dialog, IDC_SC_SAVE_NAME2), Path("two.lst"));
  Click(Control(dialog, IDC_SC_SAVE1));
  ASSERT_TRUE(FileExists(first));
  press(IDC_SC_REMOVE, {1});
  EXPECT_EQ(Rows(dialog), (std::vector<std::string>{b, a}));
  EXPECT_EQ(Text(dialog, IDC_SC_TOTAL), "3");
  Click(Control(dialog, IDC_SC_LOAD1));
  EXPECT_EQ(Rows(dialog), (std::vector<std::string>{b, c, a}));
  EXPECT_EQ(Text(dialog, IDC_SC_TOTAL), "6");
  SendMessageA(list, LB_SETSEL, FALSE, -1);
  EXPECT_NE(Asked(dialog, IDC_SC_REMOVE, "Nothing Selected!", IDOK), "(no question)");
  EXPECT_EQ(Rows(dialog).size(), 3u);
}

TEST_F(SplitOrCopyWindow, RefusesAFixedDestinationABigMarginAFileOfTheTemporaryFolderAndOneSaveFileTwice) {
  const std::string destination = Path("dest");
  ASSERT_NO_FATAL_FAILURE(Ready({{"data.bin", Pattern(2700000, 3)}}, destination));
  EXPECT_EQ(Asked(dialog, IDC_SC_GO, "No way Mac!!!", IDOK)
                .rfind("Sorry Mac, but No Dice, 'cause the Destination can Only be a removable disks drive!", 0),
            0u);
  std::string message;
  EXPECT_EQ(Text(dialog, IDC_SC_GO), "&Go") << "nothing started";
  EXPECT_FALSE(FileExists(destination));

  // 145766 bytes is 10% of a 1457664-byte disk; one more is refused.
  HWND margin = Control(dialog, IDC_SC_MARGIN);
  auto leave = [&](const char* typed) {
    SetText(margin, typed);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SC_MARGIN, EN_KILLFOCUS), reinterpret_cast<LPARAM>(margin));
  };
  leave("145766");
  EXPECT_TRUE(WaitUntil([&] { return Text(dialog, IDC_SC_DISKS) == "3"; }, 3000, "margin-kept"))
      << "2700000 bytes on disks of 1311898 bytes";
  leave("145767");
  ASSERT_TRUE(AnswerQuestion("No Deal!!", IDOK, &message));
  EXPECT_EQ(message, "This value shouldn't be below negative nor more than 10% of disk size! Resetting to Zero.");
  EXPECT_TRUE(WaitUntil([&] { return Text(dialog, IDC_SC_MARGIN) == "0" && Text(dialog, IDC_SC_DISKS) == "2"; },
                        3000, "margin-reset"));

  // A file from the temporary folder is not listed.
  const std::string inTemporary = temporary + "\\cut.bin";
  ASSERT_TRUE(WriteBytes(inTemporary, "cut"));
  ASSERT_TRUE(DropFiles(session->program, dialog, IDC_SC_LIST, {inTemporary}));
  ASSERT_TRUE(AnswerQuestion("No Way, dude!", IDOK, &message));
  EXPECT_EQ(message.rfind("Sorry buddy, but the temporary folder is the same as at least one of the files", 0), 0u);
  EXPECT_EQ(Rows(dialog).size(), 1u);

  // Auto save alternates between two files: one name twice is refused.
  for (int id : {IDC_SC_SAVE_NAME1, IDC_SC_SAVE_NAME2}) SetText(Control(dialog, id), Path("list.lst"));
  ASSERT_NE(Asked(dialog, IDC_SC_AUTO_SAVE, "Two Files necessary!", IDOK), "(no question)");
  EXPECT_TRUE(WaitUntil([&] { return !IsChecked(Control(dialog, IDC_SC_AUTO_SAVE)); }, 3000, "auto-save-off"));
}

}  // namespace
