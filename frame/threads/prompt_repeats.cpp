#include "frame/threads/prompt_repeats.h"

namespace kst {

bool GivesUp(PromptRepeats* repeats, const std::string& state) {
  if (repeats->same > 0 && state == repeats->lastState) {
    ++repeats->same;
  } else {
    repeats->lastState = state;
    repeats->same = 1;
  }
  return repeats->same >= kSameAnswersAtMost;
}

}  // namespace kst
