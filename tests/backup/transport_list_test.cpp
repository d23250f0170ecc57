// The transport list: adding files, the rows the list dialogs show, their
// operations, and the rules that speak to the user.
#include <gtest/gtest.h>

#include "backup/list_checks.h"
#include "backup/transport_list.h"
#include "tests/backup/backup_test_support.h"

namespace {

using backuptest::ScriptedPerson;

std::vector<std::string> Names(kst::TransportList& list) {
  std::vector<std::string> names;
  for (const kst::FileEntry& e : kst::Snapshot(list).entries) names.push_back(kst::Trimmed(e.path));
  return names;
}

struct TransportListTest : ::testing::Test {
  void Add(std::initializer_list<const char*> names) {
    int64_t size = 100;
    for (const char* n : names) ASSERT_TRUE(kst::AddToTransportList(list, n, size++));
  }
  ScriptedPerson person;
  kst::TransportList list;
  kst::MessageOwner owner;
};

TEST_F(TransportListTest, AddingSkipsDuplicatesAndStopsAtTheCapacity) {
  list.capacity = 3;
  struct Case {
    std::string path;
    bool added;
    int64_t total;
  } cases[] = {
      {"C:\\a.bin", true, 10},
      {"C:\\a.bin   ", false, 10},       // the same path with trailing blanks
      {"C:\\a.bi", true, 20},             // a prefix is another path
      {"", false, 20},
      {"C:\\" + std::string(256, 'x'), true, 30},   // 259 characters
      {"C:\\" + std::string(257, 'x'), false, 30},  // no room in a save list
      {"C:\\b.bin", false, 30},           // the list is full
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(kst::AddToTransportList(list, c.path, 10), c.added);
    EXPECT_EQ(list.totalSize, c.total);
  }
  EXPECT_EQ(Names(list), (std::vector<std::string>{"C:\\a.bin", "C:\\a.bi", "C:\\" + std::string(256, 'x')}));
  for (const kst::FileEntry& e : list.image.entries) {
    EXPECT_EQ(e.path.size(), kst::kListPathWidth);
    EXPECT_TRUE(e.splits.empty());
    EXPECT_FALSE(e.copied || e.busy || e.temporary);
  }
}

TEST_F(TransportListTest, RowsShowStatesSplitsAndTemporaryEntries) {
  kst::FileEntry e;
  e.path = kst::Padded("C:\\DATA\\big.bin", 260);
  e.size = 3000000;
  e.splits = {{"A:\\big.bin.001", 1457664, true, true}, {"A:\\big.bin.002", 1457664, false, true}};
  struct Case {
    bool copied, busy, temporary;
    std::string row;
  } cases[] = {
      {false, false, false, "C:\\DATA\\big.bin -- 3000000 -- Not Done -- 1/2"},
      {false, true, false, "C:\\DATA\\big.bin -- 3000000 -- Copying -- 1/2"},
      {true, false, false, "C:\\DATA\\big.bin -- 3000000 -- Done -- 1/2"},
      {true, true, true, "C:\\DATA\\big.bin -- 3000000 -- Verifying -- 1/2 -- Temporary"},
  };
  for (const Case& c : cases) {
    e.copied = c.copied;
    e.busy = c.busy;
    e.temporary = c.temporary;
    EXPECT_EQ(kst::FileRow(e), c.row);
  }
  list.image.entries = {e};
  EXPECT_EQ(kst::SplitRows(list, 0),
            (std::vector<std::string>{"A:\\big.bin.001 -- 1457664 -- Safe -- Copied",
                                      "A:\\big.bin.002 -- 1457664 -- Not Safe -- Copied"}));
  EXPECT_TRUE(kst::SplitRows(list, 1).empty());
}

TEST_F(TransportListTest, ListDialogOperations) {
  Add({"C:\\1", "C:\\2", "C:\\3", "C:\\4", "C:\\5"});
  EXPECT_EQ(kst::SelectedTotal(list, {0, 4, 9}), 100 + 104);
  kst::MoveToTop(list, {3, 1});
  EXPECT_EQ(Names(list), (std::vector<std::string>{"C:\\2", "C:\\4", "C:\\1", "C:\\3", "C:\\5"}));
  kst::MoveToBottom(list, {0, 2});
  EXPECT_EQ(Names(list), (std::vector<std::string>{"C:\\4", "C:\\3", "C:\\5", "C:\\2", "C:\\1"}));
  std::vector<kst::FileEntry> removed = kst::RemoveEntries(list, {1, 4, 7});
  ASSERT_EQ(removed.size(), 2u);
  EXPECT_EQ(kst::Trimmed(removed[0].path), "C:\\3");
  EXPECT_EQ(kst::Trimmed(removed[1].path), "C:\\1");
  EXPECT_EQ(Names(list), (std::vector<std::string>{"C:\\4", "C:\\5", "C:\\2"}));
  EXPECT_EQ(list.totalSize, 103 + 104 + 101);

  kst::ToggleDone(list, {0, 2});
  kst::ToggleDone(list, {2});
  EXPECT_TRUE(list.image.entries[0].copied);
  EXPECT_FALSE(list.image.entries[1].copied || list.image.entries[2].copied);

  list.image.entries[1].splits.resize(4);
  kst::ToggleSplitSafe(list, 1, {0, 3});
  kst::ToggleSplitCopied(list, 1, {1});
  std::vector<std::string> states;
  for (const kst::SplitEntry& s : list.image.entries[1].splits)
    states.push_back(std::string(s.safe ? "S" : "-") + (s.copied ? "C" : "-"));
  EXPECT_EQ(states, (std::vector<std::string>{"S-", "-C", "--", "S-"}));
  kst::KillSplitsFrom(list, 1, 2);
  EXPECT_EQ(list.image.entries[1].splits.size(), 2u);
  kst::KillSplitsFrom(list, 1, 5);
  EXPECT_EQ(list.image.entries[1].splits.size(), 2u);

  kst::ClearBusyFlags(list);
  list.image.entries[0].busy = list.image.entries[2].busy = true;
  kst::ClearBusyFlags(list);
  for (const kst::FileEntry& e : list.image.entries) EXPECT_FALSE(e.busy);
}

TEST_F(TransportListTest, AddingFilesTellsWhyItStops) {
  list.capacity = 3;
  Add({"C:\\DATA\\old.bin"});
  struct Case {
    const char* what;
    std::vector<kst::FileToAdd> files;
    int added;
    int heading;  // 0: nothing said
    std::string message;
  } cases[] = {
      {"one from the temporary folder", {{"C:\\DATA\\a.bin", 1}, {"C:\\Temp\\b.bin", 2}}, 0, 167,
       kst::Trimmed(kst::GetText(168))},
      {"a duplicate and a new one", {{"C:\\DATA\\old.bin", 1}, {"C:\\DATA\\a.bin", 2}}, 1, 0, ""},
      {"more than there is room for", {{"C:\\DATA\\b.bin", 1}, {"C:\\DATA\\c.bin", 2}}, 1, 169,
       kst::Trimmed(kst::GetText(170)) + " 3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    person.asked.clear();
    EXPECT_EQ(kst::AddFiles(list, c.files, "c:\\temp", owner), c.added);
    ASSERT_EQ(person.asked.size(), c.heading ? 1u : 0u);
    if (c.heading) {
      EXPECT_EQ(person.asked[0].heading, kst::Trimmed(kst::GetText(c.heading)));
      EXPECT_EQ(person.asked[0].message, c.message);
    }
  }
  EXPECT_EQ(Names(list), (std::vector<std::string>{"C:\\DATA\\old.bin", "C:\\DATA\\a.bin", "C:\\DATA\\b.bin"}));
}

TEST_F(TransportListTest, RulesThatAskOrRefuse) {
  Add({"C:\\DATA\\old.bin"});
  EXPECT_FALSE(kst::TemporaryFolderAccepted(list, "c:\\data\\", owner));
  EXPECT_TRUE(person.Said(165, 166));
  EXPECT_TRUE(kst::TemporaryFolderAccepted(list, "C:\\DATA\\SUB", owner));
  EXPECT_FALSE(kst::ListMayChange(true, owner));
  EXPECT_TRUE(person.Said(180, 181));
  EXPECT_FALSE(kst::SomethingSelected({}, owner));
  EXPECT_TRUE(person.Said(182, 183));
  person.asked.clear();
  EXPECT_TRUE(kst::ListMayChange(false, owner) && kst::SomethingSelected({0}, owner));
  EXPECT_TRUE(person.asked.empty());
  person.answers = {kst::kAnswerNo, kst::kAnswerYes};
  EXPECT_FALSE(kst::ConfirmKillSplits(owner));
  EXPECT_TRUE(kst::ConfirmKillSplits(owner));
  EXPECT_TRUE(person.Said(184, 185));
  EXPECT_EQ(person.asked.back().style, kst::kAskYesNo);
}

}  // namespace
