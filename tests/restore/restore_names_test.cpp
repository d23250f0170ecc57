#include "restore/restore_names.h"

#include "restore/check_sums.h"

#include <gtest/gtest.h>

#include "frame/texts/language_files.h"
#include "split/join_batch.h"
#include "tests/support/test_env.h"

namespace {

TEST(RestoreNames, SplitBatchAndCheckNamesAreRecognisedByTheirEnding) {
  // kind: 's' a split, 'b' a join batch, 'c' a check file, 0 none of them.
  struct Case { const char* name; char kind = 0; const char* base = ""; int number = 0; } cases[] = {
      {"C:\\in\\data.zip.001", 's', "C:\\in\\data.zip", 1},
      {"C:\\in\\my file.tar.gz.010", 's', "C:\\in\\my file.tar.gz", 10},
      {"x.001.002", 's', "x.001", 2},  // a redone split of split 1
      {"x.BAT.001", 's', "x.BAT", 1},
      {"DATA.ZIP.999  ", 's', "DATA.ZIP", 999},  // trailing blanks are no part of a name
      {"x.000", 's', "x", 0},
      {"big.bin.SFV.001", 's', "big.bin.SFV", 1},
      {"C:\\dir\\DATA.ZIP.BAT", 'b', "C:\\dir\\DATA.ZIP"},
      {"data.zip.bat", 'b', "data.zip"},
      {"C:\\dir\\big.bin.SFV", 'c', "C:\\dir\\big.bin"},
      {"big.bin.sfv ", 'c', "big.bin"},
      {"data.zip.1"}, {"data.zip.0a1"}, {"data.zip.0001"}, {".001"}, {"C:\\dir\\.001"}, {"001"},
      {"C:\\dir\\.BAT"}, {".BAT"}, {"x.BATS"}, {"C:\\dir\\.SFV"},
  };
  for (const Case& c : cases) {
    std::string split, batch, check;
    int number = -1;
    EXPECT_EQ(kst::SplitNameParts(c.name, &split, &number), c.kind == 's') << c.name;
    EXPECT_EQ(kst::BatchNameBase(c.name, &batch), c.kind == 'b') << c.name;
    EXPECT_EQ(kst::CheckNameBase(c.name, &check), c.kind == 'c') << c.name;
    const std::string base = (c.kind == 's' ? split : c.kind == 'b' ? batch : check) + " " + std::to_string(c.kind == 's' ? number : 0);
    EXPECT_EQ(c.kind ? base : "", c.kind ? c.base + (" " + std::to_string(c.number)) : "") << c.name;
  }
}

// A check file gives the sums of its file's splits up to the last one it
// lists, a join batch its split count; an empty, missing or oversized file
// gives none.
TEST(RestoreNames, TheReadersTakeTheirFilesUpToTheCap) {
  testenv::ScratchFolder dir;
  std::string many = "; made by hand\r\n";
  for (int k = 0; k < 10000; ++k) many += "x.001 0000000" + std::to_string(k % 10) + "\r\n";
  ASSERT_TRUE(testenv::WriteFile(dir.Path("many.SFV"), many) && testenv::WriteFile(dir.Path("empty.SFV"), "") &&
              testenv::WriteFile(dir.Path("gaps.SFV"), "x.003 DEADBEEF\nX.001 0a0b0c0d\r\ny.002 11111111\r\n"));
  ASSERT_TRUE(testenv::WriteFile(dir.Path("good.BAT"), "del \"good.003\"\r\n:END") &&
              testenv::WriteFile(dir.Path("empty.BAT"), ""));
  // One byte over the cap, and at the cap.
  for (const auto& [name, first, size] : {std::tuple{"big.SFV", "x.001 00000001\r\n", kst::kLargestJoinBatch},
                                          {"big.BAT", "del \"big.001\"\r\n", kst::kLargestJoinBatch},
                                          {"atcap.BAT", "del \"atcap.002\"\r\n", kst::kLargestJoinBatch - 1}})
    ASSERT_TRUE(testenv::WriteFile(dir.Path(name), first) && testenv::WriteFile(dir.Path(name), "x", size));
  struct Sums { const char* name; std::vector<uint32_t> sums; std::vector<bool> listed; } sums[] = {
      {"many.SFV", {9}, {true}}, {"gaps.SFV", {0x0a0b0c0d, 0, 0xdeadbeef}, {true, false, true}},
      {"empty.SFV", {}, {}}, {"missing.SFV", {}, {}}, {"big.SFV", {}, {}}};
  for (const Sums& c : sums) {
    std::vector<uint32_t> got = {7};
    std::vector<bool> listed = {true};
    EXPECT_EQ(kst::ReadCheckFile(dir.Path(c.name), dir.Path("x"), &got, &listed), !c.sums.empty()) << c.name;
    EXPECT_TRUE(got == c.sums && listed == c.listed) << c.name;
  }
  for (const auto& [name, count] : {std::pair{"good.BAT", 3}, {"empty.BAT", 0}, {"missing.BAT", 0}, {"big.BAT", 0},
                                    {"atcap.BAT", 2}}) {
    int got = -1;
    EXPECT_EQ(kst::ReadJoinBatch(dir.Path(name), &got), count > 0) << name;
    EXPECT_EQ(got, count) << name;
  }
}

// Every batch the writer makes gives its count; damaged and hostile ones
// give no count, or only a split number.
TEST(RestoreNames, BatchesGiveTheirSplitCount) {
  kst::LoadBuiltInTexts();
  struct Case { std::string what, text; int count; } cases[] = {
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
  for (const Case& c : cases) EXPECT_EQ(kst::SplitCountInBatchText(c.text.data(), c.text.size()), c.count) << c.what;
}

}  // namespace
