// The transport list, the rows and rules of its dialogs, and its save files.
#include <gtest/gtest.h>

#include <thread>

#include "backup/list_checks.h"
#include "tests/backup/backup_scenario_support.h"

namespace {

using backuptest::Bytes;
using backuptest::ScriptedPerson;
using kst::ListFault;
using testenv::ReadFile;
using testenv::WriteFile;

struct TransportListTest : ::testing::Test {
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const kst::FileEntry& e : kst::Snapshot(list).entries) names.push_back(kst::Trimmed(e.path));
    return names;
  }
  ScriptedPerson person;
  kst::TransportList list;
  kst::MessageOwner owner;
};

TEST_F(TransportListTest, AddingSkipsDuplicatesAndTellsWhyItStops) {
  list.capacity = 4;
  const std::string longest = "C:\\" + std::string(256, 'x');  // 259 characters
  struct Case { std::vector<kst::FileToAdd> files; int added, heading; std::string message; } cases[] = {
      {{{"C:\\D\\a.bin", 10}, {"C:\\D\\a.bin  ", 20}, {"C:\\D\\a.bi", 30}, {"", 1}}, 2, 0, ""},
      {{{longest + "x", 1}, {longest, 40}, {"C:\\TEMP\\b.bin", 1}}, 0, 167, kst::Trimmed(kst::GetText(168))},
      {{{longest + "x", 1}, {longest, 40}, {"C:\\D\\c.bin", 50}, {"C:\\D\\d.bin", 1}}, 2, 169,
       kst::Trimmed(kst::GetText(170)) + " 4"},
  };
  for (const Case& c : cases) {
    person.asked.clear();
    EXPECT_EQ(kst::AddFiles(list, c.files, "c:\\temp", owner), c.added);
    std::string said;
    for (const kst::AskRequest& a : person.asked) said += a.heading + ": " + a.message + "\n";
    EXPECT_EQ(said, c.heading ? kst::Trimmed(kst::GetText(c.heading)) + ": " + c.message + "\n" : "");
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{"C:\\D\\a.bin", "C:\\D\\a.bi", longest, "C:\\D\\c.bin"}));
  EXPECT_EQ(list.totalSize, 10 + 30 + 40 + 50);
  for (const kst::FileEntry& e : list.image.entries)
    EXPECT_TRUE(e.path.size() == kst::kListPathWidth && !e.copied && !e.busy && !e.temporary && e.splits.empty());
}

TEST_F(TransportListTest, RowsShowStatesSplitsAndTemporaryEntries) {
  kst::FileEntry e{kst::Padded("C:\\big.bin", 260), 3000000,
                   {{"A:\\big.bin.001", 1457664, true, true}, {"A:\\big.bin.002", 1457664, false, false}}};
  struct Case { bool copied, busy, temporary; const char* row; } cases[] = {
               {false, false, false, "C:\\big.bin -- 3000000 -- Not Done -- 1/2"},
               {false, true, false, "C:\\big.bin -- 3000000 -- Copying -- 1/2"},
               {true, false, false, "C:\\big.bin -- 3000000 -- Done -- 1/2"},
               {true, true, true, "C:\\big.bin -- 3000000 -- Verifying -- 1/2 -- Temporary"}};
  for (const Case& c : cases) {
    e.copied = c.copied;
    e.busy = c.busy;
    e.temporary = c.temporary;
    EXPECT_EQ(kst::FileRow(e), c.row);
  }
  list.image.entries = {e};
  EXPECT_EQ(kst::SplitRows(list, 0), (std::vector<std::string>{"A:\\big.bin.001 -- 1457664 -- Safe -- Copied",
                                                               "A:\\big.bin.002 -- 1457664 -- Not Safe -- Not Copied"}));
}

