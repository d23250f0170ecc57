// Backup runs that the disks let down (faults injected by the emulation):
// a copy cut short, a full disk under a direct write, an abort inside a
// piece, and read errors while verifying. No split is recorded that is not
// whole on its disk, and the same bytes go onto the next disk.
#include <gtest/gtest.h>

#include "backup/backup_worker.h"
#include "tests/backup/backup_scenario_support.h"

namespace {

using backuptest::Files;
using backuptest::kThreePieces;
using backuptest::Scenario;
using plat::Fault;

TEST(BackupFaults, CopyCutShortIsDeletedAndCarriedWholeOnTheNextDisk) {
  // Through the temporary folder, the shell's copy cut short yet reported
  // done (as Wine's onto a full disk), or the shell's copy, or a write
  // straight onto the disk, taking half of a write with no room for more.
  struct Case {
    int64_t maxSizeToCopy;
    Fault fault;
  } cases[] = {{10485760, Fault::ShellCopyCutShort}, {10485760, Fault::ShortWrite}, {0, Fault::ShortWrite}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.fault) * 100 + (c.maxSizeToCopy > 0));
    Scenario sc;
    sc.Source("big.bin", 3000000, 21);
    sc.settings.maxSizeToCopy = c.maxSizeToCopy;
    plat::EmuInjectFault(c.fault, 0, "A:\\big.bin.001");
    ASSERT_EQ(sc.Run().outcome, kst::BackupOutcome::Done);
    EXPECT_EQ(sc.SplitSizes(0), kThreePieces);
    ASSERT_EQ(sc.BoxesUnder(11).size(), 1u);
    EXPECT_EQ(sc.BoxesUnder(11)[0].message, sc.Text(220));  // nothing of the run on that disk yet
    EXPECT_EQ(sc.prompts.size(), 4u);  // the let-down disk counts as full
    EXPECT_EQ(sc.Disk(1), (Files{{"big.bin.001", 1457664}}));
    EXPECT_EQ(sc.DiskFile(1, "big.bin.001"), sc.sources["big.bin"].substr(0, 1457664));
    EXPECT_TRUE(sc.TemporaryEmpty());
  }
}

TEST(BackupFaults, FullDiskUnderADirectWriteKeepsTheDiskAndMovesThePieceOn) {
  Scenario sc;
  sc.Source("small.bin", 300000, 22);
  sc.Source("big.bin", 3000000, 23);
  sc.settings.maxSizeToCopy = 0;
  plat::EmuInjectFault(Fault::DiskFull, 1, "big.bin.001");
  ASSERT_EQ(sc.Run().outcome, kst::BackupOutcome::Done);
  ASSERT_EQ(sc.BoxesUnder(11).size(), 1u);
  EXPECT_EQ(sc.BoxesUnder(11)[0].message, sc.Text(219));  // keep it: small.bin is on it
  EXPECT_EQ(sc.Disk(1), (Files{{"small.bin", 300000}}));
  EXPECT_EQ(sc.SplitSizes(1), kThreePieces);
  EXPECT_EQ(sc.DiskFile(2, "big.bin.001"), sc.sources["big.bin"].substr(0, 1457664));
  EXPECT_EQ(sc.Disk(4).count("big.bin.BAT"), 1u);
}

TEST(BackupFaults, AbortInsideAPieceLeavesNoPartAndTheNextRunCarriesIt) {
  for (int64_t maxSizeToCopy : {int64_t{10485760}, int64_t{0}}) {
    SCOPED_TRACE(maxSizeToCopy);
    Scenario sc;
    sc.Source("big.bin", 3000000, 24);
    sc.settings.maxSizeToCopy = maxSizeToCopy;
    sc.progress.setPosition = [&](int position) {
      if (position > 0) kst::AbortJob(sc.job);
    };
    ASSERT_EQ(sc.Run().outcome, kst::BackupOutcome::Aborted);
    EXPECT_TRUE(sc.SplitSizes(0).empty());
    EXPECT_FALSE(kst::Snapshot(sc.list).entries[0].busy);
    EXPECT_TRUE(sc.Disk(1).empty());
    EXPECT_TRUE(sc.TemporaryEmpty());
    EXPECT_TRUE(sc.BoxesUnder(990).empty());  // an abort is no failure
    sc.progress.setPosition = nullptr;
    ASSERT_EQ(sc.Run().outcome, kst::BackupOutcome::Done);
    EXPECT_EQ(sc.SplitSizes(0), kThreePieces);
  }
}

TEST(BackupFaults, SourceThatCannotBeReadEndsTheRunWithoutASplit) {
  Scenario sc;
  sc.Source("big.bin", 3000000, 25);
  plat::EmuInjectFault(Fault::ShortRead, 0, "src\\big.bin");
  ASSERT_EQ(sc.Run().outcome, kst::BackupOutcome::Failed);
  EXPECT_EQ(sc.BoxesUnder(990).size(), 1u);
  EXPECT_TRUE(sc.SplitSizes(0).empty());
  EXPECT_TRUE(sc.TemporaryEmpty());
}

TEST(BackupFaults, ReadErrorWhileVerifyingIsNoDifferenceButNotSafe) {
  // The copy from the disk fails, or the copy cannot be read back whole.
  struct Case {
    Fault fault;
    const char* where;
  } cases[] = {{Fault::OpenFails, "A:\\big.bin.002"}, {Fault::ShortRead, "\\KST"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where);
    Scenario sc;
    sc.Source("big.bin", 3000000, 26);
    sc.answers = {{221, kst::kAnswerYes}};
    sc.verifyOrder = {2, 1, 3};
    sc.onPrompt = [&](const kst::DiskPrompt& p, bool*) {
      if (p.verifying && p.disk == 1) plat::EmuInjectFault(c.fault, 0, c.where);
      return kst::PromptAnswer::Go;
    };
    const kst::BackupResult r = sc.Run();
    ASSERT_EQ(r.outcome, kst::BackupOutcome::Done);
    EXPECT_TRUE(sc.BoxesUnder(240).empty());
    ASSERT_EQ(sc.BoxesUnder(244).size(), 1u);
    EXPECT_EQ(sc.BoxesUnder(244)[0].message, sc.Text(245) + "\r\n" + sc.Text(246));
    const kst::ListImage list = kst::Snapshot(sc.list);
    EXPECT_TRUE(list.entries[0].splits[0].safe && !list.entries[0].splits[1].safe && list.entries[0].splits[1].copied);
    EXPECT_EQ(r.redo, 1);
    ASSERT_EQ(list.entries.size(), 2u);
    EXPECT_TRUE(list.entries[1].temporary);
  }
}

}  // namespace
