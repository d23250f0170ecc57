// File Splitting as a person uses it: opened from the Command Center, a
// file typed or dropped, the folder chosen or made, Go, Pause, Unpause,
// Abort, About This, and the settings it keeps.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/e2e/command_center_steps.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/files_on_disk.h"

namespace {

using cc_steps::AnswerQuestion;
using cc_steps::FileExists;
using cc_steps::Session;
using cc_steps::Shot;

constexpr int64_t kFloppy = 1457664;
constexpr int64_t kBig = 200 * 1024 * 1024;


std::string SplitPath(const std::string& file, int k) {
  char number[8];
  snprintf(number, sizeof number, ".%03d", k);
  return file + number;
}

// Types into a path field and tells the window, as keys do (a combo box
// does not report text set from outside).
void TypePath(HWND dialog, int comboId, const std::string& text) {
  HWND combo = e2e::Control(dialog, comboId);
  e2e::SetText(combo, text);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(comboId, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(combo));
}

std::string Text(HWND dialog, int id) { return e2e::GetText(e2e::Control(dialog, id)); }

std::vector<std::string> ComboEntries(HWND dialog, int id) {
  HWND combo = e2e::Control(dialog, id);
  std::vector<std::string> entries;
  int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::wstring wide(static_cast<size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(wide.data()));
    char narrow[MAX_PATH * 2] = "";
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, narrow, sizeof narrow, nullptr, nullptr);
    entries.emplace_back(narrow);
  }
  return entries;
}

int BarPos(HWND dialog, int id) { return e2e::ProgressPos(e2e::Control(dialog, id)); }
int BarMax(HWND dialog, int id) {
  return static_cast<int>(SendMessageA(e2e::Control(dialog, id), PBM_GETRANGE, FALSE, 0));
}

bool WaitIdle(HWND dialog, DWORD ms = 60000) {
  return e2e::WaitUntil([&] { return Text(dialog, IDC_FS_GO) == "&Go"; }, ms, "file-splitting-idle");
}

// The bar holds still over a few polls.
bool Still(HWND dialog, int id) {
  int first = BarPos(dialog, id);
  for (int i = 0; i < 5; ++i) {
    Sleep(100);
    if (BarPos(dialog, id) != first) return false;
  }
  return true;
}

// Drops path on the window with the mouse at the centre of control id, as
// the shell does: a drop handle in the program's memory, posted.
void DropOn(e2e::Program& program, HWND dialog, int id, const std::string& path) {
  RECT area;
  GetWindowRect(e2e::Control(dialog, id), &area);
  SetCursorPos((area.left + area.right) / 2, (area.top + area.bottom) / 2);
  std::string block(64, '\0');  // the handle is not at the start of the allocation
  DROPFILES drop = {};
  drop.pFiles = sizeof drop;
  block.append(reinterpret_cast<const char*>(&drop), sizeof drop);
  block += path;
  block.append(2, '\0');
  HANDLE process = program.process.hProcess;
  char* remote = static_cast<char*>(
      VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  ASSERT_TRUE(remote);
  ASSERT_TRUE(WriteProcessMemory(process, remote, block.data(), block.size(), nullptr));
  PostMessageA(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(remote + 64), 0);
}

// The control that has the focus in the window's thread.
HWND FocusOf(HWND dialog) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
  return info.hwndFocus;
}

struct FileSplittingWindow : ::testing::Test {
  void SetUp() override { Begin(e2e::FreshFolder(test())); }
  // Starts Kestrova in folder and opens File Splitting.
  void Begin(const std::string& folder) {
    session = std::make_unique<Session>(folder);
    ASSERT_TRUE(session->center);
    dialog = session->Open(IDC_CC_FILE_SPLITTING, "File Splitting");
    ASSERT_TRUE(dialog);
  }
  void TearDown() override {
    if (session && session->center) session->ExitWithYes();
    for (const std::string& path : bigFiles) DeleteFileA(path.c_str());
  }
  static std::string test() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }
  // A 200 MB file, and its splits, removed after the test.
  std::string BigFile(int splits) {
    std::string path = session->folder + "\\big.bin";
    EXPECT_TRUE(e2e::WriteLargeFile(path, kBig, 1));
    bigFiles.push_back(path);
    for (int k = 1; k <= splits; ++k) bigFiles.push_back(SplitPath(path, k));
    bigFiles.push_back(path + ".BAT");
    return path;
  }
  std::unique_ptr<Session> session;
  HWND dialog = nullptr;
  std::vector<std::string> bigFiles;
};

