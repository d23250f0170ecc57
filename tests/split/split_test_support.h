// What the split tests share: the built-in texts, a scripted person, a
// progress bar that records every move, and a job that may go on.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "frame/dialogs/ask.h"
#include "frame/texts/language_files.h"
#include "frame/threads/job_control.h"
#include "tests/support/scripted_person.h"

namespace splittest {

inline void UseSplitTexts() { kst::LoadBuiltInTexts(); }

using ScriptedPerson = testenv::ScriptedPerson;

// onMove, when set, runs after each move.
struct RecordedBar {
  RecordedBar() {
    sink.setRange = [this](int r) { ranges.push_back(r); };
    sink.setPosition = [this](int p) {
      positions.push_back(p);
      if (onMove) onMove(p);
    };
  }
  RecordedBar(const RecordedBar&) = delete;
  kst::ProgressSink sink;
  std::vector<int> ranges, positions;
  std::function<void(int)> onMove;
};

// As the Go button leaves it.
struct RunningJob {
  RunningJob() { job.running = job.keepGoing = true; }
  kst::JobControl job;
};

}  // namespace splittest
