#include "split/join_splits.h"

#include <gtest/gtest.h>

#include "frame/platform/platform.h"
#include "split/file_splitting.h"
#include "split/join_batch.h"
#include "split/split_writer.h"
#include "tests/split/split_test_support.h"
#include "tests/support/test_env.h"

namespace {

using kst::FindJoinSet;
using kst::JoinProblem;
using kst::JoinSet;
using splittest::RecordedBar;
using splittest::RunningJob;
using testenv::PatternBytes;
using testenv::ReadFile;
using testenv::ScratchFolder;
using testenv::WriteFile;

struct JoinSplitsTest : ::testing::Test {
  void SetUp() override { splittest::UseSplitTexts(); }
  // Writes the parts as splits of name (and, with a batch, its join batch).
  void MakeSplits(const std::vector<std::string>& parts, bool batch) {
    for (size_t k = 0; k < parts.size(); ++k)
      ASSERT_TRUE(WriteFile(kst::SplitName(scratch.path, name, static_cast<int>(k) + 1), parts[k]));
    std::string path;
    if (batch) {
      ASSERT_TRUE(kst::WriteJoinBatch(scratch.path, name, static_cast<int>(parts.size()), &path));
    }
  }
  ScratchFolder scratch;
  std::string name = "my file.dat";
  RunningJob running;
};

TEST_F(JoinSplitsTest, SplitAndJoinGiveTheFileBack) {
  const std::string bytes = PatternBytes(3000000, 21);
  ASSERT_TRUE(WriteFile(scratch.Path(name), bytes));
  kst::FileSplittingInput input;
  input.file = scratch.Path(name);
  input.folder = scratch.path;
  ASSERT_EQ(kst::RunFileSplitting(input, running.job).outcome, kst::SplitOutcome::Done);
  ASSERT_TRUE(plat::DeleteOneFile(input.file));

  JoinSet set;
  ASSERT_EQ(FindJoinSet(scratch.Path(name + ".BAT"), &set), JoinProblem::None);
  EXPECT_EQ(set.count, 3);
  EXPECT_EQ(set.folder, scratch.path);
  EXPECT_EQ(set.name, name);
  EXPECT_EQ(set.batchPath, scratch.Path(name + ".BAT"));
  EXPECT_EQ(kst::JoinTarget(set), input.file);

  RecordedBar bar;
  ASSERT_TRUE(kst::JoinSplits(set, 512000, running.job, &bar.sink));
  EXPECT_EQ(ReadFile(input.file), bytes);
  EXPECT_EQ(bar.ranges, std::vector<int>{3});
  EXPECT_EQ(bar.positions, (std::vector<int>{1, 2, 3, 0}));

  ASSERT_TRUE(kst::DeleteJoinSet(set));
  for (int k = 1; k <= 3; ++k) EXPECT_FALSE(plat::PathExists(kst::SplitName(scratch.path, name, k)));
  EXPECT_FALSE(plat::PathExists(set.batchPath));
  EXPECT_EQ(ReadFile(input.file), bytes);
}

TEST_F(JoinSplitsTest, SplitsAtTheBufferEdges) {
  const std::vector<std::string> parts = {PatternBytes(4095, 1), PatternBytes(4096, 2),
                                          PatternBytes(4097, 3), PatternBytes(1, 4)};
  MakeSplits(parts, false);
  JoinSet set;
  ASSERT_EQ(FindJoinSet(kst::SplitName(scratch.path, name, 1), &set), JoinProblem::None);
  EXPECT_EQ(set.count, 4);
  EXPECT_TRUE(set.batchPath.empty());
  ASSERT_TRUE(kst::JoinSplits(set, 4096, running.job));
  EXPECT_EQ(ReadFile(kst::JoinTarget(set)), parts[0] + parts[1] + parts[2] + parts[3]);
}

TEST_F(JoinSplitsTest, WithoutABatchTheSplitsAreCountedWhilePresent) {
  MakeSplits({"a", "b", "c"}, false);
  ASSERT_TRUE(WriteFile(kst::SplitName(scratch.path, name, 5), "e"));  // after a gap
  JoinSet set;
  ASSERT_EQ(FindJoinSet(kst::SplitName(scratch.path, name, 2), &set), JoinProblem::None);
  EXPECT_EQ(set.count, 3);
}

TEST_F(JoinSplitsTest, BatchNamingAMissingSplitIsRefused) {
  MakeSplits({"a", "b", "c"}, true);
  ASSERT_TRUE(plat::DeleteOneFile(kst::SplitName(scratch.path, name, 3)));
  JoinSet set;
  std::string missing;
  EXPECT_EQ(FindJoinSet(scratch.Path(name + ".bat"), &set, &missing), JoinProblem::MissingSplit);
  EXPECT_EQ(missing, kst::SplitName(scratch.path, name, 3));
  EXPECT_EQ(FindJoinSet(kst::SplitName(scratch.path, name, 1), &set), JoinProblem::MissingSplit);
}

TEST_F(JoinSplitsTest, NamesThatAreNeitherBatchNorSplit) {
  JoinSet set;
  EXPECT_EQ(FindJoinSet(scratch.Path("notes.txt"), &set), JoinProblem::NotASplit);
  EXPECT_EQ(FindJoinSet(scratch.Path("notes.0x1"), &set), JoinProblem::NotASplit);
  EXPECT_EQ(FindJoinSet(scratch.Path(".001"), &set), JoinProblem::NotASplit);
  EXPECT_EQ(FindJoinSet(scratch.Path("absent.001"), &set), JoinProblem::NoSplits);
  ASSERT_TRUE(WriteFile(scratch.Path("plain.BAT"), "@ECHO OFF\r\ndir\r\n"));
  EXPECT_EQ(FindJoinSet(scratch.Path("plain.BAT"), &set), JoinProblem::NoSplits);
}

TEST_F(JoinSplitsTest, StopLeavesNoPartFile) {
  MakeSplits({PatternBytes(5000, 1), PatternBytes(5000, 2)}, true);
  JoinSet set;
  ASSERT_EQ(FindJoinSet(scratch.Path(name + ".BAT"), &set), JoinProblem::None);
  RecordedBar bar;
  bar.onMove = [&](int k) {
    if (k == 1) running.job.keepGoing = false;
  };
  EXPECT_FALSE(kst::JoinSplits(set, 1000, running.job, &bar.sink));
  EXPECT_FALSE(plat::PathExists(kst::JoinTarget(set)));
  EXPECT_TRUE(plat::PathExists(kst::SplitName(scratch.path, name, 2)));
}

}  // namespace