TEST_F(FileSplittingWindow, SplitsThreeMillionBytesIntoThreeFloppySplitsAndTheBatch) {
  std::string file = session->folder + "\\movie.avi";
  ASSERT_TRUE(e2e::WriteLargeFile(file, 3000000, 1));
  EXPECT_EQ(Text(dialog, IDC_FS_TOTAL), "No File");
  EXPECT_FALSE(IsWindowEnabled(e2e::Control(dialog, IDC_FS_GO)));

  TypePath(dialog, IDC_FS_FILE, file);
  EXPECT_EQ(Text(dialog, IDC_FS_TOTAL), "3000000");
  EXPECT_EQ(Text(dialog, IDC_FS_FOLDER), session->folder) << "\"Same\" puts the splits beside the file";
  EXPECT_EQ(Text(dialog, IDC_FS_SIZE), "1457664");
  EXPECT_EQ(Text(dialog, IDC_FS_UNIT), "B");
  EXPECT_EQ(Text(dialog, IDC_FS_BYTES), "1457664");
  EXPECT_EQ(Text(dialog, IDC_FS_COUNT), "3");
  EXPECT_EQ(Text(dialog, IDC_FS_LAST), "84672");
  EXPECT_TRUE(e2e::IsChecked(e2e::Control(dialog, IDC_FS_JOIN_BATCH)));
  ASSERT_TRUE(IsWindowEnabled(e2e::Control(dialog, IDC_FS_GO)));
  Shot(dialog, "file-splitting-idle");

  e2e::Click(e2e::Control(dialog, IDC_FS_GO));
  ASSERT_TRUE(WaitIdle(dialog));
  EXPECT_EQ(e2e::FileSize(SplitPath(file, 1)), kFloppy);
  EXPECT_EQ(e2e::FileSize(SplitPath(file, 2)), kFloppy);
  EXPECT_EQ(e2e::FileSize(SplitPath(file, 3)), 84672);
  EXPECT_FALSE(FileExists(SplitPath(file, 4)));
  EXPECT_TRUE(FileExists(file + ".BAT"));
  // A run that made every split says so: its bars full, "Done!" for its time.
  EXPECT_TRUE(e2e::WaitUntil([&] {
    return Text(dialog, IDC_FS_TIME_SPEED) == "Done!" && BarMax(dialog, IDC_FS_ALL_PROGRESS) > 0 &&
           BarPos(dialog, IDC_FS_ALL_PROGRESS) == BarMax(dialog, IDC_FS_ALL_PROGRESS) &&
           BarPos(dialog, IDC_FS_SPLIT_PROGRESS) == BarMax(dialog, IDC_FS_SPLIT_PROGRESS);
  }, 5000, "file-splitting-done")) << Text(dialog, IDC_FS_TIME_SPEED);
  EXPECT_TRUE(IsWindowEnabled(e2e::Control(dialog, IDC_FS_FILE)));
  EXPECT_EQ(Text(dialog, IDC_FS_FILE), file) << "the history filled, the field keeps its path";
  EXPECT_EQ(ComboEntries(dialog, IDC_FS_FILE), std::vector<std::string>{file});
  EXPECT_EQ(ComboEntries(dialog, IDC_FS_FOLDER), std::vector<std::string>{session->folder});
}

