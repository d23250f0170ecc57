// Split &/Or Copy as a person uses it: a backup onto floppies verified and
// redone, a disk not empty, Auto Erase, and the refusals a person meets.
#include "tests/e2e/command_center_steps.h"
#include "tests/e2e/disk_swaps.h"

namespace {

using namespace e2e;

std::vector<std::string> Rows(HWND dialog) { return ListRows(dialog, IDC_SC_LIST); }

struct SplitOrCopyWindow : WindowTest {
  void SetUp() override {
    Begin(IDC_CC_SPLIT_OR_COPY, "Split &/Or Copy - Backing Up where Others won't!");
    if (HasFatalFailure()) return;
    temporary = Path("tmp");
    ASSERT_TRUE(CreateDirectoryA(temporary.c_str(), nullptr));
  }
  // The files written, dropped on the list, the folders chosen.
  void Ready(const std::vector<std::pair<std::string, std::string>>& files, const std::string& destination) {
    std::vector<std::string> paths;
    for (const auto& [name, bytes] : files) {
      paths.push_back(Path(name));
      ASSERT_TRUE(WriteBytes(paths.back(), bytes));
    }
    ASSERT_TRUE(DropFiles(session->program, dialog, IDC_SC_LIST, paths));
    ASSERT_TRUE(WaitUntil([&] { return Rows(dialog).size() == paths.size(); }, 30000, "rows"));
    Walk(dialog, {{kCombo, IDC_SC_DEST, destination}, {kCombo, IDC_SC_TEMP, temporary}});
  }
  bool WaitIdle() { return Shows(dialog, IDC_SC_GO, "&Go"); }
  std::string Row(const std::string& name, int size, const std::string& state) {
    return Path(name) + " -- " + std::to_string(size) + " -- " + state;
  }
  HWND Go() {
    Click(Control(dialog, IDC_SC_GO));
    return WaitWindow(kNewDisk, 30000);
  }
  std::string temporary;
};

TEST_F(SplitOrCopyWindow, CarriesTwoFilesOntoFloppiesVerifiesThemRedoesABadPieceAndTheBatchJoinsTheBigOne) {
  if (const std::string why = WhyNoFloppy(); !why.empty()) GTEST_SKIP() << why;
  DiskStack stack;
  ASSERT_TRUE(StackBesideDriveA(Path("stack"), &stack)) << "A: starts empty";
  const std::string big = Pattern(3000000, 1), small = Pattern(1000, 2);
  ASSERT_NO_FATAL_FAILURE(Ready({{"big.bin", big}, {"small.txt", small}}, kDriveA));
  Walk(dialog, {{kSees, IDC_SC_DISKS, "3"}, {kClick, IDC_SC_GO}});  // 1457664-byte disks without a margin
  // A fresh disk at every prompt: the full one goes onto the stack.
  const int disks = FillDisks(stack, "A Very Verifying Question... :)", 6, [&](HWND prompt, int disk) {
    if (disk > 1) return;
    EXPECT_FALSE(IsWindowEnabled(Control(dialog, IDC_SC_ADD))) << "the list is locked while it runs";
    Shot(prompt, "split-or-copy-new-disk");
  });
  ASSERT_EQ(disks, 3);
  ASSERT_TRUE(AnswerQuestion("A Very Verifying Question... :)", IDYES));

  // A byte of the middle piece goes bad; it begins where the first ends.
  const std::string bad = stack.Disk(2) + "\\big.bin.002";
  const size_t offset = ReadBytes(stack.Disk(1) + "\\big.bin.001").size();
  std::string piece = ReadBytes(bad);
  ASSERT_GT(piece.size(), 999u);
  piece[999] ^= 0x5A;
  ASSERT_TRUE(WriteBytes(bad, piece));

  // The verification is fed the stack in another order, the bad disk last.
  const int fed = FeedDisks(stack, {3, 1, 2}, "Verifying Does Pay off, doesn't it!", [&](HWND prompt, int) {
    EXPECT_FALSE(IsWindowVisible(Control(prompt, IDC_ND_ERASE))) << "no erasing while verifying";
  });
  ASSERT_EQ(fed, disks) << "the verification asked for fewer disks than were filled";
  EXPECT_EQ(Answered("Do Over this file/split!! :(", IDOK),
            "At position 1000 of the file A:\\big.bin.002, isn't equal to the file in the removable disk!");
  EXPECT_EQ(Answered("Verifying Does Pay off, doesn't it!", IDOK),
            "There is(are) 1 split(s) that has(ve) to be redone! Look later at the list.");
  ASSERT_TRUE(AnswerQuestion("Do Over files!! :(", IDOK));
  ASSERT_TRUE(AnswerQuestion("Asking you...", IDNO)) << "keep the verified files listed";
  ASSERT_TRUE(WaitIdle());
  ASSERT_GE(stack.TakeOut(2), 0);

  // The bad piece is cut again into a temporary folder, listed for the next run.
  const std::string redone = temporary + "\\big.bin.002";
  const std::vector<std::string> rows = {
      Row("big.bin", 3000000, "Done -- 2/3"), Row("small.txt", 1000, "Done -- 1/1"),
      redone + " -- " + std::to_string(piece.size()) + " -- Not Done -- 0/0 -- Temporary"};
  EXPECT_EQ(Rows(dialog), rows);
  EXPECT_TRUE(ReadBytes(redone) == big.substr(offset, piece.size())) << "the redone piece differs from the source";
  EXPECT_EQ(Text(dialog, IDC_SC_TEMP).rfind(temporary + "\\KST", 0), 0u) << Text(dialog, IDC_SC_TEMP);
  Shot(dialog, "split-or-copy-verified");

  // The list dialog shows the same rows; the big file's splits, the bad one not safe.
  HWND lists = Opens(dialog, IDC_SC_LISTS, "Transport List - Split &/Or Copy");
  ASSERT_TRUE(lists);
  EXPECT_EQ(ListRows(lists, IDC_TL_LIST), rows);
  SendMessageA(Control(lists, IDC_TL_LIST), LB_SETSEL, TRUE, 0);
  HWND splits = Opens(lists, IDC_TL_VIEW_SPLITS, "Splits of the Selected File");
  ASSERT_TRUE(splits);
  const std::vector<std::string> read = ListRows(splits, IDC_SL_LIST);
  ASSERT_EQ(read.size(), 3u);
  for (size_t i = 0; i < read.size(); ++i)
    EXPECT_TRUE(EndsWith(read[i], i == 1 ? " -- Not Safe -- Copied" : " -- Safe -- Copied")) << read[i];
  for (HWND closed : {splits, lists}) ASSERT_TRUE(Closes(closed, IDC_LD_CLOSE));

  // The gathered disks, the redone piece among them, join by the batch alone.
  const std::string gathered = Path("gathered");
  for (int k = 1; k <= disks; ++k) ASSERT_GT(MoveDiskFiles(stack.Disk(k), gathered), 0);
  EXPECT_EQ(ReadBytes(gathered + "\\small.txt"), small) << "a file that fits goes whole, unnumbered";
  ASSERT_TRUE(CopyFileA(redone.c_str(), (gathered + "\\big.bin.002").c_str(), FALSE));
  ASSERT_GE(RunCommand("cmd /c \"big.bin.BAT\"", gathered, "N\r\n", 60000), 0);
  EXPECT_TRUE(FileExists(gathered + "\\big.bin.001"));
  EXPECT_TRUE(ReadBytes(gathered + "\\big.bin") == big) << "the joined file differs from the one carried";
}

// Runs ended at their first prompt; a disk not empty kept unless Auto Erase.
TEST_F(SplitOrCopyWindow, LoadIsRefusedWhileItRunsAndADiskThatIsNotEmptyIsKeptUnlessAutoEraseEmptiesIt) {
  const std::string stray = std::string(kDriveA) + "stray.txt", data = Pattern(5000, 6);
  ASSERT_TRUE(WriteBytes(stray, Pattern(4096, 5)));
  ASSERT_NO_FATAL_FAILURE(Ready({{"data.bin", data}}, kDriveA));
  const std::vector<std::string> notDone = {Row("data.bin", 5000, "Not Done -- 0/0")};
  HWND prompt = Go();
  ASSERT_TRUE(prompt);
  // Load is locked while the run goes; a press that gets through is refused.
  EXPECT_FALSE(IsWindowEnabled(Control(dialog, IDC_SC_LOAD1)));
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SC_LOAD1, BN_CLICKED),
               reinterpret_cast<LPARAM>(Control(dialog, IDC_SC_LOAD1)));
  EXPECT_EQ(Answered("Two Files necessary!", IDOK).rfind("Cannot load while copying is in progress.", 0), 0u);
  EXPECT_TRUE(IsWindowVisible(prompt)) << "the run goes on";
  // The prompt closed: the run ends as an abort, no question asked.
  PostMessageA(prompt, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitGone(prompt));
  ASSERT_TRUE(WaitIdle());
  EXPECT_FALSE(QuestionShown(kAbortHeading)) << "a close asks nothing";
  EXPECT_EQ(Rows(dialog), notDone);
  // Abort in the window while a prompt waits: Yes closes the prompt too.
  ASSERT_TRUE(prompt = Go());
  ASSERT_NE(Asked(dialog, IDC_SC_HIDE, kAbortHeading, IDYES), "(no question)");
  EXPECT_TRUE(WaitGone(prompt));
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(Rows(dialog), notDone);

  ASSERT_TRUE(prompt = Go());
  HWND busy = Opens(prompt, IDC_PR_GO, "This Disk doesn't look like to be empty!");
  ASSERT_TRUE(busy);
  Walk(busy, {{kSees, IDC_NE_DRIVE, "A:"}, {kSees, IDC_NE_FILES, "1"}, {kClear, IDC_NE_ERASE}});
  // In front within seconds: on a Wine prefix booted moments before, the
  // window manager can take more than 3 s to hand the focus over.
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == busy; }, 10000, "not-empty-in-front"));
  ASSERT_NE(Asked(busy, IDC_PR_ABORT, kAbortHeading, IDYES), "(no question)");
  EXPECT_TRUE(WaitGone(busy));
  ASSERT_TRUE(WaitIdle());
  EXPECT_TRUE(FileExists(stray)) << "nothing is erased without Auto Erase";
  EXPECT_FALSE(FileExists(std::string(kDriveA) + "data.bin"));

  Walk(dialog, {{kCombo, IDC_SC_DEST, "A:\\backup"}, {kClick, IDC_SC_AUTO_ERASE}, {kTicked, IDC_SC_AUTO_ERASE}});
  ASSERT_TRUE(prompt = Go());
  EXPECT_TRUE(IsChecked(Control(prompt, IDC_ND_ERASE)));
  ASSERT_TRUE(Closes(prompt, IDC_PR_GO));
  ASSERT_TRUE(AnswerQuestion("A Very Verifying Question... :)", IDCANCEL));
  ASSERT_TRUE(WaitIdle());
  EXPECT_FALSE(FileExists(stray)) << "the disk was erased before the copy";
  const std::string carried = "A:\\backup\\data.bin";
  EXPECT_TRUE(ReadBytes(carried) == data);
  EXPECT_FALSE(FileExists("A:\\backupdata.bin"));
  EXPECT_EQ(Rows(dialog)[0], Row("data.bin", 5000, "Done -- 0/1"));
  EXPECT_TRUE(Shows(dialog, IDC_SC_STATUS, "Done! Every file of the list is carried."));
  DeleteFileA(stray.c_str());
  DeleteFileA(carried.c_str());
  RemoveDirectoryA("A:\\backup");
}

