// The save list files: their bytes, reading them back, damaged files, the
// refusals, and which file the automatic saves go to.
#include <gtest/gtest.h>

#include <thread>

#include "backup/save_list.h"
#include "backup/transport_list.h"
#include "frame/platform/platform.h"
#include "tests/backup/backup_test_support.h"
#include "tests/support/test_env.h"

namespace {

using backuptest::Bytes;
using backuptest::ScriptedPerson;
using kst::ListFault;
using testenv::ReadFile;
using testenv::WriteFile;

struct SaveListTest : ::testing::Test {
  SaveListTest() {
    files.names[0] = scratch.Path("first.lst");
    files.names[1] = scratch.Path("second.lst");
    files.onSaving = [this](bool saving) { savingCalls.push_back(saving); };
    list.image.destination = "A:\\";
    list.image.temporary = "C:\\TEMP\\";
  }
  // big.bin of 3000000 bytes in three splits, and a small file with none.
  void FillList() {
    ASSERT_TRUE(kst::AddToTransportList(list, "C:\\DATA\\big.bin", 3000000));
    ASSERT_TRUE(kst::AddToTransportList(list, "C:\\DATA\\small.txt", 700));
    kst::FileEntry& big = list.image.entries[0];
    big.copied = true;
    big.splits = {{"A:\\big.bin.001", 1457664, true, true},
                  {"A:\\big.bin.002", 1457664, false, true},
                  {"A:\\big.bin.003", 84672, false, false}};
  }
  kst::MessageOwner owner;
  testenv::ScratchFolder scratch;
  kst::TransportList list;
  kst::SaveListFiles files;
  std::vector<bool> savingCalls;
};

TEST_F(SaveListTest, WritesTheLayoutByteForByte) {
  ScriptedPerson person;
  struct Case {
    const char* what;
    std::function<void()> fill;
    std::string expected;
  } cases[] = {
      {"empty list", [] {}, Bytes().Header(0, 525, "A:\\", "C:\\TEMP\\").data},
      {"one file of 3 splits",
       [&] {
         ASSERT_TRUE(kst::AddToTransportList(list, "C:\\DATA\\big.bin", 3000000));
         kst::FileEntry& e = list.image.entries[0];
         e.busy = e.temporary = true;
         e.splits = {{"A:\\big.bin.001", 1457664, true, false},
                     {"A:\\big.bin.002", 1457664, false, true},
                     {"A:\\big.bin.003", 84672, true, true}};
       },
       Bytes()
           .Header(1, 1610, "A:\\", "C:\\TEMP\\")
           .File("C:\\DATA\\big.bin", 3000000, 3, 0, 1, 1)
           .Split("A:\\big.bin.001", 1457664, 1, 0)
           .Split("A:\\big.bin.002", 1457664, 0, 1)
           .Split("A:\\big.bin.003", 84672, 1, 1)
           .data},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    kst::EmptyList(list);
    c.fill();
    EXPECT_TRUE(kst::SaveList(list, files, 1, owner));
    EXPECT_EQ(ReadFile(files.names[0]), c.expected);
  }
  EXPECT_EQ(savingCalls, (std::vector<bool>{true, false, true, false}));
  EXPECT_TRUE(person.asked.empty());
}

TEST_F(SaveListTest, LoadGivesBackWhatWasSavedWithoutBusyFlags) {
  ScriptedPerson person;
  FillList();
  list.image.entries[1].busy = true;  // saved while a run went on
  const kst::ListImage saved = kst::Snapshot(list);
  ASSERT_TRUE(kst::SaveList(list, files, 2, owner));
  // A shorter file written over a longer one leaves no tail behind.
  kst::EmptyList(list);
  ASSERT_TRUE(kst::SaveList(list, files, 1, owner));
  ASSERT_TRUE(WriteFile(files.names[0], ReadFile(files.names[1]) + std::string(5000, 'x')));
  ASSERT_TRUE(kst::SaveList(list, files, 1, owner));
  EXPECT_EQ(plat::SizeOfPath(files.names[0]), 525);

  list.image.destination = list.image.temporary = "";
  ASSERT_TRUE(kst::LoadList(list, files, 2, false, owner));
  const kst::ListImage& loaded = list.image;
  EXPECT_EQ(kst::Trimmed(loaded.destination), "A:\\");
  EXPECT_EQ(kst::Trimmed(loaded.temporary), "C:\\TEMP\\");
  ASSERT_EQ(loaded.entries.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    const kst::FileEntry &a = saved.entries[i], &b = loaded.entries[i];
    EXPECT_EQ(kst::Trimmed(b.path), kst::Trimmed(a.path));
    EXPECT_EQ(b.size, a.size);
    EXPECT_EQ(b.copied, a.copied);
    EXPECT_FALSE(b.busy);
    EXPECT_EQ(b.temporary, a.temporary);
    ASSERT_EQ(b.splits.size(), a.splits.size());
    for (size_t k = 0; k < a.splits.size(); ++k) {
      EXPECT_EQ(kst::Trimmed(b.splits[k].path), a.splits[k].path);
      EXPECT_EQ(b.splits[k].size, a.splits[k].size);
      EXPECT_EQ(b.splits[k].safe, a.splits[k].safe);
      EXPECT_EQ(b.splits[k].copied, a.splits[k].copied);
    }
  }
  EXPECT_EQ(list.totalSize, 3000700);
  EXPECT_TRUE(person.asked.empty());
}

TEST_F(SaveListTest, DamagedFilesLeaveTheListEmpty) {
  const Bytes one = Bytes().Header(1, 525 + 275 + 540, "A:\\", "C:\\T\\")
                        .File("C:\\x.bin", 1000, 2, 1, 0, 0)
                        .Split("A:\\x.bin.001", 600, 1, 1)
                        .Split("A:\\x.bin.002", 400, 1, 1);
  auto withLength = [](std::string bytes, uint32_t length) {
    for (int i = 0; i < 4; ++i) bytes[1 + i] = static_cast<char>(length >> (8 * i));
    return bytes;
  };
  auto file = [](int files, const std::string& records, int64_t extra = 0) {
    return Bytes().Header(files, static_cast<uint32_t>(525 + records.size() + extra), "A:\\", "").data +
           records;
  };
  const std::string goodFile = Bytes().File("C:\\y.bin", 50, 0, 0, 0, 0).data;
  struct Case {
    const char* what;
    std::string bytes;  // "" for no file at all
    ListFault fault;
    int message;
  } cases[] = {
      {"no file", "", ListFault::TooShort, 203},
      {"shorter than the header", one.data.substr(0, 524), ListFault::TooShort, 203},
      {"stored length too big", withLength(one.data, 1341), ListFault::WrongLength, 202},
      {"stored length too small", withLength(one.data, 1339), ListFault::WrongLength, 202},
      {"negative stored length", withLength(one.data, 0xFFFFFFFF), ListFault::WrongLength, 202},
      {"two entries, one record", file(2, goodFile), ListFault::RecordsPastEnd, 1106},
      {"splits past the end", file(1, Bytes().File("C:\\y.bin", 50, 1, 0, 0, 0).data),
       ListFault::RecordsPastEnd, 1106},
      {"bytes after the records", file(1, goodFile + "junk"), ListFault::RecordsShort, 1106},
      {"1000 splits", file(1, Bytes().File("C:\\y.bin", 50, 1000, 0, 0, 0).data),
       ListFault::BadSplitCount, 1106},
      {"negative split count", file(1, Bytes().File("C:\\y.bin", 50, -1, 0, 0, 0).data),
       ListFault::BadSplitCount, 1106},
      {"negative file size", file(1, Bytes().File("C:\\y.bin", -5, 0, 0, 0, 0).data),
       ListFault::BadSize, 1106},
      {"negative split size",
       file(1, Bytes().File("C:\\y.bin", 50, 1, 0, 0, 0).Split("A:\\y.bin.001", -1, 0, 0).data),
       ListFault::BadSize, 1106},
      {"splits larger than their file",
       file(1, Bytes().File("C:\\y.bin", 50, 2, 0, 0, 0).Split("A:\\1", 30, 0, 0).Split("A:\\2", 21, 0, 0).data),
       ListFault::BadSize, 1106},
      {"more entries than the list takes", file(4, goodFile + goodFile + goodFile + goodFile),
       ListFault::TooManyForList, 1107},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    kst::ListImage image;
    image.entries.resize(1);
    EXPECT_EQ(kst::DecodeList(c.bytes, 3, &image), c.fault);
    EXPECT_TRUE(image.entries.empty());

    ScriptedPerson person;
    plat::DeleteOneFile(files.names[0]);
    if (!c.bytes.empty()) {
      ASSERT_TRUE(WriteFile(files.names[0], c.bytes));
    }
    kst::EmptyList(list);
    list.capacity = 3;
    FillList();
    EXPECT_FALSE(kst::LoadList(list, files, 1, false, owner));
    EXPECT_TRUE(list.image.entries.empty());
    EXPECT_EQ(list.totalSize, 0);
    EXPECT_TRUE(person.Said(199, c.message));
  }
  // The same frame with sound contents loads.
  ScriptedPerson person;
  ASSERT_TRUE(WriteFile(files.names[0], file(3, goodFile + goodFile + goodFile)));
  EXPECT_TRUE(kst::LoadList(list, files, 1, false, owner));
  EXPECT_EQ(list.image.entries.size(), 3u);
  ASSERT_TRUE(WriteFile(files.names[0], one.data));
  EXPECT_TRUE(kst::LoadList(list, files, 1, false, owner));
  EXPECT_EQ(list.totalSize, 1000);
}

TEST_F(SaveListTest, ListsTheLayoutCannotHoldAreRefusedBeforeAnyFileIsTouched) {
  list.capacity = 300;
  FillList();
  for (int i = 2; i < 255; ++i) ASSERT_TRUE(kst::AddToTransportList(list, "C:\\f" + std::to_string(i), i));
  {  // 255 entries still fit
    ScriptedPerson person;
    ASSERT_TRUE(kst::SaveList(list, files, 1, owner));
    EXPECT_EQ(plat::SizeOfPath(files.names[0]), 525 + 255 * 275 + 3 * 270);
    EXPECT_EQ(static_cast<unsigned char>(ReadFile(files.names[0])[0]), 255);
  }
  ASSERT_TRUE(WriteFile(files.names[1], "the previous save"));
  const std::string before[2] = {ReadFile(files.names[0]), ReadFile(files.names[1])};
  struct Case {
    const char* what;
    std::function<void()> change;
    int message;
  } cases[] = {
      {"256 entries", [&] { kst::AddToTransportList(list, "C:\\f255", 1); }, 1104},
      {"1000 splits of one file",
       [&] {
         kst::RemoveEntries(list, {255});
         list.image.entries[0].splits.resize(1000);
       },
       1105},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.change();
    for (int k = 1; k <= 2; ++k) {
      ScriptedPerson person;
      savingCalls.clear();
      EXPECT_FALSE(kst::SaveList(list, files, k, owner));
      EXPECT_TRUE(person.Said(195, c.message));
      EXPECT_FALSE(files.saving);
      EXPECT_EQ(savingCalls, (std::vector<bool>{true, false}));
    }
    EXPECT_EQ(ReadFile(files.names[0]), before[0]);
    EXPECT_EQ(ReadFile(files.names[1]), before[1]);
  }
}

TEST_F(SaveListTest, AutomaticSavesAlternateAndSavePressesKeepTheOrder) {
  ScriptedPerson person;
  FillList();
  const std::string oneEntry = [&] {
    kst::ListImage image = kst::Snapshot(list);
    image.entries.resize(1);
    std::string bytes;
    kst::EncodeList(image, &bytes);
    return bytes;
  }();
  kst::RemoveEntries(list, {1});
  // Step 1 goes to the second file, step 2 to the first.
  EXPECT_EQ(kst::NextAutoSaveFile(files), 2);
  ASSERT_TRUE(kst::AutoSaveList(list, files, owner));
  EXPECT_EQ(ReadFile(files.names[1]), oneEntry);
  EXPECT_FALSE(plat::PathExists(files.names[0]));
  kst::EmptyList(list);
  ASSERT_TRUE(kst::AutoSaveList(list, files, owner));
  EXPECT_EQ(plat::SizeOfPath(files.names[0]), 525);
  EXPECT_EQ(ReadFile(files.names[1]), oneEntry);
  EXPECT_EQ(kst::NextAutoSaveFile(files), 2);
  EXPECT_TRUE(person.asked.empty());

  // A press of Save for the file the next automatic save goes to is refused.
  struct Press {
    int k;
    bool done;
  } presses[] = {{2, false}, {1, true}};
  for (const Press& p : presses) {
    SCOPED_TRACE(p.k);
    ScriptedPerson pressed;
    plat::DeleteOneFile(files.names[p.k - 1]);
    EXPECT_EQ(kst::SavePressed(list, files, p.k, owner), p.done);
    EXPECT_EQ(plat::PathExists(files.names[p.k - 1]), p.done);
    if (!p.done) {
      EXPECT_TRUE(pressed.Said(530, 531));
    }
    EXPECT_EQ(kst::NextAutoSaveFile(files), 2);
  }
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
    for (size_t i = 0; i < image.entries.size(); ++i)
      ASSERT_EQ(image.entries[i].size, static_cast<int64_t>(i));
  }
  worker.join();
}

