// File Splitting as a person uses it: opened from the Command Center, a
// file typed or dropped, the folder chosen or made, Go, Pause, Unpause,
// Abort, Exit during a run, and the settings it keeps.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "tests/e2e/command_center_steps.h"

namespace {

using namespace cc_steps;
using namespace e2e;

constexpr int64_t kFloppy = 1457664;
const char kAbortHeading[] = "Abort Action - The Big Question...";

std::vector<std::string> ComboEntries(HWND dialog, int id) {
  HWND combo = Control(dialog, id);
  std::vector<std::string> entries;
  for (int i = 0; i < static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0)); ++i) {
    std::wstring wide(static_cast<size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(wide.data()));
    char narrow[MAX_PATH * 2] = "";
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, narrow, sizeof narrow, nullptr, nullptr);
    entries.emplace_back(narrow);
  }
  return entries;
}

int BarPos(HWND dialog, int id) { return ProgressPos(Control(dialog, id)); }
int BarMax(HWND dialog, int id) { return static_cast<int>(SendMessageA(Control(dialog, id), PBM_GETRANGE, 0, 0)); }

bool WaitIdle(HWND dialog, DWORD ms = 60000) {
  return WaitUntil([&] { return Text(dialog, IDC_FS_GO) == "&Go"; }, ms, "file-splitting-idle");
}

// value() holds still over five polls a tenth of a second apart.
template <typename Value>
bool Still(Value value) {
  const auto first = value();
  for (int i = 0; i < 5; ++i) {
    Sleep(100);
    if (value() != first) return false;
  }
  return true;
}

struct FileSplittingWindow : WindowTest {
  void SetUp() override { Begin(IDC_CC_FILE_SPLITTING, "File Splitting"); }
  void TearDown() override {
    WindowTest::TearDown();
    for (const std::string& path : scratch) DeleteFileA(path.c_str());
  }
  // The file, with its splits and batch removed after the test.
  std::string Scratch(const std::string& name, int splits) {
    const std::string path = Path(name);
    scratch.push_back(path);
    for (int k = 1; k <= splits; ++k)
      for (const std::string& split : {SplitPath(path, k), SplitPath(path, k) + ".~ks"}) scratch.push_back(split);
    scratch.push_back(path + ".BAT");
    return path;
  }
  // The path typed, the size typed in the unit picked (2 MB, 3 GB).
  void Choose(const std::string& file, const char* size = nullptr, int unit = 0) {
    TypeInCombo(dialog, IDC_FS_FILE, file);
    if (!size) return;
    SetText(Control(dialog, IDC_FS_SIZE), size);
    SelectCombo(dialog, IDC_FS_UNIT, unit);
  }
  std::vector<std::string> scratch;
};

