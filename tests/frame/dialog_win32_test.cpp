// A real dialog fed from another thread, as a worker feeds its window: a
// flush sets the title and the tooltips again only when they changed, and
// the window closes quietly from another thread. Needs a display.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "frame/dialog.h"
#include "frame/dialog_win32.h"
#include "resources/resource_ids.h"

using namespace kst;

namespace {

bool WaitFor(const std::function<bool()>& done) {
  for (int waited = 0; waited < 5000 && !done(); waited += 10) Sleep(10);
  return done();
}

std::string TitleOf(HWND window) {
  char text[256] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

}  // namespace

TEST(DialogWindow, AFlushSetsTitleAndTooltipsOnlyWhenTheyChanged) {
  constexpr int kRecord = 3;
  ClearRecords();
  InstallWin32Dialogs();
  // Left to the window's thread if it never ends, so that a failure cannot hang the run.
  DialogState& state = *new DialogState;
  std::atomic<bool>& ended = *new std::atomic<bool>(false);
  BindRecord(kRecord, state);
  ASSERT_TRUE(DialogInit(IDD_FILE_SPLITTING, state));
  DialogSetTitle(state, "Before");
  DialogSetTooltip(state, IDC_FS_GO, "Go");
  DialogSetTooltip(state, IDC_FS_HIDE, "Hide");
  DialogSetRange(state, IDC_FS_SPLIT_PROGRESS, 0, 100);
  std::thread owner([&] {
    DialogRunModal(state, kRecord);
    ended = true;
  });
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(static_cast<HWND>(state.window.load())); }));
  HWND window = static_cast<HWND>(state.window.load());
  HWND tip = static_cast<HWND>(Record(kRecord).tooltipWindow);
  ASSERT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 2);
  // Changed behind the flushes' back: a flush that sets them again shows here.
  SetWindowTextA(window, "Outside");
  TOOLINFOA info = {};
  info.cbSize = sizeof info;
  info.hwnd = window;
  info.uFlags = TTF_IDISHWND;
  info.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(window, IDC_FS_GO));
  SendMessageA(tip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));

  const struct {
    std::function<void()> change;  // besides the bar's position
    std::string title;
    LRESULT tools;
  } steps[] = {
      {[] {}, "Outside", 1},
      {[&] { DialogSetTooltip(state, IDC_FS_GO, "Go on"); }, "Outside", 2},
      {[&] { DialogSetTitle(state, "After"); }, "After", 2},
  };
  for (int position = 1; position <= 3; ++position) {
    const auto& s = steps[position - 1];
    s.change();
    DialogSetValue(state, IDC_FS_SPLIT_PROGRESS, position);
    DialogFlush(state);  // queued to the window's thread
    HWND bar = GetDlgItem(window, IDC_FS_SPLIT_PROGRESS);
    EXPECT_TRUE(WaitFor([&] { return SendMessageA(bar, PBM_GETPOS, 0, 0) == position; }));
    SendMessageA(window, WM_NULL, 0, 0);  // answered once the flush has returned
    EXPECT_EQ(TitleOf(window), s.title) << position;
    EXPECT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), s.tools) << position;
  }

  // Its file field has the focus and reports losing it as the window goes:
  // no malfunction to ask about.
  DialogExit(state);
  if (!WaitFor([&] { return ended.load(); })) {
    owner.detach();
    FAIL() << "the window did not close";
  }
  owner.join();
  DialogUninit(state);
  SetDialogHooks(DialogHooks{});
  ClearRecords();
  delete &state;
  delete &ended;
}
