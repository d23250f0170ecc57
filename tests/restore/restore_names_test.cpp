#include "restore/restore_names.h"

#include "restore/check_sums.h"

#include <gtest/gtest.h>

#include "frame/texts/language_files.h"
#include "split/join_batch.h"
#include "tests/support/test_env.h"

namespace {

TEST(RestoreNames, SplitAndBatchNamesAreRecognisedByTheirEnding) {
  struct Case {
    const char* name;
    bool split;
    const char* base;
    int number;
    bool batch;
    bool check = false;
  } cases[] = {
      {"C:\\in\\data.zip.001", true, "C:\\in\\data.zip", 1, false},
      {"C:\\in\\my file.tar.gz.010", true, "C:\\in\\my file.tar.gz", 10, false},
      {"x.001.002", true, "x.001", 2, false},  // a redone split of split 1
      {"x.BAT.001", true, "x.BAT", 1, false},
      {"DATA.ZIP.999  ", true, "DATA.ZIP", 999, false},  // trailing blanks are no part of a name
      {"x.000", true, "x", 0, false},
      {"data.zip.1", false, "", 0, false},
      {"data.zip.0a1", false, "", 0, false},
      {"data.zip.0001", false, "", 0, false},
      {".001", false, "", 0, false},
      {"C:\\dir\\.001", false, "", 0, false},
      {"001", false, "", 0, false},
      {"C:\\dir\\DATA.ZIP.BAT", false, "C:\\dir\\DATA.ZIP", 0, true},
      {"data.zip.bat", false, "data.zip", 0, true},
      {"C:\\dir\\.BAT", false, "", 0, false},
      {".BAT", false, "", 0, false},
      {"x.BATS", false, "", 0, false},
      {"C:\\dir\\big.bin.SFV", false, "C:\\dir\\big.bin", 0, false, true},
      {"big.bin.sfv ", false, "big.bin", 0, false, true},
      {"C:\\dir\\.SFV", false, "", 0, false, false},
      {"big.bin.SFV.001", true, "big.bin.SFV", 1, false, false},
  };
  for (const Case& c : cases) {
    std::string base;
    int number = -1;
    EXPECT_EQ(kst::SplitNameParts(c.name, &base, &number), c.split) << c.name;
    if (c.split) {
      EXPECT_EQ(base, c.base) << c.name;
      EXPECT_EQ(number, c.number) << c.name;
    }
    EXPECT_EQ(kst::BatchNameBase(c.name, &base), c.batch) << c.name;
    if (c.batch) {
      EXPECT_EQ(base, c.base) << c.name;
    }
    EXPECT_EQ(kst::CheckNameBase(c.name, &base), c.check) << c.name;
    if (c.check) {
      EXPECT_EQ(base, c.base) << c.name;
    }
  }
}

// A check file gives the sums of its file's splits up to the last one it
// lists; an empty, missing or oversized one gives none.
TEST(RestoreNames, CheckFilesGiveTheSumsTheyList) {
  testenv::ScratchFolder dir;
  std::string many = "; made by hand\r\n";
  for (int k = 0; k < 10000; ++k) many += "x.001 0000000" + std::to_string(k % 10) + "\r\n";
  ASSERT_TRUE(testenv::WriteFile(dir.Path("many.SFV"), many));
  ASSERT_TRUE(testenv::WriteFile(dir.Path("gaps.SFV"), "x.003 DEADBEEF\nX.001 0a0b0c0d\r\ny.002 11111111\r\n"));
  ASSERT_TRUE(testenv::WriteFile(dir.Path("empty.SFV"), ""));
  ASSERT_TRUE(testenv::WriteFile(dir.Path("big.SFV"), "x.001 00000001\r\n"));
  ASSERT_TRUE(testenv::WriteFile(dir.Path("big.SFV"), "x", kst::kLargestJoinBatch));
  struct Case {
    const char* name;
    std::vector<uint32_t> sums;
    std::vector<bool> listed;
  } cases[] = {{"many.SFV", {9}, {true}},
               {"gaps.SFV", {0x0a0b0c0d, 0, 0xdeadbeef}, {true, false, true}},
               {"empty.SFV", {}, {}},
               {"missing.SFV", {}, {}},
               {"big.SFV", {}, {}}};
  for (const Case& c : cases) {
    std::vector<uint32_t> sums = {7};
    std::vector<bool> listed = {true};
    EXPECT_EQ(kst::ReadCheckFile(dir.Path(c.name), dir.Path("x"), &sums, &listed), !c.sums.empty()) << c.name;
    EXPECT_EQ(sums, c.sums) << c.name;
    EXPECT_EQ(listed, c.listed) << c.name;
  }
}

// Every batch the writer makes gives its count; damaged and hostile ones
// give no count, or only a split number.
TEST(RestoreNames, BatchesGiveTheirSplitCount) {
  kst::LoadBuiltInTexts();
  struct Case {
    std::string what;
    std::string text;
    int count;
  } cases[] = {
      {"written, 1", kst::JoinBatchText("C:\\movie.avi", 1), 1},
      {"written, 3", kst::JoinBatchText("C:\\movie.avi", 3), 3},
      {"written, 30", kst::JoinBatchText("C:\\movie.avi", 30), 30},
      {"written, 999", kst::JoinBatchText("C:\\movie.avi", 999), 999},
      {"written, a long name", kst::JoinBatchText("C:\\" + std::string(100, 'n'), 7), 7},
      {"written, a per cent sign", kst::JoinBatchText("C:\\100%.bin", 12), 12},
      {"written, a blank", kst::JoinBatchText("C:\\a b.c", 2), 2},
      {"empty", "", 0},
      {"no del line", "@ECHO OFF\r\ncopy /b \"x.001\" \"x\"\r\n:END", 0},
      {"upper-case DEL", "DEL \"x.001\"\r\nDEL \"x.002\"\r\n", 0},
      {"last line without CR LF", "del \"x.001\"\r\ndel \"x.002\"", 1},
      {"a bare LF ends no line", "del \"x.004\"\ndel \"x.001\"\r\n", 4},
      {"unquoted names", "del x.003\r\ndel x.002\r\n", 3},
      {"split 000 only", "del \"x.000\"\r\n", 0},
      {"not a split", "del \"x.bin\"\r\ndel \"x.BAT\"\r\n", 0},
      // A path in a line is only a name: the count is all the reader takes.
      {"path outside", "del \"..\\..\\Windows\\system.005\"\r\ndel \"C:\\boot.ini\"\r\n", 5},
      {"no closing quote", "del \"x.012\r\n", 12},
      {"NUL bytes", std::string("del \"x.0\0\01\"\r\ndel \"y.002\"\r\n", 27), 2},
      {"CR at the very end", "del \"x.009\"\r", 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(kst::SplitCountInBatchText(c.text.data(), c.text.size()), c.count) << c.what;
}

TEST(RestoreNames, TheReaderRefusesMissingEmptyAndOversizedFiles) {
  testenv::ScratchFolder dir;
  ASSERT_TRUE(testenv::WriteFile(dir.Path("good.BAT"), "del \"good.003\"\r\n:END"));
  ASSERT_TRUE(testenv::WriteFile(dir.Path("empty.BAT"), ""));
  ASSERT_TRUE(testenv::WriteFile(dir.Path("big.BAT"), "del \"big.001\"\r\n"));
  ASSERT_TRUE(testenv::WriteFile(dir.Path("big.BAT"), "x", kst::kLargestJoinBatch));  // one byte over the cap
  ASSERT_TRUE(testenv::WriteFile(dir.Path("atcap.BAT"), "del \"atcap.002\"\r\n"));
  ASSERT_TRUE(testenv::WriteFile(dir.Path("atcap.BAT"), "x", kst::kLargestJoinBatch - 1));
  struct Case {
    const char* name;
    bool ok;
    int count;
  } cases[] = {{"good.BAT", true, 3}, {"empty.BAT", false, 0}, {"missing.BAT", false, 0},
               {"big.BAT", false, 0}, {"atcap.BAT", true, 2}};
  for (const Case& c : cases) {
    int count = -1;
    EXPECT_EQ(kst::ReadJoinBatch(dir.Path(c.name), &count), c.ok) << c.name;
    EXPECT_EQ(count, c.count) << c.name;
  }
}

}  // namespace
