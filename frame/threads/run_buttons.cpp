#include "frame/threads/run_buttons.h"

#include <algorithm>

#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"

namespace kst {

void ShowRunPhase(DialogState& state, const RunButtons& buttons, RunPhase phase) {
  DialogTexts texts = buttons.textsOf(phase);
  const std::vector<int>& more = buttons.relabelled;
  for (const ControlTexts& t : texts.controls) {
    if (t.controlId != buttons.go && t.controlId != buttons.hide &&
        std::find(more.begin(), more.end(), t.controlId) == more.end())
      continue;
    DialogSet(state, t.controlId, Trimmed(GetText(t.labelText)));
    // A phase without a tooltip of its own takes the old one away.
    DialogSetTooltip(state, t.controlId, Trimmed(GetText(t.tooltipText)));
  }
  SetRecordTexts(buttons.record, std::move(texts));
}

void PauseOrContinue(DialogState& state, const RunButtons& buttons, JobControl& job) {
  if (!job.running) return;  // the run is ending
  ShowRunPhase(state, buttons, TogglePause(job) ? RunPhase::Paused : RunPhase::Running);
  DialogFlush(state);
}

bool AbortRun(DialogState& state, const RunButtons& buttons, JobControl& job) {
  if (buttons.abortQuestion == 0) {
    AbortJob(job);
    return true;
  }
  return AskToAbort(job, state.window.load(), buttons.abortQuestion, buttons.boxRecord, buttons.record);
}

void PressGo(DialogState& state, const RunButtons& buttons, JobControl& job, bool runActive,
             const std::function<void(DialogState& state)>& start) {
  if (runActive)
    PauseOrContinue(state, buttons, job);
  else
    start(state);
}

bool PressHide(DialogState& state, const RunButtons& buttons, JobControl& job, bool runActive) {
  if (runActive) return AbortRun(state, buttons, job);
  DialogExit(state);
  return false;
}

}  // namespace kst
