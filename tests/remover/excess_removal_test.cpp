#include "remover/excess_removal.h"

#include <gtest/gtest.h>

#include "frame/clock/clock_counters.h"
#include "frame/texts/text_numbers.h"
#include "remover/remover_batch.h"
#include "tests/remover/remover_test_support.h"

namespace {

using removertest::MakeTree;
using removertest::ReadTree;
using removertest::RemoverScene;
using removertest::Tree;
using testenv::PatternBytes;

const std::string kLate = PatternBytes(1300000, 7), kSame = PatternBytes(1300000, 8);

std::string Flipped(std::string bytes) {
  bytes.back() = static_cast<char>(bytes.back() ^ 1);
  return bytes;
}

// Every kind of pair: equal, another content, another size, both empty,
// no counterpart, a counterpart that is a folder, nested folders with and
// without counterparts, an empty Base folder, a name beginning with ".".
const Tree kBase = {
    {".hidden", "h"},        {"content.txt", "abcdef"}, {"empty.txt", ""},
    {"emptydir\\", ""},      {"folder.txt", ""},        {"gone\\a.txt", "a"},
    {"gone\\b\\c.txt", "c"}, {"only.txt", "x"},         {"same.txt", "hello"},
    {"size.txt", "abc"},     {"sub\\late.bin", kLate},  {"sub\\same2.bin", kSame},
};
const Tree kTarget = {
    {".hidden", "h"},      {"content.txt", "abcdeX"},          {"empty.txt", ""},
    {"extra.txt", "keep"}, {"folder.txt\\x", "x"},             {"same.txt", "hello"},
    {"size.txt", "abcd"},  {"sub\\late.bin", Flipped(kLate)},  {"sub\\same2.bin", kSame},
};
// What a run leaves in the target.
Tree Kept() {
  Tree kept = kTarget;
  for (const char* gone : {"empty.txt", "same.txt", "sub\\same2.bin"}) kept.erase(gone);
  return kept;
}

std::string Entry(const RemoverScene& s, const std::string& name, bool deleted, bool zero = false) {
  std::string t = s.target + "\\" + name;
  return "Comparing '" + s.base + "\\" + name + "' and '" + t + "'\r\n" +
         (zero ? "- At least one of them is 0 in file size!!\r\n" : "") + "- The following file has " +
         (deleted ? "" : "NOT ") + "been deleted: '" + t + "'\r\n\r\n";
}

std::string ExpectedLog(const RemoverScene& s) {
  return Entry(s, "content.txt", false) + Entry(s, "empty.txt", true, true) +
         Entry(s, "same.txt", true) + Entry(s, "size.txt", false) + Entry(s, "sub\\late.bin", false) +
         Entry(s, "sub\\same2.bin", true) +
         "Total Number of files that were:\r\nRemoved: 3          \r\n"
         "Inside Base: 10         \r\nInside Target: 8";
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

// For real, and as a simulation with and without the log: a simulation
// never deletes, and counts (and logs) what it would have deleted. The
// clock's total is every Base byte (".hidden" left out), and a finished run
// has done them all, the files passed over too; only the bytes compared
// count for the speed.
TEST(ExcessRemoval, DeletesOnlyProvenCopiesAndWritesTheLogAndBatchExactly) {
  const int64_t baseBytes = 6 + 1 + 1 + 1 + 5 + 3 + 2 * 1300000;
  kst::ClockCounters& clock = kst::Clock(kst::kClockExcessRemover);
  struct Case { bool simulate, log; } cases[] = {{false, true}, {true, true}, {true, false}, {false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.simulate ? "simulation" : "real") + (c.log ? " with log" : ""));
    RemoverScene s;
    ASSERT_TRUE(MakeTree(s.base, kBase) && MakeTree(s.target, kTarget));
    splittest::ScriptedPerson person;
    s.input.simulate = c.simulate;
    if (c.log) s.LogTo(s.scratch.Path("log.txt"));
    kst::ClockStart(clock, 0);
    kst::ClockTakeInterval(clock);
    const kst::RemoverResult result = s.Run();
    EXPECT_EQ(clock.total.load(), baseBytes);
    EXPECT_EQ(clock.done.load(), baseBytes);
    const int64_t compared = kst::ClockTakeInterval(clock);
    EXPECT_TRUE(compared > 1300000 && compared < baseBytes) << compared;
    EXPECT_EQ(result.outcome, kst::RemoverOutcome::Done);
    EXPECT_TRUE(person.asked.empty());
    EXPECT_EQ(result.counts.removed, 3);
    EXPECT_EQ(result.counts.insideBase, 10);
    EXPECT_EQ(result.counts.insideTarget, 8);
    EXPECT_EQ(result.counts.unmatched, 4);
    EXPECT_EQ(result.logWritten, c.log);
    Tree left = c.simulate ? kTarget : Kept();
    left[kst::kRemoverBatchName] = kExpectedBatch;
    EXPECT_EQ(ReadTree(s.target), left);
    EXPECT_EQ(ReadTree(s.base), kBase);
    removertest::ExpectSameText(s.Batch(), kExpectedBatch);
    if (c.log) removertest::ExpectSameText(testenv::ReadFile(s.input.logPath), ExpectedLog(s));
  }
}

// However the two folders are named, one folder (or, with recursion, one
// inside the other) is refused before anything is read or written.
TEST(ExcessRemoval, RefusesOneFolderUnderAnyNameAndTouchesNothing) {
  RemoverScene s;
  ASSERT_TRUE(MakeTree(s.base, {{"a.txt", "a"}, {"sub\\b.txt", "b"}}));
  const std::string upper = kst::UpperCase(s.base);
  struct Case {
    std::string base, target;
    bool recurse;
    int message;  // the text id told
  } cases[] = {
      {"", s.target, true, 1226},
      {s.base, "   ", false, 1226},
      {s.base, s.scratch.Path("missing"), false, 1226},
      {s.base, s.base + "\\a.txt", false, 1226},
      {s.base, s.base, false, 855},
      {s.base, s.base + "\\", false, 855},
      {s.base, upper, false, 855},
      {s.base, s.base + "\\sub\\..", false, 855},
      {s.base + "\\.\\", "\"" + s.base + "\"", false, 855},
      {s.base, s.base + "\\sub", true, 1227},
      {s.base + "\\sub", s.base, true, 1227},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.base + " against " + c.target);
    splittest::ScriptedPerson person;
    s.input.base = c.base;
    s.input.target = c.target;
    s.input.recurse = c.recurse;
    EXPECT_EQ(s.Run().outcome, kst::RemoverOutcome::Refused);
    ASSERT_EQ(person.asked.size(), 1u);
    EXPECT_EQ(person.asked[0].message, kst::Trimmed(kst::GetText(c.message)));
    EXPECT_EQ(ReadTree(s.base), (Tree{{"a.txt", "a"}, {"sub\\b.txt", "b"}}));
  }
  // Nested folders without recursion: no file of the inner one is reached.
  s.input.base = s.base;
  s.input.target = s.base + "\\sub";
  s.input.recurse = false;
  EXPECT_EQ(s.Run().outcome, kst::RemoverOutcome::Done);
}

