// Backup runs that the disks, the sources, the temporary folder or the
// person let down (faults injected by the emulation): a write cut short, a
// full disk, an abort or a kill inside a piece, the person's own files of
// the run's names, a source that cannot be read or changes, and read errors
// while verifying. No split is recorded that is not whole on its disk,
// nothing is left under a real name half-written, no file of the person's
// is replaced unasked, and only the disk's own faults ask for another disk.
#include <gtest/gtest.h>

#include <fstream>

#include "backup/backup_worker.h"
#include "frame/files/partial_files.h"
#include "tests/backup/backup_scenario_support.h"

namespace {

using backuptest::Files;
using backuptest::kThreePieces;
using backuptest::Scenario;
using plat::Fault;
namespace fs = std::filesystem;

struct Killed {};  // the process ends here: nothing after it runs

// The reason a box adds after its text: the file and the system's words.
std::string Reason(const std::string& path, uint32_t code) { return "\r\n" + path + ": " + plat::ErrorText(code); }

TEST(BackupFaults, AWriteTheDiskCutsShortIsDeletedAndItsPieceCarriedWholeOnTheNextDisk) {
  // A write that takes half of what it was given, through the temporary
  // folder and straight onto the disk: nothing of the run on that disk yet,
  // it counts as full. A full disk under a direct write: small.bin is on it,
  // it is kept.
  struct Case { const char* what; int64_t maxSizeToCopy; bool small; Fault fault; int skip; const char* where; int message; } cases[] = {{"cut short through the temporary folder", 10485760, false, Fault::ShortWrite, 0, "A:\\big.bin.001", 220},
               {"cut short onto the disk", 0, false, Fault::ShortWrite, 0, "A:\\big.bin.001", 220},
               {"full under a direct write", 0, true, Fault::DiskFull, 1, "big.bin.001", 219}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scenario sc;
    if (c.small) sc.Source("small.bin", 300000, 22);
    sc.Source("big.bin", 3000000, 21);
    sc.settings.maxSizeToCopy = c.maxSizeToCopy;
    plat::EmuInjectFault(c.fault, c.skip, c.where);
    ASSERT_EQ(sc.Run().outcome, kst::BackupOutcome::Done);
    EXPECT_EQ(sc.SplitSizes(c.small), kThreePieces);
    EXPECT_EQ(sc.Told(11), sc.Text(c.message) + Reason("A:\\big.bin.001", plat::kErrDiskFull));
    EXPECT_EQ(sc.prompts.size(), 4u);
    const int first = c.small ? 2 : 1;  // the disk of split 1
    EXPECT_EQ(sc.Disk(1), (c.small ? Files{{"small.bin", 300000}} : Files{{"big.bin.001", 1457664}}));
    EXPECT_EQ(sc.DiskFile(first, "big.bin.001"), sc.sources["big.bin"].substr(0, 1457664));
    EXPECT_TRUE(sc.Disk(first + 2).count("big.bin.BAT") == 1 && sc.TemporaryEmpty());
  }
}

TEST(BackupFaults, StopInsideAPieceLeavesNoPartUnderARealNameAndTheNextRunCarriesIt) {
  // An abort (the run tidies up), or a kill once the writer put some bytes
  // onto the disk (nothing tidies up); the next run goes on with that disk
  // in the drive again, or with a fresh one.
  struct Case { int64_t maxSizeToCopy; bool kill, sameDisk; } cases[] = {{10485760, false, false}, {0, false, false}, {0, true, true}, {10485760, true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.maxSizeToCopy + c.kill * 10 + c.sameDisk);
    Scenario sc;
    sc.Source("big.bin", 3000000, 24);
    sc.settings.maxSizeToCopy = c.maxSizeToCopy;
    const fs::path partial = fs::path(sc.floppy) / "big.bin.001.~ks", split = fs::path(sc.floppy) / "big.bin.001";
    sc.progress.setPosition = [&](int position) {
      if (position <= 0 || !fs::exists(partial)) return;
      if (c.kill) throw Killed{};
      kst::AbortJob(sc.job);
    };
    if (c.kill) {
      EXPECT_THROW(sc.Run(), Killed);
      EXPECT_TRUE(fs::exists(partial) && !fs::exists(split));
    } else {
      ASSERT_EQ(sc.Run().outcome, kst::BackupOutcome::Aborted);
      EXPECT_FALSE(sc.Entry(0).busy);
      EXPECT_TRUE(sc.Disk(1).empty() && sc.TemporaryEmpty() && sc.Told(11).empty());  // an abort is no failure
    }
    EXPECT_TRUE(sc.SplitSizes(0).empty());
    sc.progress.setPosition = nullptr;
    if (c.sameDisk) sc.prompts.clear(), sc.FirstDiskHolds("", "");
    const kst::BackupResult r = sc.Run();
    ASSERT_EQ(r.outcome, kst::BackupOutcome::Done);
    EXPECT_TRUE(sc.SplitSizes(0) == kThreePieces && r.carried == 3000000);
    EXPECT_TRUE(sc.TemporaryEmpty());  // the working copy a kill left is gone too
    // Onto a fresh disk, the old one keeps the kill's leftover under its
    // partial name only; in the drive again, the leftover goes.
    const int first = c.kill && !c.sameDisk ? 2 : 1;
    EXPECT_TRUE(first == 1 || sc.Disk(1).begin()->first == "big.bin.001.~ks");
    EXPECT_EQ(sc.Disk(first), (Files{{"big.bin.001", 1457664}}));
    EXPECT_EQ(sc.DiskFile(first, "big.bin.001"), sc.sources["big.bin"].substr(0, 1457664));
  }
}

TEST(BackupFaults, HostileCasesLoseNothingAndBlameWhatFailed) {
  // small.bin (whole) then big.bin. The person's own files of the run's
  // names stay unless they say Yes; a source or temporary folder that lets
  // the run down stops it at big.bin with the file and the system's
  // reason, and no other disk is asked for.
  struct Case {
    const char* what;
    int64_t maxSizeToCopy;
    std::function<void(Scenario&)> arrange;
    std::function<std::string(Scenario&)> told;  // null: the run is done
  };
  auto src = [](Scenario& sc) { return sc.scratch.Path("src\\big.bin"); };
  auto tmp = [](Scenario& sc, const std::string& name) { return sc.scratch.Path("tmp\\" + name); };
  auto userFileOnDisk = [](Scenario& sc, int answer) { sc.answers = {{44, answer}}, sc.FirstDiskHolds("big.bin.001", "mine"); };
  const int64_t room = 1457664 - 512 - 300032;  // beside small.bin and the person's file
  const Case cases[] = {
      {"No: the person's file on the disk stays, the disk counts as full", 10485760,
       [&](Scenario& sc) { userFileOnDisk(sc, kst::kAnswerNo); }, nullptr},
      {"Yes: the split replaces it", 0, [&](Scenario& sc) { userFileOnDisk(sc, kst::kAnswerYes); }, nullptr},
      {"the person's files of the run's names in the temporary folder", 10485760,
       [&](Scenario& sc) {
         testenv::WriteFile(tmp(sc, "big.bin.BAT"), "my batch");
         testenv::WriteFile(tmp(sc, "big.bin.001"), "my split");
       },
       nullptr},
      {"a source that cannot be opened", 10485760,
       [](Scenario&) { plat::EmuInjectFault(Fault::OpenFails, 1, "src\\big.bin"); },  // the copy's open
       [&](Scenario& sc) { return sc.Text(1127) + Reason(src(sc), plat::kErrAccessDenied); }},
      {"a source that ends early", 10485760, [](Scenario&) { plat::EmuInjectFault(Fault::ShortRead, 0, "src\\big.bin"); },
       [&](Scenario& sc) { return sc.Text(1127) + Reason(src(sc), 38); }},
      {"a full temporary folder", 10485760,
       [](Scenario&) { plat::EmuInjectFault(Fault::DiskFull, 0, "tmp\\big.bin.001"); },
       [&](Scenario& sc) { return sc.Text(1128) + Reason(kst::PartialNameOf(tmp(sc, "big.bin.001")), plat::kErrDiskFull); }},
      {"a source that grows while it is written onto the disk", 0,
       [&](Scenario& sc) {
         sc.progress.setPosition = [&sc, path = src(sc)](int position) {
           if (position == 1 && fs::exists(fs::path(sc.floppy) / "big.bin.001.~ks"))
             std::ofstream(plat::EmuHostPath(path), std::ios::app) << "more";
         };
       },
       [&](Scenario& sc) { return sc.Text(1129) + " " + src(sc); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scenario sc;
    sc.Source("small.bin", 300000, 27);
    sc.Source("big.bin", 3000000, 28);
    sc.settings.maxSizeToCopy = c.maxSizeToCopy;
    c.arrange(sc);
    const kst::BackupOutcome outcome = sc.Run().outcome;
    EXPECT_EQ(sc.Disk(1).count("small.bin"), 1u);
    if (c.told) {
      EXPECT_TRUE(outcome == kst::BackupOutcome::Failed && sc.prompts.size() == 1);
      EXPECT_EQ(sc.Told(11), c.told(sc));
      EXPECT_EQ(sc.Disk(1).size(), 1u);  // nothing of big.bin, whole or partial
      EXPECT_TRUE(sc.SplitSizes(1).empty() && sc.TemporaryEmpty());
      continue;
    }
    ASSERT_EQ(outcome, kst::BackupOutcome::Done);
    const std::string first = sc.DiskFile(1, "big.bin.001"), big = sc.sources["big.bin"];
    if (!sc.answers.empty() && sc.answers.begin()->second == kst::kAnswerNo) {
      EXPECT_TRUE(first == "mine" && sc.SplitSizes(1) == kThreePieces);
    } else if (!sc.answers.empty()) {
      EXPECT_TRUE(first == big.substr(0, room) && sc.SplitSizes(1)[0] == room);
    } else {
      EXPECT_EQ(testenv::ReadFile(tmp(sc, "big.bin.BAT")) + testenv::ReadFile(tmp(sc, "big.bin.001")), "my batchmy split");
      EXPECT_EQ(std::distance(fs::directory_iterator(plat::EmuHostPath(sc.scratch.Path("tmp"))), fs::directory_iterator()), 2);
      EXPECT_EQ(first, big.substr(0, 1157632));
    }
  }
}

TEST(BackupFaults, ReadErrorWhileVerifyingIsNoDifferenceButNotSafe) {
  // The copy from the disk fails, or the copy cannot be read back whole.
  for (const auto& [fault, where] : {std::pair{Fault::OpenFails, "A:\\big.bin.002"}, std::pair{Fault::ShortRead, "\\KST"}}) {
    SCOPED_TRACE(where);
    Scenario sc;
    sc.Source("big.bin", 3000000, 26);
    sc.answers = {{221, kst::kAnswerYes}};
    sc.verifyOrder = {2, 1, 3};
    sc.onPrompt = [&](const kst::DiskPrompt& p, bool*) {
      if (p.verifying && p.disk == 1) plat::EmuInjectFault(fault, 0, where);
      return kst::PromptAnswer::Go;
    };
    const kst::BackupResult r = sc.Run();
    ASSERT_EQ(r.outcome, kst::BackupOutcome::Done);
    EXPECT_TRUE(sc.Told(240).empty() && r.redo == 1);
    EXPECT_EQ(sc.Told(244), sc.Text(245) + "\r\n" + sc.Text(246));
    const kst::ListImage list = kst::Snapshot(sc.list);
    EXPECT_TRUE(list.entries[0].splits[0].safe && !list.entries[0].splits[1].safe && list.entries[0].splits[1].copied);
    ASSERT_EQ(list.entries.size(), 2u);
    EXPECT_TRUE(list.entries[1].temporary);
  }
}

}  // namespace