TEST_F(SplitOrCopyWindow, RefusesWhatItCannotDoAndMovesSavesAndLoadsTheRows) {
  const std::string destination = Path("dest");
  ASSERT_NO_FATAL_FAILURE(Ready({{"a.txt", "a"}, {"b.txt", "bb"}, {"c.txt", Pattern(2700000, 3)}}, destination));
  // A fixed disk's folder as the destination: nothing starts.
  Walk(dialog, {{kPost, IDC_SC_GO}, {kAnswer, IDOK, "No way Mac!!!"}, {kSees, IDC_SC_GO, "&Go"}});
  EXPECT_FALSE(FileExists(destination));

  // 145766 bytes is 10% of a 1457664-byte disk; one more is refused.
  HWND margin = Control(dialog, IDC_SC_MARGIN);
  auto leave = [&](const char* typed) {
    SetText(margin, typed);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SC_MARGIN, EN_KILLFOCUS), reinterpret_cast<LPARAM>(margin));
  };
  leave("145766");
  EXPECT_TRUE(Shows(dialog, IDC_SC_DISKS, "3")) << "2700003 bytes on disks of 1311898 bytes";
  leave("145767");
  Walk(dialog, {{kAnswer, IDOK, "No Deal!!"}, {kWaits, IDC_SC_MARGIN, "0"}, {kWaits, IDC_SC_DISKS, "2"}});
  // Refused: a file of the temporary folder, one auto save name twice.
  ASSERT_TRUE(WriteBytes(temporary + "\\cut.bin", "cut"));
  ASSERT_TRUE(DropFiles(session->program, dialog, IDC_SC_LIST, {temporary + "\\cut.bin"}));
  Walk(dialog, {{kAnswer, IDOK, "No Way, dude!"}, {kType, IDC_SC_SAVE_NAME1, Path("list.lst")},
                {kType, IDC_SC_SAVE_NAME2, Path("list.lst")}, {kPost, IDC_SC_AUTO_SAVE},
                {kAnswer, IDOK, "Two Files necessary!"}});
  EXPECT_EQ(Rows(dialog).size(), 3u);
  EXPECT_TRUE(WaitUntil([&] { return !IsChecked(Control(dialog, IDC_SC_AUTO_SAVE)); }, 3000, "auto-save-off"));

  HWND list = Control(dialog, IDC_SC_LIST);
  const std::string a = Row("a.txt", 1, "Not Done -- 0/0"), b = Row("b.txt", 2, "Not Done -- 0/0"),
                    c = Row("c.txt", 2700000, "Not Done -- 0/0");
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
  Walk(dialog, {{kType, IDC_SC_SAVE_NAME1, Path("one.lst")}, {kType, IDC_SC_SAVE_NAME2, Path("two.lst")},
                {kClick, IDC_SC_SAVE1}});
  ASSERT_TRUE(FileExists(Path("one.lst")));
  press(IDC_SC_REMOVE, {1});
  EXPECT_EQ(Rows(dialog), (std::vector<std::string>{b, a}));
  EXPECT_EQ(Text(dialog, IDC_SC_TOTAL), "3");
  Click(Control(dialog, IDC_SC_LOAD1));
  EXPECT_EQ(Rows(dialog), (std::vector<std::string>{b, c, a}));
  SendMessageA(list, LB_SETSEL, FALSE, -1);
  Walk(dialog, {{kPost, IDC_SC_REMOVE}, {kAnswer, IDOK, "Nothing Selected!"}});
  EXPECT_EQ(Rows(dialog).size(), 3u);
}

}  // namespace
