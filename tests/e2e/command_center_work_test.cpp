// The Command Center while work runs and under quick hands: Exit during a
// File Splitting run names the run and Yes stops it before the program
// goes; the abort question holds the run while it is open; a double press
// on a toggle leaves the toggle telling the truth, and a closed window
// stays closed.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "resources/resource_ids.h"
#include "tests/e2e/command_center_steps.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/files_on_disk.h"

namespace {

using namespace cc_steps;

constexpr int64_t kGiB = int64_t{1} << 30;
constexpr int kSplits = 4;  // of 1 GiB from a sparse 4 GiB file: a split lasts seconds
const char* const kAbortHeading = "Abort Action - The Big Question...";

std::string SplitPath(const std::string& file, int k) {
  char number[8];
  std::snprintf(number, sizeof number, ".%03d", k);
  return file + number;
}

// Kestrova with File Splitting open, splitting a sparse 4 GiB file into
// 1 GiB splits through a small buffer.
struct SplitRun {
  std::unique_ptr<Session> session;
  HWND dialog = nullptr;
  std::string file;

  explicit SplitRun(const std::string& name) {
    const std::string folder = e2e::FreshFolder(name);
    // A settings file is read from 101 bytes on; unknown keys say nothing.
    WriteLines(folder + "\\Kestrova.INI", {"BuffSize=16384", "Padding=" + std::string(100, '.')});
    file = folder + "\\long.bin";
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = kSplits * kGiB;
    SetFilePointerEx(h, size, nullptr, FILE_BEGIN);
    SetEndOfFile(h);
    CloseHandle(h);
    session = std::make_unique<Session>(folder);
    if (session->center) dialog = session->Open(IDC_CC_FILE_SPLITTING, "File Splitting");
  }
  ~SplitRun() {
    for (int k = 1; k <= kSplits; ++k) {
      DeleteFileA(SplitPath(file, k).c_str());
      DeleteFileA((SplitPath(file, k) + ".~ks").c_str());
    }
    DeleteFileA((file + ".BAT").c_str());
    DeleteFileA(file.c_str());
  }
  // Go, and on until the worker has written some bytes.
  bool Start() {
    HWND combo = e2e::Control(dialog, IDC_FS_FILE);
    e2e::SetText(combo, file);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_FS_FILE, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(combo));
    e2e::SetText(e2e::Control(dialog, IDC_FS_SIZE), "1");
    e2e::SelectCombo(dialog, IDC_FS_UNIT, 3);
    e2e::Click(e2e::Control(dialog, IDC_FS_GO));
    return e2e::WaitUntil([&] { return Written() > 64 * 16384; }, 10000, "split-writing");
  }
  // The bytes written so far, under the splits' real and partial names.
  int64_t Written() const {
    int64_t bytes = 0;
    for (int k = 1; k <= kSplits; ++k)
      for (const std::string& name : {SplitPath(file, k), SplitPath(file, k) + ".~ks"})
        bytes += std::max<int64_t>(e2e::FileSize(name), 0);
    return bytes;
  }
  bool Moving() const {
    const int64_t before = Written();
    return e2e::WaitUntil([&] { return Written() > before; }, 5000, "split-moving");
  }
  // Holds still for half a second (polled 5 times).
  bool Still() const {
    const int64_t first = Written();
    for (int i = 0; i < 5; ++i) {
      Sleep(100);
      if (Written() != first) return false;
    }
    return true;
  }
};

TEST(CommandCenterWork, ExitDuringASplitNamesItNoKeepsItAndYesStopsItWithNoShortSplit) {
  SplitRun run("cc-exit-during-split");
  ASSERT_TRUE(run.dialog);
  ASSERT_TRUE(run.Start());
  HWND exit = e2e::Control(run.session->center, IDC_CC_EXIT);
  e2e::PostClick(exit);
  std::string message;
  ASSERT_TRUE(AnswerQuestion("Ending Question...", IDNO, &message));
  EXPECT_NE(message.find("File Splitting"), std::string::npos) << message;
  EXPECT_NE(message.find("Do you want to stop it and Exit Kestrova?"), std::string::npos) << message;
  EXPECT_TRUE(run.Moving()) << "No stopped the run";

  e2e::PostClick(exit);
  ASSERT_TRUE(AnswerQuestion("Ending Question...", IDYES));
  EXPECT_TRUE(e2e::WaitExit(run.session->program, 30000)) << "the run did not stop within the bound";
  for (int k = 1; k <= kSplits; ++k) {
    const int64_t size = e2e::FileSize(SplitPath(run.file, k));
    EXPECT_TRUE(size < 0 || size == kGiB) << "a short split under its real name: " << k << ", " << size;
  }
}

// Switching the toggle off during a run asks; while the question is open
// the run waits, No lets it go on, and Yes stops it with the window open.
TEST(CommandCenterWork, TheAbortQuestionHoldsTheRunUntilItIsAnswered) {
  SplitRun run("cc-abort-holds");
  ASSERT_TRUE(run.dialog);
  ASSERT_TRUE(run.Start());
  HWND toggle = e2e::Control(run.session->center, IDC_CC_FILE_SPLITTING);
  for (int answer : {IDNO, IDYES}) {
    e2e::PostClick(toggle);
    HWND box = FindQuestion(kAbortHeading);
    ASSERT_TRUE(box);
    Sleep(300);  // the worker reaches its check point
    EXPECT_TRUE(run.Still()) << "the run went on behind the question";
    e2e::PostClick(GetDlgItem(box, answer));
    ASSERT_TRUE(e2e::WaitGone(box));
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::IsChecked(toggle); }, 5000, "toggle-stays-on"));
    if (answer == IDNO) {
      EXPECT_TRUE(run.Moving()) << "No did not let the run go on";
    }
  }
  EXPECT_TRUE(e2e::WaitUntil([&] { return run.Still(); }, 10000, "run-stopped")) << "Yes did not stop the run";
  EXPECT_TRUE(IsWindowVisible(run.dialog));
  run.session->ExitWithYes();
}

// A double press may come before the window is there: the toggle and the
// window agree afterwards, and a window closed stays closed.
TEST(CommandCenterWork, ADoublePressOnAToggleLeavesItTellingTheTruth) {
  Session s(e2e::FreshFolder("cc-double-press"));
  ASSERT_TRUE(s.center);
  HWND toggle = e2e::Control(s.center, IDC_CC_FILE_SPLITTING);
  e2e::PostClick(toggle);
  e2e::PostClick(toggle);
  HWND dialog = e2e::WaitWindow("File Splitting", 5000);
  Sleep(500);
  SendMessageA(s.center, WM_NULL, 0, 0);
  const bool open = dialog && IsWindow(dialog) && IsWindowVisible(dialog);
  EXPECT_EQ(e2e::IsChecked(toggle), open) << "the toggle says otherwise than the window";
  if (open) {
    e2e::PostClick(e2e::Control(dialog, IDC_FS_HIDE));
    ASSERT_TRUE(e2e::WaitGone(dialog));
  }
  EXPECT_TRUE(e2e::WaitUntil([&] { return !e2e::IsChecked(toggle); }, 5000, "toggle-off"));
  Sleep(2000);
  EXPECT_EQ(FindWindowA("#32770", "File Splitting"), nullptr) << "the window opened again by itself";
  EXPECT_FALSE(e2e::IsChecked(toggle));
  s.ExitWithYes();
}

}  // namespace
