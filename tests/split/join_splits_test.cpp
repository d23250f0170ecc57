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
  testenv::ScratchFolder scratch;
  std::string name = "my file.dat";
  splittest::RunningJob running;
  kst::JoinSet set;
};

TEST_F(JoinSplitsTest, JoinsTheSplitsInOrderOrNotAtAllWhenStopped) {
  const std::string bytes = PatternBytes(5000, 1) + PatternBytes(5000, 2) + PatternBytes(123, 3);
  for (int k = 1; k <= 3; ++k) ASSERT_TRUE(WriteFile(Split(k), bytes.substr((k - 1) * 5000, 5000)));
  std::string batch;
  ASSERT_TRUE(kst::WriteJoinBatch(scratch.path, name, 3, &batch) && FindJoinSet(batch, &set) == JoinProblem::None);
  EXPECT_EQ(kst::JoinTarget(set), scratch.Path(name));
  splittest::RecordedBar bar;
  bar.onMove = [&](int k) { running.job.keepGoing = running.job.keepGoing && k != 1; };
  EXPECT_FALSE(kst::JoinSplits(set, 1000, running.job, &bar.sink));
  EXPECT_FALSE(plat::PathExists(scratch.Path(name)));
  bar.onMove = nullptr;
  bar.positions.clear();
  running.job.keepGoing = true;
  ASSERT_TRUE(kst::JoinSplits(set, 1000, running.job, &bar.sink));
  EXPECT_EQ(ReadFile(scratch.Path(name)), bytes);
  EXPECT_EQ(bar.positions, (std::vector<int>{1, 2, 3, 0}));
}

// Splits 1 to N-1 of one size, split N no larger, none empty. With a batch
// exactly its N splits; without one the count ends at the first split that
// breaks that. A batch written before guard lines and doubled "%" still
// gives its count. A set that does not hold together is never joined over
// an old file of the target's name.
TEST_F(JoinSplitsTest, WhichSetAPathNamesAndWhenItHoldsTogether) {
  const std::string oldBatch = "@ECHO OFF\r\ncopy /b \"1%.dat.001\" + \"1%.dat.002\" \"1%.dat\"\r\n"
                               "del \"1%.dat.001\"\r\ndel \"1%.dat.002\"\r\n";
  // sizes: -1 missing; batch: its count, 0 none, -1 the old batch (found
  // from split 2); fault: the split named, 0 none.
  struct Case { std::string name; std::vector<int> sizes; int batch; JoinProblem problem; int count, fault; };
  const Case cases[] = {
      {"100% whole", {500, 500, 12}, 3, JoinProblem::None, 3, 0},
      {"1%", {40, 40, 40}, -1, JoinProblem::None, 2, 0},
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
      {"only the first", {500, -1, 12}, 0, JoinProblem::MissingSplit, 1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    name = c.name + ".dat";
    set = kst::JoinSet{};
    for (size_t k = 0; k < c.sizes.size(); ++k)
      ASSERT_TRUE(c.sizes[k] < 0 || WriteFile(Split(int(k) + 1), PatternBytes(size_t(c.sizes[k]), 9)));
    std::string batch = scratch.Path(name + ".BAT"), fault;
    ASSERT_TRUE(c.batch <= 0 || kst::WriteJoinBatch(scratch.path, name, c.batch, &batch));
    ASSERT_TRUE(c.batch >= 0 || WriteFile(batch, oldBatch));
    EXPECT_EQ(FindJoinSet(c.batch > 0 ? batch : Split(2), &set, &fault), c.problem);
    EXPECT_EQ(set.count, c.count);
    EXPECT_EQ(fault, c.fault ? Split(c.fault) : "");
    ASSERT_TRUE(WriteFile(kst::JoinTarget(set), "older"));
    EXPECT_EQ(kst::JoinSplits(set, 1000, running.job), c.problem == JoinProblem::None);
    EXPECT_EQ(ReadFile(kst::JoinTarget(set)) == "older", c.problem != JoinProblem::None);
  }
  ASSERT_TRUE(WriteFile(scratch.Path("plain.BAT"), "@ECHO OFF\r\ndir\r\n"));
  for (const std::string& path : {scratch.Path("notes.txt"), scratch.Path("notes.0x1"), scratch.Path(".001")})
    EXPECT_EQ(FindJoinSet(path, &set), JoinProblem::NotASplit) << path;
  for (const std::string& path : {scratch.Path("absent.001"), scratch.Path("plain.BAT")})
    EXPECT_EQ(FindJoinSet(path, &set), JoinProblem::NoSplits) << path;
}

}  // namespace
