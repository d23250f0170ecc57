#include "split/split_writer.h"

#include <gtest/gtest.h>

#include "frame/files/partial_files.h"
#include "frame/platform/platform.h"
#include "split/crc32.h"
#include "tests/split/split_test_support.h"
#include "tests/support/test_env.h"

namespace {

using kst::SplitFailure;
using testenv::PatternBytes;
using testenv::ReadFile;

TEST(SplitNames, ThreeDigitNumberAfterTheFolderAndName) {
  EXPECT_EQ(kst::SplitName("C:", "movie.avi", 1), "C:\\movie.avi.001");
  EXPECT_EQ(kst::SplitName("A:\\", "movie.avi", 12), "A:\\movie.avi.012");
  EXPECT_EQ(kst::SplitName("D:\\out", "m", 1001), "D:\\out\\m.001");  // the lowest three digits
  EXPECT_EQ(kst::SplitBaseName("D:\\films\\my movie.avi   "), "my movie.avi");
}

struct SplitWriterTest : ::testing::Test {
  void SetUp() override {
    splittest::UseSplitTexts();
    ASSERT_TRUE(testenv::WriteFile(source, bytes));
  }
  // Bytes first..last (counted from 1) of the source to the split.
  bool Write(int64_t first, int64_t last, uint32_t buffSize = 4096, kst::ProgressSink* bar = nullptr) {
    return kst::WriteSplit({source, split, first, last, buffSize, clock, {}, replaceAgreed, summing ? &sum : nullptr},
                           running.job, bar, &why);
  }
  testenv::ScratchFolder scratch;
  std::string source = scratch.Path("source.bin"), split = scratch.Path("source.bin.001");
  std::string bytes = PatternBytes(10000, 7);
  splittest::RunningJob running;
  SplitFailure why = SplitFailure::None;
  bool replaceAgreed = false, summing = false;
  int clock = -1;
  uint32_t sum = 0;
};

// Beyond 65535 buffers the bar moves once every two (step). The sum is of
// the split's bytes only, whatever the buffer's size.
TEST_F(SplitWriterTest, CopiesAndSumsTheRangeMovingTheBarOncePerBufferAtMost65535Times) {
  bytes = PatternBytes(65536, 3);
  ASSERT_TRUE(testenv::WriteFile(source, bytes));
  summing = true;
  struct Case { int64_t first, length; uint32_t buffSize; int range, step; } cases[] = {
      {2, 4096, 4096, 1, 1}, {2, 4097, 4096, 2, 1}, {2, 8193, 4096, 3, 1}, {1, 65535, 1, 65535, 1},
      {1, 65536, 1, 32768, 2}, {3, 9, 1, 9, 1}, {3, 9, 4, 3, 1}, {3, 9, 9, 1, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.length << " through " << c.buffSize);
    plat::DeleteOneFile(split);
    splittest::RecordedBar bar;
    sum = 1;
    ASSERT_TRUE(Write(c.first, c.first + c.length - 1, c.buffSize, &bar.sink));
    const std::string part = bytes.substr(c.first - 1, c.length);
    EXPECT_EQ(ReadFile(split), part);
    EXPECT_EQ(sum, kst::Crc32Add(0, part.data(), part.size()));
    EXPECT_EQ(bar.ranges, std::vector<int>{c.range});
    const size_t moves = static_cast<size_t>(c.range * c.step);  // 1..range, then back to 0
    ASSERT_EQ(bar.positions.size(), moves + 1);
    EXPECT_EQ(bar.positions[c.step - 1u], 1);
    EXPECT_EQ(bar.positions[moves - 1], c.range);
    EXPECT_EQ(bar.positions.back(), 0);
  }
  EXPECT_EQ(ReadFile(source), bytes);
}

// Only the named record grows, by every buffer written, keeping its total;
// -1 or a value that names no record feeds none. done: what the File
// Splitting record holds after the write.
TEST_F(SplitWriterTest, FeedsOnlyTheClockItIsHanded) {
  kst::ClockCounters &splitting = kst::Clock(kst::kClockFileSplitting), &copying = kst::Clock(kst::kClockSplitCopy);
  struct Case { int clock; int64_t first, last, done; } cases[] = {
      {kst::kClockFileSplitting, 5001, 7000, 2000}, {kst::kClockSplitCopy, 1, 10000, 0}, {-1, 1, 10000, 0},
      {kst::kClockCount, 1, 10000, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.clock);
    for (kst::ClockCounters* k : {&splitting, &copying}) kst::ClockStart(*k, 123456), kst::ClockTakeInterval(*k);
    plat::DeleteOneFile(split);
    clock = c.clock;
    ASSERT_TRUE(Write(c.first, c.last, 3000));
    EXPECT_EQ(splitting.done.load(), c.done);
    EXPECT_EQ(splitting.interval.load(), c.done);
    EXPECT_EQ(copying.done.load(), c.clock == kst::kClockSplitCopy ? 10000 : 0);
    for (kst::ClockCounters* k : {&splitting, &copying}) EXPECT_EQ(k->total.load(), 123456);
  }
}

// No bytes, no buffer, bytes beyond the source's end, a missing source
// (opened for writing, it would be left behind empty); an old split is
// replaced whole (no tail of it left) only when agreed beforehand.
TEST_F(SplitWriterTest, RefusesWhatItCannotCopyOrMayNotReplace) {
  EXPECT_FALSE(Write(0, 10) || Write(11, 10) || Write(1, 10, 0));
  EXPECT_EQ(why, SplitFailure::BadRange);
  EXPECT_FALSE(Write(9001, 12000));
  EXPECT_EQ(why, SplitFailure::ShortRead);
  const std::string old = PatternBytes(9000, 99);
  ASSERT_TRUE(testenv::WriteFile(split, old));
  splittest::ScriptedPerson person({kst::kAnswerNo});
  EXPECT_FALSE(Write(1, 5000));
  EXPECT_EQ(why, SplitFailure::Refused);
  EXPECT_EQ(ReadFile(split), old);
  ASSERT_EQ(person.asked.size(), 2u);  // the question, then "start over"
  EXPECT_EQ(person.asked[0].message, "Error: File " + split + " already exists! Replace?");
  replaceAgreed = true;
  ASSERT_TRUE(Write(201, 300));
  EXPECT_EQ(ReadFile(split), bytes.substr(200, 100));
  EXPECT_EQ(person.asked.size(), 2u);
  ASSERT_TRUE(plat::DeleteOneFile(split));
  source = scratch.Path("absent.bin");
  EXPECT_FALSE(Write(1, 100));
  EXPECT_EQ(why, SplitFailure::SourceOpen);
  EXPECT_FALSE(plat::PathExists(source) || plat::PathExists(split));
}

// Stopped, the split is gone (it grew under its partial name); going, a
// read past 4 GB of a sparse file whose only data lie just beyond it.
TEST_F(SplitWriterTest, StoppedTakesTheSplitBackAndGoingReadsPastFourGigabytes) {
  splittest::RecordedBar bar;
  bar.onMove = [&](int position) {
    if (position != 2) return;
    EXPECT_EQ(plat::SizeOfPath(kst::PartialNameOf(split)), 2000);
    EXPECT_FALSE(plat::PathExists(split));
    running.job.keepGoing = false;
  };
  EXPECT_FALSE(Write(1, 10000, 1000, &bar.sink));
  EXPECT_EQ(why, SplitFailure::Stopped);
  EXPECT_FALSE(plat::PathExists(split) || plat::PathExists(kst::PartialNameOf(split)));
  EXPECT_EQ(bar.positions.back(), 0);
  EXPECT_FALSE(Write(1, 5000));  // cleared before the start, nothing is created
  EXPECT_FALSE(plat::PathExists(split));
  const int64_t offset = (int64_t{1} << 32) + 17;
  const std::string tail = PatternBytes(5000, 11);
  running.job.keepGoing = true;
  ASSERT_TRUE(plat::DeleteOneFile(source) && testenv::WriteFile(source, tail, offset));
  ASSERT_TRUE(Write(offset + 1001, offset + 5000, 1024));
  EXPECT_EQ(ReadFile(split), tail.substr(1000));
}

}  // namespace
