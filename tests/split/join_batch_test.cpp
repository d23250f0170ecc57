#include "split/join_batch.h"

#include <gtest/gtest.h>

#include "frame/platform/platform.h"
#include "frame/texts/texts.h"
#include "tests/split/split_test_support.h"
#include "tests/support/test_env.h"

namespace {

using kst::JoinBatchText;

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }
std::string Split(const std::string& name, int k) { return Quoted(name + (k < 10 ? ".00" : ".0") + std::to_string(k)); }

// Splits first..last of name, after the target itself when appending.
std::string CopyLine(const std::string& name, int first, int last, bool appending) {
  std::string line = "copy /b " + (appending ? Quoted(name) + " + " : "");
  for (int k = first; k <= last; ++k) line += Split(name, k) + (k < last ? " + " : " ");
  return line + Quoted(name) + "\r\n";
}

std::string OnePerLine(const std::string& name, int count) {
  std::string copy = CopyLine(name, 1, 1, false);
  for (int k = 2; k <= count; ++k) copy += CopyLine(name, k, k, true);
  return copy;
}

// "%" is doubled, as the interpreter expands it even inside quotes; seven
// make a name of 70 characters 77 long, and from 77 a line of 260 holds one
// split only; at 200 a line is longer than 260, but still whole.
TEST(JoinBatch, GuardLinesCopyLinesAndNamesAsWritten) {
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
}

TEST(JoinBatch, WrittenBesideTheSplitsInPlaceOfAnOldOneOnlyWhenAgreed) {
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
  // Split numbers have three digits: 0 and 1000 splits get no batch.
  ASSERT_TRUE(plat::DeleteOneFile(path));
  EXPECT_FALSE(kst::WriteJoinBatch(scratch.path, "C:\\movie.avi", 0, &path) ||
               kst::WriteJoinBatch(scratch.path, "C:\\movie.avi", 1000, &path) || plat::PathExists(path));
  EXPECT_TRUE(kst::WriteJoinBatch(scratch.path, "C:\\movie.avi", 999, &path));
  EXPECT_FALSE(kst::WriteJoinBatch(scratch.Path("missing"), "C:\\movie.avi", 3, &path));
}

}  // namespace
