// Hooking a subprogram's window to the Clocking System (Kestrova.exe only).
//
// A window that shows a job's speed and time left gets one call when its
// subprogram is installed, for example
//     HookClockWindow(kClockComparing, kComparing, IDC_CF_TIME_SPEED);
// The clock then writes that field once a second while the subprogram's
// job runs (its Second thread, or the extra one when extraJob is true) and
// the window is not minimized, and empties it when the job stops. A window
// with a "&Your Watch" group also names the group's controls (watch) and
// attaches their routines with AttachWatchControls when it sets up.
#pragma once

#include "frame/clock/clock_counters.h"
#include "frame/dialogs/dialog.h"

namespace kst {

// The "&Your Watch" group: the computer's time (a static), the user's
// watch time (an edit the user may type into), the difference, and the
// buttons that take the difference and forget it.
struct WatchControls {
  int computer = 0, watch = 0, difference = 0, adjust = 0, reset = 0;
};

// The group on Split &/Or Copy's window.
WatchControls SplitOrCopyWatch();

void HookClockWindow(ClockId clock, int subprogram, int figureField, bool extraJob = false,
                     WatchControls watch = {});

// Attaches the routines of the "&Your Watch" buttons and shows the offset.
void AttachWatchControls(DialogState& state, const WatchControls& watch);

// The offset kept in the settings becomes the clock's; the windows of
// File Splitting and Split &/Or Copy are hooked.
void InstallClockSystem();

}  // namespace kst