TEST_F(FileSplittingWindow, MakesTheFolderTypedAndSplitsIntoItInTheUnitChosen) {
  std::string file = session->folder + "\\data.bin";
  ASSERT_TRUE(e2e::WriteLargeFile(file, 5000000, 1));
  e2e::Click(e2e::Control(dialog, IDC_FS_SAME));
  TypePath(dialog, IDC_FS_FILE, file);
  std::string folder = session->folder + "\\made\\here";
  TypePath(dialog, IDC_FS_FOLDER, folder);
  HWND create = e2e::Control(dialog, IDC_FS_CREATE);
  EXPECT_TRUE(IsWindowEnabled(create));
  EXPECT_FALSE(IsWindowEnabled(e2e::Control(dialog, IDC_FS_GO))) << "the folder is not there yet";

  e2e::Click(create);
  EXPECT_TRUE(FileExists(folder));
  EXPECT_FALSE(IsWindowEnabled(create));
  HWND focus = FocusOf(dialog);
  HWND folderField = e2e::Control(dialog, IDC_FS_FOLDER);
  EXPECT_TRUE(focus == folderField || IsChild(folderField, focus)) << "the focus goes to the folder";

  // 2 MB splits: the unit picked reads the number typed.
  e2e::SetText(e2e::Control(dialog, IDC_FS_SIZE), "2");
  e2e::SelectCombo(dialog, IDC_FS_UNIT, 2);
  EXPECT_EQ(Text(dialog, IDC_FS_BYTES), "2097152");
  EXPECT_EQ(Text(dialog, IDC_FS_COUNT), "3");
  EXPECT_EQ(Text(dialog, IDC_FS_LAST), std::to_string(5000000 - 2 * 2097152));
  e2e::Click(e2e::Control(dialog, IDC_FS_JOIN_BATCH));

  e2e::Click(e2e::Control(dialog, IDC_FS_GO));
  ASSERT_TRUE(WaitIdle(dialog));
  EXPECT_EQ(e2e::FileSize(folder + "\\data.bin.001"), 2097152);
  EXPECT_EQ(e2e::FileSize(folder + "\\data.bin.003"), 5000000 - 2 * 2097152);
  EXPECT_FALSE(FileExists(folder + "\\data.bin.BAT")) << "\"&Do Join Batch\" was off";
}

TEST_F(FileSplittingWindow, DropsOnTheFolderGroupChooseTheFolderAndElsewhereTheFile) {
  std::string file = session->folder + "\\dropped.bin";
  ASSERT_TRUE(e2e::WriteLargeFile(file, 3000000, 1));
  std::string out = session->folder + "\\out";
  ASSERT_TRUE(CreateDirectoryA(out.c_str(), nullptr));

  DropOn(session->program, dialog, IDC_FS_SIZE_GROUP, file);
  ASSERT_TRUE(e2e::WaitUntil([&] { return Text(dialog, IDC_FS_FILE) == file; }, 5000, "file-dropped"));
  EXPECT_EQ(Text(dialog, IDC_FS_FOLDER), session->folder);
  EXPECT_TRUE(e2e::IsChecked(e2e::Control(dialog, IDC_FS_SAME)));

  DropOn(session->program, dialog, IDC_FS_FOLDER_GROUP, out);
  ASSERT_TRUE(e2e::WaitUntil([&] { return Text(dialog, IDC_FS_FOLDER) == out; }, 5000, "folder-dropped"));
  EXPECT_FALSE(e2e::IsChecked(e2e::Control(dialog, IDC_FS_SAME))) << "a dropped folder stays";
  EXPECT_EQ(Text(dialog, IDC_FS_FILE), file);

  e2e::Click(e2e::Control(dialog, IDC_FS_GO));
  ASSERT_TRUE(WaitIdle(dialog));
  EXPECT_EQ(e2e::FileSize(out + "\\dropped.bin.003"), 84672);
}

