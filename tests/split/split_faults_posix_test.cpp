// Splitting and joining when the disk lets them down: short reads and
// writes, a full disk, files that will not open (injected by the emulation).
#include <gtest/gtest.h>

#include "frame/platform/emulation.h"
#include "frame/platform/platform.h"
#include "split/join_batch.h"
#include "split/join_splits.h"
#include "split/split_writer.h"
#include "tests/split/split_test_support.h"
#include "tests/support/test_env.h"

namespace {

using plat::Fault;
using testenv::PatternBytes;
using testenv::ReadFile;
using testenv::WriteFile;

struct SplitFaultTest : ::testing::Test {
  void SetUp() override {
    splittest::UseSplitTexts();
    ASSERT_TRUE(WriteFile(file, bytes));
  }
  void TearDown() override { plat::EmuClearFaults(); }
  std::string Split(int k) const { return kst::SplitName(scratch.path, "data.bin", k); }
  bool WriteFirstSplit() {  // bytes 1 to 5000 through a 1000-byte buffer
    kst::SplitRequest r;
    r.sourcePath = file;
    r.splitPath = Split(1);
    r.first = 1;
    r.last = 5000;
    r.buffSize = 1000;
    return kst::WriteSplit(r, running.job, nullptr, &why);
  }
  testenv::ScratchFolder scratch;
  std::string file = scratch.Path("data.bin"), bytes = PatternBytes(3000000, 9);
  splittest::RunningJob running;
  kst::SplitFailure why = kst::SplitFailure::None;
};

TEST_F(SplitFaultTest, EachFaultFailsTheSplitWithItsCauseAndCode) {
  // A short write that reports success (the disk had no room for the
  // rest), a full disk, a short read (the source ended early: no call
  // failed), and opens that fail.
  struct Case {
    Fault fault;
    int skip;
    const char* where;
    kst::SplitFailure why;
    uint32_t code;  // plat::LastError() after the call
    size_t left;    // the bytes the split holds afterwards (-1: no split)
  } cases[] = {{Fault::ShortWrite, 2, ".001", kst::SplitFailure::ShortWrite, plat::kErrDiskFull, 2500},
               {Fault::DiskFull, 0, ".001", kst::SplitFailure::ShortWrite, plat::kErrDiskFull, 0},
               {Fault::ShortRead, 1, "data.bin", kst::SplitFailure::ShortRead, plat::kErrNone, 1500},
               {Fault::OpenFails, 0, "data.bin", kst::SplitFailure::SourceOpen, plat::kErrAccessDenied, size_t(-1)},
               {Fault::OpenFails, 0, ".001", kst::SplitFailure::SplitOpen, plat::kErrAccessDenied, size_t(-1)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where + std::to_string(c.left));
    plat::DeleteOneFile(Split(1));
    plat::EmuInjectFault(c.fault, c.skip, c.where);
    EXPECT_FALSE(WriteFirstSplit());
    EXPECT_EQ(why, c.why);
    EXPECT_EQ(plat::LastError(), c.code);
    EXPECT_EQ(plat::PathExists(Split(1)), c.left != size_t(-1));
    if (c.left != size_t(-1)) {
      EXPECT_EQ(ReadFile(Split(1)), bytes.substr(0, c.left));
    }
  }
}

TEST_F(SplitFaultTest, ReplacedSplitThatCannotBeEmptiedIsNotWrittenOver) {
  // Writing over it would leave its old tail behind the new bytes.
  const std::string old = PatternBytes(9000, 4);
  ASSERT_TRUE(WriteFile(Split(1), old));
  splittest::ScriptedPerson person({kst::kAnswerYes});
  plat::EmuInjectFault(Fault::OpenFails, 0, ".001");
  EXPECT_FALSE(WriteFirstSplit());
  EXPECT_EQ(why, kst::SplitFailure::SplitOpen);
  EXPECT_EQ(ReadFile(Split(1)), old);
}

TEST_F(SplitFaultTest, BatchWrittenShortIsTakenBack) {
  // A batch cut short would join a cut-short file.
  plat::EmuInjectFault(Fault::ShortWrite, 0, ".BAT");
  std::string path;
  EXPECT_FALSE(kst::WriteJoinBatch(scratch.path, file, 3, &path));
  EXPECT_FALSE(plat::PathExists(path));
}

TEST_F(SplitFaultTest, JoinWrittenShortRemovesItsTargetAndKeepsTheSplits) {
  ASSERT_TRUE(WriteFile(Split(1), bytes.substr(0, 5000)) && WriteFile(Split(2), bytes.substr(5000, 5000)));
  ASSERT_TRUE(plat::DeleteOneFile(file));
  kst::JoinSet set;
  ASSERT_EQ(kst::FindJoinSet(Split(1), &set), kst::JoinProblem::None);
  plat::EmuInjectFault(Fault::ShortWrite, 1, "\\data.bin");
  EXPECT_FALSE(kst::JoinSplits(set, 1000, running.job));
  EXPECT_FALSE(plat::PathExists(file));
  // A split that reads short must not give a short file that looks joined.
  plat::EmuInjectFault(Fault::ShortRead, 2, ".001");
  EXPECT_FALSE(kst::JoinSplits(set, 1000, running.job));
  EXPECT_FALSE(plat::PathExists(file));
  plat::EmuClearFaults();
  ASSERT_TRUE(kst::JoinSplits(set, 1000, running.job));
  EXPECT_EQ(ReadFile(file), bytes.substr(0, 10000));
}

}  // namespace