// A log that would be the batch or one of the compared files is refused;
// one elsewhere, or not matching the pattern, is taken.
TEST(ExcessRemoval, RefusesALogThatIsTheBatchOrAComparedFile) {
  RemoverScene s;
  ASSERT_TRUE(MakeTree(s.base, {{"a.txt", "a"}, {"sub\\b.txt", "b"}}));
  ASSERT_TRUE(MakeTree(s.target, {{"a.txt", "a"}}));
  struct Case { std::string log; bool recurse, refused; } cases[] = {
      {s.target + "\\" + kst::kRemoverBatchName, false, true},
      {s.base + "\\b.log", false, true},
      {s.target + "\\new.log", false, true},
      {s.base + "\\sub\\b.txt", true, true},
      {s.base + "\\sub\\b.txt", false, false},
      {s.scratch.Path("elsewhere.log"), true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.log);
    splittest::ScriptedPerson person;
    const std::string before = testenv::ReadFile(c.log);
    s.LogTo(c.log);
    s.input.recurse = c.recurse;
    s.input.simulate = true;
    EXPECT_EQ(s.Run().outcome, c.refused ? kst::RemoverOutcome::Refused : kst::RemoverOutcome::Done);
    EXPECT_EQ(person.asked.size(), c.refused ? 1u : 0u);
    if (c.refused) {
      EXPECT_EQ(testenv::ReadFile(c.log), before);
    }
  }
}

// The batch is written before anything is deleted: when it cannot be
// created, the run stops at once and every file stays.
TEST(ExcessRemoval, ABatchThatCannotBeCreatedStopsTheRunBeforeAnyDelete) {
  RemoverScene s;
  ASSERT_TRUE(MakeTree(s.base, {{"a.txt", "a"}}));
  ASSERT_TRUE(MakeTree(s.target, {{"a.txt", "a"}, {std::string(kst::kRemoverBatchName) + "\\x", "x"}}));
  splittest::ScriptedPerson person;
  EXPECT_EQ(s.Run().outcome, kst::RemoverOutcome::Stopped);
  ASSERT_EQ(person.asked.size(), 1u);
  EXPECT_EQ(person.asked[0].heading, "File not accessible...");
  EXPECT_EQ(testenv::ReadFile(s.target + "\\a.txt"), "a");
}

// An abort ends the walk before the next pair: what was deleted stays
// deleted, the rest is untouched, and the log still gets its totals.
TEST(ExcessRemoval, AnAbortStopsBeforeTheNextPairAndTheLogGetsItsTotals) {
  RemoverScene s;
  ASSERT_TRUE(MakeTree(s.base, {{"a.txt", "a"}, {"b.txt", "b"}}));
  ASSERT_TRUE(MakeTree(s.target, {{"a.txt", "a"}, {"b.txt", "b"}}));
  splittest::ScriptedPerson person;
  s.LogTo(s.scratch.Path("log.txt"));
  kst::RemoverReport report;
  report.counts = [&](const kst::RemoverCounts& c) {
    if (c.processed == 1) s.running.job.keepGoing = false;
  };
  const kst::RemoverResult result = kst::RunExcessRemoval(s.input, s.running.job, &report);
  EXPECT_EQ(result.outcome, kst::RemoverOutcome::Stopped);
  EXPECT_TRUE(result.logWritten);
  const Tree left = ReadTree(s.target);  // the first of the two listed is gone
  ASSERT_EQ(left.size(), 2u);
  const std::string kept = left.count("a.txt") ? "a.txt" : "b.txt";
  const std::string log = testenv::ReadFile(s.input.logPath);
  EXPECT_EQ(log.find(kept), std::string::npos);
  EXPECT_NE(log.find("Removed: 1"), std::string::npos);
}

}  // namespace