// A long run: a large sparse file cut into large splits through a small
// buffer, so that the worker reports progress thousands of times a second.
// Each click must take effect within 300 ms all the same.
struct FileSplittingLongRun : FileSplittingWindow {
  static constexpr int64_t kFile = int64_t{4} << 30;
  static constexpr int kSplits = 4;  // of 1 GB: a split lasts seconds
  static constexpr int kBuffer = 16384;
  static constexpr long kMostMs = 300;
  void SetUp() override {
    std::string folder = e2e::FreshFolder(test());
    // A settings file is read from 101 bytes on; lines of unknown keys say nothing.
    cc_steps::WriteLines(folder + "\\Kestrova.INI",
                         {"BuffSize=" + std::to_string(kBuffer), "Padding=" + std::string(100, '.')});
    Begin(folder);
  }
  std::string SparseFile() {
    std::string path = session->folder + "\\long.bin";
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = kFile;
    EXPECT_TRUE(SetFilePointerEx(h, size, nullptr, FILE_BEGIN) && SetEndOfFile(h));
    CloseHandle(h);
    bigFiles.push_back(path);
    for (int k = 1; k <= kSplits; ++k) bigFiles.push_back(SplitPath(path, k));
    bigFiles.push_back(path + ".BAT");
    return path;
  }
  // The bytes in every split so far, whole or still under its partial
  // name, and the highest split begun.
  int64_t Written(const std::string& file) {
    int64_t bytes = 0;
    for (int k = 1; k <= kSplits; ++k)
      for (const std::string& name : {SplitPath(file, k), SplitPath(file, k) + ".~ks"})
        bytes += std::max<int64_t>(e2e::FileSize(name), 0);
    return bytes;
  }
  int LastSplit(const std::string& file) {
    int last = 0;
    for (int k = 1; k <= kSplits; ++k)
      if (FileExists(SplitPath(file, k)) || FileExists(SplitPath(file, k) + ".~ks")) last = k;
    return last;
  }
  // Milliseconds from start until the label of Go reads label (-1: never).
  long Relabelled(DWORD start, const std::string& label) {
    if (!e2e::WaitUntil([&] { return Text(dialog, IDC_FS_GO) == label; }, 5000, "relabelled")) return -1;
    return static_cast<long>(GetTickCount() - start);
  }
  static void ExpectWithin(long ms, const char* what) {
    EXPECT_TRUE(ms >= 0 && ms <= kMostMs) << what << " took " << ms << " ms (-1: not within 5 s)";
    printf("%s: %ld ms\n", what, ms);
  }
};

TEST_F(FileSplittingLongRun, PauseUnpauseAndAbortTakeEffectWithin300ms) {
  std::string file = SparseFile();
  TypePath(dialog, IDC_FS_FILE, file);
  e2e::SetText(e2e::Control(dialog, IDC_FS_SIZE), "1");
  e2e::SelectCombo(dialog, IDC_FS_UNIT, 3);
  ASSERT_EQ(Text(dialog, IDC_FS_COUNT), std::to_string(kSplits));

  e2e::Click(e2e::Control(dialog, IDC_FS_GO));
  EXPECT_EQ(Text(dialog, IDC_FS_GO), "&Pause");
  EXPECT_EQ(Text(dialog, IDC_FS_HIDE), "Abort");
  EXPECT_FALSE(IsWindowEnabled(e2e::Control(dialog, IDC_FS_FILE)));
  EXPECT_FALSE(IsWindowEnabled(e2e::Control(dialog, IDC_FS_SIZE)));
  EXPECT_FALSE(IsWindowEnabled(e2e::Control(dialog, IDC_FS_JOIN_BATCH)));
  EXPECT_EQ(BarMax(dialog, IDC_FS_ALL_PROGRESS), kSplits);
  ASSERT_TRUE(e2e::WaitUntil([&] { return Written(file) > 64 * kBuffer; }, 5000, "writing"));
  Shot(dialog, "file-splitting-running");

  // Clicks are posted, as a person's are queued: behind whatever the
  // window's queue holds.
  HWND go = e2e::Control(dialog, IDC_FS_GO);
  auto written = [&] { return Written(file); };
  DWORD start = GetTickCount();
  e2e::PostClick(go);
  ExpectWithin(Relabelled(start, "Un&pause"), "Pause relabelled");
  ExpectWithin(e2e::StopsAfter(start, written, 250, 5000, "paused"), "Pause stopped the worker");
  int64_t held = Written(file);
  EXPECT_TRUE(Still(dialog, IDC_FS_SPLIT_PROGRESS));
  Shot(dialog, "file-splitting-paused");

  // Switching it off in the Command Center asks; No lets it go on.
  HWND toggle = e2e::Control(session->center, IDC_CC_FILE_SPLITTING);
  e2e::PostClick(toggle);
  std::string question;
  ASSERT_TRUE(AnswerQuestion("Abort Action - The Big Question...", IDNO, &question));
  EXPECT_EQ(question, "Do you want to terminate the file splitting process?");
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::IsChecked(toggle); }, 5000, "toggle-stays-on"));
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_EQ(Text(dialog, IDC_FS_GO), "Un&pause") << "the run is still held";
  EXPECT_EQ(Written(file), held);

  start = GetTickCount();
  e2e::PostClick(go);
  ExpectWithin(Relabelled(start, "&Pause"), "Unpause relabelled");
  ASSERT_TRUE(e2e::WaitUntil([&] { return Written(file) > held; }, 5000, "going-on"));
  ExpectWithin(static_cast<long>(GetTickCount() - start), "Unpause set the worker going");
  Sleep(200);

  // Yes to the abort question: the split being written is the last one.
  e2e::PostClick(e2e::Control(dialog, IDC_FS_HIDE));
  int last = LastSplit(file);
  start = GetTickCount();
  ASSERT_TRUE(AnswerQuestion("Abort Action - The Big Question...", IDYES));
  ExpectWithin(e2e::StopsAfter(start, written, 250, 5000, "aborted"), "Abort stopped the worker");
  EXPECT_LT(LastSplit(file), last + 1) << "no split begun after the Yes";
  EXPECT_LT(last, kSplits) << "the run was long enough to abort";
  ASSERT_TRUE(AnswerQuestion("File Splitting Aborted!", IDOK));
  ASSERT_TRUE(WaitIdle(dialog));
  EXPECT_FALSE(FileExists(SplitPath(file, last)) || FileExists(SplitPath(file, last) + ".~ks"))
      << "the split being written is taken back";
  EXPECT_FALSE(FileExists(SplitPath(file, last + 1)));
  EXPECT_FALSE(FileExists(file + ".BAT"));
}

