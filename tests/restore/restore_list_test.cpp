#include "restore/restore_list.h"

#include <gtest/gtest.h>

#include "restore/check_sums.h"
#include "restore/restore_names.h"
#include "restore/restore_texts.h"
#include "tests/restore/restore_test_support.h"

namespace {

using kst::AddSource;
using restoretest::Add;
using restoretest::Record;

// The join is asked for exactly when the last piece arrives, in any order.
TEST(RestoreList, AFileIsReadyForItsJoinOnlyWhenItsLastPieceArrives) {
  enum { B, S1, S2, S3 };
  // batchCount: of the batch beside three splits.
  struct Case {
    const char* what;
    std::vector<int> order;
    kst::AutoJoinOptions options;
    int batchCount;
    bool joinNow, deleteSplits;
    int staleBoxes;
  } cases[] = {
      {"batch first", {B, S1, S2, S3}, {}, 3, true, true, 0},
      {"batch in the middle", {S3, S1, B, S2}, {}, 3, true, true, 0},
      {"batch last", {S2, S3, S1, B}, {}, 3, true, true, 0},
      {"split 1 twice", {S1, S1, S2, B, S3}, {}, 3, true, true, 0},
      {"auto join, keep splits", {B, S1, S3, S2}, {true, false}, 3, true, false, 0},
      {"no auto join", {B, S1, S3, S2}, {false, true}, 3, false, false, 0},
      // The leftovers of an older, longer set beside a newer batch.
      {"batch names fewer splits", {B, S1, S3, S2}, {}, 2, false, false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    restoretest::Person person;
    testenv::ScratchFolder dir;
    const restoretest::SplitFile f = restoretest::MakeSplits(dir.path, "data.zip", 2500, 1000, 3, false);
    std::string batch;
    kst::WriteJoinBatch(dir.path, dir.Path("data.zip"), c.batchCount, &batch);
    const std::string pieces[] = {batch, f.splits[0], f.splits[1], f.splits[2]};
    kst::RestoreList list;
    for (size_t i = 0; i < c.order.size(); ++i) {
      const kst::AddResult r = Add(list, pieces[c.order[i]], AddSource::Copied, c.options);
      const bool last = i + 1 == c.order.size();
      EXPECT_TRUE(r.added && r.joinNow == (c.joinNow && last) && (!last || r.deleteSplits == c.deleteSplits)) << i;
    }
    EXPECT_TRUE(person.Under(kst::kTextStaleHeading) == c.staleBoxes && person.boxes.size() == size_t(c.staleBoxes));
    ASSERT_EQ(list.records.size(), 1u);
    const kst::RestoreRecord r = list.records[0];
    EXPECT_EQ(kst::IsComplete(r), c.batchCount == 3);
    if (c.batchCount != 3) continue;
    EXPECT_TRUE(r.name == dir.Path("data.zip") && kst::PresentCount(r) == 3 && kst::TotalSize(r) == 2500);
    EXPECT_EQ(kst::Totals(list).fileCount, 3);
    EXPECT_EQ(kst::RecordRow(r), dir.Path("data.zip") + " -- 2500 -- 3 -- Batch -- Not Joined");
  }
}

TEST(RestoreList, AnIncompatibleBatchNeverTakesTheSplitsOfItsRecord) {
  testenv::ScratchFolder dir;
  const restoretest::SplitFile f = restoretest::MakeSplits(dir.path, "x", 200, 100, 7, false);
  testenv::WriteFile(dir.Path("x.BAT"), "@ECHO OFF\r\necho hello\r\n");
  struct Case { int answer; size_t records; int fileCount; } cases[] = {{kst::kAnswerYes, 2, 3}, {kst::kAnswerNo, 1, 2}};
  for (const Case& c : cases) {
    restoretest::Person person;
    person.answers[306] = c.answer;
    kst::RestoreList list;
    Add(list, f.splits[0], AddSource::Copied);
    Add(list, f.splits[1], AddSource::Copied);
    const kst::AddResult r = Add(list, dir.Path("x.BAT"), AddSource::Copied);
    EXPECT_TRUE(person.Under(306) == 1 && r.added == (c.answer == kst::kAnswerYes));
    ASSERT_EQ(list.records.size(), c.records);
    EXPECT_TRUE(kst::PresentCount(list.records[0]) == 2 && list.records[0].batchName.empty());
    EXPECT_EQ(kst::Totals(list).fileCount, c.fileCount);
    EXPECT_TRUE(c.records == 1 || (list.records[1].name == dir.Path("x.BAT") && list.records[1].joined));
  }
}

TEST(RestoreList, AddsOfEveryKindAndRemovals) {
  restoretest::Person person;
  testenv::ScratchFolder dir;
  for (const auto& [name, bytes] : {std::pair{"plain.txt", "12345"}, {"x", "whole"}, {"x.001", "abc"}, {"y.000", "zero"},
                                    {"z.001", "z"}, {"x.002", "de"}})
    testenv::WriteFile(dir.Path(name), bytes);
  kst::RestoreList list;
  list.capacity = 3;
  EXPECT_FALSE(Add(list, dir.Path("plain.txt"), AddSource::User).added);  // the person adds splits and batches only
  EXPECT_TRUE(Add(list, dir.Path("plain.txt"), AddSource::Copied).added);
  EXPECT_TRUE(Add(list, dir.Path("x"), AddSource::Copied).added);
  EXPECT_TRUE(kst::Totals(list).fileCount == 2 && kst::Totals(list).grandTotal == 10);
  // A split of a listed whole file makes it a file of splits again.
  EXPECT_TRUE(Add(list, dir.Path("x.001"), AddSource::User).added);
  ASSERT_EQ(list.records.size(), 2u);
  EXPECT_TRUE(!list.records[1].joined && kst::Totals(list).grandTotal == 8);
  EXPECT_TRUE(Add(list, dir.Path("y.000"), AddSource::Copied).added);  // no slot 0: a plain file
  // The list is full for new main files, not for the splits of listed ones.
  EXPECT_TRUE(Add(list, dir.Path("z.001"), AddSource::Copied).full && person.Under(304) == 1);
  EXPECT_TRUE(Add(list, dir.Path("x.002"), AddSource::Copied).added);
  // Records keep their ids when one before them goes; a busy one stays.
  person.answers[310] = kst::kAnswerYes;
  const int a = list.records[0].id, b = list.records[1].id, c = list.records[2].id;
  list.records[2].busy = true;
  EXPECT_TRUE(!kst::RemoveRecord(list, c, kst::MessageOwner{}) && person.Under(304) == 2);
  EXPECT_TRUE(kst::RemoveRecord(list, a, kst::MessageOwner{}));
  EXPECT_TRUE(kst::FindMainFile(list, dir.Path("X")) == b && kst::FindMainFile(list, dir.Path("Y.000")) == c);
  EXPECT_EQ(Record(list, c).name, dir.Path("y.000"));
}

TEST(RestoreList, WhatAFileArrivingMeets) {
  restoretest::Person person;
  testenv::ScratchFolder dir;
  for (const char* name : {"x.001", "x.002", "plain.txt"})
    testenv::WriteFile(dir.Path(name), name[0] == 'p' ? "pp" : "aaaa");
  kst::RestoreList list;
  Add(list, dir.Path("x.001"), AddSource::Copied);
  list.records[0].slots.resize(3);
  list.records[0].slots[1] = {kst::SlotState::Appended, dir.Path("x.002"), 4, false};
  // An appended split that comes again is not taken back.
  EXPECT_FALSE(Add(list, dir.Path("x.002"), AddSource::Copied).added);
  EXPECT_EQ(list.records[0].slots[1].state, kst::SlotState::Appended);
  Add(list, dir.Path("plain.txt"), AddSource::Copied);
  // stage 1: the record took its batch and check file; 2: it is joined; 3: busy.
  using A = kst::Arrival;
  struct Case { int stage; const char* name; int64_t size; A arrival; } cases[] = {
      {0, "x.001", 4, A::Refeed}, {0, "x.001", 5, A::Different}, {0, "x.002", 4, A::Appended}, {0, "x.003", 4, A::New},
      {0, "y.001", 4, A::New}, {0, "x", 4, A::New}, {0, "x.BAT", 40, A::New},
      {0, "plain.txt", 2, A::Refeed}, {0, "plain.txt", 3, A::New},  // a whole file fed again with its size
      {1, "x.BAT", 40, A::Known}, {1, "X.bat", 40, A::Known}, {1, "x.BAT", 41, A::New}, {1, "x.sfv", 30, A::Known},
      {1, "x.SFV", 40, A::New}, {2, "x.BAT", 40, A::Appended}, {2, "x.SFV", 30, A::Appended}, {2, "y.BAT", 40, A::New},
      {3, "x.003", 4, A::Busy}};
  for (const Case& c : cases) {
    kst::RestoreRecord& x = list.records[0];
    if (c.stage > 0) {
      x.batchName = dir.Path("x.BAT");
      x.batchSize = 40;
      x.checkName = dir.Path("x.SFV");
      x.checkSize = 30;
    }
    x.joined = c.stage == 2;
    x.busy = c.stage == 3;
    EXPECT_EQ(kst::ArrivalOf(list, dir.Path(c.name), c.size), c.arrival) << c.stage << " " << c.name << " " << c.size;
  }
}

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
    const std::string base = c.kind == 's' ? split : c.kind == 'b' ? batch : check;
    EXPECT_TRUE(!c.kind || (base == c.base && (c.kind != 's' || number == c.number))) << c.name;
  }
}

// A check file gives its splits' sums, a join batch its split count; an
// empty, missing or oversized file gives none.
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

// Damaged and hostile batches give no count, or only a split number.
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