TEST_F(TransportListTest, ListDialogOperations) {
  for (int i = 1; i <= 5; ++i) kst::AddToTransportList(list, "C:\\" + std::to_string(i), 100 + i);
  EXPECT_EQ(kst::SelectedTotal(list, {0, 4, 9}), 101 + 105);
  kst::MoveToTop(list, {3, 1});
  EXPECT_EQ(Names(), (std::vector<std::string>{"C:\\2", "C:\\4", "C:\\1", "C:\\3", "C:\\5"}));
  kst::MoveToBottom(list, {0, 2});
  EXPECT_EQ(Names(), (std::vector<std::string>{"C:\\4", "C:\\3", "C:\\5", "C:\\2", "C:\\1"}));
  std::vector<kst::FileEntry> removed = kst::RemoveEntries(list, {1, 4, 7});
  ASSERT_EQ(removed.size(), 2u);
  EXPECT_EQ(kst::Trimmed(removed[0].path) + kst::Trimmed(removed[1].path), "C:\\3C:\\1");
  EXPECT_EQ(Names(), (std::vector<std::string>{"C:\\4", "C:\\5", "C:\\2"}));
  EXPECT_EQ(list.totalSize, 104 + 105 + 102);

  // Done only for a file its splits make up: C:\2 has none.
  list.image.entries[0].splits = {{"A:\\4", 104}};
  kst::ToggleDone(list, {0, 2});
  EXPECT_TRUE(list.image.entries[0].copied && !list.image.entries[2].copied);
  kst::ToggleDone(list, {0});
  EXPECT_FALSE(list.image.entries[0].copied);
  list.image.entries[1].splits.resize(4);
  list.image.entries[1].copied = true;
  kst::ToggleSplitSafe(list, 1, {0, 3});
  kst::ToggleSplitCopied(list, 1, {1});
  kst::KillSplitsFrom(list, 1, 3);
  kst::KillSplitsFrom(list, 1, 5);
  std::string states;
  for (const kst::SplitEntry& s : list.image.entries[1].splits)
    states += std::string(s.safe ? "S" : "-") + (s.copied ? "C" : "-");
  EXPECT_EQ(states, "S--C--");
  EXPECT_FALSE(list.image.entries[1].copied);  // its killed split is carried again

  list.image.entries[0].busy = list.image.entries[2].busy = true;
  kst::ClearBusyFlags(list);
  for (const kst::FileEntry& e : list.image.entries) EXPECT_FALSE(e.busy);
}

TEST_F(TransportListTest, RulesThatAskOrRefuse) {
  kst::AddToTransportList(list, "C:\\DATA\\old.bin", 1);
  EXPECT_TRUE(!kst::TemporaryFolderAccepted(list, "c:\\data\\", owner) && person.Said(165, 166));
  EXPECT_TRUE(!kst::ListMayChange(true, owner) && person.Said(180, 181));
  EXPECT_TRUE(!kst::SomethingSelected({}, owner) && person.Said(182, 183));
  person.asked.clear();
  EXPECT_TRUE(kst::TemporaryFolderAccepted(list, "C:\\DATA\\SUB", owner) && kst::ListMayChange(false, owner) &&
              kst::SomethingSelected({0}, owner));
  EXPECT_TRUE(person.asked.empty());
  person.answers = {kst::kAnswerNo, kst::kAnswerYes};
  EXPECT_TRUE(!kst::ConfirmKillSplits(owner) && kst::ConfirmKillSplits(owner));
  EXPECT_TRUE(person.Said(184, 185) && person.asked.back().style == kst::kAskYesNo);
}