// Aborted inside a split: the splits written whole stay, the one being
// written leaves nothing under any name, and the window says it was aborted.
TEST_F(FileSplittingWindow, AbortInsideASplitKeepsOnlyTheWholeSplitsAndSaysSo) {
  std::string file = BigFile(4);
  TypePath(dialog, IDC_FS_FILE, file);
  e2e::SetText(e2e::Control(dialog, IDC_FS_SIZE), "64");
  e2e::SelectCombo(dialog, IDC_FS_UNIT, 2);
  ASSERT_EQ(Text(dialog, IDC_FS_COUNT), "4");

  e2e::Click(e2e::Control(dialog, IDC_FS_GO));
  HWND go = e2e::Control(dialog, IDC_FS_GO);
  // Paused inside a split that follows a completed one.
  bool inside = false;
  for (int tries = 0; tries < 20 && !inside; ++tries) {
    ASSERT_TRUE(e2e::WaitUntil([&] { return BarPos(dialog, IDC_FS_ALL_PROGRESS) >= 1; }, 20000, "one-split"));
    e2e::Click(go);
    ASSERT_TRUE(e2e::WaitUntil([&] { return Still(dialog, IDC_FS_SPLIT_PROGRESS); }, 5000, "paused"));
    // The split's bar stands at 0 between splits and before a split's
    // first buffer; from 1 on, the split is open and partly written.
    inside = BarPos(dialog, IDC_FS_SPLIT_PROGRESS) >= 1;
    if (!inside) e2e::Click(go);
  }
  ASSERT_TRUE(inside);
  int completed = BarPos(dialog, IDC_FS_ALL_PROGRESS);
  ASSERT_LT(completed, 4);

  e2e::PostClick(e2e::Control(dialog, IDC_FS_HIDE));
  std::string question;
  ASSERT_TRUE(AnswerQuestion("Abort Action - The Big Question...", IDYES, &question));
  EXPECT_EQ(question, "Do you want to terminate the file splitting process?");
  std::string message;
  ASSERT_TRUE(AnswerQuestion("File Splitting Aborted!", IDOK, &message));
  EXPECT_EQ(message, "The file splitting was aborted. The splits written in full are kept; the split being "
                     "written is gone, and no join batch was written.");
  ASSERT_TRUE(WaitIdle(dialog));

  for (int k = 1; k <= completed; ++k) EXPECT_EQ(e2e::FileSize(SplitPath(file, k)), 64 * 1024 * 1024) << k;
  EXPECT_FALSE(FileExists(SplitPath(file, completed + 1)));
  EXPECT_FALSE(FileExists(SplitPath(file, completed + 1) + ".~ks")) << "no partial is left";
  EXPECT_FALSE(FileExists(SplitPath(file, completed + 2)));
  EXPECT_FALSE(FileExists(file + ".BAT"));
  EXPECT_EQ(e2e::FileSize(file), kBig);
  EXPECT_TRUE(IsWindowEnabled(e2e::Control(dialog, IDC_FS_FILE))) << "the window is ready for the next run";
}