TEST_F(FileSplittingWindow, SplitsThreeMillionBytesIntoThreeFloppySplitsAndKeepsTheChoices) {
  const std::string file = Path("movie.avi");
  ASSERT_TRUE(WriteBytes(file, Pattern(3000000, 1)));
  EXPECT_EQ(Text(dialog, IDC_FS_TOTAL), "No File");
  EXPECT_FALSE(IsWindowEnabled(Control(dialog, IDC_FS_GO)));

  Choose(file);
  // "Same" puts the splits beside the file, on floppies by default.
  const std::pair<int, std::string> shown[] = {{IDC_FS_TOTAL, "3000000"}, {IDC_FS_FOLDER, session->folder},
                                               {IDC_FS_SIZE, "1457664"},  {IDC_FS_UNIT, "B"},
                                               {IDC_FS_BYTES, "1457664"}, {IDC_FS_COUNT, "3"},
                                               {IDC_FS_LAST, "84672"}};
  for (const auto& [id, text] : shown) EXPECT_EQ(Text(dialog, id), text) << id;
  EXPECT_TRUE(IsChecked(Control(dialog, IDC_FS_JOIN_BATCH)));
  Shot(dialog, "file-splitting-idle");

  Click(Control(dialog, IDC_FS_GO));
  ASSERT_TRUE(WaitIdle(dialog));
  const int64_t sizes[] = {kFloppy, kFloppy, 84672, -1};
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(FileSize(SplitPath(file, k)), sizes[k - 1]) << k;
  EXPECT_TRUE(FileExists(file + ".BAT"));
  // A run that made every split says so: its bars full, "Done!" for its time.
  EXPECT_TRUE(WaitUntil([&] {
    return Text(dialog, IDC_FS_TIME_SPEED) == "Done!" && BarMax(dialog, IDC_FS_ALL_PROGRESS) > 0 &&
           BarPos(dialog, IDC_FS_ALL_PROGRESS) == BarMax(dialog, IDC_FS_ALL_PROGRESS) &&
           BarPos(dialog, IDC_FS_SPLIT_PROGRESS) == BarMax(dialog, IDC_FS_SPLIT_PROGRESS);
  }, 5000, "file-splitting-done")) << Text(dialog, IDC_FS_TIME_SPEED);
  EXPECT_TRUE(IsWindowEnabled(Control(dialog, IDC_FS_FILE)));
  EXPECT_EQ(Text(dialog, IDC_FS_FILE), file) << "the history filled, the field keeps its path";
  EXPECT_EQ(ComboEntries(dialog, IDC_FS_FILE), std::vector<std::string>{file});
  EXPECT_EQ(ComboEntries(dialog, IDC_FS_FOLDER), std::vector<std::string>{session->folder});

  // Hidden, and the program ended with roots: the settings keep the
  // window's choices, and started again, the window opens with them.
  Click(Control(dialog, IDC_FS_JOIN_BATCH));
  Click(Control(dialog, IDC_FS_HIDE));
  EXPECT_TRUE(WaitGone(dialog));
  EXPECT_TRUE(WaitUntil([&] { return !IsChecked(Control(session->center, IDC_CC_FILE_SPLITTING)); }, 5000,
                        "toggle-off"));
  session->RootsOn();
  session->ExitWithYes();
  const std::vector<std::string> lines = ReadLines(Path("Kestrova.INI"));
  auto trimmed = [&](const char* key) {
    std::string v = ValueOf(lines, key);
    return v.erase(v.find_last_not_of(' ') + 1);
  };
  const std::pair<const char*, std::string> kept[] = {
      {"FSFileName", file},  {"FSFolder", session->folder}, {"FSJoinLog", " 0"}, {"FSAutoLink", "-1"},
      {"FSFileNameList", "01" + file}, {"FSFolderList", "01" + session->folder}};
  for (const auto& [key, value] : kept) EXPECT_EQ(trimmed(key), value) << key;
  Session again(session->folder);
  ASSERT_TRUE(again.center);
  HWND reopened = again.Open(IDC_CC_FILE_SPLITTING, "File Splitting");
  ASSERT_TRUE(reopened);
  EXPECT_EQ(Text(reopened, IDC_FS_FILE), file);
  EXPECT_EQ(Text(reopened, IDC_FS_COUNT), "3");
  EXPECT_FALSE(IsChecked(Control(reopened, IDC_FS_JOIN_BATCH)));
  EXPECT_EQ(ComboEntries(reopened, IDC_FS_FILE), std::vector<std::string>{file});
  again.ExitWithYes();
}

// A file dropped anywhere but on the folder group is the file, its folder
// the splits' folder; a folder dropped on that group is the folder, and a
// folder typed that is not there yet is made with Create.
TEST_F(FileSplittingWindow, TakesDropsMakesTheFolderTypedAndSplitsIntoItInTheUnitChosen) {
  const std::string file = Path("data.bin"), out = Path("out"), folder = Path("made\\here");
  ASSERT_TRUE(WriteBytes(file, Pattern(5000000, 1)));
  ASSERT_TRUE(CreateDirectoryA(out.c_str(), nullptr));
  ASSERT_TRUE(DropFiles(session->program, dialog, IDC_FS_SIZE_GROUP, {file}));
  ASSERT_TRUE(WaitUntil([&] { return Text(dialog, IDC_FS_FILE) == file; }, 5000, "file-dropped"));
  EXPECT_EQ(Text(dialog, IDC_FS_FOLDER), session->folder);
  EXPECT_TRUE(IsChecked(Control(dialog, IDC_FS_SAME)));
  ASSERT_TRUE(DropFiles(session->program, dialog, IDC_FS_FOLDER_GROUP, {out}));
  ASSERT_TRUE(WaitUntil([&] { return Text(dialog, IDC_FS_FOLDER) == out; }, 5000, "folder-dropped"));
  EXPECT_FALSE(IsChecked(Control(dialog, IDC_FS_SAME))) << "a dropped folder stays";
  EXPECT_EQ(Text(dialog, IDC_FS_FILE), file);

  Choose(file, "2", 2);  // 2 MB: the unit picked reads the number typed
  TypeInCombo(dialog, IDC_FS_FOLDER, folder);
  HWND create = Control(dialog, IDC_FS_CREATE);
  EXPECT_TRUE(IsWindowEnabled(create));
  EXPECT_FALSE(IsWindowEnabled(Control(dialog, IDC_FS_GO))) << "the folder is not there yet";
  Click(create);
  EXPECT_TRUE(FileExists(folder));
  EXPECT_FALSE(IsWindowEnabled(create));
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
  HWND folderField = Control(dialog, IDC_FS_FOLDER);
  EXPECT_TRUE(info.hwndFocus == folderField || IsChild(folderField, info.hwndFocus)) << "the focus goes to it";
  EXPECT_EQ(Text(dialog, IDC_FS_BYTES), "2097152");
  EXPECT_EQ(Text(dialog, IDC_FS_COUNT), "3");
  EXPECT_EQ(Text(dialog, IDC_FS_LAST), std::to_string(5000000 - 2 * 2097152));
  Click(Control(dialog, IDC_FS_JOIN_BATCH));
  Click(Control(dialog, IDC_FS_GO));
  ASSERT_TRUE(WaitIdle(dialog));
  EXPECT_EQ(FileSize(folder + "\\data.bin.001"), 2097152);
  EXPECT_EQ(FileSize(folder + "\\data.bin.003"), 5000000 - 2 * 2097152);
  EXPECT_FALSE(FileExists(folder + "\\data.bin.BAT")) << "\"&Do Join Batch\" was off";
  EXPECT_TRUE(NamesIn(out).empty());
}

