#include <gtest/gtest.h>

#include <algorithm>

#include "frame/clock/clock_counters.h"
#include "frame/files/partial_files.h"
#include "split/check_file.h"
#include "split/crc32.h"
#include "split/file_splitting.h"
#include "split/join_batch.h"
#include "split/split_writer.h"
#include "tests/split/split_test_support.h"

namespace {

using kst::SplitFailure, kst::SplitOutcome, testenv::PatternBytes, testenv::ReadFile;

struct SplitWriterTest : ::testing::Test {
  void SetUp() override {
    splittest::UseSplitTexts();
    ASSERT_TRUE(testenv::WriteFile(source, bytes));
  }
  bool Write(int64_t first, int64_t last, uint32_t buffSize = 4096, kst::ProgressSink* bar = nullptr) {
    return kst::WriteSplit({source, split, first, last, buffSize, -1, {}, replaceAgreed, &sum},
                           running.job, bar, &why);
  }
  testenv::ScratchFolder scratch;
  std::string source = scratch.Path("source.bin"), split = scratch.Path("source.bin.001");
  std::string bytes = PatternBytes(10000, 7);
  splittest::RunningJob running;
  SplitFailure why = SplitFailure::None;
  bool replaceAgreed = false;
  uint32_t sum = 0;
};

// Beyond 65535 buffers the bar moves once every two (step).
TEST_F(SplitWriterTest, CopiesAndSumsTheRangeMovingTheBarOncePerBufferAtMost65535Times) {
  bytes = PatternBytes(65536, 3);
  ASSERT_TRUE(testenv::WriteFile(source, bytes));
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

TEST_F(SplitWriterTest, NamesAndRefusesWhatItCannotCopyOrMayNotReplace) {
  EXPECT_EQ(kst::SplitName("C:", "movie.avi", 1), "C:\\movie.avi.001");
  EXPECT_EQ(kst::SplitName("A:\\", "movie.avi", 12), "A:\\movie.avi.012");
  EXPECT_EQ(kst::SplitName("D:\\out", "m", 1001), "D:\\out\\m.001");  // the lowest three digits
  EXPECT_EQ(kst::SplitBaseName("D:\\films\\my movie.avi   "), "my movie.avi");
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

// there: files of an older set, split numbers, 0 its batch, 4 its check
// file; named: the file the one question names (-1: no question).
TEST(FileSplitting, OneQuestionBeforeAnythingOfAnExistingSetIsReplaced) {
  using kst::kAnswerNo, kst::kAnswerYes;
  splittest::UseSplitTexts();
  testenv::ScratchFolder scratch;
  const std::string bytes = testenv::PatternBytes(3000000, 5), batch = scratch.Path("out\\movie.avi.BAT"),
                    check = scratch.Path("out\\movie.avi.SFV");
  kst::FileSplittingInput input{scratch.Path("movie.avi"), scratch.Path("out")};
  ASSERT_TRUE(testenv::WriteFile(input.file, bytes) && plat::CreateFolder(input.folder));
  struct Case { std::vector<int> there; bool joinBatch; int answer, named; bool checkFile = true; } cases[] = {
      {{}, true, kAnswerNo, -1}, {{1, 2, 3, 0}, true, kAnswerNo, 1}, {{1, 2, 3, 0}, true, kAnswerYes, 1},
      {{3}, true, kAnswerNo, 3}, {{2, 3}, false, kAnswerYes, 2}, {{0}, true, kAnswerNo, 0}, {{0}, false, kAnswerNo, -1},
      {{1, 2, 3, 0, 4}, true, kAnswerNo, 1, false}, {{1, 2, 3, 0, 4}, true, kAnswerYes, 1, false},
      {{4}, false, kAnswerYes, 4, false},
  };
  auto pathOf = [&](int k) { return k == 0 ? batch : k == 4 ? check : kst::SplitName(input.folder, "movie.avi", k); };
  auto old = [](int k) { return testenv::PatternBytes(1000 + k, 70 + k); };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.there.size() << " there, question on " << c.named << ", " << c.answer);
    for (int k = 0; k <= 4; ++k) plat::DeleteOneFile(pathOf(k));
    for (int k : c.there) ASSERT_TRUE(testenv::WriteFile(pathOf(k), old(k)));
    input = {input.file, input.folder, input.splitSize, c.joinBatch, c.checkFile};
    splittest::ScriptedPerson person({c.answer});
    splittest::RunningJob running;
    splittest::RecordedBar splitsBar, splitBar;
    auto result = kst::RunFileSplitting(input, running.job, &splitsBar.sink, &splitBar.sink);
    const size_t questions = c.named < 0 ? 0 : 1;
    ASSERT_EQ(std::count_if(person.asked.begin(), person.asked.end(),
                            [](const kst::AskRequest& r) { return r.style == kst::kAskYesNo; }), questions);
    const std::string question = questions ? "Error: File " + pathOf(c.named) + " already exists! Replace?" : "";
    EXPECT_EQ(person.asked.empty() ? "" : person.asked[0].message, question);
    if (questions && c.answer == kAnswerNo) {  // nothing written, nothing deleted
      EXPECT_EQ(result.outcome, SplitOutcome::Declined);
      EXPECT_EQ(result.failedPath, pathOf(c.named));
      EXPECT_EQ(person.asked.back().message, "Well... Start over somewhere else!");
      for (int k = 0; k <= 4; ++k)
        EXPECT_EQ(plat::PathExists(pathOf(k)) ? ReadFile(pathOf(k)) : "none",
                  std::count(c.there.begin(), c.there.end(), k) ? old(k) : "none") << k;
      continue;
    }
    ASSERT_EQ(result.outcome, SplitOutcome::Done);
    EXPECT_EQ(person.asked.size(), questions);
    std::vector<uint32_t> sums;
    for (int k = 1; k <= 3; ++k) {
      const std::string split = ReadFile(pathOf(k));
      EXPECT_EQ(split, bytes.substr((k - 1) * 1457664, 1457664)) << k;
      sums.push_back(kst::Crc32Add(0, split.data(), split.size()));
    }
    // A batch the run does not write is not the run's to replace.
    EXPECT_EQ(ReadFile(batch), c.joinBatch ? kst::JoinBatchText(input.file, 3) : c.there.back() ? "" : old(0));
    EXPECT_EQ(ReadFile(check), c.checkFile ? kst::CheckFileText(input.file, sums) : "");
    EXPECT_EQ(result.batchPath, c.joinBatch ? batch : "");
    EXPECT_EQ(result.checkPath, c.checkFile ? check : "");
    EXPECT_EQ(ReadFile(input.file), bytes);
    EXPECT_EQ(splitsBar.positions, (std::vector<int>{1, 2, 3, 0}));
    EXPECT_EQ(splitBar.ranges, (std::vector<int>{3, 3, 1}));
    EXPECT_EQ(kst::Clock(kst::kClockFileSplitting).total.load(), 3000000);
    EXPECT_EQ(kst::Clock(kst::kClockFileSplitting).done.load(), 3000000);
  }
}

}  // namespace
