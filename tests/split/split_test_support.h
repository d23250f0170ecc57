// What the split, compare and wav tests share: the test environment, the
// built-in texts, a scripted person, a bar that records moves, a job.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "frame/dialogs/ask.h"
#include "frame/platform/platform.h"
#include "frame/texts/language_files.h"
#include "frame/threads/job_control.h"
#include "tests/support/scripted_person.h"
#include "tests/support/test_env.h"

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
