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
using testenv::ReadFile;

// there: files of an older set, split numbers, 0 its batch, 4 its check
// file; named: the file the one question names (-1: no question). Without
// a check file, the new set takes the old one away with the rest. A set
// written has its batch and a check file of its sums, and moved the bars
// once per split and once per 512000-byte buffer.
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
    input.joinBatch = c.joinBatch;
    input.checkFile = c.checkFile;
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
      for (int k = 0; k <= 4; ++k) {
        const bool was = std::count(c.there.begin(), c.there.end(), k) > 0;
        EXPECT_EQ(ReadFile(pathOf(k)), was ? old(k) : "") << k;
        EXPECT_EQ(plat::PathExists(pathOf(k)), was) << k;
      }
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
