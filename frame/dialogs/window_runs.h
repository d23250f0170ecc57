// The window side of a run's start and end: a window takes no dropped
// files while its run goes on.
#pragma once

#include <atomic>

#include "frame/dialogs/dialog.h"

namespace kst {

// Stops taking drops and wakes the subprogram's Second thread.
void StartWindowRun(DialogState& state, int subprogram);
// Takes drops again, brings the window to the front when asked, and marks
// the run no longer active.
void EndWindowRun(DialogState& state, std::atomic<bool>& runActive, bool toFront = true);

}  // namespace kst