// A long run: a sparse 4 GiB file cut into 1 GiB splits through a small
// buffer, so that the worker reports progress thousands of times a second.
// Each click must take effect within 300 ms all the same.
struct FileSplittingLongRun : FileSplittingWindow {
  static constexpr int64_t kGiB = int64_t{1} << 30;
  static constexpr int kSplits = 4;
  static constexpr long kMostMs = 300;
  void SetUp() override { Begin(IDC_CC_FILE_SPLITTING, "File Splitting", SmallBuffer()); }
  // Go, and on until the worker has written a megabyte.
  void Go() {
    file = Scratch("long.bin", kSplits);
    ASSERT_TRUE(WriteSparseFile(file, kSplits * kGiB));
    Choose(file, "1", 3);
    ASSERT_EQ(Text(dialog, IDC_FS_COUNT), std::to_string(kSplits));
    Click(Control(dialog, IDC_FS_GO));
    ASSERT_TRUE(WaitUntil([&] { return Written() > (1 << 20); }, 10000, "writing"));
  }
  // The bytes in every split so far, whole or still under its partial name.
  int64_t Written() const {
    int64_t bytes = 0;
    for (int k = 1; k <= kSplits; ++k)
      for (const std::string& name : {SplitPath(file, k), SplitPath(file, k) + ".~ks"})
        bytes += std::max<int64_t>(FileSize(name), 0);
    return bytes;
  }
  bool Moving() const {
    const int64_t before = Written();
    return WaitUntil([&] { return Written() > before; }, 5000, "split-moving");
  }
  int LastSplit() const {
    int last = 0;
    for (int k = 1; k <= kSplits; ++k)
      if (FileExists(SplitPath(file, k)) || FileExists(SplitPath(file, k) + ".~ks")) last = k;
    return last;
  }
  // Milliseconds from start until the label of Go reads label (-1: never).
  long Relabelled(DWORD start, const std::string& label) {
    if (!WaitUntil([&] { return Text(dialog, IDC_FS_GO) == label; }, 5000, "relabelled")) return -1;
    return static_cast<long>(GetTickCount() - start);
  }
  static void ExpectWithin(long ms, const char* what) {
    EXPECT_TRUE(ms >= 0 && ms <= kMostMs) << what << " took " << ms << " ms (-1: not within 5 s)";
    printf("%s: %ld ms\n", what, ms);
  }
  std::string file;
};

// "1m40s  1000 kB/s": a time, "s", a number and "kB/s".
bool IsFigure(const std::string& text) {
  const size_t unit = text.find(" kB/s"), gap = text.find("s  ");
  return unit != std::string::npos && gap < unit && text.find_first_of("0123456789") == 0;
}

