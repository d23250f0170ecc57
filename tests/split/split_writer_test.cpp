#include "split/split_writer.h"

#include <gtest/gtest.h>

#include "frame/clock_counters.h"
#include "frame/platform/platform.h"
#include "tests/split/split_test_support.h"
#include "tests/support/test_env.h"

namespace {

using kst::SplitFailure;
using kst::SplitRequest;
using kst::WriteSplit;
using splittest::RecordedBar;
using splittest::RunningJob;
using splittest::ScriptedPerson;
using testenv::PatternBytes;
using testenv::ReadFile;
using testenv::ScratchFolder;
using testenv::WriteFile;

TEST(SplitNames, ThreeDigitsOfTheSplitNumber) {
  EXPECT_EQ(kst::SplitNumber(1), "001");
  EXPECT_EQ(kst::SplitNumber(9), "009");
  EXPECT_EQ(kst::SplitNumber(10), "010");
  EXPECT_EQ(kst::SplitNumber(999), "999");
  EXPECT_EQ(kst::SplitNumber(1001), "001");  // only the three lowest digits
}

TEST(SplitNames, FolderNameAndNumber) {
  EXPECT_EQ(kst::SplitName("D:\\out", "movie.avi", 3), "D:\\out\\movie.avi.003");
  EXPECT_EQ(kst::SplitName("C:", "movie.avi", 1), "C:\\movie.avi.001");
  EXPECT_EQ(kst::SplitName("A:\\", "movie.avi", 12), "A:\\movie.avi.012");
  EXPECT_EQ(kst::SplitBaseName("D:\\films\\my movie.avi   "), "my movie.avi");
  EXPECT_EQ(kst::SplitBaseName("movie.avi"), "movie.avi");
}

struct SplitWriterTest : ::testing::Test {
  void SetUp() override {
    splittest::UseSplitTexts();
    source = scratch.Path("source.bin");
    split = scratch.Path("source.bin.001");
    bytes = PatternBytes(10000, 7);
    ASSERT_TRUE(WriteFile(source, bytes));
  }
  SplitRequest Request(int64_t first, int64_t last, uint32_t buffSize = 4096) {
    SplitRequest r;
    r.sourcePath = source;
    r.splitPath = split;
    r.first = first;
    r.last = last;
    r.buffSize = buffSize;
    return r;
  }
  ScratchFolder scratch;
  std::string source, split, bytes;
  RunningJob running;
};

TEST_F(SplitWriterTest, CopiesTheRangeFromItsFirstToItsLastByte) {
  SplitFailure why = SplitFailure::ShortRead;
  ASSERT_TRUE(WriteSplit(Request(1001, 7000, 1000), running.job, nullptr, &why));
  EXPECT_EQ(why, SplitFailure::None);
  EXPECT_EQ(ReadFile(split), bytes.substr(1000, 6000));
  EXPECT_EQ(ReadFile(source), bytes);
}

TEST_F(SplitWriterTest, OneChunkPerBufferAtTheBufferEdges) {
  struct Case {
    int64_t length;
    size_t chunks;
  } cases[] = {{4095, 1}, {4096, 1}, {4097, 2}, {8192, 2}, {8193, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    plat::DeleteOneFile(split);
    RecordedBar bar;
    ASSERT_TRUE(WriteSplit(Request(2, c.length + 1), running.job, &bar.sink));
    EXPECT_EQ(ReadFile(split), bytes.substr(1, static_cast<size_t>(c.length)));
    ASSERT_EQ(bar.ranges, std::vector<int>{static_cast<int>(c.chunks)});
    // Positions 1..chunks, then back to 0.
    ASSERT_EQ(bar.positions.size(), c.chunks + 1);
    EXPECT_EQ(bar.positions[c.chunks - 1], static_cast<int>(c.chunks));
    EXPECT_EQ(bar.positions.back(), 0);
  }
}

TEST_F(SplitWriterTest, ProgressRangeNeverExceeds65535) {
  // With a 1-byte buffer every byte is a chunk.
  bytes = PatternBytes(65536, 3);
  ASSERT_TRUE(WriteFile(source, bytes));
  struct Case {
    int64_t chunks;
    int range;
    int step;
  } cases[] = {{65535, 65535, 1}, {65536, 32768, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chunks);
    plat::DeleteOneFile(split);
    RecordedBar bar;
    ASSERT_TRUE(WriteSplit(Request(1, c.chunks, 1), running.job, &bar.sink));
    EXPECT_EQ(ReadFile(split), bytes.substr(0, static_cast<size_t>(c.chunks)));
    ASSERT_EQ(bar.ranges, std::vector<int>{c.range});
    ASSERT_EQ(bar.positions.size(), static_cast<size_t>(c.chunks) + 1);
    EXPECT_EQ(bar.positions[static_cast<size_t>(c.step) - 1], 1);  // one move per step buffers
    EXPECT_EQ(bar.positions[static_cast<size_t>(c.chunks) - 1], c.range);
    EXPECT_EQ(bar.positions.back(), 0);
  }
}

TEST_F(SplitWriterTest, MissingSourceFailsAndIsNotCreated) {
  source = scratch.Path("absent.bin");
  SplitFailure why = SplitFailure::None;
  EXPECT_FALSE(WriteSplit(Request(1, 100), running.job, nullptr, &why));
  EXPECT_EQ(why, SplitFailure::SourceOpen);
  EXPECT_FALSE(plat::PathExists(source));
  EXPECT_FALSE(plat::PathExists(split));
}

TEST_F(SplitWriterTest, SourceShorterThanTheRangeFails) {
  SplitFailure why = SplitFailure::None;
  EXPECT_FALSE(WriteSplit(Request(9001, 12000), running.job, nullptr, &why));
  EXPECT_EQ(why, SplitFailure::ShortRead);
}

TEST_F(SplitWriterTest, RangeWithoutBytesIsRefused) {
  SplitFailure why = SplitFailure::None;
  EXPECT_FALSE(WriteSplit(Request(0, 10), running.job, nullptr, &why));
  EXPECT_EQ(why, SplitFailure::BadRange);
  EXPECT_FALSE(WriteSplit(Request(11, 10), running.job, nullptr, &why));
  EXPECT_FALSE(WriteSplit(Request(1, 10, 0), running.job, nullptr, &why));
  EXPECT_FALSE(plat::PathExists(split));
}

TEST_F(SplitWriterTest, ExistingSplitAnsweredNoStaysAsItWas) {
  const std::string old = PatternBytes(300, 99);
  ASSERT_TRUE(WriteFile(split, old));
  ScriptedPerson person({kst::kAnswerNo});
  SplitFailure why = SplitFailure::None;
  EXPECT_FALSE(WriteSplit(Request(1, 5000), running.job, nullptr, &why));
  EXPECT_EQ(why, SplitFailure::Refused);
  EXPECT_EQ(ReadFile(split), old);
  EXPECT_EQ(ReadFile(source), bytes);
  ASSERT_EQ(person.asked.size(), 2u);
  EXPECT_EQ(person.asked[0].style, kst::kAskYesNo);
  EXPECT_EQ(person.asked[0].heading, "File Exists!");
  EXPECT_EQ(person.asked[0].message, "Error: File " + split + " already exists! Replace?");
  EXPECT_EQ(person.asked[1].style, kst::kAskOk);
  EXPECT_EQ(person.asked[1].heading, "File Exists! And Ya ain't gonna replace!");
  EXPECT_EQ(person.asked[1].message, "Well... Start over somewhere else!");
}

TEST_F(SplitWriterTest, ExistingLongerSplitAnsweredYesIsReplacedWhole) {
  ASSERT_TRUE(WriteFile(split, PatternBytes(9000, 99)));
  ScriptedPerson person({kst::kAnswerYes});
  ASSERT_TRUE(WriteSplit(Request(101, 300), running.job));
  EXPECT_EQ(ReadFile(split), bytes.substr(100, 200));
  EXPECT_EQ(person.asked.size(), 1u);
}

TEST_F(SplitWriterTest, KeepGoingClearedBeforeTheStartWritesNothing) {
  running.job.keepGoing = false;
  SplitFailure why = SplitFailure::None;
  EXPECT_FALSE(WriteSplit(Request(1, 5000), running.job, nullptr, &why));
  EXPECT_EQ(why, SplitFailure::Stopped);
  EXPECT_FALSE(plat::PathExists(split));
}

TEST_F(SplitWriterTest, KeepGoingClearedBetweenBuffersLeavesWhatWasWritten) {
  RecordedBar bar;
  bar.onMove = [&](int position) {
    if (position == 2) running.job.keepGoing = false;
  };
  SplitFailure why = SplitFailure::None;
  EXPECT_FALSE(WriteSplit(Request(1, 10000, 1000), running.job, &bar.sink, &why));
  EXPECT_EQ(why, SplitFailure::Stopped);
  EXPECT_EQ(ReadFile(split), bytes.substr(0, 2000));
  EXPECT_EQ(bar.positions.back(), 0);
}

TEST_F(SplitWriterTest, AccountingFeedsTheChosenCounters) {
  kst::ClockCounters& job = kst::Clock(kst::kClockFileSplitting);
  kst::ClockCounters& item = kst::Clock(kst::kClockSplitCopy);
  kst::ClockStart(job, 50000);
  kst::ClockStart(item, 0);

  SplitRequest r = Request(1, 3000, 1000);
  r.accounting = kst::kAccountJob;
  ASSERT_TRUE(WriteSplit(r, running.job));
  EXPECT_EQ(job.done.load(), 3000);
  EXPECT_EQ(job.interval.load(), 3000);
  EXPECT_EQ(job.total.load(), 50000);
  EXPECT_EQ(item.done.load(), 0);

  plat::DeleteOneFile(split);
  r = Request(2001, 4500, 1000);
  r.accounting = kst::kAccountItem;
  ASSERT_TRUE(WriteSplit(r, running.job));
  EXPECT_EQ(item.total.load(), 2500);
  EXPECT_EQ(item.done.load(), 2500);
  EXPECT_EQ(job.done.load(), 3000);

  for (int other : {static_cast<int>(kst::kAccountNone), 2}) {
    plat::DeleteOneFile(split);
    r.accounting = other;
    ASSERT_TRUE(WriteSplit(r, running.job));
  }
  EXPECT_EQ(item.done.load(), 2500);
  EXPECT_EQ(job.done.load(), 3000);
}

TEST_F(SplitWriterTest, SeeksPastFourGigabytes) {
  // A sparse file whose only data lie just beyond 4 GB.
  const int64_t offset = (int64_t{1} << 32) + 17;
  const std::string tail = PatternBytes(5000, 11);
  {
    plat::FileHandle h = plat::FileOpen(source, plat::kWrite, plat::Disposition::CreateAlways);
    ASSERT_NE(h, plat::kNoFile);
    ASSERT_TRUE(plat::FileSeek(h, offset));
    uint32_t done = 0;
    ASSERT_TRUE(plat::FileWrite(h, tail.data(), static_cast<uint32_t>(tail.size()), &done));
    plat::FileClose(h);
  }
  ASSERT_TRUE(WriteSplit(Request(offset + 1001, offset + 5000, 1024), running.job));
  EXPECT_EQ(ReadFile(split), tail.substr(1000));
}

}  // namespace
