// The control flags a subprogram's dialog shares with its worker threads,
// and the progress bar the worker moves. Pause is cooperative: the worker
// waits at its next check point (between buffers, files and disks: the same
// points where it reads keep-going), so it never stops holding a lock.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <mutex>

namespace kst {

struct JobControl {
  std::atomic<bool> shown{false};       // the subprogram's toggle is on
  std::atomic<bool> running{false};     // the worker works
  std::atomic<bool> keepGoing{false};   // cleared to abort
  std::atomic<bool> paused{false};      // the worker waits at its check point
  std::atomic<bool> inQuestion{false};  // a question must be answered first
  // The last turn finished its job: set by the work, cleared when a turn starts.
  std::atomic<bool> endedWell{false};
  std::mutex mutex;
  std::condition_variable unpaused;
  uint64_t starts = 0;  // under mutex: one more for every start of a turn
  // Run by the worker when it stops at a check point to wait while paused:
  // its screen updates are paced, so the last ones may still be held.
  std::function<void()> onHold;
};

// A turn of the worker: StartTurn sets the flags for it (before the worker
// is woken) and tells the start apart from those before it; EndTurn, after
// the work returns, clears the flags unless another start came in while the
// turn was ending, whose flags (and an abort or pause given to it) stand.
void StartTurn(JobControl& job);
uint64_t TurnNumber(JobControl& job);
void EndTurn(JobControl& job, uint64_t turn);

// A worker's check point: waits while the job is paused or its abort
// question is open (the answer decides whether the work goes on), then
// tells whether the work may go on.
bool CheckPoint(JobControl& job);
void PauseJob(JobControl& job);
void UnpauseJob(JobControl& job);
// Clears keep-going and releases a paused worker so that it can stop.
void AbortJob(JobControl& job);
// Holds the worker at its next check point while a question about the job
// is open: false when another question holds it already. EndQuestion lets
// it go on (or stop, when the answer aborted it).
bool BeginQuestion(JobControl& job);
void EndQuestion(JobControl& job);
// Asks the abort question (heading text 31) about jobs when one of them
// runs, holding each at its check point meanwhile (the first one's flag
// says the question is open);
// Yes aborts every one that still runs the turn it ran when asked. True
// when something was aborted: false for No, for a question already open,
// and for a run that ended while the question stood.
bool AskAbortHolding(std::initializer_list<JobControl*> jobs, void* owner, int questionText, int boxRecord,
                     int ownerRecord);

// The run buttons every subprogram's window has. Go pressed during a run
// pauses a working job or releases a paused one: true when it is paused
// now. Hide (Abort) pressed during a run asks the abort question (heading
// text 31, the subprogram's own question text), one question at a time,
// and aborts on Yes: true when it aborted.
bool TogglePause(JobControl& job);
bool AskToAbort(JobControl& job, void* owner, int questionText, int boxRecord, int ownerRecord);

// Where a worker reports progress; any part may be empty.
struct ProgressSink {
  std::function<void(int range)> setRange;  // the bar's range 0..range (at most 65535)
  std::function<void(int position)> setPosition;
};

// Moves a progress bar over `units` units without ever giving it a range
// above 65535: the bar moves once every step units.
struct ProgressScale {
  int64_t step = 1;
  int range = 0;
};
ProgressScale ScaleProgress(int64_t units);

// A sink's bar over `units` blocks or buffers of one file: it moves once
// every step units, the range staying within 65535; up to 65535 units it
// moves every unit (unlike ScaleProgress).
struct UnitProgress {
  ProgressSink* sink = nullptr;
  int64_t step = 1;

  void Start(int64_t units) {
    if (!sink) return;
    step = units > 65535 ? units / 65535 + 1 : 1;
    if (sink->setRange) sink->setRange(static_cast<int>(units / step));
  }
  void Move(int64_t unit) {
    if (sink && sink->setPosition) sink->setPosition(static_cast<int>(unit / step));
  }
};

}  // namespace kst
