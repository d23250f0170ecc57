#include "frame/job_control.h"

#include "frame/ask.h"
#include "frame/texts.h"

namespace kst {

void StartTurn(JobControl& job) {
  std::lock_guard<std::mutex> lock(job.mutex);
  job.paused = false;
  job.keepGoing = true;
  job.running = true;
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
  if (job.paused.load()) {
    if (job.onHold) job.onHold();
    std::unique_lock<std::mutex> lock(job.mutex);
    job.unpaused.wait(lock, [&] { return !job.paused.load() || !job.keepGoing.load(); });
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

bool TogglePause(JobControl& job) {
  if (job.paused)
    UnpauseJob(job);
  else
    PauseJob(job);
  return job.paused;
}

bool AskToAbort(JobControl& job, void* owner, int questionText, int boxRecord, int ownerRecord) {
  if (!job.running || job.inQuestion.exchange(true)) return false;
  PlayAlert();
  const int answer = AskUser(kAskYesNo, owner, GetText(31), GetText(questionText), boxRecord, ownerRecord);
  job.inQuestion = false;
  if (answer != kAnswerYes) return false;
  AbortJob(job);
  return true;
}

ProgressScale ScaleProgress(int64_t units) {
  ProgressScale s;
  if (units < 0) units = 0;
  s.step = units / 65535 + 1;
  s.range = static_cast<int>(units / s.step);
  return s;
}

}  // namespace kst
