#include "restore/restore_list.h"

#include <gtest/gtest.h>

#include "restore/restore_texts.h"
#include "tests/restore/restore_test_support.h"

namespace {

using kst::AddSource;
using restoretest::Add;
using restoretest::Record;

// Splits and batch of one file fed in several orders: the join is asked
// for exactly when the last piece arrives, never before, and as the options
// and the batch's count say.
TEST(RestoreList, AFileIsReadyForItsJoinOnlyWhenItsLastPieceArrives) {
  enum { B, S1, S2, S3 };
  // batchCount: of the batch beside three splits.
  struct Case { const char* what; std::vector<int> order; kst::AutoJoinOptions options; int batchCount; bool joinNow, deleteSplits; int staleBoxes; } cases[] = {
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
    EXPECT_TRUE(person.Under(kst::kTextStaleHeading) == c.staleBoxes && person.boxes.size() == static_cast<size_t>(c.staleBoxes));
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

TEST(RestoreList, AddsOfEveryKind) {
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
}

TEST(RestoreList, RecordsKeepTheirIdsAndABusyOneStays) {
  restoretest::Person person;
  person.answers[310] = kst::kAnswerYes;
  testenv::ScratchFolder dir;
  kst::RestoreList list;
  for (const char* name : {"a.001", "b.001", "c.001"}) {
    testenv::WriteFile(dir.Path(name), "s");
    Add(list, dir.Path(name), AddSource::User);
  }
  const int a = list.records[0].id, b = list.records[1].id, c = list.records[2].id;
  list.records[2].busy = true;
  EXPECT_TRUE(!kst::RemoveRecord(list, c, kst::MessageOwner{}) && person.Under(304) == 1);
  EXPECT_TRUE(kst::RemoveRecord(list, a, kst::MessageOwner{}));
  EXPECT_TRUE(kst::FindMainFile(list, dir.Path("b")) == b && kst::FindMainFile(list, dir.Path("C")) == c);
  EXPECT_EQ(Record(list, c).name, dir.Path("c"));
}

TEST(RestoreList, WhatAFileArrivingMeets) {
  restoretest::Person person;
  testenv::ScratchFolder dir;
  testenv::WriteFile(dir.Path("x.001"), "aaaa");
  kst::RestoreList list;
  Add(list, dir.Path("x.001"), AddSource::Copied);
  list.records[0].slots.resize(3);
  list.records[0].slots[1] = {kst::SlotState::Appended, dir.Path("x.002"), 4, false};
  struct Case { const char* name; int64_t size; kst::Arrival arrival; } cases[] = {{"x.001", 4, kst::Arrival::Refeed}, {"x.001", 5, kst::Arrival::Different},
               {"x.002", 4, kst::Arrival::Appended}, {"x.003", 4, kst::Arrival::New},
               {"y.001", 4, kst::Arrival::New}, {"x", 4, kst::Arrival::New}};
  for (const Case& c : cases) EXPECT_EQ(kst::ArrivalOf(list, dir.Path(c.name), c.size), c.arrival) << c.name;
  // An appended split that comes again is not taken back.
  testenv::WriteFile(dir.Path("x.002"), "bbbb");
  EXPECT_FALSE(Add(list, dir.Path("x.002"), AddSource::Copied).added);
  EXPECT_EQ(list.records[0].slots[1].state, kst::SlotState::Appended);
  // Once the set is joined, its batch fed again has nothing to join.
  EXPECT_EQ(kst::ArrivalOf(list, dir.Path("x.BAT"), 40), kst::Arrival::New);
  // The batch or check file the record took comes again before the join:
  // nothing new.
  kst::RestoreRecord& x = list.records[0];
  x.batchName = dir.Path("x.BAT");
  x.batchSize = 40;
  x.checkName = dir.Path("x.SFV");
  x.checkSize = 30;
  const Case batches[] = {{"x.BAT", 40, kst::Arrival::Known}, {"X.bat", 40, kst::Arrival::Known},
                          {"x.BAT", 41, kst::Arrival::New},   {"x.sfv", 30, kst::Arrival::Known},
                          {"x.SFV", 40, kst::Arrival::New}};
  for (const Case& c : batches) EXPECT_EQ(kst::ArrivalOf(list, dir.Path(c.name), c.size), c.arrival) << c.name;
  x.joined = true;
  const Case joined[] = {{"x.BAT", 40, kst::Arrival::Appended}, {"x.SFV", 30, kst::Arrival::Appended}, {"y.BAT", 40, kst::Arrival::New}};
  for (const Case& c : joined) EXPECT_EQ(kst::ArrivalOf(list, dir.Path(c.name), c.size), c.arrival) << c.name;
  // A whole file fed again with its size is a re-feed.
  testenv::WriteFile(dir.Path("plain.txt"), "pp");
  Add(list, dir.Path("plain.txt"), AddSource::Copied);
  EXPECT_TRUE(kst::ArrivalOf(list, dir.Path("plain.txt"), 2) == kst::Arrival::Refeed &&
              kst::ArrivalOf(list, dir.Path("plain.txt"), 3) == kst::Arrival::New);
  list.records[0].joined = false;
  list.records[0].busy = true;
  EXPECT_EQ(kst::ArrivalOf(list, dir.Path("x.003"), 4), kst::Arrival::Busy);
}

}  // namespace
