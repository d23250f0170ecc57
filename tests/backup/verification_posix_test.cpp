// The verification of a backup run: a flipped byte found at its position,
// the split cut again as a temporary entry that the next run carries.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/backup/backup_scenario_support.h"

namespace {

using backuptest::Scenario;
namespace fs = std::filesystem;

void FlipByte(const std::string& hostFile, size_t offset) {
  std::string bytes = testenv::ReadFile(plat::EmuWindowsPath(hostFile));
  bytes[offset] = static_cast<char>(bytes[offset] ^ 0x5A);
  testenv::WriteFile(plat::EmuWindowsPath(hostFile), bytes);
}

std::vector<std::string> HostNames(const std::string& hostFolder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(hostFolder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The next run, into temporary, with a fresh disk 4 to verify.
kst::BackupResult RunAgain(Scenario& sc, const std::string& temporary) {
  sc.settings.temporary = temporary;
  sc.onPrompt = nullptr;
  sc.verifyOrder = {4};
  sc.nextVerify = 0;
  sc.boxes.clear();
  return sc.Run();
}

TEST(Verification, FlippedByteOnDisk2IsRedoneThenCarriedAndVerifiedSafe) {
  Scenario sc;
  sc.Source("big.bin", 3000000, 11);
  sc.answers = {{221, kst::kAnswerYes}, {251, kst::kAnswerNo}};
  sc.verifyOrder = {3, 1, 2};
  sc.onPrompt = [&](const kst::DiskPrompt& p, bool*) {
    if (p.verifying && p.disk == 1) {
      FlipByte(sc.stack + "/disk2/big.bin.002", 1000);
      // A file of a split's name in the temporary folder: the copies taken
      // for the comparison must neither replace nor delete it.
      testenv::WriteFile(sc.scratch.Path("tmp\\big.bin.001"), "mine");
    }
    return kst::PromptAnswer::Go;
  };
  const kst::BackupResult first = sc.Run();
  ASSERT_EQ(first.outcome, kst::BackupOutcome::Done);
  // The verification's prompts: no Auto Erase box, the splits still to read.
  ASSERT_EQ(sc.prompts.size(), 6u);
  EXPECT_TRUE(sc.prompts[3].verifying && !sc.prompts[3].eraseShown && sc.prompts[5].toGo == 1);
  EXPECT_EQ(sc.prompts[3].message, sc.Text(223) + " A:" + sc.Text(224) + " 3" + sc.Text(225));
  EXPECT_EQ(sc.Told(240), sc.Text(241) + " 1001" + sc.Text(242) + " A:\\big.bin.002" + sc.Text(243));
  EXPECT_EQ(sc.Told(235), sc.Text(233) + " 1" + sc.Text(234));
  EXPECT_TRUE(sc.Under(226) == 1 && first.redo == 1);
  kst::ListImage list = kst::Snapshot(sc.list);
  ASSERT_EQ(list.entries.size(), 2u);
  for (size_t k = 0; k < 3; ++k)
    EXPECT_TRUE(list.entries[0].splits[k].safe == (k != 1) && list.entries[0].splits[k].copied) << k;
  const kst::FileEntry& redo = list.entries[1];
  EXPECT_TRUE(!list.entries[0].busy && redo.temporary);
  EXPECT_EQ(kst::Trimmed(redo.path), sc.scratch.Path("tmp\\big.bin.002"));
  EXPECT_EQ(testenv::ReadFile(kst::Trimmed(redo.path)), sc.sources["big.bin"].substr(1457664, 1457664));
  // A new temporary folder, and no verification copy left behind.
  const std::string temp = sc.scratch.Path("tmp") + "\\";
  ASSERT_TRUE(first.newTemporary.rfind(temp + "KST", 0) == 0 && first.newTemporary.back() == '\\');
  EXPECT_EQ(HostNames(plat::EmuHostPath(sc.scratch.Path("tmp"))),
            (std::vector<std::string>{first.newTemporary.substr(temp.size(), first.newTemporary.size() - temp.size() - 1),
                                      "big.bin.001", "big.bin.002"}));
  EXPECT_EQ(testenv::ReadFile(sc.scratch.Path("tmp\\big.bin.001")), "mine");
  EXPECT_EQ(kst::Trimmed(list.temporary), first.newTemporary);

  // The second run carries only the temporary entry, and verifies it. The
  // split it replaces is on that disk too (same name): the person is asked
  // about it once and says No; it is not redone again.
  sc.answers = {{221, kst::kAnswerYes}, {236, kst::kAnswerNo}, {251, kst::kAnswerYes}};
  const kst::BackupResult second = RunAgain(sc, first.newTemporary);
  ASSERT_EQ(second.outcome, kst::BackupOutcome::Done);
  EXPECT_TRUE(second.redo == 0 && sc.Told(240).empty());
  EXPECT_EQ(sc.Disk(4), (backuptest::Files{{"big.bin.002", 1457664}}));
  EXPECT_EQ(sc.DiskFile(4, "big.bin.002"), sc.sources["big.bin"].substr(1457664, 1457664));
  EXPECT_EQ(sc.Told(236), sc.Text(237) + " A:\\big.bin.002" + sc.Text(238) + " " + sc.Text(192) + sc.Text(239));
  // Yes to removing what is safe: the carried temporary entry goes.
  list = kst::Snapshot(sc.list);
  EXPECT_TRUE(list.entries.size() == 1 && !list.entries[0].temporary);
  EXPECT_FALSE(plat::PathExists(sc.scratch.Path("tmp\\big.bin.002")));
}

TEST(Verification, FileCarriedWholeThatDiffersIsCarriedAgainNextRun) {
  // Compared through a copy in the temporary folder, and in place on the disk.
  for (int64_t maxSizeToCopy : {int64_t{300000}, int64_t{299999}}) {
    SCOPED_TRACE(maxSizeToCopy);
    Scenario sc;
    sc.Source("small.bin", 300000, 12);
    sc.settings.maxSizeToCopy = maxSizeToCopy;
    sc.answers = {{221, kst::kAnswerYes}, {251, kst::kAnswerYes}};
    sc.verifyOrder = {1};
    sc.onPrompt = [&](const kst::DiskPrompt& p, bool*) {
      if (p.verifying) FlipByte(sc.floppy + "/small.bin", 299999);
      return kst::PromptAnswer::Go;
    };
    ASSERT_EQ(sc.Run().outcome, kst::BackupOutcome::Done);
    EXPECT_EQ(sc.Told(240), sc.Text(241) + " 300000" + sc.Text(242) + " A:\\small.bin" + sc.Text(243));
    EXPECT_EQ(sc.Told(235), sc.Text(233) + " 1" + sc.Text(234));
    const kst::ListImage list = kst::Snapshot(sc.list);
    ASSERT_EQ(list.entries.size(), 1u);  // not removed: it is not safe
    EXPECT_TRUE(!list.entries[0].copied && list.entries[0].splits.empty());
  }
}

TEST(Verification, RedoingStopsAtTheFirstSplitThatCannotBeRedoneAndALaterPassRedoesTheRest) {
  // Splits 1 and 2 differ. A full list takes split 1's redo only; a redo
  // that cannot be written ends the run with nothing listed; a file of
  // split 1's redo name that the person keeps (No to Replace?) stays as it
  // was and split 1 stays not safe while split 2 is redone. What is left
  // waits for its redo, in the list or through a save and a load that
  // leave the file as it was, and the next pass redoes it without reading
  // the disks again.
  // detail: after the message (the kept file's path is added); listed: the
  // temporary entries after the first run; lastRedone: the split the last
  // temporary entry holds.
  struct Case {
    size_t capacity;
    bool writeFails, userFile, reload;
    int heading, message;
    std::string detail;
    int64_t redo;
    size_t listed;
    int64_t redoLater;
    int lastRedone;
    kst::BackupOutcome outcome;
  } cases[] = {
      {2, false, false, true, 249, 250, " 2", 1, 1, 1, 2, kst::BackupOutcome::Done},
      {256, true, false, false, 247, 248, " " + plat::ErrorText(plat::kErrAccessDenied), 0, 0, 2, 2,
       kst::BackupOutcome::Aborted},
      {256, false, true, true, 247, 1477, " ", 2, 1, 1, 1, kst::BackupOutcome::Done},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.heading);
    Scenario sc;
    sc.Source("big.bin", 3000000, 14);
    const std::string mine = sc.scratch.Path("tmp\\big.bin.001");
    sc.list.capacity = c.capacity;
    sc.answers = {{221, kst::kAnswerYes}};
    sc.verifyOrder = {1, 2, 3};
    sc.onPrompt = [&](const kst::DiskPrompt& p, bool*) {
      if (p.verifying && p.disk == 1) {
        FlipByte(sc.stack + "/disk1/big.bin.001", 5);
        FlipByte(sc.stack + "/disk2/big.bin.002", 5);
        if (c.userFile) testenv::WriteFile(mine, "mine");
      }
      if (p.verifying && p.disk == 3 && c.writeFails) plat::EmuInjectFault(plat::Fault::OpenFails, 0, "tmp\\big.bin.001");
      return kst::PromptAnswer::Go;
    };
    const kst::BackupResult r = sc.Run();
    EXPECT_TRUE(r.outcome == c.outcome && r.redo == c.redo);
    EXPECT_EQ(sc.Told(c.heading), sc.Text(c.message) + c.detail + (c.userFile ? mine : ""));
    EXPECT_EQ(kst::Snapshot(sc.list).entries.size(), 1 + c.listed);
    EXPECT_EQ(plat::PathExists(sc.scratch.Path("tmp\\big.bin.002")), c.userFile);
    EXPECT_TRUE(!c.userFile || testenv::ReadFile(mine) == "mine");
    EXPECT_LE(HostNames(plat::EmuHostPath(sc.scratch.Path("tmp"))).size(), 2u + c.userFile) << "a partial redo left behind";

    if (c.reload) {
      sc.AutoSave();
      sc.saveFiles.autoSave = false;
      ASSERT_TRUE(kst::SaveList(sc.list, sc.saveFiles, 1, {}));
      ASSERT_TRUE(kst::LoadList(sc.list, sc.saveFiles, 1, false, {}));
      ASSERT_TRUE(kst::SaveList(sc.list, sc.saveFiles, 2, {}));
      EXPECT_EQ(testenv::ReadFile(sc.saveFiles.names[1]), testenv::ReadFile(sc.saveFiles.names[0]));
    }
    // The next run: room in the list; the redo of split 1, if listed, is
    // carried to disk 4 (the person keeps its namesake unread).
    sc.list.capacity = 256;
    const kst::BackupResult later = RunAgain(sc, kst::Trimmed(kst::Snapshot(sc.list).temporary));
    EXPECT_TRUE(later.outcome == kst::BackupOutcome::Done && later.redo == c.redoLater && sc.Told(240).empty());
    const kst::ListImage list = kst::Snapshot(sc.list);
    ASSERT_EQ(list.entries.size(), 1 + c.listed + c.redoLater);
    EXPECT_EQ(kst::SplitBaseName(list.entries.back().path), "big.bin.00" + std::to_string(c.lastRedone));
    EXPECT_EQ(testenv::ReadFile(kst::Trimmed(list.entries.back().path)),
              sc.sources["big.bin"].substr(1457664 * (c.lastRedone - 1), 1457664));
  }
}

}  // namespace
