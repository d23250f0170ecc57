// The run buttons of a subprogram's window. Go starts a run and, during
// it, pauses and releases it; Hide leaves the window and, during a run,
// aborts it after a question. Their labels and tooltips change with the
// run's phase. Some windows share the run's two acts out otherwise (a
// button of its own for Pause, or Pause on Hide): they call the acts,
// PauseOrContinue and AbortRun, from their own routines.
#pragma once

#include <functional>
#include <vector>

#include "frame/dialogs/dialog.h"
#include "frame/threads/job_control.h"

namespace kst {

enum class RunPhase { Idle, Running, Paused };

struct RunButtons {
  int record = 0;     // the window's dialog record
  int boxRecord = 0;  // the message-box record of the window's own thread
  int go = 0;         // the control that starts a run
  int hide = 0;       // the control that leaves the window
  // Further controls whose texts change with the phase or the window's state.
  std::vector<int> relabelled = {};
  // The abort question's text; 0: the run stops at once, without a question.
  int abortQuestion = 0;
  DialogTexts (*textsOf)(RunPhase phase) = nullptr;  // the window's texts in a phase
};

// Gives Go, Hide and the further controls their label and tooltip for the
// phase, and makes the phase's texts the record's, so that a language
// change relabels them rightly in every phase.
void ShowRunPhase(DialogState& state, const RunButtons& buttons, RunPhase phase);

// Pauses a working run or releases a paused one, and shows which; nothing
// while the run is ending.
void PauseOrContinue(DialogState& state, const RunButtons& buttons, JobControl& job);
// Asks the abort question and aborts on Yes: true when the run was aborted.
bool AbortRun(DialogState& state, const RunButtons& buttons, JobControl& job);

// Go pressed: start runs a new run when none is active; during one the run
// is paused or released.
void PressGo(DialogState& state, const RunButtons& buttons, JobControl& job, bool runActive,
             const std::function<void(DialogState& state)>& start);
// Hide pressed: the window goes when no run is active; during one the run
// is aborted after the question. True when it was aborted, for the window's
// own clean-up.
bool PressHide(DialogState& state, const RunButtons& buttons, JobControl& job, bool runActive);

}  // namespace kst
