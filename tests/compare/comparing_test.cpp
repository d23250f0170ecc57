#include <gtest/gtest.h>

#include <thread>

#include "compare/compare_blocks.h"
#include "compare/file_comparing.h"
#include "frame/clock/clock_counters.h"
#include "frame/texts/language_files.h"
#include "tests/split/split_test_support.h"

namespace {

using kst::CompareOutcome, kst::ComparingEnd, testenv::PatternBytes, testenv::WriteFile;

struct CompareBlocksTest : ::testing::Test {
  testenv::ScratchFolder scratch;
  std::string first = scratch.Path("original.bin"), second = scratch.Path("copy.bin");
  splittest::RunningJob running;
};

// Through a 1000-byte buffer; changed: 0-based offsets changed in the copy.
TEST_F(CompareBlocksTest, FindsTheFirstDifferenceAroundTheBufferEdges) {
  struct Case { size_t size; std::vector<size_t> changed; int64_t position; } cases[] = {
      {999, {}, -1},        {1000, {}, -1},       {1001, {}, -1},            {1, {0}, 1},
      {1001, {0, 700}, 1},  {1000, {999}, 1000},  {1001, {999, 1000}, 1000}, {1001, {1000}, 1001},
      {2001, {2000}, 2001}, {2001, {1000, 5}, 6}, {2500, {1000, 2400}, 1001},
  };
  for (const Case& c : cases) {
    std::string bytes = PatternBytes(c.size, 3), copy = bytes;
    for (size_t at : c.changed) copy[at] = static_cast<char>(copy[at] ^ 0x40);
    ASSERT_TRUE(WriteFile(first, bytes) && WriteFile(second, copy));
    kst::CompareResult r = kst::CompareBlocks({first, second, 1, 1, static_cast<int64_t>(c.size), 1000}, running.job);
    EXPECT_EQ(r.outcome, c.position == -1 ? CompareOutcome::Equal : CompareOutcome::Different) << c.size;
    EXPECT_EQ(r.position, c.position) << c.size;
  }
}

// Positions count from the start of the compared range; what cannot be
// read is an error, never a difference.
TEST_F(CompareBlocksTest, EachFileStartsAtItsOwnPositionAndFailuresAreNoDifference) {
  const std::string piece = PatternBytes(2500, 8), tail = PatternBytes(3000, 12);
  std::string shifted = PatternBytes(777, 2) + piece, changed = tail;
  shifted[777 + 1500] ^= 1;
  changed[2222] ^= 0x7F;
  const int64_t big = (int64_t{1} << 32) + 17;
  const std::string none = scratch.Path("none.bin"), big1 = scratch.Path("big1"), big2 = scratch.Path("big2");
  ASSERT_TRUE(WriteFile(first, piece) && WriteFile(second, shifted));
  ASSERT_TRUE(WriteFile(big1, tail, big) && WriteFile(big2, changed, big + 5));
  using O = CompareOutcome;
  struct Case { std::string a, b; int64_t firstStart, secondStart, count; O outcome; int64_t position; } cases[] = {
      {first, second, 1, 778, 1500, O::Equal, -1},
      {first, second, 1502, 2279, 999, O::Equal, -1},
      {first, second, 1, 778, 2500, O::Different, 1501},
      {first, second, 501, 1278, 2000, O::Different, 1001},
      {first, second, 1, 777, 2500, O::Different, 1},
      {first, second, 1, 1, 0, O::Equal, -1},
      {big1, big2, big + 1, big + 6, 1800, O::Equal, -1},
      {big1, big2, big + 401, big + 406, 2600, O::Different, 2222 - 400 + 1},
      {first, second, 1502, 2279, 1000, O::Error, -2},  // the first ends a byte early
      {first, second, 1, 5000, 10, O::Error, -2},       // a start past the end
      {none, second, 1, 1, 100, O::Error, -2},
      {first, none, 1, 1, 100, O::Error, -2},
      {first, scratch.path, 1, 1, 100, O::Error, -2},  // a folder
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.a << " " << c.firstStart << "/" << c.secondStart << "/" << c.count);
    kst::CompareResult result = kst::CompareBlocks({c.a, c.b, c.firstStart, c.secondStart, c.count, 1000}, running.job);
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_EQ(result.position, c.position);
  }
}

