#include <gtest/gtest.h>

#include <thread>

#include "frame/threads/drives_in_use.h"
#include "frame/threads/subprograms.h"
#include "resources/resource_ids.h"

using namespace kst;

// The unpause may come before the worker reaches its wait: it must not be lost.
TEST(JobControl, APausedWorkerWaitsUntilReleasedAndProgressRangesNeverExceed65535) {
  JobControl job;
  job.keepGoing = true;
  EXPECT_TRUE(CheckPoint(job));
  for (bool abort : {true, false}) {
    job.keepGoing = true;
    PauseJob(job);
    std::atomic<int> result{-1};
    std::thread worker([&] { result = CheckPoint(job) ? 1 : 0; });
    if (abort) std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(result.load(), -1);  // still waiting
    abort ? AbortJob(job) : UnpauseJob(job);
    worker.join();
    EXPECT_EQ(result.load(), abort ? 0 : 1);
  }

  for (int64_t units : {0LL, 1LL, 65534LL, 65535LL, 131071LL, 10000000000LL}) {
    ProgressScale s = ScaleProgress(units);
    EXPECT_TRUE(s.range <= 65535 && units - s.range * s.step >= 0 && units - s.range * s.step < s.step) << units;
  }
  EXPECT_EQ(ScaleProgress(65534).step * 10 + ScaleProgress(65535).step, 12);
}

// A run that ended behind the question is left as it ended; no second question while the first stands.
TEST(JobControl, AnOpenAbortQuestionHoldsTheWorkerUntilItIsAnswered) {
  // endsBehind: the run passes its last check point meanwhile.
  const struct { const char* what; int answer; bool endsBehind, result, goesOn; } cases[] = {
      {"yes", kAnswerYes, false, true, false}, {"no", kAnswerNo, false, false, true},
      {"yes, ended behind the question", kAnswerYes, true, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    JobControl job;
    StartTurn(job);
    const uint64_t turn = TurnNumber(job);
    std::atomic<int> steps{0};
    std::atomic<bool> stopped{false};
    std::thread worker;
    if (!c.endsBehind)
      worker = std::thread([&] {
        for (; CheckPoint(job); ++steps) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        stopped = true;
      });
    int asked = 0;
    bool heldMeanwhile = true, secondRefused = false;
    SetAskHandler([&](const AskRequest&) {
      ++asked;
      if (c.endsBehind) EndTurn(job, turn);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));  // reaching the check point
      const int before = steps.load();
      std::this_thread::sleep_for(std::chrono::milliseconds(60));
      heldMeanwhile = steps.load() == before;
      secondRefused = !AskToAbort(job, nullptr, 32, 22, 3);
      return c.answer;
    });
    EXPECT_EQ(AskToAbort(job, nullptr, 32, 22, 3), c.result);
    SetAskHandler(nullptr);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(secondRefused && !job.inQuestion.load() && heldMeanwhile) << "the worker went on behind the question?";
    if (!c.endsBehind) {
      const int after = steps.load();
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
      EXPECT_TRUE((steps.load() > after) == c.goesOn && stopped.load() != c.goesOn);
      AbortJob(job);
      worker.join();
    }
    EXPECT_EQ(job.running.load(), !c.endsBehind);
    EndTurn(job, turn);
  }
}

TEST(DrivesInUse, OnlyRunningWorkHoldsADrive) {
  Subprogram& disks = GetSubprogram(kTestDisks);
  Subprogram& backup = GetSubprogram(kSplitOrCopy);
  RegisterTemplate(9117, {{IDC_TD_DRIVE, ControlType::ComboBox, "a:\\"}});
  ASSERT_TRUE(DialogInit(9117, disks.state));
  // marked: the backup worker's own word, "" none.
  const struct { const char* what; bool disksRun, backupRun; const char *marked, *asked; int user; } cases[] = {
      {"nothing runs", false, false, "", "A:", -1}, {"the disk test's field", true, false, "", "a:", kTestDisks},
      {"a path on the drive", true, false, "", "A:\\x\\y", kTestDisks}, {"another drive", true, false, "", "B:", -1},
      {"a worker's word", false, true, "b:\\backup", "B:", kSplitOrCopy},
      {"a word of a run that ended", false, false, "b:\\backup", "B:", -1},
      {"no drive at all", true, false, "", "\\\\server\\share", -1},
  };
  for (const auto& c : cases) {
    disks.job.running = c.disksRun, backup.job.running = c.backupRun;
    MarkDriveInUse(kSplitOrCopy, c.marked);
    EXPECT_EQ(DriveUser(c.asked), c.user) << c.what;
  }
  disks.job.running = backup.job.running = false;
  ClearDriveInUse(kSplitOrCopy);
  DialogUninit(disks.state);
}
