// What the split tests share: the texts the split code shows, a scripted
// person who answers questions and remembers them, and a progress bar that
// records every move.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "frame/ask.h"
#include "frame/job_control.h"
#include "frame/texts.h"

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
  const char* units[] = {"B", "kB", "MB", "GB", "TB", "PB", "EB"};
  for (int u = 0; u < 7; ++u) kst::SetText(1029 + u, units[u]);
}

// Answers Yes/No questions from a script (No once it runs out) and OK boxes
// with OK; keeps every request.
struct ScriptedPerson {
  explicit ScriptedPerson(std::vector<int> yesNoAnswers = {}) : answers(std::move(yesNoAnswers)) {
    kst::SetAskHandler([this](const kst::AskRequest& r) {
      asked.push_back(r);
      if (r.style == kst::kAskOk) return static_cast<int>(kst::kAnswerOk);
      if (next < answers.size()) return answers[next++];
      return static_cast<int>(kst::kAnswerNo);
    });
  }
  ~ScriptedPerson() { kst::SetAskHandler(nullptr); }
  ScriptedPerson(const ScriptedPerson&) = delete;
  ScriptedPerson& operator=(const ScriptedPerson&) = delete;

  std::vector<int> answers;
  size_t next = 0;
  std::vector<kst::AskRequest> asked;
};

// A progress bar that records its range and every position it was moved
// to; onMove, when set, runs after each move.
struct RecordedBar {
  RecordedBar() {
    sink.setRange = [this](int r) { ranges.push_back(r); };
    sink.setPosition = [this](int p) {
      positions.push_back(p);
      if (onMove) onMove(p);
    };
  }
  RecordedBar(const RecordedBar&) = delete;
  RecordedBar& operator=(const RecordedBar&) = delete;

  kst::ProgressSink sink;
  std::vector<int> ranges;
  std::vector<int> positions;
  std::function<void(int)> onMove;
};

// A job that may go on, as the Go button leaves it.
struct RunningJob {
  RunningJob() {
    job.running = true;
    job.keepGoing = true;
  }
  kst::JobControl job;
};

}  // namespace splittest
