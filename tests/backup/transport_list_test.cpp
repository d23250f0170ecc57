// The transport list: adding files, the rows the list dialogs show, their
// operations, and the rules that speak to the user.
#include <gtest/gtest.h>

#include "backup/list_checks.h"
#include "backup/transport_list.h"
#include "tests/backup/backup_scenario_support.h"

namespace {

struct TransportListTest : ::testing::Test {
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const kst::FileEntry& e : kst::Snapshot(list).entries) names.push_back(kst::Trimmed(e.path));
    return names;
  }
  backuptest::ScriptedPerson person;
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
  struct Case { bool copied, busy, temporary; const char* row; } cases[] = {{false, false, false, "C:\\big.bin -- 3000000 -- Not Done -- 1/2"},
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
  for (const kst::SplitEntry& s : list.image.entries[1].splits) states += std::string(s.safe ? "S" : "-") + (s.copied ? "C" : "-");
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

}  // namespace
