#include "frame/job_control.h"

#include <gtest/gtest.h>

#include <thread>

using namespace kst;

TEST(JobControl, APausedWorkerWaitsAndAnAbortReleasesIt) {
  JobControl job;
  job.keepGoing = true;
  EXPECT_TRUE(CheckPoint(job));

  PauseJob(job);
  std::atomic<int> result{-1};
  std::thread worker([&] { result = CheckPoint(job) ? 1 : 0; });
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(result.load(), -1);  // still waiting
  AbortJob(job);
  worker.join();
  EXPECT_EQ(result.load(), 0);

  job.keepGoing = true;
  PauseJob(job);
  std::thread resumed([&] { result = CheckPoint(job) ? 1 : 0; });
  UnpauseJob(job);
  resumed.join();
  EXPECT_EQ(result.load(), 1);
}

TEST(JobControl, ProgressRangesNeverExceed65535) {
  for (int64_t units : {0LL, 1LL, 65534LL, 65535LL, 65536LL, 131071LL, 10000000000LL}) {
    ProgressScale s = ScaleProgress(units);
    EXPECT_LE(s.range, 65535) << units;
    EXPECT_EQ(s.step, units / 65535 + 1) << units;
    EXPECT_EQ(s.range, units / s.step) << units;
  }
  EXPECT_EQ(ScaleProgress(65535).step, 2);
  EXPECT_EQ(ScaleProgress(65534).step, 1);
}
