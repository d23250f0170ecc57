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

// Splits 1 to N-1 of one size, split N no larger, none empty. With a batch
// exactly its N splits; without one the count ends at the first split that
// breaks that. A batch written before guard lines and doubled "%" still
// gives its count. A set that does not hold together, or a join stopped
// (after split stop), is never joined over an old file of the target's name.
// sizes: -1 missing; batch: its count, 0 none, -1 the old batch (found from
// split 2); fault: the split named, 0 none.
TEST(JoinSplits, WhichSetAPathNamesWhenItHoldsTogetherAndTheJoinInOrder) {
  splittest::UseSplitTexts();
  testenv::ScratchFolder scratch;
  std::string name;
  auto split = [&](int k) { return kst::SplitName(scratch.path, name, k); };
  const std::string oldBatch = "@ECHO OFF\r\ncopy /b \"1%.dat.001\" + \"1%.dat.002\" \"1%.dat\"\r\n"
                               "del \"1%.dat.001\"\r\ndel \"1%.dat.002\"\r\n";
  struct Case { std::string name; std::vector<int> sizes; int batch; JoinProblem problem; int count, fault, stop = 0; };
  const Case cases[] = {
      {"100% whole", {500, 500, 12}, 3, JoinProblem::None, 3, 0}, {"1%", {40, 40, 40}, -1, JoinProblem::None, 2, 0},
      {"stopped", {5000, 5000, 123}, 3, JoinProblem::None, 3, 0, 1},
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
    std::string bytes;
    for (size_t k = 0; k < c.sizes.size(); ++k) {
      const std::string piece = PatternBytes(size_t(std::max(c.sizes[k], 0)), uint32_t(k + 9));
      if (k < size_t(c.count)) bytes += piece;
      ASSERT_TRUE(c.sizes[k] < 0 || WriteFile(split(int(k) + 1), piece));
    }
    std::string batch = scratch.Path(name + ".BAT"), fault;
    ASSERT_TRUE(c.batch <= 0 || kst::WriteJoinBatch(scratch.path, name, c.batch, &batch));
    ASSERT_TRUE(c.batch >= 0 || WriteFile(batch, oldBatch));
    kst::JoinSet set;
    EXPECT_EQ(FindJoinSet(c.batch > 0 ? batch : split(2), &set, &fault), c.problem);
    EXPECT_EQ(set.count, c.count);
    EXPECT_EQ(fault, c.fault ? split(c.fault) : "");
    ASSERT_TRUE(WriteFile(kst::JoinTarget(set), "older"));
    splittest::RunningJob running;
    splittest::RecordedBar bar;
    bar.onMove = [&](int k) { running.job.keepGoing = running.job.keepGoing && k != c.stop; };
    const bool joined = c.problem == JoinProblem::None && !c.stop;
    EXPECT_EQ(kst::JoinSplits(set, 1000, running.job, &bar.sink), joined);
    EXPECT_EQ(ReadFile(kst::JoinTarget(set)), joined ? bytes : "older");
    EXPECT_TRUE(!joined || (kst::JoinTarget(set) == scratch.Path(name) && bar.positions.size() == size_t(c.count) + 1 &&
                            bar.positions[size_t(c.count) - 1] == c.count && bar.positions.back() == 0));
  }
  ASSERT_TRUE(WriteFile(scratch.Path("plain.BAT"), "@ECHO OFF\r\ndir\r\n"));
  kst::JoinSet set;
  for (const std::string& path : {scratch.Path("notes.txt"), scratch.Path("notes.0x1"), scratch.Path(".001")})
    EXPECT_EQ(FindJoinSet(path, &set), JoinProblem::NotASplit) << path;
  for (const std::string& path : {scratch.Path("absent.001"), scratch.Path("plain.BAT")})
    EXPECT_EQ(FindJoinSet(path, &set), JoinProblem::NoSplits) << path;
}

}  // namespace
