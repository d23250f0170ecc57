#include "split/file_splitting.h"

#include <gtest/gtest.h>

#include "frame/clock_counters.h"
#include "frame/platform/platform.h"
#include "split/join_batch.h"
#include "tests/split/split_test_support.h"
#include "tests/support/test_env.h"

namespace {

using kst::SplitOutcome;
using splittest::ScriptedPerson;
using testenv::ReadFile;

constexpr size_t kFloppy = 1457664;

struct FileSplittingTest : ::testing::Test {
  void SetUp() override {
    splittest::UseSplitTexts();
    ASSERT_TRUE(testenv::WriteFile(input.file, bytes));
    ASSERT_TRUE(plat::CreateFolder(input.folder));
  }
  kst::FileSplittingResult Run(kst::ProgressSink* splitsBar = nullptr, kst::ProgressSink* splitBar = nullptr) {
    return kst::RunFileSplitting(input, running.job, splitsBar, splitBar);
  }
  std::string Split(int k) const { return kst::SplitName(input.folder, "movie.avi", k); }
  testenv::ScratchFolder scratch;
  std::string bytes = testenv::PatternBytes(3000000, 5), batch = scratch.Path("out\\movie.avi.BAT");
  kst::FileSplittingInput input{scratch.Path("movie.avi"), scratch.Path("out")};
  splittest::RunningJob running;
};

TEST_F(FileSplittingTest, ThreeMillionBytesMakeThreeSplitsAndTheBatch) {
  splittest::RecordedBar splitsBar, splitBar;
  ScriptedPerson person;
  auto result = Run(&splitsBar.sink, &splitBar.sink);
  ASSERT_EQ(result.outcome, SplitOutcome::Done);
  EXPECT_EQ(ReadFile(Split(1)), bytes.substr(0, kFloppy));
  EXPECT_EQ(ReadFile(Split(2)), bytes.substr(kFloppy, kFloppy));
  EXPECT_EQ(ReadFile(Split(3)), bytes.substr(2 * kFloppy));
  EXPECT_EQ(ReadFile(Split(3)).size(), 84672u);
  EXPECT_EQ(result.batchPath, batch);
  EXPECT_EQ(ReadFile(batch), kst::JoinBatchText(input.file, 3));
  EXPECT_EQ(ReadFile(input.file), bytes);
  EXPECT_TRUE(person.asked.empty());
  EXPECT_EQ(splitsBar.positions, (std::vector<int>{1, 2, 3, 0}));
  EXPECT_EQ(splitBar.ranges, (std::vector<int>{3, 3, 1}));  // 512000-byte buffers
  EXPECT_EQ(kst::Clock(kst::kClockFileSplitting).total.load(), 3000000);
  EXPECT_EQ(kst::Clock(kst::kClockFileSplitting).done.load(), 3000000);
}

TEST_F(FileSplittingTest, RunsThatCannotStartLeaveNoSplit) {
  ScriptedPerson person;
  input.splitSize = 4000000;  // fits one split: not split, not a failure
  EXPECT_EQ(Run().outcome, SplitOutcome::NotStarted);
  EXPECT_TRUE(person.asked.empty());
  input.splitSize = kFloppy;
  input.folder = scratch.Path("nowhere");
  EXPECT_EQ(Run().failure, kst::SplitFailure::SplitOpen);
  input.folder = scratch.Path("out");
  input.file = scratch.Path("gone.avi");  // gone after Go was pressed
  EXPECT_EQ(Run().outcome, SplitOutcome::Failed);
  ASSERT_EQ(person.asked.size(), 2u);
  EXPECT_EQ(person.asked[1].message, "Unknown problem with File for splitting");
  EXPECT_FALSE(plat::PathExists(Split(1)));
  EXPECT_FALSE(plat::PathExists(input.file));
  EXPECT_FALSE(plat::PathExists(scratch.Path("nowhere")));
}

TEST_F(FileSplittingTest, RefusedSplitTakesBackTheSplitsOfThisRunOnly) {
  ASSERT_TRUE(testenv::WriteFile(Split(2), "mine"));
  ScriptedPerson person({kst::kAnswerNo});
  EXPECT_EQ(Run().failure, kst::SplitFailure::Refused);
  EXPECT_FALSE(plat::PathExists(Split(1)));
  EXPECT_EQ(ReadFile(Split(2)), "mine");  // the user's own file
  EXPECT_FALSE(plat::PathExists(Split(3)));
  EXPECT_FALSE(plat::PathExists(batch));
  ASSERT_EQ(person.asked.size(), 3u);
  EXPECT_EQ(person.asked[2].heading, "Unknown problem!");
}

TEST_F(FileSplittingTest, StopBetweenSplitsKeepsThemWithoutBatchOrMessage) {
  splittest::RecordedBar splitsBar;
  splitsBar.onMove = [&](int k) {
    if (k == 2) running.job.keepGoing = false;
  };
  ScriptedPerson person;
  EXPECT_EQ(Run(&splitsBar.sink).outcome, SplitOutcome::Stopped);
  EXPECT_EQ(ReadFile(Split(2)), bytes.substr(kFloppy, kFloppy));
  EXPECT_FALSE(plat::PathExists(Split(3)));
  EXPECT_FALSE(plat::PathExists(batch));
  EXPECT_TRUE(person.asked.empty());
}

TEST_F(FileSplittingTest, BatchThatCannotBeCreatedTakesBackTheSplitsOnly) {
  // A folder where the batch should go is not the run's to delete.
  ASSERT_TRUE(plat::CreateFolder(batch));
  ASSERT_TRUE(testenv::WriteFile(batch + "\\keep.txt", "keep"));
  ScriptedPerson person;
  EXPECT_EQ(Run().outcome, SplitOutcome::Failed);
  for (int k = 1; k <= 3; ++k) EXPECT_FALSE(plat::PathExists(Split(k)));
  EXPECT_EQ(ReadFile(batch + "\\keep.txt"), "keep");
  EXPECT_EQ(person.asked.size(), 1u);
}

}  // namespace
