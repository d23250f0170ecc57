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
  void MakeSplits(const std::vector<std::string>& parts, bool batch) {
    for (size_t k = 0; k < parts.size(); ++k) ASSERT_TRUE(WriteFile(Split(static_cast<int>(k) + 1), parts[k]));
    std::string path;
    ASSERT_TRUE(!batch || kst::WriteJoinBatch(scratch.path, name, static_cast<int>(parts.size()), &path));
  }
  testenv::ScratchFolder scratch;
  std::string name = "my file.dat";
  splittest::RunningJob running;
};

TEST_F(JoinSplitsTest, JoinsTheSplitsInOrderAndDeletesThemWhenAsked) {
  const std::vector<std::string> parts = {PatternBytes(5000, 1), PatternBytes(5000, 2), PatternBytes(123, 3)};
  MakeSplits(parts, true);
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

TEST_F(JoinSplitsTest, WhichSetAPathNames) {
  // Without a batch the splits count while present: .005 after a gap is
  // not one of them.
  MakeSplits({"a", "b", "c"}, false);
  ASSERT_TRUE(WriteFile(Split(5), "e"));
  kst::JoinSet set;
  ASSERT_EQ(FindJoinSet(Split(2), &set), JoinProblem::None);
  EXPECT_EQ(set.count, 3);
  EXPECT_TRUE(set.batchPath.empty());

  ASSERT_TRUE(WriteFile(scratch.Path("plain.BAT"), "@ECHO OFF\r\ndir\r\n"));
  struct Case {
    std::string path;
    JoinProblem problem;
  } cases[] = {{scratch.Path("notes.txt"), JoinProblem::NotASplit},
               {scratch.Path("notes.0x1"), JoinProblem::NotASplit},
               {scratch.Path(".001"), JoinProblem::NotASplit},
               {scratch.Path("absent.001"), JoinProblem::NoSplits},
               {scratch.Path("plain.BAT"), JoinProblem::NoSplits}};
  for (const Case& c : cases) EXPECT_EQ(FindJoinSet(c.path, &set), c.problem) << c.path;

  // A batch naming a split that is gone refuses the set, from either name.
  MakeSplits({"a", "b", "c"}, true);
  ASSERT_TRUE(plat::DeleteOneFile(Split(3)));
  std::string missing;
  EXPECT_EQ(FindJoinSet(scratch.Path(name + ".bat"), &set, &missing), JoinProblem::MissingSplit);
  EXPECT_EQ(missing, Split(3));
  EXPECT_EQ(FindJoinSet(Split(1), &set), JoinProblem::MissingSplit);
}

}  // namespace
