#include <gtest/gtest.h>

#include "frame/texts/texts.h"
#include "split/check_file.h"
#include "split/crc32.h"
#include "split/crc_beside.h"
#include "split/join_batch.h"
#include "split/join_splits.h"
#include "split/split_writer.h"
#include "tests/split/split_test_support.h"

namespace {

using kst::FindJoinSet, kst::JoinBatchText, kst::JoinProblem;
using testenv::PatternBytes, testenv::ReadFile, testenv::WriteFile;

// first: split 1's sum when listed.
TEST(CheckFile, OneLinePerSplitAfterTheCommentAndOnlyTheSetsLinesRead) {
  const std::vector<uint32_t> sums = {kst::Crc32Add(0, "123456789", 9), kst::Crc32Add(0, "", 0), 0x0000ABCDu};
  EXPECT_EQ(kst::CheckFileText("C:\\films\\my movie.avi", sums),
            "; Kestrova check file of 3 splits\r\nmy movie.avi.001 CBF43926\r\n"
            "my movie.avi.002 00000000\r\nmy movie.avi.003 0000ABCD\r\n");
  EXPECT_EQ(kst::CheckFilePath("A:\\", "C:\\films\\m.avi"), "A:\\m.avi.SFV");
  EXPECT_EQ(kst::CheckFilePath("D:\\out", "m.avi"), "D:\\out\\m.avi.SFV");
  EXPECT_EQ(kst::CheckFileText("C:\\m.avi", {}), "");
  struct Case { std::string text; std::vector<bool> listed; uint32_t first; } cases[] = {
      {"; c\r\nm.avi.001 CBF43926\r\nm.avi.002 00000001\r\n", {true, true}, 0xCBF43926u},
      {"M.AVI.001 cbf43926\nm.avi.002 00000001", {true, true}, 0xCBF43926u},  // LF, no last end, case
      {"m.avi.001 CBF4392\r\nm.avi.001 CBF439266\r\nm.avi.001 CBF4392G\r\n", {false, false}, 0},
      {"m.avi.001CBF43926\r\nm.avi.003 CBF43926\r\nm.avi.000 CBF43926\r\n", {false, false}, 0},
      {"other.001 CBF43926\r\nm.avi.00x CBF43926\r\n;m.avi.001 CBF43926\r\n", {false, false}, 0},
      {std::string("m.avi.001 \0BF43926\r\nm.avi.002 00000002\r\n", 40), {false, true}, 0},
      {std::string(100000, 'x') + " 00000001\r\nm.avi.001 00000007\r\n", {true, false}, 7},
  };
  for (const Case& c : cases) {
    std::vector<uint32_t> sums;
    std::vector<bool> listed;
    kst::ReadCheckSums(c.text, "m.avi", 2, &sums, &listed);
    EXPECT_EQ(listed, c.listed) << c.text.substr(0, 40);
    EXPECT_TRUE(!listed[0] || sums[0] == c.first) << c.text.substr(0, 40);
  }
}

TEST(CheckFile, SumBesideTheWritesEqualsTheSumInLine) {
  struct Case { std::vector<size_t> sizes; size_t stopAfter; } cases[] = {
      {{}, 0}, {{0}, 1}, {{1}, 1}, {{1, 0, 1, 0, 7}, 5}, {{512000, 512000, 1, 0, 300001}, 5},
      {{512000, 512000, 512000, 512000}, 2}, {{65536, 3, 65536}, 0}};
  std::vector<unsigned char> buffer(512000);
  uint32_t seed = 1;
  for (const Case& c : cases) {
    uint32_t expected = 0;
    kst::CrcBeside beside;
    for (size_t k = 0; k < c.stopAfter; ++k) {
      kst::CrcBesideWait(&beside);
      for (size_t i = 0; i < c.sizes[k]; ++i) buffer[i] = static_cast<unsigned char>((seed = seed * 69069u + 1) >> 16);
      expected = kst::Crc32Add(expected, buffer.data(), c.sizes[k]);
      kst::CrcBesideStart(&beside, buffer.data(), c.sizes[k]);
    }
    EXPECT_EQ(kst::CrcBesideEnd(&beside), expected) << c.sizes.size() << " buffers, stop after " << c.stopAfter;
  }
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }
std::string Split(const std::string& name, int k) { return Quoted(name + (k < 10 ? ".00" : ".0") + std::to_string(k)); }

// Splits first..last of name, after the target itself when appending.
std::string CopyLine(const std::string& name, int first, int last, bool appending) {
  std::string line = "copy /b " + (appending ? Quoted(name) + " + " : "");
  for (int k = first; k <= last; ++k) line += Split(name, k) + (k < last ? " + " : " ");
  return line + Quoted(name) + "\r\n";
}

std::string OnePerLine(const std::string& name, int count) {
  std::string copy;
  for (int k = 1; k <= count; ++k) copy += CopyLine(name, k, k, k > 1);
  return copy;
}

// "%" is doubled, as the interpreter expands it even inside quotes; from 77
// a line of 260 holds one split only.
TEST(JoinBatch, GuardLinesCopyLinesNamesAndWhereItIsWritten) {
  splittest::UseSplitTexts();
  const std::string percents = std::string(7, '%') + std::string(63, 'p');
  const std::string percentsWritten = std::string(14, '%') + std::string(63, 'p'), n100(100, 'n'), n200(200, 'n');
  struct Case { std::string source; int count; std::string written, copyLines; } cases[] = {
      {"D:\\films\\movie.avi", 3, "movie.avi", CopyLine("movie.avi", 1, 3, false)},
      {"movie.avi", 30, "movie.avi",
       CopyLine("movie.avi", 1, 13, false) + CopyLine("movie.avi", 14, 25, true) + CopyLine("movie.avi", 26, 30, true)},
      {"C:\\x\\a b.txt", 1, "a b.txt", "copy /b \"a b.txt.001\" \"a b.txt\"\r\n"},
      {"C:\\" + n100, 4, n100, OnePerLine(n100, 4)}, {"C:\\" + n200, 4, n200, OnePerLine(n200, 4)},
      {percents, 3, percentsWritten, OnePerLine(percentsWritten, 3)},
      {"C:\\100%.bin", 2, "100%%.bin", CopyLine("100%%.bin", 1, 2, false)},
      {"p%cd%x.bin", 2, "p%%cd%%x.bin", CopyLine("p%%cd%%x.bin", 1, 2, false)},
  };
  for (const Case& c : cases) {
    std::string batch = "@ECHO OFF\r\n";
    for (int k = 1; k <= c.count; ++k) batch += "IF NOT EXIST " + Split(c.written, k) + " GOTO END\r\n";
    batch += c.copyLines + "CHOICE /C:YN \"Delete Splits and Batch?\"\r\nIF ERRORLEVEL 2 GOTO END\r\n";
    for (int k = 1; k <= c.count; ++k) batch += "del " + Split(c.written, k) + "\r\n";
    EXPECT_EQ(JoinBatchText(c.source, c.count), batch + "del " + Quoted(c.written + ".BAT") + "\r\n:END") << c.source;
  }
  kst::SetText(309, "JN \"Teile und Batch loeschen?\"   ");  // the question in the user's language
  EXPECT_NE(JoinBatchText("x", 2).find("\r\nCHOICE /C:JN \"Teile und Batch loeschen?\"\r\n"), std::string::npos);
  splittest::UseSplitTexts();
  testenv::ScratchFolder scratch;
  std::string path;
  ASSERT_TRUE(kst::WriteJoinBatch(scratch.path, "C:\\films\\movie.avi", 30, &path));
  EXPECT_FALSE(kst::WriteJoinBatch(scratch.path, "C:\\films\\movie.avi", 2, &path));
  EXPECT_EQ(plat::LastError(), plat::kErrAlreadyExists);
  EXPECT_EQ(testenv::ReadFile(path), JoinBatchText("movie.avi", 30));
  ASSERT_TRUE(kst::WriteJoinBatch(scratch.path + "\\", "C:\\films\\movie.avi", 2, &path, true));
  EXPECT_EQ(path, scratch.Path("movie.avi.BAT"));
  EXPECT_EQ(testenv::ReadFile(path), JoinBatchText("movie.avi", 2));  // no tail of the longer one
  ASSERT_TRUE(plat::DeleteOneFile(path));
  EXPECT_FALSE(kst::WriteJoinBatch(scratch.path, "C:\\movie.avi", 0, &path) ||
               kst::WriteJoinBatch(scratch.path, "C:\\movie.avi", 1000, &path) || plat::PathExists(path));
  EXPECT_TRUE(kst::WriteJoinBatch(scratch.path, "C:\\movie.avi", 999, &path));
  EXPECT_FALSE(kst::WriteJoinBatch(scratch.Path("missing"), "C:\\movie.avi", 3, &path));
}

// Splits 1 to N-1 of one size, split N no larger, none empty. sizes: -1
// missing; batch: its count, 0 none, -1 an old batch without guard lines
// (found from split 2); fault: the split named, 0 none.
TEST(JoinSplits, WhichSetAPathNamesWhenItHoldsTogetherAndTheJoinInOrder) {
  splittest::UseSplitTexts();
  testenv::ScratchFolder scratch;
  std::string name;
  auto split = [&](int k) { return kst::SplitName(scratch.path, name, k); };
  const std::string oldBatch = "@ECHO OFF\r\ncopy /b \"1%.dat.001\" + \"1%.dat.002\" \"1%.dat\"\r\n"
                               "del \"1%.dat.001\"\r\ndel \"1%.dat.002\"\r\n";
  struct Case { std::string name; std::vector<int> sizes; int batch; JoinProblem problem; int count, fault, stop = 0; };
  const Case cases[] = {
      {"100% whole", {500, 500, 12}, 3, JoinProblem::None, 3, 0}, {"1%", {40, 40, 40}, -1, JoinProblem::None, 2, 0},
      {"stopped", {5000, 5000, 123}, 3, JoinProblem::None, 3, 0, 1},
      {"one byte short", {500, 499, 500, 12}, 4, JoinProblem::OddSplit, 4, 2},
      {"first one short", {499, 500, 500, 12}, 4, JoinProblem::OddSplit, 4, 1},
      {"half split of a stopped run", {500, 250, 500}, 3, JoinProblem::OddSplit, 3, 2},
      {"last too large", {500, 500, 501}, 3, JoinProblem::OddSplit, 3, 3},
      {"last empty", {500, 500, 0}, 3, JoinProblem::OddSplit, 3, 3},
      {"split missing", {500, -1, 12}, 3, JoinProblem::MissingSplit, 3, 2},
      {"more than the batch names", {500, 500, 12, 500}, 3, JoinProblem::None, 3, 0},
      {"stale splits of a longer set", {500, 500, 12, 300, 300}, 0, JoinProblem::None, 3, 0},
      {"stale splits of larger size", {500, 500, 500, 900}, 0, JoinProblem::None, 3, 0},
      {"empty first", {0, 500}, 0, JoinProblem::OddSplit, 1, 1},
      {"no first", {-1, 500}, 0, JoinProblem::NoSplits, 0, 1},
      {"only the first", {500, -1, 12}, 0, JoinProblem::MissingSplit, 1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    name = c.name + ".dat";
    std::string bytes;
    for (size_t k = 0; k < c.sizes.size(); ++k) {
      const std::string piece = PatternBytes(size_t(std::max(c.sizes[k], 0)), uint32_t(k + 9));
      if (k < size_t(c.count)) bytes += piece;
      ASSERT_TRUE(c.sizes[k] < 0 || WriteFile(split(int(k) + 1), piece));
    }
    std::string batch = scratch.Path(name + ".BAT"), fault;
    ASSERT_TRUE(c.batch <= 0 || kst::WriteJoinBatch(scratch.path, name, c.batch, &batch));
    ASSERT_TRUE(c.batch >= 0 || WriteFile(batch, oldBatch));
    kst::JoinSet set;
    EXPECT_EQ(FindJoinSet(c.batch > 0 ? batch : split(2), &set, &fault), c.problem);
    EXPECT_EQ(set.count, c.count);
    EXPECT_EQ(fault, c.fault ? split(c.fault) : "");
    ASSERT_TRUE(WriteFile(kst::JoinTarget(set), "older"));
    splittest::RunningJob running;
    splittest::RecordedBar bar;
    bar.onMove = [&](int k) { running.job.keepGoing = running.job.keepGoing && k != c.stop; };
    const bool joined = c.problem == JoinProblem::None && !c.stop;
    EXPECT_EQ(kst::JoinSplits(set, 1000, running.job, &bar.sink), joined);
    EXPECT_EQ(ReadFile(kst::JoinTarget(set)), joined ? bytes : "older");
    EXPECT_TRUE(!joined || (kst::JoinTarget(set) == scratch.Path(name) && bar.positions.size() == size_t(c.count) + 1 &&
                            bar.positions[size_t(c.count) - 1] == c.count && bar.positions.back() == 0));
  }
  ASSERT_TRUE(WriteFile(scratch.Path("plain.BAT"), "@ECHO OFF\r\ndir\r\n"));
  kst::JoinSet set;
  for (const std::string& path : {scratch.Path("notes.txt"), scratch.Path("notes.0x1"), scratch.Path(".001")})
    EXPECT_EQ(FindJoinSet(path, &set), JoinProblem::NotASplit) << path;
  for (const std::string& path : {scratch.Path("absent.001"), scratch.Path("plain.BAT")})
    EXPECT_EQ(FindJoinSet(path, &set), JoinProblem::NoSplits) << path;
}

}  // namespace
