#include "frame/clock/clock_windows.h"

#include <windows.h>

#include <string>
#include <vector>

#include "frame/clock/clock_figures.h"
#include "frame/clock/clock_system.h"
#include "frame/dialogs/dialog_win32.h"
#include "frame/settings/settings.h"
#include "frame/threads/subprograms.h"
#include "resources/resource_ids.h"

namespace kst {

namespace {


// Whether the user is typing in control id of the window (its thread's focus).
bool Typing(HWND window, int id) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  DWORD thread = GetWindowThreadProcessId(window, nullptr);
  return GetGUIThreadInfo(thread, &info) && info.hwndFocus && info.hwndFocus == GetDlgItem(window, id);
}

void ShowOffset(DialogState& state, const WatchControls& watch) {
  if (watch.difference) DialogSet(state, watch.difference, OffsetText(WatchOffsetNow()));
}

void TakeOffset(DialogState& state, const WatchControls& watch, int64_t offset) {
  SetWatchOffset(offset);
  AppSettings().ywt = static_cast<int32_t>(offset);
  ShowOffset(state, watch);
  DialogSet(state, watch.watch, WatchTime(plat::Now(), offset));
  DialogFlush(state);
}

}  // namespace

// While the Second thread runs, its figure has the field, and an extra job
// beside it (Copy &/Or Join's joining) waits its turn: alone says so.
static void HookClockView(ClockId clock, int subprogram, int figureField, bool extraJob, bool alone,
                   WatchControls watch) {
  Subprogram* s = &GetSubprogram(subprogram);
  ClockView view;
  view.open = [s] { return s->state.window.load() != nullptr; };
  view.running = [s, extraJob, alone] {
    if (alone && s->job.running.load()) return false;
    return (extraJob ? s->extraJob : s->job).running.load();
  };
  view.paused = [s, extraJob] { return (extraJob ? s->extraJob : s->job).paused.load(); };
  // The extra job's finish waits while the Second thread has the field.
  view.finished = [s, extraJob, alone] {
    if (alone && s->job.running.load()) return false;
    return (extraJob ? s->extraJob : s->job).endedWell.load();
  };
  view.turn = [s, extraJob] { return TurnNumber(extraJob ? s->extraJob : s->job); };
  view.minimized = [s] {
    HWND window = WindowOf(s->state);
    return window && IsIconic(window);
  };
  if (figureField) {
    view.showFigure = [s, figureField](const std::string& text) {
      DialogSet(s->state, figureField, text);
      DialogFlush(s->state);
    };
  }
  if (watch.watch || watch.computer) {
    view.showWatch = [s, watch](const std::string& text) {
      DialogState& state = s->state;
      if (watch.computer) DialogSet(state, watch.computer, WatchTime(plat::Now(), 0));
      HWND window = WindowOf(state);
      if (watch.watch && window && !Typing(window, watch.watch)) DialogSet(state, watch.watch, text);
      DialogFlush(state);
    };
  }
  HookClock(clock, std::move(view));
}

void HookClockWindow(ClockId clock, int subprogram, int figureField, bool extraJob, WatchControls watch) {
  HookClockView(clock, subprogram, figureField, extraJob, false, watch);
}


void AttachWatchControls(DialogState& state, const WatchControls& watch) {
  DialogSetCallback(state, watch.adjust, [watch](DialogState& st, int, int, const std::vector<std::string>&) {
    // A text that is no time of day gives way to the watch time as it was.
    int64_t offset = WatchOffsetNow();
    WatchOffset(DialogGet(st, watch.watch), plat::Now(), &offset);
    TakeOffset(st, watch, offset);
  });
  DialogSetCallback(state, watch.reset, [watch](DialogState& st, int, int, const std::vector<std::string>&) {
    TakeOffset(st, watch, 0);
  });
  DialogSet(state, watch.computer, WatchTime(plat::Now(), 0));
  DialogSet(state, watch.watch, WatchTime(plat::Now(), WatchOffsetNow()));
  ShowOffset(state, watch);
}

WatchControls SplitOrCopyWatch() {
  return WatchControls{IDC_SC_COMPUTER_CLOCK, IDC_SC_WATCH, IDC_SC_WATCH_DIFFERENCE, IDC_SC_ADJUST, IDC_SC_RESET};
}

void InstallClockSystem() {
  SetWatchOffset(AppSettings().ywt);
  HookClockWindow(kClockFileSplitting, kFileSplitting, IDC_FS_TIME_SPEED);
  HookClockWindow(kClockSplitCopy, kSplitOrCopy, IDC_SC_TIME_SPEED, false, SplitOrCopyWatch());
  // The joining's figure shows in Copy &/Or Join's field when no restore runs.
  HookClockView(kClockJoining, kCopyOrJoin, IDC_CJ_TIME_SPEED, true, true, {});
}

}  // namespace kst
