// File Splitting as a person uses it: drops, a folder made, Go, Pause,
// Abort and Exit during a run, and the settings it keeps.
#include <windows.h>
#include <commctrl.h>

#include "tests/e2e/command_center_steps.h"

namespace {

using namespace e2e;

// value() holds still for half a second from now.
template <typename Value>
bool Still(Value value) { return StopsAfter(GetTickCount(), value, 500, 2000, "still") == 0; }

using FileSplittingWindow = WindowTest;

TEST_F(FileSplittingWindow, SplitsADroppedFileIntoAFolderItMadeInTheUnitChosenAndKeepsTheChoices) {
  ASSERT_NO_FATAL_FAILURE(Begin(IDC_CC_FILE_SPLITTING, "File Splitting"));
  const std::string file = Path("movie.avi"), out = Path("out"), folder = Path("made\\here");
  ASSERT_TRUE(WriteBytes(file, Pattern(5000000, 1)));
  ASSERT_TRUE(CreateDirectoryA(out.c_str(), nullptr));
  EXPECT_EQ(Text(dialog, IDC_FS_TOTAL), "No File");
  EXPECT_FALSE(IsWindowEnabled(Control(dialog, IDC_FS_GO)));
  // A file dropped is the file, its folder the splits' ("Same"), on floppies.
  ASSERT_TRUE(DropFiles(session->program, dialog, IDC_FS_SIZE_GROUP, {file}));
  Walk(dialog, {{kWaits, IDC_FS_FILE, file}, {kSees, IDC_FS_TOTAL, "5000000"}, {kSees, IDC_FS_FOLDER, session->folder},
                {kTicked, IDC_FS_SAME}, {kSees, IDC_FS_SIZE, "1457664"}, {kSees, IDC_FS_UNIT, "B"},
                {kSees, IDC_FS_COUNT, "4"}, {kSees, IDC_FS_LAST, "627008"}, {kTicked, IDC_FS_JOIN_BATCH}});
  Shot(dialog, "file-splitting-idle");
  // A folder dropped on its group is the folder; one typed is made with Create.
  ASSERT_TRUE(DropFiles(session->program, dialog, IDC_FS_FOLDER_GROUP, {out}));
  Walk(dialog, {{kWaits, IDC_FS_FOLDER, out}, {kClear, IDC_FS_SAME}, {kSees, IDC_FS_FILE, file},
                {kType, IDC_FS_SIZE, "2"}, {kPick, IDC_FS_UNIT, "2"}, {kCombo, IDC_FS_FOLDER, folder}});
  HWND create = Control(dialog, IDC_FS_CREATE);
  EXPECT_FALSE(IsWindowEnabled(Control(dialog, IDC_FS_GO))) << "the folder is not there yet";
  Click(create);
  EXPECT_TRUE(FileExists(folder));
  EXPECT_FALSE(IsWindowEnabled(create));
  Walk(dialog, {{kSees, IDC_FS_BYTES, "2097152"}, {kSees, IDC_FS_COUNT, "3"}, {kSees, IDC_FS_LAST, "805696"},
                {kClick, IDC_FS_GO}, {kWaits, IDC_FS_GO, "&Go"}});
  const int64_t sizes[] = {2097152, 2097152, 805696, -1};
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(FileSize(SplitPath(folder + "\\movie.avi", k)), sizes[k - 1]) << k;
  EXPECT_TRUE(FileExists(folder + "\\movie.avi.BAT"));
  EXPECT_TRUE(NamesIn(out).empty());
  // A run that made every split says so: its bars full, "Done!" for its time.
  EXPECT_TRUE(Shows(dialog, IDC_FS_TIME_SPEED, "Done!"));
  for (int bar : {IDC_FS_ALL_PROGRESS, IDC_FS_SPLIT_PROGRESS})
    EXPECT_EQ(ProgressPos(Control(dialog, bar)), SendMessageA(Control(dialog, bar), PBM_GETRANGE, 0, 0));
  EXPECT_EQ(Text(dialog, IDC_FS_FILE), file) << "the history filled, the field keeps its path";
  EXPECT_EQ(ComboRows(dialog, IDC_FS_FILE), std::vector<std::string>{file});
  EXPECT_EQ(ComboRows(dialog, IDC_FS_FOLDER), std::vector<std::string>{folder});

  // Ended with roots and started again, the window opens with its choices.
  Walk(dialog, {{kClick, IDC_FS_JOIN_BATCH}, {kClick, IDC_FS_HIDE}});
  EXPECT_TRUE(WaitGone(dialog));
  EXPECT_TRUE(WaitUntil([&] { return !IsChecked(Control(session->center, IDC_CC_FILE_SPLITTING)); }, 5000,
                        "toggle-off"));
  session->RootsOn();
  session->ExitWithYes();
  Session again(session->folder);
  ASSERT_TRUE(again.center);
  HWND reopened = again.Open(IDC_CC_FILE_SPLITTING, "File Splitting");
  ASSERT_TRUE(reopened);
  Walk(reopened, {{kSees, IDC_FS_FILE, file}, {kSees, IDC_FS_FOLDER, folder}, {kClear, IDC_FS_JOIN_BATCH}});
  EXPECT_EQ(ComboRows(reopened, IDC_FS_FILE), std::vector<std::string>{file});
  again.ExitWithYes();
}

// A long run: a sparse 4 GiB file cut into 1 GiB splits through a small
// buffer, so that the worker reports progress thousands of times a second.
// Each click must take effect within 300 ms all the same.
struct FileSplittingLongRun : WindowTest {
  static constexpr int64_t kGiB = int64_t{1} << 30;
  static constexpr int kSplits = 4;
  static constexpr long kMostMs = 300;
  // A settings file is read from 101 bytes on; lines of unknown keys say nothing.
  void SetUp() override {
    Begin(IDC_CC_FILE_SPLITTING, "File Splitting", {"BuffSize=16384", "Padding=" + std::string(100, '.')});
  }
  void TearDown() override {  // 4 GiB is not left behind
    WindowTest::TearDown();
    for (int k = 0; k <= kSplits; ++k)
      for (const std::string& name : {SplitPath(file, k), SplitPath(file, k) + ".~ks", file, file + ".BAT"})
        DeleteFileA(name.c_str());
  }
  // Go, and on until the worker has written a megabyte.
  void Go() {
    file = Path("long.bin");
    ASSERT_TRUE(WriteSparseFile(file, kSplits * kGiB));
    Walk(dialog, {{kCombo, IDC_FS_FILE, file}, {kType, IDC_FS_SIZE, "1"}, {kPick, IDC_FS_UNIT, "3"},
                  {kSees, IDC_FS_COUNT, std::to_string(kSplits)}, {kClick, IDC_FS_GO}});
    ASSERT_TRUE(WaitUntil([&] { return Written() > (1 << 20); }, 10000, "writing"));
  }
  // The bytes in every split so far, partial or whole; *last, the last begun.
  int64_t Written(int* last = nullptr) const {
    int64_t bytes = 0;
    for (int k = 1; k <= kSplits; ++k)
      for (const std::string& name : {SplitPath(file, k), SplitPath(file, k) + ".~ks"})
        if (const int64_t size = FileSize(name); size >= 0) {
          bytes += size;
          if (last) *last = k;
        }
    return bytes;
  }
  bool Moving() const {
    const int64_t before = Written();
    return WaitUntil([&] { return Written() > before; }, 5000, "split-moving");
  }
  long Relabelled(DWORD start, const std::string& label) {
    if (!Shows(dialog, IDC_FS_GO, label, 5000)) return -1;
    return static_cast<long>(GetTickCount() - start);
  }
  static void ExpectWithin(long ms, const char* what) {
    EXPECT_TRUE(ms >= 0 && ms <= kMostMs) << what << " took " << ms << " ms (-1: not within 5 s)";
  }
  std::string file;
};

TEST_F(FileSplittingLongRun, PauseUnpauseAndAbortTakeEffectWithin300ms) {
  ASSERT_NO_FATAL_FAILURE(Go());
  Walk(dialog, {{kSees, IDC_FS_GO, "&Pause"}, {kSees, IDC_FS_HIDE, "Abort"}});
  EXPECT_FALSE(IsWindowEnabled(Control(dialog, IDC_FS_FILE)));
  // "1m40s  1000 kB/s": a time and a speed.
  EXPECT_TRUE(WaitUntil([&] { return EndsWith(Text(dialog, IDC_FS_TIME_SPEED), " kB/s"); }, 3000, "speed"));
  Shot(dialog, "file-splitting-running");

  // Clicks are posted, as a person's are queued.
  HWND go = Control(dialog, IDC_FS_GO);
  auto written = [&] { return Written(); };
  DWORD start = GetTickCount();
  PostClick(go);
  ExpectWithin(Relabelled(start, "Un&pause"), "Pause relabelled");
  ExpectWithin(StopsAfter(start, written, 250, 5000, "paused"), "Pause stopped the worker");
  EXPECT_TRUE(Still([&] { return ProgressPos(Control(dialog, IDC_FS_SPLIT_PROGRESS)); }));
  start = GetTickCount();
  PostClick(go);
  ExpectWithin(Relabelled(start, "&Pause"), "Unpause relabelled");
  ASSERT_TRUE(Moving());
  ExpectWithin(static_cast<long>(GetTickCount() - start), "Unpause set the worker going");

  // Switched off in the Command Center: the run waits behind the question.
  HWND toggle = Control(session->center, IDC_CC_FILE_SPLITTING);
  PostClick(toggle);
  HWND box = FindQuestion(kAbortHeading);
  ASSERT_TRUE(box);
  Sleep(300);  // the worker reaches its check point
  EXPECT_TRUE(Still(written)) << "the run went on behind the question";
  ASSERT_TRUE(Closes(box, IDNO));
  EXPECT_TRUE(WaitUntil([&] { return IsChecked(toggle); }, 5000, "toggle-stays-on"));
  EXPECT_TRUE(Moving()) << "No did not let the run go on";

  // Yes to the abort question: the split being written is the last one.
  PostClick(Control(dialog, IDC_FS_HIDE));
  int last = 0, after = 0;
  Written(&last);
  start = GetTickCount();
  ASSERT_TRUE(AnswerQuestion(kAbortHeading, IDYES));
  ExpectWithin(StopsAfter(start, written, 250, 5000, "aborted"), "Abort stopped the worker");
  Written(&after);
  EXPECT_LE(after, last) << "no split begun after the Yes";
  EXPECT_LT(last, kSplits) << "the run was long enough to abort";
  EXPECT_EQ(Answered("File Splitting Aborted!", IDOK).rfind("The file splitting was aborted. The splits", 0), 0u);
  ASSERT_TRUE(Shows(dialog, IDC_FS_GO, "&Go"));
  EXPECT_FALSE(FileExists(SplitPath(file, last)) || FileExists(SplitPath(file, last) + ".~ks"))
      << "the split being written is taken back";
  EXPECT_FALSE(FileExists(file + ".BAT"));
  EXPECT_TRUE(Shows(dialog, IDC_FS_TIME_SPEED, "", 2000));
}

TEST_F(FileSplittingLongRun, ExitDuringARunNamesItNoKeepsItAndYesStopsItWithNoShortSplit) {
  ASSERT_NO_FATAL_FAILURE(Go());
  const std::string message = Asked(session->center, IDC_CC_EXIT, "Ending Question...", IDNO);
  EXPECT_NE(message.find("File Splitting"), std::string::npos) << message;
  EXPECT_TRUE(Moving()) << "No stopped the run";
  PostClick(Control(session->center, IDC_CC_EXIT));
  ASSERT_TRUE(AnswerQuestion("Ending Question...", IDYES));
  EXPECT_TRUE(WaitExit(session->program, 30000)) << "the run did not stop within the bound";
  for (int k = 1; k <= kSplits; ++k) {
    const int64_t size = FileSize(SplitPath(file, k));
    EXPECT_TRUE(size < 0 || size == kGiB) << "a short split under its real name: " << k << ", " << size;
  }
}

}  // namespace
