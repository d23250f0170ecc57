#include "frame/job_control.h"

#include <gtest/gtest.h>

#include <thread>

using namespace kst;

// The unpause may come before the worker reaches its wait: it must not be lost.
TEST(JobControl, APausedWorkerWaitsAndAnAbortOrUnpauseReleasesIt) {
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

// A bar's range is at most 65535, and it still reaches its end.
TEST(JobControl, ProgressRangesNeverExceed65535) {
  for (int64_t units : {0LL, 1LL, 65534LL, 65535LL, 131071LL, 10000000000LL}) {
    ProgressScale s = ScaleProgress(units);
    EXPECT_LE(s.range, 65535) << units;
    EXPECT_LE(units - s.range * s.step, s.step - 1) << units;
    EXPECT_GE(units - s.range * s.step, 0) << units;
  }
  EXPECT_EQ(ScaleProgress(65534).step, 1);
  EXPECT_EQ(ScaleProgress(65535).step, 2);
}