TEST_F(FileSplittingWindow, AboutThisShowsTheHelpPage) {
  e2e::PostClick(e2e::Control(dialog, IDC_FS_ABOUT));
  HWND about = e2e::WaitWindow("About File Splitting");
  ASSERT_TRUE(about);
  EXPECT_EQ(Text(about, IDC_AT_HEADING), "File Splitting: Cut it down to size!");
  EXPECT_EQ(Text(about, IDC_AT_OK), "May your splits always join again! - &OK");
  EXPECT_EQ(Text(about, IDC_AT_TEXT).rfind("First: select File you want to split.", 0), 0u);
  Shot(about, "file-splitting-about");
  e2e::Click(e2e::Control(about, IDC_AT_OK));
  EXPECT_TRUE(e2e::WaitGone(about));
  EXPECT_TRUE(IsWindowVisible(dialog));
}

TEST_F(FileSplittingWindow, HideClosesTheWindowAndTheSettingsKeepItsChoices) {
  std::string file = session->folder + "\\kept.bin";
  ASSERT_TRUE(e2e::WriteLargeFile(file, 3000000, 1));
  TypePath(dialog, IDC_FS_FILE, file);
  e2e::Click(e2e::Control(dialog, IDC_FS_JOIN_BATCH));
  e2e::Click(e2e::Control(dialog, IDC_FS_GO));
  ASSERT_TRUE(WaitIdle(dialog));

  e2e::Click(e2e::Control(dialog, IDC_FS_HIDE));
  EXPECT_TRUE(e2e::WaitGone(dialog));
  EXPECT_TRUE(e2e::WaitUntil([&] { return !e2e::IsChecked(e2e::Control(session->center, IDC_CC_FILE_SPLITTING)); },
                             5000, "toggle-off"));
  session->RootsOn();
  session->ExitWithYes();
  session->center = nullptr;
  std::vector<std::string> lines = cc_steps::ReadLines(session->folder + "\\Kestrova.INI");
  auto trimmed = [](std::string v) { return v.erase(v.find_last_not_of(' ') + 1); };
  EXPECT_EQ(trimmed(cc_steps::ValueOf(lines, "FSFileName")), file);
  EXPECT_EQ(trimmed(cc_steps::ValueOf(lines, "FSFolder")), session->folder);
  EXPECT_EQ(cc_steps::ValueOf(lines, "FSJoinLog"), " 0");
  EXPECT_EQ(cc_steps::ValueOf(lines, "FSAutoLink"), "-1");
  EXPECT_EQ(trimmed(cc_steps::ValueOf(lines, "FSFileNameList")), "01" + file);
  EXPECT_EQ(trimmed(cc_steps::ValueOf(lines, "FSFolderList")), "01" + session->folder);

  // Started again, the window opens with them.
  Session again(session->folder);
  ASSERT_TRUE(again.center);
  HWND reopened = again.Open(IDC_CC_FILE_SPLITTING, "File Splitting");
  ASSERT_TRUE(reopened);
  EXPECT_EQ(Text(reopened, IDC_FS_FILE), file);
  EXPECT_EQ(Text(reopened, IDC_FS_COUNT), "3");
  EXPECT_FALSE(e2e::IsChecked(e2e::Control(reopened, IDC_FS_JOIN_BATCH)));
  EXPECT_EQ(ComboEntries(reopened, IDC_FS_FILE), std::vector<std::string>{file});
  again.ExitWithYes();
}

}  // namespace