struct SaveListTest : backuptest::SaveFilesTest {
  SaveListTest() { kst::SetFolders(list, "A:\\", "C:\\TEMP\\"); }
  // big.bin of 3000000 bytes in three splits.
  void AddBigFile() {
    ASSERT_TRUE(kst::AddToTransportList(list, "C:\\DATA\\big.bin", 3000000));
    kst::FileEntry& e = list.image.entries.back();
    e.busy = true;
    e.splits = {{"A:\\big.bin.001", 1457664, true, false},
                {"A:\\big.bin.002", 1457664, false, true},
                {"A:\\big.bin.003", 84672, true, true}};
  }
  const std::string bigFile = Bytes().File("C:\\DATA\\big.bin", 3000000, 3, 0, 1, 0)
                                  .Split("A:\\big.bin.001", 1457664, 1, 0).Split("A:\\big.bin.002", 1457664, 0, 1)
                                  .Split("A:\\big.bin.003", 84672, 1, 1).data;
};

TEST_F(SaveListTest, WritesTheLayoutByteForByteAndReadsItBackWithoutBusyFlags) {
  ScriptedPerson person;
  ASSERT_TRUE(kst::SaveList(list, files, 1, owner));
  EXPECT_EQ(ReadFile(files.names[0]), Bytes().Header(0, 525, "A:\\", "C:\\TEMP\\").data);
  AddBigFile();
  ASSERT_TRUE(kst::SaveList(list, files, 2, owner));
  const std::string saved = ReadFile(files.names[1]);
  EXPECT_EQ(saved, Bytes().Header(1, 1610, "A:\\", "C:\\TEMP\\").data + bigFile);
  // A shorter list written over a longer file leaves no tail behind.
  ASSERT_TRUE(WriteFile(files.names[0], saved + saved));
  kst::EmptyList(list);
  ASSERT_TRUE(kst::SaveList(list, files, 1, owner));
  EXPECT_EQ(plat::SizeOfPath(files.names[0]), 525);
  EXPECT_EQ(savingCalls, (std::vector<bool>{true, false, true, false, true, false}));

  kst::SetFolders(list, "", "");
  ASSERT_TRUE(kst::LoadList(list, files, 2, false, owner));
  EXPECT_EQ(list.totalSize, 3000000);
  std::string again, notBusy = saved;
  ASSERT_EQ(kst::EncodeList(kst::Snapshot(list), &again), ListFault::None);
  notBusy[525 + 273] = 0;
  EXPECT_EQ(again, notBusy);
  EXPECT_TRUE(person.asked.empty());
}

