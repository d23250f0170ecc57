// Splitting and joining when the disk lets them down: short reads and
// writes, a full disk, files that will not open (injected by the emulation).
#include <gtest/gtest.h>

#include "frame/platform/emulation.h"
#include "frame/platform/platform.h"
#include "split/file_splitting.h"
#include "split/join_batch.h"
#include "split/join_splits.h"
#include "split/split_writer.h"
#include "tests/split/split_test_support.h"
#include "tests/support/test_env.h"

namespace {

using plat::Fault;
using splittest::RunningJob;
using splittest::ScriptedPerson;
using testenv::PatternBytes;
using testenv::ReadFile;
using testenv::ScratchFolder;
using testenv::WriteFile;

struct SplitFaultTest : ::testing::Test {
  void SetUp() override {
    splittest::UseSplitTexts();
    file = scratch.Path("data.bin");
    bytes = PatternBytes(3000000, 9);
    ASSERT_TRUE(WriteFile(file, bytes));
  }
  void TearDown() override { plat::EmuClearFaults(); }
  std::string Split(int k) const { return kst::SplitName(scratch.path, "data.bin", k); }
  kst::SplitRequest Request(int64_t first, int64_t last) const {
    kst::SplitRequest r;
    r.sourcePath = file;
    r.splitPath = Split(1);
    r.first = first;
    r.last = last;
    r.buffSize = 1000;
    return r;
  }
  ScratchFolder scratch;
  std::string file, bytes;
  RunningJob running;
};

TEST_F(SplitFaultTest, ShortWriteFailsAndLeavesThePartWritten) {
  plat::EmuInjectFault(Fault::ShortWrite, 2, ".001");
  kst::SplitFailure why = kst::SplitFailure::None;
  EXPECT_FALSE(kst::WriteSplit(Request(1, 5000), running.job, nullptr, &why));
  EXPECT_EQ(why, kst::SplitFailure::ShortWrite);
  EXPECT_EQ(ReadFile(Split(1)), bytes.substr(0, 2500));  // two buffers and half of the third
}

TEST_F(SplitFaultTest, FullDiskFails) {
  plat::EmuInjectFault(Fault::DiskFull, 0, ".001");
  kst::SplitFailure why = kst::SplitFailure::None;
  EXPECT_FALSE(kst::WriteSplit(Request(1, 5000), running.job, nullptr, &why));
  EXPECT_EQ(why, kst::SplitFailure::ShortWrite);
}

TEST_F(SplitFaultTest, ShortReadFails) {
  plat::EmuInjectFault(Fault::ShortRead, 1, "data.bin");
  kst::SplitFailure why = kst::SplitFailure::None;
  EXPECT_FALSE(kst::WriteSplit(Request(1, 5000), running.job, nullptr, &why));
  EXPECT_EQ(why, kst::SplitFailure::ShortRead);
  EXPECT_EQ(ReadFile(Split(1)), bytes.substr(0, 1500));  // one buffer and the half that came
}

TEST_F(SplitFaultTest, SourceThatWillNotOpenFails) {
  plat::EmuInjectFault(Fault::OpenFails, 0, "data.bin");
  kst::SplitFailure why = kst::SplitFailure::None;
  EXPECT_FALSE(kst::WriteSplit(Request(1, 5000), running.job, nullptr, &why));
  EXPECT_EQ(why, kst::SplitFailure::SourceOpen);
  EXPECT_FALSE(plat::PathExists(Split(1)));
}

TEST_F(SplitFaultTest, ReplacedSplitThatCannotBeEmptiedIsNotWrittenOver) {
  const std::string old = PatternBytes(9000, 4);
  ASSERT_TRUE(WriteFile(Split(1), old));
  ScriptedPerson person({kst::kAnswerYes});
  plat::EmuInjectFault(Fault::OpenFails, 0, ".001");
  kst::SplitFailure why = kst::SplitFailure::None;
  EXPECT_FALSE(kst::WriteSplit(Request(1, 5000), running.job, nullptr, &why));
  EXPECT_EQ(why, kst::SplitFailure::SplitOpen);
  EXPECT_EQ(ReadFile(Split(1)), old);
}

TEST_F(SplitFaultTest, FailureInTheMiddleOfARunDeletesTheCompletedSplits) {
  plat::EmuInjectFault(Fault::ShortWrite, 1, ".002");
  ScriptedPerson person;
  kst::FileSplittingInput input;
  input.file = file;
  input.folder = scratch.path;
  auto result = kst::RunFileSplitting(input, running.job);
  EXPECT_EQ(result.outcome, kst::SplitOutcome::Failed);
  EXPECT_EQ(result.failure, kst::SplitFailure::ShortWrite);
  EXPECT_EQ(result.failedPath, Split(2));
  EXPECT_EQ(result.completed, 1);
  EXPECT_FALSE(plat::PathExists(Split(1)));
  EXPECT_EQ(ReadFile(Split(2)), bytes.substr(1457664, 512000 + 256000));
  EXPECT_FALSE(plat::PathExists(Split(3)));
  EXPECT_FALSE(plat::PathExists(scratch.Path("data.bin.BAT")));
  EXPECT_EQ(ReadFile(file), bytes);
  ASSERT_EQ(person.asked.size(), 1u);
  EXPECT_EQ(person.asked[0].style, kst::kAskOk);
  EXPECT_EQ(person.asked[0].heading, "Unknown problem!");
  EXPECT_EQ(person.asked[0].message, "Unknown problem with File for splitting");
}

TEST_F(SplitFaultTest, BatchWrittenShortIsTakenBack) {
  plat::EmuInjectFault(Fault::ShortWrite, 0, ".BAT");
  std::string path;
  EXPECT_FALSE(kst::WriteJoinBatch(scratch.path, file, 3, &path));
  EXPECT_FALSE(plat::PathExists(path));
}

TEST_F(SplitFaultTest, BatchThatFailsInARunTakesBackAllSplits) {
  plat::EmuInjectFault(Fault::DiskFull, 0, ".BAT");
  ScriptedPerson person;
  kst::FileSplittingInput input;
  input.file = file;
  input.folder = scratch.path;
  auto result = kst::RunFileSplitting(input, running.job);
  EXPECT_EQ(result.outcome, kst::SplitOutcome::Failed);
  for (int k = 1; k <= 3; ++k) EXPECT_FALSE(plat::PathExists(Split(k)));
  EXPECT_FALSE(plat::PathExists(scratch.Path("data.bin.BAT")));
  EXPECT_EQ(person.asked.size(), 1u);
}

TEST_F(SplitFaultTest, JoinThatFailsRemovesItsPartTargetAndKeepsTheSplits) {
  kst::FileSplittingInput input;
  input.file = file;
  input.folder = scratch.Path("parts");
  ASSERT_TRUE(plat::CreateFolder(input.folder));
  ASSERT_EQ(kst::RunFileSplitting(input, running.job).outcome, kst::SplitOutcome::Done);

  kst::JoinSet set;
  ASSERT_EQ(kst::FindJoinSet(input.folder + "\\data.bin.BAT", &set), kst::JoinProblem::None);
  plat::EmuInjectFault(Fault::ShortWrite, 4, "parts\\data.bin");
  EXPECT_FALSE(kst::JoinSplits(set, 512000, running.job));
  EXPECT_FALSE(plat::PathExists(kst::JoinTarget(set)));
  plat::EmuClearFaults();
  for (int k = 1; k <= 3; ++k) EXPECT_TRUE(plat::PathExists(kst::SplitName(input.folder, "data.bin", k)));
  ASSERT_TRUE(kst::JoinSplits(set, 512000, running.job));
  EXPECT_EQ(ReadFile(kst::JoinTarget(set)), bytes);
}

TEST_F(SplitFaultTest, MoreThan999SplitsAreNotStarted) {
  // A sparse file beyond 999 x 4294967295 bytes: nothing is read or written.
  const std::string huge = scratch.Path("huge.bin");
  {
    plat::FileHandle h = plat::FileOpen(huge, plat::kWrite, plat::Disposition::CreateAlways);
    ASSERT_NE(h, plat::kNoFile);
    ASSERT_TRUE(plat::FileSeek(h, 999 * int64_t{4294967295}));
    uint32_t done = 0;
    if (!plat::FileWrite(h, "x", 1, &done)) {
      plat::FileClose(h);
      GTEST_SKIP() << "skipped: the host file system takes no sparse file of 4 TB";
    }
    plat::FileClose(h);
  }
  kst::FileSplittingInput input;
  input.file = huge;
  input.folder = scratch.path;
  input.splitSize = int64_t{5} << 30;
  auto result = kst::RunFileSplitting(input, running.job);
  EXPECT_EQ(result.outcome, kst::SplitOutcome::NotStarted);
  EXPECT_EQ(result.plan.count, 1000);
  EXPECT_FALSE(plat::PathExists(scratch.Path("huge.bin.001")));
}

}  // namespace