TEST_F(SaveListTest, RefusalsThatLeaveTheListAsItIs) {
  FillList();
  ASSERT_TRUE(kst::SaveList(list, files, 1, owner));
  {
    ScriptedPerson person;
    kst::EmptyList(list);
    FillList();
    EXPECT_FALSE(kst::LoadList(list, files, 1, true, owner));
    EXPECT_TRUE(person.Said(187, 190));
    EXPECT_EQ(list.image.entries.size(), 2u);
  }
  struct Names {
    const char* first;
    const char* second;
    bool accepted;
  } names[] = {{"", "", false},           {"C:\\a.lst", "", false},
               {"C:\\a.lst", "c:\\A.LST ", false}, {"C:\\a.lst", "C:\\b.lst", true}};
  for (const Names& n : names) {
    SCOPED_TRACE(std::string(n.first) + "|" + n.second);
    ScriptedPerson person;
    files.names[0] = n.first;
    files.names[1] = n.second;
    EXPECT_EQ(kst::MayTurnOnAutoSave(files, owner), n.accepted);
    if (!n.accepted) {
      EXPECT_TRUE(person.Said(187, 188));
    }
    EXPECT_EQ(person.asked.size(), n.accepted ? 0u : 1u);
  }
  ScriptedPerson person;
  files.names[0] = "";
  EXPECT_FALSE(kst::SaveList(list, files, 1, owner));
  EXPECT_TRUE(person.Said(195, 189));
  EXPECT_FALSE(files.saving);
}

}  // namespace