TEST_F(SaveListTest, DamagedFilesLeaveTheListEmpty) {
  auto file = [](int entries, const std::string& records, int64_t stored = 0) {
    return Bytes().Header(entries, static_cast<uint32_t>(stored ? stored : 525 + records.size()), "A:\\", "").data + records;
  };
  const std::string one = Bytes().File("C:\\y.bin", 50, 0, 0, 0, 0).data;
  // Splits named y.bin.001 on, or by the names given.
  auto withSplits = [](int64_t size, int32_t count, std::vector<int64_t> sizes, int copied = 0,
                       std::vector<std::string> names = {}) {
    Bytes b;
    b.File("C:\\y.bin", size, count, copied, 0, 0);
    for (size_t k = 0; k < sizes.size(); ++k)
      b.Split("A:\\" + (k < names.size() ? names[k] : "y.bin." + kst::SplitNumber(static_cast<int>(k) + 1)), sizes[k], 0, 0);
    return b.data;
  };
  struct Case { const char* what; std::string bytes; ListFault fault; int message; } cases[] = {
      {"no file", "", ListFault::TooShort, 203},
      {"shorter than the header", file(0, "").substr(0, 524), ListFault::TooShort, 203},
      {"stored length too big", file(1, one, 526 + 275), ListFault::WrongLength, 202},
      {"stored length too small", file(1, one, 524 + 275), ListFault::WrongLength, 202},
      {"negative stored length", file(1, one, 0xFFFFFFFF), ListFault::WrongLength, 202},
      {"two entries, one record", file(2, one), ListFault::RecordsPastEnd, 1106},
      {"splits past the end", file(1, withSplits(50, 2, {10})), ListFault::RecordsPastEnd, 1106},
      {"bytes after the records", file(1, one + "junk"), ListFault::RecordsShort, 1106},
      {"1000 splits", file(1, withSplits(50, 1000, {})), ListFault::BadSplitCount, 1106},
      {"negative split count", file(1, withSplits(50, -1, {})), ListFault::BadSplitCount, 1106},
      {"negative file size", file(1, withSplits(-5, 0, {})), ListFault::BadSize, 1106},
      {"negative split size", file(1, withSplits(50, 1, {-1})), ListFault::BadSize, 1106},
      {"splits larger than their file", file(1, withSplits(50, 2, {30, 21})), ListFault::BadSize, 1106},
      {"more entries than the list takes", file(4, one + one + one + one), ListFault::TooManyForList, 1107},
      // Records that fit but cannot be a run's: the verification would
      // pass bytes that were never carried.
      {"copied, its last split dropped", file(1, withSplits(50, 2, {30, 10}, 1)), ListFault::SplitsAmiss, 1475},
      {"copied, a middle split dropped", file(1, withSplits(50, 2, {30, 20}, 1, {"y.bin.001", "y.bin.003"})),
       ListFault::SplitsAmiss, 1475},
      {"copied without splits", file(1, withSplits(50, 0, {}, 1)), ListFault::SplitsAmiss, 1475},
      {"carried whole, of another size", file(1, withSplits(50, 1, {30}, 0, {"y.bin"})), ListFault::SplitsAmiss, 1475},
  };
  list.capacity = 3;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    kst::ListImage image;
    image.entries.resize(1);
    EXPECT_TRUE(kst::DecodeList(c.bytes, 3, &image) == c.fault && image.entries.empty());
    ScriptedPerson person;
    plat::DeleteOneFile(files.names[0]);
    ASSERT_TRUE(c.bytes.empty() || WriteFile(files.names[0], c.bytes));
    kst::EmptyList(list);
    AddBigFile();
    EXPECT_FALSE(kst::LoadList(list, files, 1, false, owner));
    EXPECT_TRUE(list.image.entries.empty() && list.totalSize == 0);
    ASSERT_FALSE(person.asked.empty());
    EXPECT_EQ(person.asked.back().heading + ": " + person.asked.back().message,
              kst::Trimmed(kst::GetText(199)) + ": " + kst::Trimmed(kst::GetText(c.message)) +
                  (c.fault == ListFault::SplitsAmiss ? " C:\\y.bin" : ""));
  }
  // Sound files of the same frames load: a file not carried whole yet, one
  // carried in splits, one carried whole.
  for (const std::string& sound : {file(3, one + one + one), file(1, withSplits(50, 2, {30, 20}, 1)),
                                   file(1, withSplits(50, 1, {30})), file(1, withSplits(50, 1, {50}, 1, {"y.bin"}))}) {
    ASSERT_TRUE(WriteFile(files.names[0], sound));
    EXPECT_TRUE(kst::LoadList(list, files, 1, false, owner));
    EXPECT_EQ(list.totalSize, 50 * static_cast<int64_t>(list.image.entries.size()));
  }
}

TEST_F(SaveListTest, ListsTheLayoutCannotHoldAreRefusedBeforeAnyFileIsTouched) {
  list.capacity = 300;
  AddBigFile();
  for (int i = 1; i < 255; ++i) ASSERT_TRUE(kst::AddToTransportList(list, "C:\\f" + std::to_string(i), i));
  ASSERT_TRUE(kst::SaveList(list, files, 1, owner));  // 255 entries still fit
  EXPECT_EQ(plat::SizeOfPath(files.names[0]), 525 + 255 * 275 + 3 * 270);
  ASSERT_TRUE(WriteFile(files.names[1], "the previous save"));
  const std::string before[2] = {ReadFile(files.names[0]), ReadFile(files.names[1])};
  // 256 entries, then 1000 splits of one file.
  const std::pair<std::function<void()>, int> cases[] = {
      {[&] { kst::AddToTransportList(list, "C:\\f255", 1); }, 1104},
      {[&] { kst::RemoveEntries(list, {255}); list.image.entries[0].splits.resize(1000); }, 1105}};
  for (const auto& [change, message] : cases) {
    change();
    for (int k = 1; k <= 2; ++k) {
      ScriptedPerson person;
      savingCalls.clear();
      EXPECT_FALSE(kst::SaveList(list, files, k, owner));
      EXPECT_TRUE(person.Said(195, message));
      EXPECT_EQ(savingCalls, (std::vector<bool>{true, false}));
      EXPECT_EQ(ReadFile(files.names[k - 1]), before[k - 1]);
    }
  }
}

