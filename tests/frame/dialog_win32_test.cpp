// A real dialog window fed from another thread, as a worker feeds its
// window: a flush applies what changed, and sets the title and the
// tooltips again only when they changed; closed from another thread, it
// goes quietly. Needs a display.
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

// Waits for done() while answering what the window's thread sends this one.
bool WaitFor(const std::function<bool()>& done) {
  for (int waited = 0; waited < 5000 && !done(); waited += 10) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    Sleep(10);
  }
  return done();
}

std::string TitleOf(HWND window) {
  char text[256] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

}  // namespace

TEST(DialogWindow, AFlushSetsTheTitleAndTooltipsOnlyWhenTheyChanged) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  constexpr int kRecord = 3;
  ClearRecords();
  InstallWin32Dialogs();
  // Left to the window's thread if it never ends, so that a failure cannot hang the run.
  DialogState& state = *new DialogState;
  std::atomic<bool>& ended = *new std::atomic<bool>(false);
  BindRecord(kRecord, state);
  ASSERT_TRUE(DialogInit(IDD_FILE_SPLITTING, state));
  DialogPrepare(kRecord);
  DialogSetTitle(state, "Before");
  DialogSetTooltip(state, IDC_FS_GO, "Go");
  DialogSetTooltip(state, IDC_FS_HIDE, "Hide");
  DialogSetRange(state, IDC_FS_SPLIT_PROGRESS, 0, 100);
  std::thread owner([&] {
    DialogRunModal(state, kRecord);
    ended = true;
  });
  ASSERT_TRUE(WaitFor([&] { return state.window.load() && IsWindowVisible(static_cast<HWND>(state.window.load())); }));
  HWND window = static_cast<HWND>(state.window.load());
  HWND tip = static_cast<HWND>(Record(kRecord).tooltipWindow);
  ASSERT_NE(tip, nullptr);
  EXPECT_EQ(TitleOf(window), "Before");
  EXPECT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 2);

  // Changed behind the flushes' back: a flush that sets them again shows here.
  SetWindowTextA(window, "Outside");
  TOOLINFOA info = {};
  info.cbSize = sizeof info;
  info.uFlags = TTF_IDISHWND;
  info.hwnd = window;
  info.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(window, IDC_FS_GO));
  SendMessageA(tip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
  ASSERT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 1);

  struct Step {
    const char* what;
    std::function<void()> change;  // besides the bar's position
    std::string title;
    LRESULT tools;
  };
  const Step steps[] = {
      {"a value only", [] {}, "Outside", 1},
      {"a tooltip", [&] { DialogSetTooltip(state, IDC_FS_GO, "Go on"); }, "Outside", 2},
      {"the title", [&] { DialogSetTitle(state, "After"); }, "After", 2},
  };
  int position = 10;
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    position += 10;
    s.change();
    DialogSetValue(state, IDC_FS_SPLIT_PROGRESS, position);
    DialogFlush(state);  // from this thread: queued to the window's
    HWND bar = GetDlgItem(window, IDC_FS_SPLIT_PROGRESS);
    EXPECT_TRUE(WaitFor([&] { return SendMessageA(bar, PBM_GETPOS, 0, 0) == position; }));
    SendMessageA(window, WM_NULL, 0, 0);  // answered once the flush has returned
    EXPECT_EQ(TitleOf(window), s.title);
    EXPECT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), s.tools);
    EXPECT_FALSE(state.flushQueued) << "taken by the window";
  }

  // Closed from another thread while its file field has the focus: the field
  // reports losing it as the window goes, which is no malfunction to ask about.
  DialogExit(state);
  if (!WaitFor([&] { return ended.load(); })) {
    owner.detach();
    FAIL() << "the window did not close";
  }
  owner.join();
  delete &ended;
  DialogUninit(state);
  DialogRelease(kRecord);
  SetDialogHooks(DialogHooks{});
  ClearRecords();
  delete &state;
}
