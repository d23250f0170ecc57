#include "split/file_splitting.h"

#include <gtest/gtest.h>

#include "frame/clock_counters.h"
#include "frame/platform/platform.h"
#include "split/join_batch.h"
#include "tests/split/split_test_support.h"
#include "tests/support/test_env.h"

namespace {

using kst::FileSplittingInput;
using kst::RunFileSplitting;
using kst::SplitOutcome;
using splittest::RecordedBar;
using splittest::RunningJob;
using splittest::ScriptedPerson;
using testenv::PatternBytes;
using testenv::ReadFile;
using testenv::ScratchFolder;
using testenv::WriteFile;

struct FileSplittingTest : ::testing::Test {
  void SetUp() override {
    splittest::UseSplitTexts();
    file = scratch.Path("movie.avi");
    bytes = PatternBytes(3000000, 5);
    ASSERT_TRUE(WriteFile(file, bytes));
    ASSERT_TRUE(plat::CreateFolder(scratch.Path("out")));
    input.file = file;
    input.folder = scratch.Path("out");
  }
  std::string Split(int k) const {
    return scratch.Path("out\\movie.avi.00") + std::to_string(k);
  }
  ScratchFolder scratch;
  std::string file, bytes;
  FileSplittingInput input;
  RunningJob running;
};

TEST_F(FileSplittingTest, ThreeMillionBytesMakeThreeSplitsAndTheBatch) {
  RecordedBar splitsBar, splitBar;
  ScriptedPerson person;
  auto result = RunFileSplitting(input, running.job, &splitsBar.sink, &splitBar.sink);
  ASSERT_EQ(result.outcome, SplitOutcome::Done);
  EXPECT_EQ(result.plan.count, 3);
  EXPECT_EQ(result.completed, 3);
  EXPECT_EQ(ReadFile(Split(1)), bytes.substr(0, 1457664));
  EXPECT_EQ(ReadFile(Split(2)), bytes.substr(1457664, 1457664));
  EXPECT_EQ(ReadFile(Split(3)), bytes.substr(2915328));
  EXPECT_EQ(ReadFile(Split(3)).size(), 84672u);
  EXPECT_EQ(result.batchPath, scratch.Path("out\\movie.avi.BAT"));
  EXPECT_EQ(ReadFile(result.batchPath), kst::JoinBatchText(file, 3));
  EXPECT_EQ(ReadFile(file), bytes);
  EXPECT_TRUE(person.asked.empty());
  EXPECT_EQ(splitsBar.ranges, std::vector<int>{3});
  EXPECT_EQ(splitsBar.positions, (std::vector<int>{1, 2, 3, 0}));
  EXPECT_EQ(splitBar.ranges, (std::vector<int>{3, 3, 1}));  // 512000-byte buffers

  kst::ClockCounters& clock = kst::Clock(kst::kClockFileSplitting);
  EXPECT_EQ(clock.total.load(), 3000000);
  EXPECT_EQ(clock.done.load(), 3000000);
}

TEST_F(FileSplittingTest, FileThatFitsOneSplitIsNotSplit) {
  input.splitSize = 4000000;
  ScriptedPerson person;
  auto result = RunFileSplitting(input, running.job);
  EXPECT_EQ(result.outcome, SplitOutcome::NotStarted);
  EXPECT_FALSE(plat::PathExists(Split(1)));
  EXPECT_TRUE(person.asked.empty());
}

TEST_F(FileSplittingTest, VanishedFileIsAnUnknownProblem) {
  input.file = scratch.Path("gone.avi");
  ScriptedPerson person;
  auto result = RunFileSplitting(input, running.job);
  EXPECT_EQ(result.outcome, SplitOutcome::Failed);
  ASSERT_EQ(person.asked.size(), 1u);
  EXPECT_EQ(person.asked[0].heading, "Unknown problem!");
  EXPECT_EQ(person.asked[0].message, "Unknown problem with File for splitting");
  EXPECT_FALSE(plat::PathExists(input.file));
  EXPECT_FALSE(plat::PathExists(scratch.Path("out\\gone.avi.001")));
}

TEST_F(FileSplittingTest, RefusedSplitTakesBackTheSplitsOfThisRunOnly) {
  const std::string mine = PatternBytes(100, 3);
  ASSERT_TRUE(WriteFile(Split(2), mine));
  ScriptedPerson person({kst::kAnswerNo});
  auto result = RunFileSplitting(input, running.job);
  EXPECT_EQ(result.outcome, SplitOutcome::Failed);
  EXPECT_EQ(result.failure, kst::SplitFailure::Refused);
  EXPECT_EQ(result.completed, 1);
  EXPECT_FALSE(plat::PathExists(Split(1)));
  EXPECT_EQ(ReadFile(Split(2)), mine);  // the user's own file
  EXPECT_FALSE(plat::PathExists(Split(3)));
  EXPECT_FALSE(plat::PathExists(scratch.Path("out\\movie.avi.BAT")));
  ASSERT_EQ(person.asked.size(), 3u);
  EXPECT_EQ(person.asked[2].heading, "Unknown problem!");
}

TEST_F(FileSplittingTest, StopBetweenSplitsKeepsThemWithoutBatchOrMessage) {
  RecordedBar splitsBar;
  splitsBar.onMove = [&](int k) {
    if (k == 2) running.job.keepGoing = false;
  };
  ScriptedPerson person;
  auto result = RunFileSplitting(input, running.job, &splitsBar.sink);
  EXPECT_EQ(result.outcome, SplitOutcome::Stopped);
  EXPECT_EQ(result.completed, 2);
  EXPECT_EQ(ReadFile(Split(1)), bytes.substr(0, 1457664));
  EXPECT_EQ(ReadFile(Split(2)), bytes.substr(1457664, 1457664));
  EXPECT_FALSE(plat::PathExists(Split(3)));
  EXPECT_FALSE(plat::PathExists(scratch.Path("out\\movie.avi.BAT")));
  EXPECT_TRUE(person.asked.empty());
  EXPECT_EQ(splitsBar.positions.back(), 0);
}

TEST_F(FileSplittingTest, StopInsideASplitIsAFailure) {
  RecordedBar splitBar;
  int buffers = 0;
  splitBar.onMove = [&](int position) {
    if (position != 0 && ++buffers == 4) running.job.keepGoing = false;  // one into split 2
  };
  ScriptedPerson person;
  auto result = RunFileSplitting(input, running.job, nullptr, &splitBar.sink);
  EXPECT_EQ(result.outcome, SplitOutcome::Failed);
  EXPECT_EQ(result.failure, kst::SplitFailure::Stopped);
  EXPECT_FALSE(plat::PathExists(Split(1)));
  EXPECT_EQ(ReadFile(Split(2)), bytes.substr(1457664, 512000));  // left as far as it got
  ASSERT_EQ(person.asked.size(), 1u);
  EXPECT_EQ(person.asked[0].heading, "Unknown problem!");
}

TEST_F(FileSplittingTest, BatchThatCannotBeCreatedTakesBackTheSplits) {
  // A folder where the batch should go: the batch cannot be created, and
  // the folder is not the run's to delete.
  ASSERT_TRUE(plat::CreateFolder(scratch.Path("out\\movie.avi.BAT")));
  ASSERT_TRUE(WriteFile(scratch.Path("out\\movie.avi.BAT\\keep.txt"), "keep"));
  ScriptedPerson person;
  auto result = RunFileSplitting(input, running.job);
  EXPECT_EQ(result.outcome, SplitOutcome::Failed);
  EXPECT_EQ(result.completed, 3);
  for (int k = 1; k <= 3; ++k) EXPECT_FALSE(plat::PathExists(Split(k)));
  EXPECT_EQ(ReadFile(scratch.Path("out\\movie.avi.BAT\\keep.txt")), "keep");
  ASSERT_EQ(person.asked.size(), 1u);
  EXPECT_EQ(person.asked[0].message, "Unknown problem with File for splitting");
}

TEST_F(FileSplittingTest, MissingFolderFailsAtTheFirstSplit) {
  input.folder = scratch.Path("nowhere");
  ScriptedPerson person;
  auto result = RunFileSplitting(input, running.job);
  EXPECT_EQ(result.outcome, SplitOutcome::Failed);
  EXPECT_EQ(result.failure, kst::SplitFailure::SplitOpen);
  EXPECT_EQ(result.completed, 0);
  EXPECT_FALSE(plat::PathExists(input.folder));
}

TEST(FileSplittingChecks, FileMustHoldBytes) {
  ScratchFolder scratch;
  ASSERT_TRUE(WriteFile(scratch.Path("empty"), ""));
  ASSERT_TRUE(WriteFile(scratch.Path("one"), "x"));
  EXPECT_FALSE(kst::CheckFileToSplit("").ok);
  EXPECT_FALSE(kst::CheckFileToSplit("   ").ok);
  EXPECT_FALSE(kst::CheckFileToSplit(scratch.Path("absent")).ok);
  EXPECT_FALSE(kst::CheckFileToSplit(scratch.path).ok);
  EXPECT_FALSE(kst::CheckFileToSplit(scratch.Path("empty")).ok);
  kst::FileCheck one = kst::CheckFileToSplit(scratch.Path("one") + "  ");
  EXPECT_TRUE(one.ok);
  EXPECT_EQ(one.size, 1);
}

TEST(FileSplittingChecks, FolderMustExist) {
  ScratchFolder scratch;
  ASSERT_TRUE(WriteFile(scratch.Path("file"), "x"));
  EXPECT_TRUE(kst::CheckSplitFolder(scratch.path));
  EXPECT_TRUE(kst::CheckSplitFolder(scratch.path.substr(0, 2)));  // "C:" for a file in a root
  EXPECT_FALSE(kst::CheckSplitFolder(scratch.Path("absent")));
  EXPECT_FALSE(kst::CheckSplitFolder(scratch.Path("file")));
  EXPECT_FALSE(kst::CheckSplitFolder(""));
}

}  // namespace