TEST_F(SaveListTest, AutomaticSavesAlternateSavePressesKeepTheOrderAndRefusalsKeepTheList) {
  ScriptedPerson person;
  AddBigFile();
  ASSERT_TRUE(kst::AutoSaveList(list, files, owner));  // step 1: the second file
  EXPECT_TRUE(plat::SizeOfPath(files.names[1]) == 1610 && !plat::PathExists(files.names[0]));
  kst::EmptyList(list);
  ASSERT_TRUE(kst::AutoSaveList(list, files, owner));  // step 2: the first
  EXPECT_TRUE(plat::SizeOfPath(files.names[0]) == 525 && plat::SizeOfPath(files.names[1]) == 1610);
  EXPECT_TRUE(person.asked.empty());
  // Save is carried out only for the file the last automatic save used.
  for (int k : {2, 1}) {
    person.asked.clear();
    plat::DeleteOneFile(files.names[k - 1]);
    EXPECT_EQ(kst::SavePressed(list, files, k, owner), k == 1) << k;
    EXPECT_EQ(plat::PathExists(files.names[k - 1]), k == 1) << k;
    EXPECT_EQ(person.Said(530, 531), k == 2) << k;
    EXPECT_EQ(kst::NextAutoSaveFile(files), 2) << k;
  }
  // Refusals that leave the list as it is: a load during a run, automatic
  // saves without two names of their own, a save without a name.
  AddBigFile();
  EXPECT_FALSE(kst::LoadList(list, files, 1, true, owner));  // during a run
  EXPECT_TRUE(person.Said(187, 190) && list.image.entries.size() == 1);
  struct Names { const char *first, *second; bool accepted; } names[] = {
      {"", "", false}, {"C:\\a.lst", "", false}, {"C:\\a.lst", "c:\\A.LST ", false}, {"C:\\a.lst", "C:\\b.lst", true}};
  for (const Names& n : names) {
    person.asked.clear();
    files.names[0] = n.first;
    files.names[1] = n.second;
    EXPECT_EQ(kst::MayTurnOnAutoSave(files, owner), n.accepted) << n.first << "|" << n.second;
    EXPECT_EQ(person.Said(187, 188), !n.accepted) << n.first << "|" << n.second;
  }
  files.names[0] = "";
  EXPECT_FALSE(kst::SaveList(list, files, 1, owner));
  EXPECT_TRUE(person.Said(195, 189));
}

TEST_F(SaveListTest, SavesCopyTheListWholeWhileAnotherThreadGrowsIt) {
  list.capacity = 255;
  std::thread worker([&] {
    for (int i = 0; i < 255; ++i) kst::AddToTransportList(list, "C:\\f" + std::to_string(i), i);
  });
  for (int round = 0; round < 30; ++round) {
    ASSERT_TRUE(kst::SaveList(list, files, 1, owner));
    kst::ListImage image;
    ASSERT_EQ(kst::DecodeList(ReadFile(files.names[0]), 255, &image), ListFault::None);
    for (size_t i = 0; i < image.entries.size(); ++i) ASSERT_EQ(image.entries[i].size, static_cast<int64_t>(i));
  }
  worker.join();
}

}  // namespace
