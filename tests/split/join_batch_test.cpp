#include "split/join_batch.h"

#include <gtest/gtest.h>

#include "frame/platform/platform.h"
#include "frame/texts.h"
#include "split/split_writer.h"
#include "tests/split/split_test_support.h"
#include "tests/support/test_env.h"

namespace {

using kst::JoinBatchText;
using testenv::ReadFile;
using testenv::ScratchFolder;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      return lines;
    }
    lines.push_back(text.substr(start, end - start + 2));
    start = end + 2;
  }
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

struct JoinBatchTest : ::testing::Test {
  void SetUp() override { splittest::UseSplitTexts(); }
  void TearDown() override { splittest::UseSplitTexts(); }
};

TEST_F(JoinBatchTest, ThreeSplitsOfMovieAvi) {
  const std::string expected =
      "@ECHO OFF\r\n"
      "copy /b \"movie.avi.001\" + \"movie.avi.002\" + \"movie.avi.003\" \"movie.avi\"\r\n"
      "CHOICE /C:YN \"Delete Splits and Batch?\"\r\n"
      "IF ERRORLEVEL 2 GOTO END\r\n"
      "del \"movie.avi.001\"\r\n"
      "del \"movie.avi.002\"\r\n"
      "del \"movie.avi.003\"\r\n"
      "del \"movie.avi.BAT\"\r\n"
      ":END";
  EXPECT_EQ(JoinBatchText("D:\\films\\movie.avi", 3), expected);
  std::vector<std::string> lines = Lines(expected);
  EXPECT_EQ(lines[0].size(), 11u);
  EXPECT_EQ(lines[2].size(), 41u);
  EXPECT_EQ(lines[3].size(), 26u);
}

TEST_F(JoinBatchTest, ThirtySplitsTakeThreeCopyLines) {
  std::string first = "copy /b ";
  for (int k = 1; k <= 13; ++k)
    first += Quoted("movie.avi." + kst::SplitNumber(k)) + (k < 13 ? " + " : " \"movie.avi\"\r\n");
  std::string second = "copy /b \"movie.avi\" + ";
  for (int k = 14; k <= 25; ++k)
    second += Quoted("movie.avi." + kst::SplitNumber(k)) + (k < 25 ? " + " : " \"movie.avi\"\r\n");
  std::string third = "copy /b \"movie.avi\" + ";
  for (int k = 26; k <= 30; ++k)
    third += Quoted("movie.avi." + kst::SplitNumber(k)) + (k < 30 ? " + " : " \"movie.avi\"\r\n");

  std::vector<std::string> lines = Lines(JoinBatchText("movie.avi", 30));
  ASSERT_EQ(lines.size(), 1u + 3 + 2 + 30 + 1 + 1);
  EXPECT_EQ(lines[1], first);
  EXPECT_EQ(lines[2], second);
  EXPECT_EQ(lines[3], third);
  EXPECT_EQ(lines[1].size(), 253u);
  EXPECT_EQ(lines[2].size(), 249u);
  EXPECT_EQ(lines[3].size(), 123u);
  EXPECT_EQ(lines[4], "CHOICE /C:YN \"Delete Splits and Batch?\"\r\n");
  EXPECT_EQ(lines[6], "del \"movie.avi.001\"\r\n");
  EXPECT_EQ(lines[35], "del \"movie.avi.030\"\r\n");
  EXPECT_EQ(lines[36], "del \"movie.avi.BAT\"\r\n");
  EXPECT_EQ(lines[37], ":END");
}

TEST_F(JoinBatchTest, OneSplit) {
  std::vector<std::string> lines = Lines(JoinBatchText("C:\\x\\a b.txt", 1));
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[1], "copy /b \"a b.txt.001\" \"a b.txt\"\r\n");
  EXPECT_EQ(lines[4], "del \"a b.txt.001\"\r\n");
  EXPECT_EQ(lines[5], "del \"a b.txt.BAT\"\r\n");
}

TEST_F(JoinBatchTest, HundredCharacterNameGetsOneSplitPerLine) {
  const std::string name(100, 'n');
  std::vector<std::string> lines = Lines(JoinBatchText("C:\\" + name, 4));
  ASSERT_EQ(lines.size(), 1u + 4 + 2 + 4 + 1 + 1);
  EXPECT_EQ(lines[1], "copy /b " + Quoted(name + ".001") + " " + Quoted(name) + "\r\n");
  for (int k = 2; k <= 4; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(lines[static_cast<size_t>(k)], "copy /b " + Quoted(name) + " + " +
                                                 Quoted(name + "." + kst::SplitNumber(k)) + " " +
                                                 Quoted(name) + "\r\n");
  }
}

TEST_F(JoinBatchTest, NamesTooLongForTheLineStillGetCompleteLines) {
  // 200 characters: a continuation line alone takes 2 x 202 + 3 + 8 + 2 + 6.
  const std::string name(200, 'q');
  std::vector<std::string> lines = Lines(JoinBatchText("C:\\" + name, 3));
  ASSERT_EQ(lines.size(), 1u + 3 + 2 + 3 + 1 + 1);
  EXPECT_EQ(lines[1], "copy /b " + Quoted(name + ".001") + " " + Quoted(name) + "\r\n");
  EXPECT_EQ(lines[3], "copy /b " + Quoted(name) + " + " + Quoted(name + ".003") + " " +
                          Quoted(name) + "\r\n");
  EXPECT_GT(lines[3].size(), 260u);
}

TEST_F(JoinBatchTest, TranslatedQuestionIsWrittenAtItsOwnLength) {
  kst::SetText(309, "JN \"Teile und Batch loeschen?\"   ");
  std::vector<std::string> lines = Lines(JoinBatchText("x", 2));
  EXPECT_EQ(lines[2], "CHOICE /C:JN \"Teile und Batch loeschen?\"\r\n");
}

TEST_F(JoinBatchTest, WritesTheFileBesideTheSplitsAndReplacesAnOldOne) {
  ScratchFolder scratch;
  std::string path;
  ASSERT_TRUE(kst::WriteJoinBatch(scratch.path, "C:\\films\\movie.avi", 30, &path));
  EXPECT_EQ(path, scratch.Path("movie.avi.BAT"));
  ASSERT_TRUE(kst::WriteJoinBatch(scratch.path + "\\", "C:\\films\\movie.avi", 2, &path));
  EXPECT_EQ(path, scratch.Path("movie.avi.BAT"));
  EXPECT_EQ(ReadFile(path), JoinBatchText("movie.avi", 2));
}

TEST_F(JoinBatchTest, BatchThatCannotBeCreatedIsReported) {
  ScratchFolder scratch;
  std::string path;
  EXPECT_FALSE(kst::WriteJoinBatch(scratch.Path("missing"), "C:\\movie.avi", 3, &path));
  EXPECT_EQ(path, scratch.Path("missing") + "\\movie.avi.BAT");
  EXPECT_FALSE(plat::PathExists(path));
}

TEST_F(JoinBatchTest, SplitCountsBeyondTheNamesAreRefused) {
  ScratchFolder scratch;
  std::string path;
  EXPECT_FALSE(kst::WriteJoinBatch(scratch.path, "C:\\movie.avi", 0, &path));
  EXPECT_FALSE(kst::WriteJoinBatch(scratch.path, "C:\\movie.avi", 1000, &path));
  EXPECT_FALSE(plat::PathExists(scratch.Path("movie.avi.BAT")));
  EXPECT_TRUE(kst::WriteJoinBatch(scratch.path, "C:\\movie.avi", 999, &path));
}

}  // namespace
