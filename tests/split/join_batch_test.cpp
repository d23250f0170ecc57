#include "split/join_batch.h"

#include <gtest/gtest.h>

#include "frame/platform/platform.h"
#include "frame/texts.h"
#include "tests/split/split_test_support.h"
#include "tests/support/test_env.h"

namespace {

using kst::JoinBatchText;

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }
std::string Split(const std::string& name, int k) {
  return Quoted(name + (k < 10 ? ".00" : ".0") + std::to_string(k));
}

// One copy line: splits first..last of name, after the target itself when
// the line goes on from an earlier one.
std::string CopyLine(const std::string& name, int first, int last, bool appending) {
  std::string line = "copy /b " + (appending ? Quoted(name) + " + " : "");
  for (int k = first; k <= last; ++k) line += Split(name, k) + (k < last ? " + " : " ");
  return line + Quoted(name) + "\r\n";
}

// The whole batch around its copy lines; name as the batch writes it.
std::string Batch(const std::string& name, int count, const std::string& copyLines) {
  std::string text = "@ECHO OFF\r\n";
  for (int k = 1; k <= count; ++k) text += "IF NOT EXIST " + Split(name, k) + " GOTO END\r\n";
  text += copyLines + "CHOICE /C:YN \"Delete Splits and Batch?\"\r\nIF ERRORLEVEL 2 GOTO END\r\n";
  for (int k = 1; k <= count; ++k) text += "del " + Split(name, k) + "\r\n";
  return text + "del " + Quoted(name + ".BAT") + "\r\n:END";
}

// Copy lines for names of one split per line: the first, then each split
// appended to the target.
std::string OnePerLine(const std::string& name, int count) {
  std::string copy = CopyLine(name, 1, 1, false);
  for (int k = 2; k <= count; ++k) copy += CopyLine(name, k, k, true);
  return copy;
}

struct JoinBatchTest : ::testing::Test {
  void SetUp() override { splittest::UseSplitTexts(); }
  void TearDown() override { splittest::UseSplitTexts(); }
};

TEST_F(JoinBatchTest, ThreeSplitsOfMovieAvi) {
  EXPECT_EQ(JoinBatchText("D:\\films\\movie.avi", 3),
            "@ECHO OFF\r\n"
            "IF NOT EXIST \"movie.avi.001\" GOTO END\r\n"
            "IF NOT EXIST \"movie.avi.002\" GOTO END\r\n"
            "IF NOT EXIST \"movie.avi.003\" GOTO END\r\n"
            "copy /b \"movie.avi.001\" + \"movie.avi.002\" + \"movie.avi.003\" \"movie.avi\"\r\n"
            "CHOICE /C:YN \"Delete Splits and Batch?\"\r\n"
            "IF ERRORLEVEL 2 GOTO END\r\n"
            "del \"movie.avi.001\"\r\n"
            "del \"movie.avi.002\"\r\n"
            "del \"movie.avi.003\"\r\n"
            "del \"movie.avi.BAT\"\r\n"
            ":END");
}

TEST_F(JoinBatchTest, CopyLinesAndNamesAsWritten) {
  const std::string thirty = CopyLine("movie.avi", 1, 13, false) + CopyLine("movie.avi", 14, 25, true) +
                             CopyLine("movie.avi", 26, 30, true);
  EXPECT_EQ(CopyLine("movie.avi", 1, 13, false).size(), 253u);
  EXPECT_EQ(CopyLine("movie.avi", 14, 25, true).size(), 249u);
  EXPECT_EQ(CopyLine("movie.avi", 26, 30, true).size(), 123u);
  // Seven "%" doubled make a name of 70 characters 77 long as written, and
  // from 77 a line holds one split only: the interpreter reads "%%".
  const std::string percents = std::string(7, '%') + std::string(63, 'p');
  const std::string percentsWritten = std::string(14, '%') + std::string(63, 'p');
  struct Case {
    std::string source;
    int count;
    std::string written;  // the name in the batch
    std::string copyLines;
  } cases[] = {
      {"movie.avi", 30, "movie.avi", thirty},
      {"C:\\x\\a b.txt", 1, "a b.txt", "copy /b \"a b.txt.001\" \"a b.txt\"\r\n"},
      // From 100 characters two names no longer fit a line of 260; at 200
      // a line is longer than that, but still whole.
      {"C:\\" + std::string(100, 'n'), 4, std::string(100, 'n'), OnePerLine(std::string(100, 'n'), 4)},
      {"C:\\" + std::string(200, 'n'), 4, std::string(200, 'n'), OnePerLine(std::string(200, 'n'), 4)},
      {percents, 3, percentsWritten, OnePerLine(percentsWritten, 3)},
      // The interpreter expands "%" even inside quotes.
      {"C:\\100%.bin", 2, "100%%.bin", CopyLine("100%%.bin", 1, 2, false)},
      {"p%cd%x.bin", 2, "p%%cd%%x.bin", CopyLine("p%%cd%%x.bin", 1, 2, false)},
  };
  for (const Case& c : cases)
    EXPECT_EQ(JoinBatchText(c.source, c.count), Batch(c.written, c.count, c.copyLines)) << c.source;
}

TEST_F(JoinBatchTest, TheQuestionIsTheTranslatedText) {
  kst::SetText(309, "JN \"Teile und Batch loeschen?\"   ");
  EXPECT_NE(JoinBatchText("x", 2).find("\r\nCHOICE /C:JN \"Teile und Batch loeschen?\"\r\n"), std::string::npos);
}

TEST_F(JoinBatchTest, WrittenBesideTheSplitsInPlaceOfAnOldOne) {
  testenv::ScratchFolder scratch;
  std::string path;
  ASSERT_TRUE(kst::WriteJoinBatch(scratch.path, "C:\\films\\movie.avi", 30, &path));
  ASSERT_TRUE(kst::WriteJoinBatch(scratch.path + "\\", "C:\\films\\movie.avi", 2, &path));
  EXPECT_EQ(path, scratch.Path("movie.avi.BAT"));
  EXPECT_EQ(testenv::ReadFile(path), JoinBatchText("movie.avi", 2));  // no tail of the longer one
  // Split numbers have three digits: 0 and 1000 splits get no batch.
  ASSERT_TRUE(plat::DeleteOneFile(path));
  EXPECT_FALSE(kst::WriteJoinBatch(scratch.path, "C:\\movie.avi", 0, &path));
  EXPECT_FALSE(kst::WriteJoinBatch(scratch.path, "C:\\movie.avi", 1000, &path));
  EXPECT_FALSE(plat::PathExists(path));
  EXPECT_TRUE(kst::WriteJoinBatch(scratch.path, "C:\\movie.avi", 999, &path));
  EXPECT_FALSE(kst::WriteJoinBatch(scratch.Path("missing"), "C:\\movie.avi", 3, &path));
}

}  // namespace