TEST_F(FileSplittingLongRun, PauseUnpauseAndAbortTakeEffectWithin300ms) {
  EXPECT_EQ(Text(dialog, IDC_FS_TIME_SPEED), "");
  ASSERT_NO_FATAL_FAILURE(Go());
  EXPECT_EQ(Text(dialog, IDC_FS_GO), "&Pause");
  EXPECT_EQ(Text(dialog, IDC_FS_HIDE), "Abort");
  for (int id : {IDC_FS_FILE, IDC_FS_SIZE, IDC_FS_JOIN_BATCH}) EXPECT_FALSE(IsWindowEnabled(Control(dialog, id)));
  EXPECT_EQ(BarMax(dialog, IDC_FS_ALL_PROGRESS), kSplits);
  EXPECT_TRUE(WaitUntil([&] { return IsFigure(Text(dialog, IDC_FS_TIME_SPEED)); }, 3000, "speed-shown"))
      << "shown: " << Text(dialog, IDC_FS_TIME_SPEED);
  Shot(dialog, "file-splitting-running");

  // Clicks are posted, as a person's are queued: behind whatever the
  // window's queue holds.
  HWND go = Control(dialog, IDC_FS_GO);
  auto written = [&] { return Written(); };
  DWORD start = GetTickCount();
  PostClick(go);
  ExpectWithin(Relabelled(start, "Un&pause"), "Pause relabelled");
  ExpectWithin(StopsAfter(start, written, 250, 5000, "paused"), "Pause stopped the worker");
  EXPECT_TRUE(Still([&] { return BarPos(dialog, IDC_FS_SPLIT_PROGRESS); }));
  Shot(dialog, "file-splitting-paused");
  start = GetTickCount();
  PostClick(go);
  ExpectWithin(Relabelled(start, "&Pause"), "Unpause relabelled");
  ASSERT_TRUE(Moving());
  ExpectWithin(static_cast<long>(GetTickCount() - start), "Unpause set the worker going");

  // Switching it off in the Command Center asks, and the run waits behind
  // the question; No lets it go on.
  HWND toggle = Control(session->center, IDC_CC_FILE_SPLITTING);
  PostClick(toggle);
  HWND box = FindQuestion(kAbortHeading);
  ASSERT_TRUE(box);
  EXPECT_EQ(GetText(GetDlgItem(box, IDC_ASK_MESSAGE)), "Do you want to terminate the file splitting process?");
  Sleep(300);  // the worker reaches its check point
  EXPECT_TRUE(Still(written)) << "the run went on behind the question";
  PostClick(GetDlgItem(box, IDNO));
  ASSERT_TRUE(WaitGone(box));
  EXPECT_TRUE(WaitUntil([&] { return IsChecked(toggle); }, 5000, "toggle-stays-on"));
  EXPECT_TRUE(Moving()) << "No did not let the run go on";

  // Yes to the abort question: the split being written is the last one.
  PostClick(Control(dialog, IDC_FS_HIDE));
  const int last = LastSplit();
  start = GetTickCount();
  ASSERT_TRUE(AnswerQuestion(kAbortHeading, IDYES));
  ExpectWithin(StopsAfter(start, written, 250, 5000, "aborted"), "Abort stopped the worker");
  EXPECT_LT(LastSplit(), last + 1) << "no split begun after the Yes";
  EXPECT_LT(last, kSplits) << "the run was long enough to abort";
  std::string message;
  ASSERT_TRUE(AnswerQuestion("File Splitting Aborted!", IDOK, &message));
  EXPECT_EQ(message, "The file splitting was aborted. The splits written in full are kept; the split being "
                     "written is gone, and no join batch was written.");
  ASSERT_TRUE(WaitIdle(dialog));
  EXPECT_FALSE(FileExists(SplitPath(file, last)) || FileExists(SplitPath(file, last) + ".~ks"))
      << "the split being written is taken back";
  EXPECT_FALSE(FileExists(SplitPath(file, last + 1)));
  EXPECT_FALSE(FileExists(file + ".BAT"));
  EXPECT_TRUE(WaitUntil([&] { return Text(dialog, IDC_FS_TIME_SPEED).empty(); }, 2000, "speed-emptied"));
}

TEST_F(FileSplittingLongRun, ExitDuringARunNamesItNoKeepsItAndYesStopsItWithNoShortSplit) {
  ASSERT_NO_FATAL_FAILURE(Go());
  const std::string message = Asked(session->center, IDC_CC_EXIT, "Ending Question...", IDNO);
  EXPECT_NE(message.find("File Splitting"), std::string::npos) << message;
  EXPECT_NE(message.find("Do you want to stop it and Exit Kestrova?"), std::string::npos) << message;
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
