#include "split/join_splits.h"

#include <gtest/gtest.h>

#include "frame/platform/platform.h"
#include "split/join_batch.h"
#include "split/split_writer.h"
#include "tests/split/split_test_support.h"
#include "tests/support/test_env.h"

namespace {

using kst::FindJoinSet;
using kst::JoinProblem;
using testenv::PatternBytes;
using testenv::ReadFile;
using testenv::WriteFile;

struct JoinSplitsTest : ::testing::Test {
  void SetUp() override { splittest::UseSplitTexts(); }
  std::string Split(int k) const { return kst::SplitName(scratch.path, name, k); }
  // Splits of the given sizes (-1: none), and a batch for batchCount
  // splits unless it is 0.
  void MakeSplits(const std::vector<int>& sizes, int batchCount) {
    for (size_t k = 0; k < sizes.size(); ++k) {
      if (sizes[k] >= 0) {
        ASSERT_TRUE(WriteFile(Split(static_cast<int>(k) + 1), PatternBytes(static_cast<size_t>(sizes[k]), 9)));
      }
    }
    std::string path;
    ASSERT_TRUE(batchCount == 0 || kst::WriteJoinBatch(scratch.path, name, batchCount, &path));
  }
  testenv::ScratchFolder scratch;
  std::string name = "my file.dat";
  splittest::RunningJob running;
};

TEST_F(JoinSplitsTest, JoinsTheSplitsInOrderAndDeletesThemWhenAsked) {
  const std::vector<std::string> parts = {PatternBytes(5000, 1), PatternBytes(5000, 2), PatternBytes(123, 3)};
  for (size_t k = 0; k < parts.size(); ++k) ASSERT_TRUE(WriteFile(Split(static_cast<int>(k) + 1), parts[k]));
  MakeSplits({}, 3);
  kst::JoinSet set;
  ASSERT_EQ(FindJoinSet(scratch.Path(name + ".BAT"), &set), JoinProblem::None);
  EXPECT_EQ(set.count, 3);
  const std::string file = kst::JoinTarget(set);
  EXPECT_EQ(file, scratch.Path(name));

  // Stopped after the first split: no part-joined file is left.
  splittest::RecordedBar bar;
  bar.onMove = [&](int k) {
    if (k == 1) running.job.keepGoing = false;
  };
  EXPECT_FALSE(kst::JoinSplits(set, 1000, running.job, &bar.sink));
  EXPECT_FALSE(plat::PathExists(file));
  running.job.keepGoing = true;
  bar.onMove = nullptr;
  bar.positions.clear();
  ASSERT_TRUE(kst::JoinSplits(set, 1000, running.job, &bar.sink));
  EXPECT_EQ(ReadFile(file), parts[0] + parts[1] + parts[2]);
  EXPECT_EQ(bar.positions, (std::vector<int>{1, 2, 3, 0}));

  ASSERT_TRUE(kst::DeleteJoinSet(set));
  for (int k = 1; k <= 3; ++k) EXPECT_FALSE(plat::PathExists(Split(k)));
  EXPECT_FALSE(plat::PathExists(set.batchPath));
  EXPECT_EQ(ReadFile(file), parts[0] + parts[1] + parts[2]);
}

TEST_F(JoinSplitsTest, WhichSetAPathNamesAndWhenItHoldsTogether) {
  // Splits 1 to N-1 of one size, split N no larger, none empty. With a
  // batch exactly its N splits; without one the count ends at the first
  // split that breaks that.
  struct Case {
    const char* what;
    std::vector<int> sizes;  // -1: missing
    int batch;               // the batch's count, 0: no batch
    JoinProblem problem;
    int count;  // the set's count when found
    int fault;  // the split named, 0: none
  } cases[] = {
      {"100% whole", {500, 500, 12}, 3, JoinProblem::None, 3, 0},  // "%%" and guard lines read back
      {"one byte short", {500, 499, 500, 12}, 4, JoinProblem::OddSplit, 4, 2},
      {"first one short", {499, 500, 500, 12}, 4, JoinProblem::OddSplit, 4, 1},
      {"half split of a stopped run", {500, 250, 500}, 3, JoinProblem::OddSplit, 3, 2},
      {"last too large", {500, 500, 501}, 3, JoinProblem::OddSplit, 3, 3},
      {"last empty", {500, 500, 0}, 3, JoinProblem::OddSplit, 3, 3},
      {"split missing", {500, -1, 12}, 3, JoinProblem::MissingSplit, 3, 2},
      {"more than the batch names", {500, 500, 12, 500}, 3, JoinProblem::None, 3, 0},
      {"stale splits of a longer set", {500, 500, 12, 300, 300}, 0, JoinProblem::None, 3, 0},
      {"stale splits of larger size", {500, 500, 500, 900}, 0, JoinProblem::None, 3, 0},
      {"empty first", {0, 500}, 0, JoinProblem::OddSplit, 1, 1},
      {"no first", {-1, 500}, 0, JoinProblem::NoSplits, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    name = std::string(c.what) + ".dat";  // a set of its own for each case
    MakeSplits(c.sizes, c.batch);
    kst::JoinSet set;
    std::string fault;
    const std::string from = c.batch ? scratch.Path(name + ".bat") : Split(2);
    EXPECT_EQ(FindJoinSet(from, &set, &fault), c.problem);
    EXPECT_EQ(set.count, c.count);
    EXPECT_EQ(fault, c.fault ? Split(c.fault) : "");
    // A set that does not hold together is never joined, and an old file
    // of the target's name stays as it was.
    ASSERT_TRUE(WriteFile(kst::JoinTarget(set), "older"));
    EXPECT_EQ(kst::JoinSplits(set, 1000, running.job), c.problem == JoinProblem::None);
    if (c.problem != JoinProblem::None) {
      EXPECT_EQ(ReadFile(kst::JoinTarget(set)), "older");
    }
  }

  ASSERT_TRUE(WriteFile(scratch.Path("plain.BAT"), "@ECHO OFF\r\ndir\r\n"));
  kst::JoinSet set;
  for (const std::string& path : {scratch.Path("notes.txt"), scratch.Path("notes.0x1"), scratch.Path(".001")})
    EXPECT_EQ(FindJoinSet(path, &set), JoinProblem::NotASplit) << path;
  for (const std::string& path : {scratch.Path("absent.001"), scratch.Path("plain.BAT")})
    EXPECT_EQ(FindJoinSet(path, &set), JoinProblem::NoSplits) << path;
}

TEST_F(JoinSplitsTest, TheCountIsReadFromBatchesWrittenBeforeGuardsAndDoubledPercents) {
  name = "100%.dat";
  MakeSplits({40, 40}, 0);
  ASSERT_TRUE(WriteFile(scratch.Path(name + ".BAT"), "@ECHO OFF\r\ncopy /b \"100%.dat.001\" + \"100%.dat.002\" "
                                                     "\"100%.dat\"\r\ndel \"100%.dat.001\"\r\ndel \"100%.dat.002\"\r\n"));
  kst::JoinSet set;
  EXPECT_EQ(FindJoinSet(Split(1), &set), JoinProblem::None);
  EXPECT_EQ(set.count, 2);
}

}  // namespace