// Paused after block 2, a run waits there until the abort releases it.
TEST_F(CompareBlocksTest, MovesOncePerBlockAndStopsBetweenBlocks) {
  const std::string bytes = PatternBytes(9500, 6);
  std::string copy = bytes;
  copy[9000] ^= 1;  // a difference after the stop
  ASSERT_TRUE(WriteFile(first, bytes) && WriteFile(second, copy));
  kst::ClockStart(kst::Clock(kst::kClockComparing), 9000);
  struct Case { const char* what; std::function<void(int position)> onMove; CompareOutcome outcome;
                std::vector<int> positions; } cases[] = {
      {"to the end", nullptr, CompareOutcome::Different, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0}},
      {"aborted before the start", [&](int) { running.job.keepGoing = false; }, CompareOutcome::Aborted, {0, 0}},
      {"aborted after block 3", [&](int p) { running.job.keepGoing = p != 3; }, CompareOutcome::Aborted,
       {0, 1, 2, 3, 0}},
      {"paused", [&](int p) { if (p == 2) kst::PauseJob(running.job); }, CompareOutcome::Aborted, {0, 1, 2, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    running.job.keepGoing = true;
    splittest::RecordedBar bar;
    bar.onMove = c.onMove;
    std::thread aborter([&] { plat::SleepMs(100), kst::AbortJob(running.job); });
    kst::CompareResult r = kst::CompareBlocks({first, second, 1, 1, 9500, 1000, kst::kClockComparing}, running.job,
                                              &bar.sink);
    aborter.join();
    kst::UnpauseJob(running.job);
    EXPECT_EQ(r.outcome, c.outcome);
    EXPECT_EQ(r.position, c.outcome == CompareOutcome::Different ? 9001 : -2);
    EXPECT_EQ(bar.ranges, std::vector<int>{10});
    EXPECT_EQ(bar.positions, c.positions);
  }
  EXPECT_EQ(kst::Clock(kst::kClockComparing).done.load(), 9000 + 3000 + 2000);
}

TEST(CompareMatching, PatternsPairFilesByNameOrTwoNamedFiles) {
  kst::LoadBuiltInTexts();
  using Files = std::vector<std::pair<std::string, std::string>>;
  struct Case { const char* name; std::string originalPattern, clonePattern; Files originals, clones; bool recursive;
                int compared, unmatched, differentContents; } cases[] = {
      {"zip against all", "*.zip", "*.*", {{"a.zip", "1"}, {"b.txt", "2"}}, {{"a.zip", "1"}, {"b.txt", "2"}}, false,
       1, 0, 0},
      {"exe against ex_", "*.exe", "*.ex_", {{"a.exe", "1"}}, {{"a.exe", "1"}, {"a.ex_", "1"}}, false, 0, 1, 0},
      {"two named files", "one.bin", "two.bin", {{"one.bin", "same"}}, {{"two.bin", "same"}}, false, 1, 0, 0},
      {"question marks pair by name", "?.txt", "?.txt", {{"a.txt", "aaa"}, {"b.txt", "bbb"}},
       {{"a.txt", "aaa"}, {"b.txt", "bbb"}}, false, 2, 0, 0},
      {"pattern picks files, not folders", "*.zip", "*.zip", {{"sub\\x.zip", "1"}, {"y.zip", "2"}},
       {{"sub\\x.zip", "1"}, {"y.zip", "3"}}, true, 2, 0, 1},
      {"no recursion", "*.*", "*.*", {{"sub\\x.zip", "1"}, {"y.zip", "2"}}, {{"sub\\x.zip", "1"}}, false, 0, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testenv::ScratchFolder scratch;
    for (const char* folder : {"o", "o\\sub", "c", "c\\sub"}) ASSERT_TRUE(plat::CreateFolder(scratch.Path(folder)));
    for (const auto& [name, bytes] : c.originals) ASSERT_TRUE(WriteFile(scratch.Path("o\\" + name), bytes));
    for (const auto& [name, bytes] : c.clones) ASSERT_TRUE(WriteFile(scratch.Path("c\\" + name), bytes));
    const kst::ComparingInput input{scratch.Path("o\\" + c.originalPattern), scratch.Path("c\\" + c.clonePattern),
                                    c.recursive, false, ""};
    splittest::RunningJob running;
    const kst::ComparingResult r = kst::RunComparing(input, running.job);
    ASSERT_EQ(r.end, ComparingEnd::Done);
    EXPECT_EQ(r.counts.compared, c.compared);
    EXPECT_EQ(r.counts.unmatched, c.unmatched);
    EXPECT_EQ(r.counts.differentContents, c.differentContents);
  }
}

}  // namespace
