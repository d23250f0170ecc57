// The block comparison: outcomes and positions at the buffer's edges, start
// positions of their own in each file, beyond 4 GB, failed reads, abort and
// pause.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "compare/compare_blocks.h"
#include "frame/clock_counters.h"
#include "frame/platform/platform.h"
#include "tests/support/test_env.h"

namespace {

using kst::CompareOutcome;
using testenv::PatternBytes;
using testenv::WriteFile;

constexpr int32_t kBuffer = 1000;

struct CompareBlocksTest : ::testing::Test {
  kst::CompareResult Compare(int64_t count, int64_t firstStart = 1, int64_t secondStart = 1,
                             kst::ProgressSink* bar = nullptr) {
    kst::CompareRequest r;
    r.firstPath = first;
    r.secondPath = second;
    r.firstStart = firstStart;
    r.secondStart = secondStart;
    r.count = count;
    r.buffSize = kBuffer;
    r.clock = kst::kClockComparing;
    return kst::CompareBlocks(r, job, bar);
  }
  void SetUp() override { job.running = job.keepGoing = true; }

  testenv::ScratchFolder scratch;
  std::string first = scratch.Path("original.bin"), second = scratch.Path("copy.bin");
  kst::JobControl job;
};

TEST_F(CompareBlocksTest, FindsTheFirstDifferenceAroundTheBufferEdges) {
  // changed: 0-based offsets flipped in the second file's range.
  struct Case {
    size_t size;
    std::vector<size_t> changed;
    int64_t position;
  } cases[] = {
      {999, {}, -1},          {1000, {}, -1},           {1001, {}, -1},
      {1001, {0, 700}, 1},    {1000, {999}, 1000},      {1001, {999, 1000}, 1000},
      {1001, {1000}, 1001},   {2000, {1999}, 2000},     {2001, {2000}, 2001},
      {2001, {1000, 5}, 6},   {2500, {1000, 2400}, 1001}, {1, {0}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.size << " bytes, first change " << c.position);
    std::string bytes = PatternBytes(c.size, 3), copy = bytes;
    for (size_t at : c.changed) copy[at] = static_cast<char>(copy[at] ^ 0x40);
    ASSERT_TRUE(WriteFile(first, bytes) && WriteFile(second, copy));
    kst::CompareResult r = Compare(static_cast<int64_t>(c.size));
    EXPECT_EQ(r.outcome, c.position == -1 ? CompareOutcome::Equal : CompareOutcome::Different);
    EXPECT_EQ(r.position, c.position);
  }
}

TEST_F(CompareBlocksTest, EachFileStartsAtItsOwnPosition) {
  // The same 2500 bytes lie at offset 0 of one file and 777 of the other;
  // positions count from the start of the compared range.
  const std::string piece = PatternBytes(2500, 8);
  std::string shifted = PatternBytes(777, 2) + piece + PatternBytes(300, 4);
  struct Case {
    int64_t firstStart, secondStart, count;
    size_t flip;  // 0-based in piece, or npos
    CompareOutcome outcome;
    int64_t position;
  } cases[] = {
      {1, 778, 2500, std::string::npos, CompareOutcome::Equal, -1},
      {1001, 1778, 1500, std::string::npos, CompareOutcome::Equal, -1},
      {1, 778, 2500, 2499, CompareOutcome::Different, 2500},
      {501, 1278, 2000, 1500, CompareOutcome::Different, 1001},
      {1, 777, 2500, std::string::npos, CompareOutcome::Different, 1},
      {1, 778, 2501, std::string::npos, CompareOutcome::Error, -2},  // the first file ends early
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.firstStart << "/" << c.secondStart << "/" << c.count);
    std::string copy = shifted;
    if (c.flip != std::string::npos) copy[777 + c.flip] ^= 1;
    ASSERT_TRUE(WriteFile(first, piece) && WriteFile(second, copy));
    kst::CompareResult r = Compare(c.count, c.firstStart, c.secondStart);
    EXPECT_EQ(r.outcome, c.outcome);
    EXPECT_EQ(r.position, c.position);
  }
}

TEST_F(CompareBlocksTest, ComparesBeyondFourGigabytes) {
  // Sparse files whose only data lie just past 4 GB; the second holds them
  // 5 bytes further on.
  const int64_t offset = (int64_t{1} << 32) + 17;
  const std::string tail = PatternBytes(3000, 12);
  auto make = [&](const std::string& path, int64_t at, const std::string& bytes) {
    plat::FileHandle h = plat::FileOpen(path, plat::kWrite, plat::Disposition::CreateAlways);
    uint32_t done = 0;
    bool ok = plat::FileSeek(h, at) && plat::FileWrite(h, bytes.data(), 3000, &done) && done == 3000;
    plat::FileClose(h);
    return ok;
  };
  std::string changed = tail;
  changed[2222] ^= 0x7F;
  ASSERT_TRUE(make(first, offset, tail) && make(second, offset + 5, changed));
  kst::CompareResult r = Compare(2600, offset + 401, offset + 406);
  EXPECT_EQ(r.outcome, CompareOutcome::Different);
  EXPECT_EQ(r.position, 2222 - 400 + 1);
  r = Compare(1800, offset + 1, offset + 6);
  EXPECT_EQ(r.outcome, CompareOutcome::Equal);
}

