// What the split tests share: the texts the split code shows, a person who
// answers from a script and remembers every question, a progress bar that
// records every move, and a job that may go on.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "frame/dialogs/ask.h"
#include "frame/texts/texts.h"
#include "frame/threads/job_control.h"
#include "tests/support/scripted_person.h"

namespace splittest {

inline void UseSplitTexts() {
  kst::SetText(44, "File Exists!");
  kst::SetText(45, "Error: File");
  kst::SetText(46, "already exists! Replace?");
  kst::SetText(47, "Well... Start over somewhere else!");
  kst::SetText(48, "File Exists! And Ya ain't gonna replace!");
  kst::SetText(97, "Unknown problem!");
  kst::SetText(98, "Unknown problem with File for splitting");
  kst::SetText(309, "YN \"Delete Splits and Batch?\"");
  kst::SetText(1360, "Bad File Name!");
  kst::SetText(1361, "Windows cannot hold this file name:");
  kst::SetText(1362, "File Splitting Aborted!");
  kst::SetText(1363, "The file splitting was aborted.");
  kst::SetText(1364, "Same File!");
  kst::SetText(1365, "This name is the file to split itself:");
  const char* units[] = {"B", "kB", "MB", "GB", "TB", "PB", "EB"};
  for (int u = 0; u < 7; ++u) kst::SetText(1029 + u, units[u]);
}

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
