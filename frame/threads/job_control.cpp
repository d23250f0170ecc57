#include "frame/threads/job_control.h"

#include <chrono>
#include <vector>

#include "frame/dialogs/ask.h"
#include "frame/texts/texts.h"

namespace kst {

void StartTurn(JobControl& job) {
  std::lock_guard<std::mutex> lock(job.mutex);
  job.paused = false;
  job.keepGoing = true;
  job.running = true;
  job.endedWell = false;
  ++job.starts;
}

uint64_t TurnNumber(JobControl& job) {
  std::lock_guard<std::mutex> lock(job.mutex);
  return job.starts;
}

void EndTurn(JobControl& job, uint64_t turn) {
  std::lock_guard<std::mutex> lock(job.mutex);
  if (job.starts != turn) return;
  job.running = false;
  job.keepGoing = false;
  job.paused = false;
}

bool CheckPoint(JobControl& job) {
  auto held = [&] { return (job.paused.load() || job.inQuestion.load()) && job.keepGoing.load(); };
  if (held()) {
    if (job.onHold) job.onHold();
    std::unique_lock<std::mutex> lock(job.mutex);
    // Polled too: a question may be closed by a plain write of the flag.
    while (held()) job.unpaused.wait_for(lock, std::chrono::milliseconds(50));
  }
  return job.keepGoing.load();
}

void PauseJob(JobControl& job) {
  std::lock_guard<std::mutex> lock(job.mutex);
  job.paused = true;
}

void UnpauseJob(JobControl& job) {
  {
    std::lock_guard<std::mutex> lock(job.mutex);
    job.paused = false;
  }
  job.unpaused.notify_all();
}

void AbortJob(JobControl& job) {
  {
    std::lock_guard<std::mutex> lock(job.mutex);
    job.keepGoing = false;
  }
  job.unpaused.notify_all();
}

bool BeginQuestion(JobControl& job) {
  std::lock_guard<std::mutex> lock(job.mutex);
  return !job.inQuestion.exchange(true);
}

void EndQuestion(JobControl& job) {
  {
    std::lock_guard<std::mutex> lock(job.mutex);
    job.inQuestion = false;
  }
  job.unpaused.notify_all();
}

bool TogglePause(JobControl& job) {
  if (job.paused)
    UnpauseJob(job);
  else
    PauseJob(job);
  return job.paused;
}

bool AskAbortHolding(std::initializer_list<JobControl*> jobs, void* owner, int questionText, int boxRecord,
                     int ownerRecord) {
  JobControl& named = **jobs.begin();
  bool anyRunning = false;
  for (JobControl* job : jobs) anyRunning = anyRunning || job->running.load();
  if (!anyRunning || !BeginQuestion(named)) return false;
  struct Held {
    JobControl* job;
    uint64_t turn;
    bool ours;
  };
  std::vector<Held> held;
  for (JobControl* job : jobs)
    held.push_back({job, TurnNumber(*job), job == &named || BeginQuestion(*job)});
  PlayAlert();
  const int answer = AskUser(kAskYesNo, owner, GetText(31), GetText(questionText), boxRecord, ownerRecord);
  bool aborted = false;
  for (const Held& h : held) {
    // A run that ended behind the question has nothing left to abort, and
    // its window shows the end already: the answer must not undo that.
    if (answer == kAnswerYes && h.job->running.load() && TurnNumber(*h.job) == h.turn) {
      AbortJob(*h.job);
      aborted = true;
    }
    if (h.ours) EndQuestion(*h.job);
  }
  return aborted;
}

bool AskToAbort(JobControl& job, void* owner, int questionText, int boxRecord, int ownerRecord) {
  return AskAbortHolding({&job}, owner, questionText, boxRecord, ownerRecord);
}

ProgressScale ScaleProgress(int64_t units) {
  ProgressScale s;
  if (units < 0) units = 0;
  s.step = units / 65535 + 1;
  s.range = static_cast<int>(units / s.step);
  return s;
}

}  // namespace kst
