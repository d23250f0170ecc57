#include "split/file_splitting.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "frame/clock/clock_counters.h"
#include "frame/platform/platform.h"
#include "split/check_file.h"
#include "split/crc32.h"
#include "split/join_batch.h"
#include "tests/split/split_test_support.h"
#include "tests/support/test_env.h"

namespace {

using kst::SplitOutcome;
using splittest::ScriptedPerson;
using testenv::ReadFile;

constexpr size_t kFloppy = 1457664;

struct FileSplittingTest : ::testing::Test {
  void SetUp() override {
    splittest::UseSplitTexts();
    ASSERT_TRUE(testenv::WriteFile(input.file, bytes));
    ASSERT_TRUE(plat::CreateFolder(input.folder));
  }
  kst::FileSplittingResult Run(kst::ProgressSink* splitsBar = nullptr, kst::ProgressSink* splitBar = nullptr) {
    return kst::RunFileSplitting(input, running.job, splitsBar, splitBar);
  }
  std::string Split(int k) const { return kst::SplitName(input.folder, "movie.avi", k); }
  testenv::ScratchFolder scratch;
  std::string bytes = testenv::PatternBytes(3000000, 5), batch = scratch.Path("out\\movie.avi.BAT"),
              check = scratch.Path("out\\movie.avi.SFV");
  kst::FileSplittingInput input{scratch.Path("movie.avi"), scratch.Path("out")};
  splittest::RunningJob running;
};

TEST_F(FileSplittingTest, ThreeMillionBytesMakeThreeSplitsAndTheBatch) {
  splittest::RecordedBar splitsBar, splitBar;
  ScriptedPerson person;
  auto result = Run(&splitsBar.sink, &splitBar.sink);
  ASSERT_EQ(result.outcome, SplitOutcome::Done);
  EXPECT_EQ(ReadFile(Split(1)), bytes.substr(0, kFloppy));
  EXPECT_EQ(ReadFile(Split(2)), bytes.substr(kFloppy, kFloppy));
  EXPECT_EQ(ReadFile(Split(3)), bytes.substr(2 * kFloppy));
  EXPECT_EQ(result.batchPath, batch);
  EXPECT_EQ(ReadFile(batch), kst::JoinBatchText(input.file, 3));
  // The sums taken while writing are those of the splits' bytes.
  std::vector<uint32_t> sums;
  for (int k = 1; k <= 3; ++k) {
    const std::string split = ReadFile(Split(k));
    sums.push_back(kst::Crc32Add(0, split.data(), split.size()));
  }
  EXPECT_EQ(result.checkPath, check);
  EXPECT_EQ(ReadFile(check), kst::CheckFileText(input.file, sums));
  EXPECT_EQ(ReadFile(input.file), bytes);
  EXPECT_TRUE(person.asked.empty());
  EXPECT_EQ(splitsBar.positions, (std::vector<int>{1, 2, 3, 0}));
  EXPECT_EQ(splitBar.ranges, (std::vector<int>{3, 3, 1}));  // 512000-byte buffers
  EXPECT_EQ(kst::Clock(kst::kClockFileSplitting).total.load(), 3000000);
  EXPECT_EQ(kst::Clock(kst::kClockFileSplitting).done.load(), 3000000);
}

TEST_F(FileSplittingTest, RunsThatCannotStartLeaveNoSplit) {
  ScriptedPerson person;
  input.splitSize = 4000000;  // fits one split: not split, not a failure
  EXPECT_EQ(Run().outcome, SplitOutcome::NotStarted);
  EXPECT_TRUE(person.asked.empty());
  input.splitSize = kFloppy;
  input.folder = scratch.Path("nowhere");
  EXPECT_EQ(Run().failure, kst::SplitFailure::SplitOpen);
  input.folder = scratch.Path("out");
  input.file = scratch.Path("gone.avi");  // gone after Go was pressed
  EXPECT_EQ(Run().outcome, SplitOutcome::Failed);
  ASSERT_EQ(person.asked.size(), 2u);
  EXPECT_EQ(person.asked[1].message.rfind("Unknown problem with File for splitting\n" + input.file + ": ", 0), 0u)
      << person.asked[1].message;
  EXPECT_FALSE(plat::PathExists(Split(1)));
  EXPECT_FALSE(plat::PathExists(input.file));
  EXPECT_FALSE(plat::PathExists(scratch.Path("nowhere")));
}

TEST_F(FileSplittingTest, OneQuestionBeforeAnythingOfAnExistingSetIsReplaced) {
  struct Case {
    std::vector<int> there;  // files of an older set already there: split numbers, 0 its batch, 4 its check file
    bool joinBatch;
    int answer;
    int named;  // the file the one question names (-1: no question)
    bool checkFile = true;
  } cases[] = {
      {{1, 2, 3, 0}, true, kst::kAnswerNo, 1}, {{1, 2, 3, 0}, true, kst::kAnswerYes, 1},
      {{3}, true, kst::kAnswerNo, 3}, {{2, 3}, false, kst::kAnswerYes, 2}, {{0}, true, kst::kAnswerNo, 0},
      {{0}, false, kst::kAnswerNo, -1},  // no batch to be written
      // Without a check file, the new set takes the old one away with the rest of the old set.
      {{1, 2, 3, 0, 4}, true, kst::kAnswerNo, 1, false}, {{1, 2, 3, 0, 4}, true, kst::kAnswerYes, 1, false},
      {{4}, false, kst::kAnswerYes, 4, false},
  };
  auto pathOf = [&](int k) { return k == 0 ? batch : k == 4 ? check : Split(k); };
  auto old = [](int k) { return testenv::PatternBytes(1000 + k, 70 + k); };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.there.size() << " there, question on " << c.named << ", " << c.answer);
    for (int k = 0; k <= 4; ++k) plat::DeleteOneFile(pathOf(k));
    for (int k : c.there) ASSERT_TRUE(testenv::WriteFile(pathOf(k), old(k)));
    input.joinBatch = c.joinBatch;
    input.checkFile = c.checkFile;
    ScriptedPerson person({c.answer});
    auto result = Run();
    const size_t questions = c.named < 0 ? 0 : 1;
    ASSERT_EQ(std::count_if(person.asked.begin(), person.asked.end(),
                            [](const kst::AskRequest& r) { return r.style == kst::kAskYesNo; }),
              questions);
    if (questions) {
      EXPECT_EQ(person.asked[0].message, "Error: File " + pathOf(c.named) + " already exists! Replace?");
    }
    if (questions && c.answer == kst::kAnswerNo) {
      // Nothing written, nothing deleted: the older set is as it was.
      EXPECT_EQ(result.outcome, SplitOutcome::Declined);
      EXPECT_EQ(result.failedPath, pathOf(c.named));
      EXPECT_EQ(person.asked.back().message, "Well... Start over somewhere else!");
      for (int k = 0; k <= 4; ++k) {
        const bool was = std::count(c.there.begin(), c.there.end(), k) > 0;
        EXPECT_EQ(ReadFile(pathOf(k)), was ? old(k) : "") << k;
        EXPECT_EQ(plat::PathExists(pathOf(k)), was) << k;
      }
      continue;
    }
    ASSERT_EQ(result.outcome, SplitOutcome::Done);
    EXPECT_EQ(person.asked.size(), questions);
    EXPECT_EQ(ReadFile(Split(1)) + ReadFile(Split(2)) + ReadFile(Split(3)), bytes);
    // A batch the run does not write is not the run's to replace.
    EXPECT_EQ(ReadFile(batch), c.joinBatch ? kst::JoinBatchText(input.file, 3) : c.there.back() ? "" : old(0));
    EXPECT_EQ(plat::PathExists(check), c.checkFile);
  }
}

TEST_F(FileSplittingTest, BatchThatCannotBeCreatedTakesBackTheSplitsOnly) {
  // A folder where the batch should go is not the run's to delete.
  ASSERT_TRUE(plat::CreateFolder(batch));
  ASSERT_TRUE(testenv::WriteFile(batch + "\\keep.txt", "keep"));
  ScriptedPerson person({kst::kAnswerYes});  // replace what is there: a folder cannot be
  EXPECT_EQ(Run().outcome, SplitOutcome::Failed);
  for (int k = 1; k <= 3; ++k) EXPECT_FALSE(plat::PathExists(Split(k)));
  EXPECT_EQ(ReadFile(batch + "\\keep.txt"), "keep");
  ASSERT_EQ(person.asked.size(), 2u);
  EXPECT_EQ(person.asked[1].heading, "Unknown problem!");
}

}  // namespace
