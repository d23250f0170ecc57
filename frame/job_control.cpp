#include "frame/job_control.h"

namespace kst {

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

ProgressScale ScaleProgress(int64_t units) {
  ProgressScale s;
  if (units < 0) units = 0;
  s.step = units / 65535 + 1;
  s.range = static_cast<int>(units / s.step);
  return s;
}

}  // namespace kst
