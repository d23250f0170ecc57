// No loop asks for ever: a prompt answered the same way three times in a
// row while nothing it looks at changed ends the run with a clear line.
#pragma once

#include <string>

namespace kst {

inline constexpr int kSameAnswersAtMost = 3;

struct PromptRepeats {
  std::string lastState;  // what the prompt looked at when last answered
  int same = 0;           // answers in a row that found it unchanged
};

// Notes one answer given while the world looked as state says (a listing
// of the disk, the error met, ...). True when that is the third answer in
// a row with nothing changed: the caller then gives up.
bool GivesUp(PromptRepeats* repeats, const std::string& state);

}  // namespace kst