TEST_F(CompareBlocksTest, FailuresAreNeverDifferences) {
  const std::string bytes = PatternBytes(3000, 5);
  ASSERT_TRUE(WriteFile(first, bytes) && WriteFile(second, bytes.substr(0, 2500) + static_cast<char>(bytes[2500] ^ 1)));
  struct Case {
    const char* what;
    std::string firstPath, secondPath;
    int64_t count, secondStart;
    CompareOutcome outcome;
  } cases[] = {
      {"missing first", scratch.Path("none.bin"), second, 100, 1, CompareOutcome::Error},
      {"missing second", first, scratch.Path("none.bin"), 100, 1, CompareOutcome::Error},
      {"a folder", first, scratch.path, 100, 1, CompareOutcome::Error},
      {"second ends in the last block", first, second, 2600, 1, CompareOutcome::Error},
      {"start past the end", first, second, 10, 5000, CompareOutcome::Error},
      {"nothing to compare", first, second, 0, 1, CompareOutcome::Equal},
      {"difference in the last byte of both", first, second, 2501, 1, CompareOutcome::Different},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    first = c.firstPath;
    second = c.secondPath;
    kst::CompareResult r = Compare(c.count, 1, c.secondStart);
    EXPECT_EQ(r.outcome, c.outcome);
    EXPECT_EQ(r.position, c.outcome == CompareOutcome::Different ? 2501
                          : c.outcome == CompareOutcome::Equal   ? -1
                                                                 : -2);
    first = scratch.Path("original.bin");
    second = scratch.Path("copy.bin");
  }
}

struct RecordedBar {
  RecordedBar() {
    sink.setRange = [this](int r) { ranges.push_back(r); };
    sink.setPosition = [this](int p) {
      positions.push_back(p);
      if (onMove) onMove(p);
    };
  }
  kst::ProgressSink sink;
  std::vector<int> ranges, positions;
  std::function<void(int)> onMove;
};

TEST_F(CompareBlocksTest, MovesTheBarAndTheClockOncePerBlock) {
  const std::string bytes = PatternBytes(9500, 6);
  ASSERT_TRUE(WriteFile(first, bytes) && WriteFile(second, bytes));
  RecordedBar bar;
  kst::ClockStart(kst::Clock(kst::kClockComparing), 9500);
  EXPECT_EQ(Compare(9500, 1, 1, &bar.sink).outcome, CompareOutcome::Equal);
  EXPECT_EQ(bar.ranges, std::vector<int>{10});
  EXPECT_EQ(bar.positions, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0}));
  EXPECT_EQ(kst::Clock(kst::kClockComparing).done.load(), 9500);
}

TEST_F(CompareBlocksTest, AbortStopsBetweenBlocksAndPauseWaitsThere) {
  const std::string bytes = PatternBytes(10000, 7);
  ASSERT_TRUE(WriteFile(first, bytes) && WriteFile(second, bytes));
  {  // cleared before the start: nothing is read
    RecordedBar bar;
    job.keepGoing = false;
    kst::CompareResult r = Compare(10000, 1, 1, &bar.sink);
    EXPECT_EQ(r.outcome, CompareOutcome::Aborted);
    EXPECT_EQ(r.position, -2);
    EXPECT_EQ(bar.positions, (std::vector<int>{0, 0}));
  }
  {  // cleared after block 3, with a difference still ahead
    job.keepGoing = true;
    std::string copy = bytes;
    copy[9000] ^= 1;
    ASSERT_TRUE(WriteFile(second, copy));
    RecordedBar bar;
    bar.onMove = [&](int p) {
      if (p == 3) job.keepGoing = false;
    };
    kst::CompareResult r = Compare(10000, 1, 1, &bar.sink);
    EXPECT_EQ(r.outcome, CompareOutcome::Aborted);
    EXPECT_EQ(r.position, -2);
    ASSERT_TRUE(WriteFile(second, bytes));
  }
  {  // paused after block 2: it waits until the abort releases it
    job.keepGoing = true;
    RecordedBar bar;
    bar.onMove = [&](int p) {
      if (p == 2) kst::PauseJob(job);
    };
    std::thread aborter([&] {
      plat::SleepMs(100);
      kst::AbortJob(job);
    });
    kst::CompareResult r = Compare(10000, 1, 1, &bar.sink);
    aborter.join();
    EXPECT_EQ(r.outcome, CompareOutcome::Aborted);
    EXPECT_EQ(bar.positions, (std::vector<int>{0, 1, 2, 0}));
  }
}

}  // namespace
