#include "remover/excess_removal.h"

#include <gtest/gtest.h>

#include <tuple>

#include "frame/clock/clock_counters.h"
#include "frame/texts/text_numbers.h"
#include "tests/remover/remover_test_support.h"

namespace {

using removertest::ReadTree;
using removertest::RemoverScene;
using removertest::Tree;
using testenv::PatternBytes;

const std::string kLate = PatternBytes(1300000, 7), kSame = PatternBytes(1300000, 8);
const std::string kLateFlipped = kLate.substr(0, kLate.size() - 1) + static_cast<char>(kLate.back() ^ 1);

// Every kind of pair, with and without counterparts.
const Tree kBase = {
    {".hidden", "h"},        {"content.txt", "abcdef"}, {"empty.txt", ""},
    {"emptydir\\", ""},      {"folder.txt", ""},        {"gone\\a.txt", "a"},
    {"gone\\b\\c.txt", "c"}, {"only.txt", "x"},         {"same.txt", "hello"},
    {"size.txt", "abc"},     {"sub\\late.bin", kLate},  {"sub\\same2.bin", kSame},
};
const Tree kTarget = {
    {".hidden", "h"},      {"content.txt", "abcdeX"},          {"empty.txt", ""},
    {"extra.txt", "keep"}, {"folder.txt\\x", "x"},             {"same.txt", "hello"},
    {"size.txt", "abcd"},  {"sub\\late.bin", kLateFlipped},     {"sub\\same2.bin", kSame},
};

std::string Entry(const RemoverScene& s, const std::string& name, bool deleted, bool zero = false) {
  std::string t = s.target + "\\" + name;
  return "Comparing '" + s.base + "\\" + name + "' and '" + t + "'\r\n" +
         (zero ? "- At least one of them is 0 in file size!!\r\n" : "") + "- The following file has " +
         (deleted ? "" : "NOT ") + "been deleted: '" + t + "'\r\n\r\n";
}

std::string ExpectedLog(const RemoverScene& s) {
  return Entry(s, "content.txt", false) + Entry(s, "empty.txt", true, true) + Entry(s, "same.txt", true) +
         Entry(s, "size.txt", false) + Entry(s, "sub\\late.bin", false) + Entry(s, "sub\\same2.bin", true) +
         "Total Number of files that were:\r\nRemoved: 3          \r\nInside Base: 10         \r\nInside Target: 8";
}

const char kExpectedBatch[] =
    "@ECHO OFF\r\nCHOICE /C:YN \"Do you really want to delete the excess files?\"\r\n"
    "IF ERRORLEVEL 2 GOTO END\r\n"
    "attrib -r -h -s \".\\emptydir\"\r\nrd \".\\emptydir\"\r\n"
    "attrib -r -h -s -a \".\\folder.txt\"\r\ndel \".\\folder.txt\"\r\n"
    "attrib -r -h -s -a \".\\gone\\a.txt\"\r\ndel \".\\gone\\a.txt\"\r\n"
    "attrib -r -h -s -a \".\\gone\\b\\c.txt\"\r\ndel \".\\gone\\b\\c.txt\"\r\n"
    "attrib -r -h -s \".\\gone\\b\"\r\nrd \".\\gone\\b\"\r\n"
    "attrib -r -h -s \".\\gone\"\r\nrd \".\\gone\"\r\n"
    "attrib -r -h -s -a \".\\only.txt\"\r\ndel \".\\only.txt\"\r\n"
    ":END";

// A simulation counts and logs, never deletes. The clock's total is every
// Base byte (".hidden" left out); only the bytes compared count for the speed.
TEST(ExcessRemoval, DeletesOnlyProvenCopiesAndWritesTheLogAndBatchExactly) {
  const int64_t baseBytes = 6 + 1 + 1 + 1 + 5 + 3 + 2 * 1300000;
  kst::ClockCounters& clock = kst::Clock(kst::kClockExcessRemover);
  for (const bool simulate : {false, true}) {
    for (const bool log : {true, false}) {
      SCOPED_TRACE(std::string(simulate ? "simulation" : "real") + (log ? " with log" : ""));
      RemoverScene s;
      ASSERT_TRUE(s.Make(kBase, kTarget));
      s.input.simulate = simulate;
      if (log) s.LogTo(s.scratch.Path("log.txt"));
      kst::ClockStart(clock, 0);
      kst::ClockTakeInterval(clock);
      const kst::RemoverResult result = s.Run();
      EXPECT_EQ(std::make_tuple(clock.total.load(), clock.done.load()), std::make_tuple(baseBytes, baseBytes));
      const int64_t compared = kst::ClockTakeInterval(clock);
      EXPECT_TRUE(compared > 1300000 && compared < baseBytes) << compared;
      const kst::RemoverCounts& n = result.counts;
      EXPECT_EQ(std::tuple(result.outcome, n.removed, n.insideBase, n.insideTarget, n.unmatched, result.logWritten),
                std::make_tuple(kst::RemoverOutcome::Done, 3, 10, 8, 4, log));
      EXPECT_TRUE(s.person.asked.empty());
      Tree left = kTarget;
      for (const char* gone : {"empty.txt", "same.txt", "sub\\same2.bin"}) if (!simulate) left.erase(gone);
      left[kst::kRemoverBatchName] = kExpectedBatch;
      EXPECT_EQ(ReadTree(s.target), left);
      EXPECT_EQ(ReadTree(s.base), kBase);
      removertest::ExpectSameText(s.Batch(), kExpectedBatch);
      if (log) removertest::ExpectSameText(testenv::ReadFile(s.input.logPath), ExpectedLog(s));
    }
  }
}

// Refused before anything is touched; the rows that run come last.
TEST(ExcessRemoval, RefusesOneFolderUnderAnyNameOrALogItReadsAndTouchesNothing) {
  RemoverScene s;
  const Tree base = {{"a.txt", "a"}, {"sub\\b.txt", "b"}}, target = {{"a.txt", "a"}};
  ASSERT_TRUE(s.Make(base, target));
  const std::string upper = kst::UpperCase(s.base), batch = s.target + "\\" + kst::kRemoverBatchName;
  const int kRuns = -1, kAnyText = 0;
  const struct { std::string base, target, log; bool recurse; int message; } cases[] = {
      {"", s.target, "", true, 1226},
      {s.base, "   ", "", false, 1226},
      {s.base, s.scratch.Path("missing"), "", false, 1226},
      {s.base, s.base + "\\a.txt", "", false, 1226},
      {s.base, s.base, "", false, 855},
      {s.base, s.base + "\\", "", false, 855},
      {s.base, upper, "", false, 855},
      {s.base, s.base + "\\sub\\..", "", false, 855},
      {s.base + "\\.\\", "\"" + s.base + "\"", "", false, 855},
      {s.base, s.base + "\\sub", "", true, 1227},
      {s.base + "\\sub", s.base, "", true, 1227},
      {s.base, s.target, batch, false, kAnyText},
      {s.base, s.target, s.base + "\\b.log", false, kAnyText},
      {s.base, s.target, s.target + "\\new.log", false, kAnyText},
      {s.base, s.target, s.base + "\\sub\\b.txt", true, kAnyText},
      {s.base, s.base + "\\sub", "", false, kRuns},  // no file of the inner one is reached
      {s.base, s.target, s.scratch.Path("elsewhere.log"), true, kRuns},
      {s.base, s.target, s.base + "\\sub\\b.txt", false, kRuns},  // not a file the run reads
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.base + " against " + c.target + " log " + c.log);
    s.person.asked.clear();
    s.input.base = c.base, s.input.target = c.target, s.input.recurse = c.recurse, s.input.simulate = true;
    s.input.log = !c.log.empty(), s.input.logPath = c.log;
    EXPECT_EQ(s.Run().outcome, c.message == kRuns ? kst::RemoverOutcome::Done : kst::RemoverOutcome::Refused);
    ASSERT_EQ(s.person.asked.size(), c.message == kRuns ? 0u : 1u);
    if (c.message == kRuns) continue;
    EXPECT_TRUE(c.message == kAnyText || s.person.asked[0].message == kst::Trimmed(kst::GetText(c.message)));
    EXPECT_EQ(ReadTree(s.base), base);
    EXPECT_EQ(ReadTree(s.target), target);
  }
}

// A "%" is doubled, or it is read as a variable; the rest is safe in quotes.
TEST(RemoverBatch, EntriesQuoteEveryNameAndDoubleEveryPercent) {
  struct Case { std::string relative; bool folder; std::string lines; } cases[] = {
      {"\\a%X%b.txt", false, "attrib -r -h -s -a \".\\a%%X%%b.txt\"\r\ndel \".\\a%%X%%b.txt\"\r\n"},
      {"\\50% off 25%.txt", false,
       "attrib -r -h -s -a \".\\50%% off 25%%.txt\"\r\ndel \".\\50%% off 25%%.txt\"\r\n"},
      {"\\R&D ^x (1)!\\y", true, "attrib -r -h -s \".\\R&D ^x (1)!\\y\"\r\nrd \".\\R&D ^x (1)!\\y\"\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(kst::RemoverBatchEntry(c.relative, c.folder), c.lines) << c.relative;
}

}  // namespace
