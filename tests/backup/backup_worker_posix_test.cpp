// Whole backup runs onto emulated 1.44 MB floppies: what every disk holds,
// the save list files the run leaves, the disk prompts, the checks at Go,
// and the verification that finds a flipped byte and has its split redone.
#include <gtest/gtest.h>

#include <algorithm>

#include "split/check_file.h"
#include "split/join_batch.h"
#include "tests/backup/backup_scenario_support.h"

namespace {

using backuptest::ExpectedCheckFile;
using backuptest::Files;
using backuptest::kThreePieces;
using backuptest::Scenario;
namespace fs = std::filesystem;

int64_t Size(const std::string& s) { return static_cast<int64_t>(s.size()); }

TEST(BackupWorker, FilesFillEachDiskToItsRoomAndBothSaveFilesHoldTheFinishedList) {
  // small.bin leaves 1457664 - 586 clusters of 512 bytes for big.bin's first
  // split. Under a margin of 100000 one.bin leaves 160 bytes too few: two.bin
  // starts the next disk, no piece of no bytes is cut.
  const int64_t batch = Size(kst::JoinBatchText("big.bin", 3)), check = Size(kst::CheckFileText("big.bin", {0, 0, 0}));
  const std::vector<Files> big = {{{"big.bin.001", 1457664}}, {{"big.bin.002", 1457664}},
                                  {{"big.bin.003", 84672}, {"big.bin.BAT", batch}, {"big.bin.SFV", check}}};
  struct Case {
    std::vector<std::pair<const char*, size_t>> sources; int64_t margin, maxSizeToCopy; int verify; std::vector<Files> disks;
  } cases[] = {
      {{{"big.bin", 3000000}}, 0, 10485760, kst::kAnswerNo, big},
      {{{"big.bin", 3000000}}, 0, 0, kst::kAnswerCancel, big},
      {{{"small.bin", 300000}, {"big.bin", 3000000}, {"mid.bin", 700000}}, 0, 10485760, kst::kAnswerNo,
       {{{"small.bin", 300000}, {"big.bin.001", 1157632}}, {{"big.bin.002", 1457664}},
        {{"big.bin.003", 384704}, {"big.bin.BAT", batch}, {"big.bin.SFV", check}, {"mid.bin", 700000}}}},
      {{{"one.bin", 1357664}, {"two.bin", 1000}}, 100000, 0, kst::kAnswerNo,
       {{{"one.bin", 1357664}}, {{"two.bin", 1000}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sources.size() * 10 + static_cast<size_t>(c.verify));
    Scenario sc;
    for (const auto& [name, size] : c.sources) sc.Source(name, size, static_cast<uint32_t>(size));
    sc.settings.margin = c.margin;
    sc.settings.maxSizeToCopy = c.maxSizeToCopy;
    sc.answers = {{221, c.verify}};
    sc.AutoSave();
    const kst::BackupResult r = sc.Run();
    ASSERT_EQ(r.outcome, kst::BackupOutcome::Done);
    const int disks = static_cast<int>(c.disks.size());
    ASSERT_EQ(sc.filled, disks);
    EXPECT_TRUE(r.figures.disksDone == disks && r.figures.disksLeft == 0 && r.figures.numberOfDisks == disks);
    EXPECT_TRUE(static_cast<int>(sc.prompts.size()) == disks && sc.TemporaryEmpty());
    EXPECT_TRUE(sc.Under(221) == 1 && sc.Under(251) == (c.verify == kst::kAnswerNo ? 1 : 0));
    for (int k = 1; k <= disks; ++k) EXPECT_EQ(sc.Disk(k), c.disks[static_cast<size_t>(k - 1)]) << k;
    for (size_t i = 0; i < c.sources.size(); ++i) {
      const std::string name = c.sources[i].first;
      EXPECT_TRUE(sc.Gathered(name) == sc.sources[name] && sc.Entry(i).copied && !sc.Entry(i).busy) << name;
      if (sc.Entry(i).splits.size() > 1) {
        EXPECT_EQ(sc.DiskFile(disks, name + ".SFV"), ExpectedCheckFile(name, sc.sources[name], sc.SplitSizes(i)));
      }
    }
    // The last two saves are of the same finished list: both files hold it.
    std::string saved;
    ASSERT_EQ(kst::EncodeList(kst::Snapshot(sc.list), &saved), kst::ListFault::None);
    EXPECT_TRUE(testenv::ReadFile(sc.saveFiles.names[0]) == saved && testenv::ReadFile(sc.saveFiles.names[1]) == saved);
    EXPECT_TRUE(sc.saveFiles.lastSaveOk[0] && sc.saveFiles.lastSaveOk[1]);
  }
}

TEST(BackupWorker, ARunStoppedAtAPromptIsCarriedOnByTheNext) {
  // Stopped at disk 2 as by a crash while the list was saved (the file saved
  // last loads as nothing, the other loads), or at disk 3 that only the batch
  // needs. The next run carries the rest, nothing twice.
  struct Case {
    const char* what; size_t size; int stopAt; bool cutSave; std::vector<int64_t> pieces; int64_t carried;
  } cases[] = {{"the list being saved at disk 2", 3000000, 2, true, kThreePieces, 3000000 - 1457664},
               {"the batch still to carry", 2 * 1457664, 3, false, {1457664, 1457664}, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scenario sc;
    sc.Source("big.bin", c.size, 4);
    sc.AutoSave();
    sc.onPrompt = [&](const kst::DiskPrompt& p, bool*) {
      if (p.disk != c.stopAt || sc.prompts.size() != static_cast<size_t>(c.stopAt)) return kst::PromptAnswer::Go;
      if (c.cutSave) fs::resize_file(plat::EmuHostPath(sc.saveFiles.names[sc.saveFiles.lastAutoSaved - 1]), 700);
      return kst::PromptAnswer::Closed;
    };
    ASSERT_EQ(sc.Run().outcome, kst::BackupOutcome::Aborted);
    EXPECT_TRUE(!sc.Entry(0).busy && !sc.Entry(0).copied && sc.TemporaryEmpty());
    if (c.cutSave) {
      const int cut = sc.saveFiles.lastAutoSaved;
      kst::TransportList loaded;
      EXPECT_TRUE(!kst::LoadList(loaded, sc.saveFiles, cut, false, {}) && kst::Snapshot(loaded).entries.empty());
      ASSERT_TRUE(kst::LoadList(loaded, sc.saveFiles, 3 - cut, false, {}));
      EXPECT_EQ(kst::Snapshot(loaded).entries[0].splits.size(), 1u);
      kst::ReplaceList(sc.list, kst::Snapshot(loaded));
    }
    sc.onPrompt = nullptr;
    const kst::BackupResult r = sc.Run();
    ASSERT_EQ(r.outcome, kst::BackupOutcome::Done);
    EXPECT_EQ(sc.SplitSizes(0), c.pieces);
    EXPECT_EQ(r.carried, c.carried);
    EXPECT_EQ(sc.Disk(2), (Files{{"big.bin.002", 1457664}}));
    const int n = static_cast<int>(c.pieces.size());
    const std::string check = ExpectedCheckFile("big.bin", sc.sources["big.bin"], c.pieces);
    Files last = {{"big.bin.BAT", Size(kst::JoinBatchText("big.bin", n))}, {"big.bin.SFV", Size(check)}};
    if (n == 3) last["big.bin.003"] = 84672;
    EXPECT_TRUE(sc.Disk(3) == last && sc.DiskFile(3, "big.bin.SFV") == check);
    EXPECT_TRUE(sc.Entry(0).copied && sc.TemporaryEmpty());
  }
}

TEST(BackupWorker, CheckFileGoesOntoTheBatchsDiskOrNotAtAll) {
  // A name long enough that batch and check file need 7 clusters: the third
  // split leaves 6 (3072 bytes), room for the batch alone.
  const std::string longName = std::string(166, 'n') + ".bin";
  // stale: an earlier set's check file on disk 3; replace: the answer to "already
  // exists! Replace?"; then the disks that get the batch and the check file.
  struct Case {
    const char* what; std::string name; int64_t size; bool checkFile; std::string stale;
    int replace, batchDisk, checkDisk; bool joinBatch = true;
  } cases[] = {
      {"room for the batch, not for both", longName, 2 * 1457664 + 1454592, true, "", 0, 4, 4},
      {"no check file", "big.bin", 3000000, false, "", 0, 3, 0},
      {"no check file, the old one replaced", "big.bin", 3000000, false, "old", kst::kAnswerYes, 3, 0},
      {"no check file, the old one kept", "big.bin", 3000000, false, "old", kst::kAnswerNo, 4, 0},
      {"the old check file replaced by the new", "big.bin", 3000000, true, "old", kst::kAnswerYes, 3, 3},
      {"the old check file kept", "big.bin", 3000000, true, "old", kst::kAnswerNo, 4, 4},
      {"no batch, no check file", "big.bin", 3000000, true, "", 0, 0, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scenario sc;
    sc.Source(c.name, static_cast<size_t>(c.size), 12);
    sc.settings.checkFile = c.checkFile;
    sc.settings.joinBatch = c.joinBatch;
    sc.answers = {{44, c.replace}};
    sc.person.insertDisk = [&](const kst::DiskPrompt& p, bool* erase) {
      const kst::PromptAnswer answer = sc.InsertDisk(p, erase);
      if (p.disk == 3 && !c.stale.empty()) testenv::WriteFile("A:\\" + c.name + ".SFV", c.stale);
      return answer;
    };
    sc.onNotEmpty = [](const kst::NotEmptyPrompt&, bool*) { return kst::PromptAnswer::Go; };
    ASSERT_EQ(sc.Run().outcome, kst::BackupOutcome::Done);
    const std::vector<int64_t> sizes = sc.SplitSizes(0);
    ASSERT_EQ(sizes.size(), 3u);
    const std::string bat = c.name + ".BAT", sfv = c.name + ".SFV";
    const std::string check = ExpectedCheckFile(c.name, sc.sources[c.name], sizes);
    const size_t batch = kst::JoinBatchText(c.name, 3).size();
    ASSERT_TRUE(c.name != longName || (batch <= 3072 && (batch + 511) / 512 + (check.size() + 511) / 512 > 6));
    for (int disk = 3; disk <= 4; ++disk) {
      const Files files = sc.Disk(disk);
      EXPECT_TRUE(files.count(bat) == (disk == c.batchDisk) && files.count(c.name + ".003") == (disk == 3)) << disk;
      const std::string sfvHolds = disk == c.checkDisk ? check : disk == 3 && c.replace == kst::kAnswerNo ? c.stale : "";
      EXPECT_EQ(files.count(sfv) ? sc.DiskFile(disk, sfv) : "", sfvHolds) << disk;
    }
    EXPECT_EQ(sc.Under(44), c.stale.empty() ? 0 : 1);
  }
}

TEST(BackupWorker, AutoEraseWipesTheDriveButNeverADiskThatHoldsCarriedSplits) {
  Scenario sc;
  sc.Source("big.bin", 2000000, 6);
  sc.settings.destination = "A:\\backup";  // made once the disk is erased
  sc.settings.autoErase = true;
  ASSERT_TRUE(testenv::WriteFile("A:\\old.txt", "old") && plat::CreateFolder("A:\\keep") &&
              testenv::WriteFile("A:\\keep\\x.txt", "x"));
  // For disk 2 the person leaves disk 1 in the drive first: it holds split 1.
  sc.person.insertDisk = [&](const kst::DiskPrompt& p, bool*) {
    sc.prompts.push_back(p);
    if (sc.prompts.size() == 3) sc.PutAway(++sc.filled);
    return kst::PromptAnswer::Go;
  };
  ASSERT_EQ(sc.Run().outcome, kst::BackupOutcome::Done);
  EXPECT_EQ(sc.Told(230), sc.Text(1116));
  // Disk 1: the old content gone, the split in the folder with one backslash.
  EXPECT_EQ(sc.Disk(1), (Files{{"backup/big.bin.001", 1457664}}));
  EXPECT_FALSE(fs::exists(fs::path(sc.stack) / "disk1" / "keep"));
  EXPECT_EQ(sc.Disk(2).count("backup/big.bin.002"), 1u);
  EXPECT_EQ(kst::Trimmed(sc.Entry(0).splits[0].path), "A:\\backup\\big.bin.001");
}

TEST(BackupWorker, DiskNotEmptyPromptAcceptsTheDiskOrAborts) {
  struct Case { kst::PromptAnswer answer; int abortAnswer; kst::BackupOutcome outcome; int64_t firstSplit; } cases[] = {
      {kst::PromptAnswer::Go, 0, kst::BackupOutcome::Done, 1457664 - 512},
      {kst::PromptAnswer::Closed, 0, kst::BackupOutcome::Aborted, 0},
      {kst::PromptAnswer::Abort, kst::kAnswerYes, kst::BackupOutcome::Aborted, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.answer));
    Scenario sc;
    sc.Source("big.bin", 2000000, 8);
    sc.FirstDiskHolds("old.txt", "old");
    sc.answers = {{31, c.abortAnswer}};
    sc.onNotEmpty = [&](const kst::NotEmptyPrompt&, bool*) { return c.answer; };
    EXPECT_EQ(sc.Run().outcome, c.outcome);
    ASSERT_TRUE(!sc.notEmpty.empty() && sc.notEmpty[0].files == 1 && sc.notEmpty[0].freeBytes == 1457664 - 512);
    const std::vector<int64_t> none, pieces = {c.firstSplit, 2000000 - c.firstSplit};
    EXPECT_EQ(sc.SplitSizes(0), c.firstSplit ? pieces : none);
    EXPECT_EQ(sc.Disk(1).count("old.txt"), 1u);
  }
}

TEST(BackupWorker, CdFilesAreGatheredInAFolderPerCdAndRecordedOnTheCd) {
  // A CD the person did not burn (the run stopped at its prompt) carried nothing.
  for (const bool burn : {true, false}) {
    SCOPED_TRACE(burn);
    Scenario sc;
    sc.Source("big.bin", 3000000, 10);
    plat::CreateFolder(sc.scratch.Path("cd"));
    plat::EmuMapDrive('D', plat::EmulatedDrive{plat::EmuHostPath(sc.scratch.Path("cd")), plat::kDriveCdRom});
    sc.settings.destination = "D:\\";
    sc.settings.diskSize = kst::kFirstCdSize;
    sc.settings.margin = 10000;
    sc.person.cdSize = [](int64_t* size) {
      if (*size != kst::kFirstCdSize) return kst::PromptAnswer::Closed;
      *size = 2097152;
      return kst::PromptAnswer::Go;
    };
    std::vector<kst::FilesReadyPrompt> ready;
    std::vector<Files> burned;
    sc.person.filesReady = [&](const kst::FilesReadyPrompt& p) {
      ready.push_back(p);
      burned.emplace_back();
      for (const auto& e : fs::directory_iterator(plat::EmuHostPath(p.folder)))
        burned.back()[e.path().filename().string()] = static_cast<int64_t>(e.file_size());
      return burn ? kst::PromptAnswer::Go : kst::PromptAnswer::Closed;
    };
    const kst::BackupResult r = sc.Run();
    plat::EmuUnmapDrive('D');
    const int64_t batch = Size(kst::JoinBatchText("big.bin", 2)), check = Size(kst::CheckFileText("big.bin", {0, 0}));
    EXPECT_TRUE(r.outcome == (burn ? kst::BackupOutcome::Done : kst::BackupOutcome::Aborted) && r.carried == burn * 3000000)
        << r.carried;
    ASSERT_EQ(ready.size(), burn ? 2u : 1u);
    EXPECT_EQ(burned[0], (Files{{"big.bin.001", 2097152}}));
    EXPECT_TRUE(sc.prompts.empty() && (!burn || sc.TemporaryEmpty()));  // each CD's folder deleted once burned
    if (!burn) {
      EXPECT_TRUE(sc.Entry(0).splits.empty() && !sc.Entry(0).copied);
      continue;
    }
    EXPECT_TRUE(ready[1].cd == 2 && ready[1].bytesReady == 902848 + batch + check);
    EXPECT_EQ(burned[1], (Files{{"big.bin.002", 902848}, {"big.bin.BAT", batch}, {"big.bin.SFV", check}}));
    EXPECT_EQ(kst::Trimmed(sc.Entry(0).splits[1].path), "D:\\big.bin.002");
  }
}

TEST(BackupWorker, ChecksAtGoRefuseWithTheirMessage) {
  Scenario sc;
  sc.Source("big.bin", 3000000, 9);
  plat::EmuMapDrive('D', plat::EmulatedDrive{sc.floppy + "_d", plat::kDriveRemovable});
  using Change = std::function<void(kst::RunSettings&, kst::ListImage&)>;
  struct Case { const char* what; Change change; int heading, message; } cases[] = {
      {"margin 10%", [](auto& s, auto&) { s.margin = 145766; }, 0, 0},
      {"margin above 10%", [](auto& s, auto&) { s.margin = 145767; }, 163, 1114},
      {"negative margin", [](auto& s, auto&) { s.margin = -1; }, 163, 1114},
      {"no disk size", [](auto& s, auto&) { s.diskSize = 0; }, 163, 1114},
      {"fixed destination", [&](auto& s, auto&) { s.destination = sc.scratch.Path("x"); }, 159, 160},
      {"temporary on removable", [](auto& s, auto&) { s.temporary = "D:\\"; }, 156, 157},
      {"temporary on destination", [](auto& s, auto&) { s.temporary = "A:\\tmp"; }, 156, 1108},
      {"temporary missing", [&](auto& s, auto&) { s.temporary = sc.scratch.Path("none"); }, 156, 1115},
      {"file in temporary", [&](auto& s, auto&) { s.temporary = sc.scratch.Path("src"); }, 165, 166},
      {"file on destination", [](auto&, auto& l) { l.entries[0].path = "A:\\big.bin"; }, 1119, 1109},
      {"same names", [&](auto&, auto& l) { l.entries.push_back(l.entries[0]);
                                           l.entries[1].path = sc.scratch.Path("BIG.BIN"); }, 1119, 1111},
      {"size changed", [](auto&, auto& l) { l.entries[0].size = 5; }, 1119, 1112},
      {"1000 splits", [](auto& s, auto&) { s.diskSize = 3000; }, 1119, 1113},
      {"999 splits", [](auto& s, auto&) { s.diskSize = 3004; }, 0, 0},
      {"long path", [](auto& s, auto&) { s.destination = "A:\\" + std::string(250, 'd'); }, 1119, 1110},
      // One folder, two names: a link decides nothing.
      {"disk folder: the sources' folder through a link",
       [&](auto& s, auto&) { s.folderDisk = true; s.destination = sc.scratch.Path("srclink"); }, 1119, 1109},
      {"disk folder: the temporary folder through a link", [&](auto& s, auto&) {
         s.folderDisk = true;
         s.destination = sc.scratch.Path("disk");
         s.temporary = sc.scratch.Path("disklink");
       }, 156, 1108},
      {"temporary: the floppy through a link", [&](auto& s, auto&) { s.temporary = sc.scratch.Path("alink"); }, 156,
       1108},
      {"temporary: the sources' folder through a link",
       [&](auto& s, auto&) { s.temporary = sc.scratch.Path("srclink"); }, 165, 166},
  };
  plat::CreateFolder(sc.scratch.Path("disk"));
  const fs::path scratch = plat::EmuHostPath(sc.scratch.path);
  for (const auto& [link, target] : {std::pair{"srclink", sc.scratch.Path("src")},
                                     std::pair{"disklink", sc.scratch.Path("disk")},
                                     std::pair{"alink", std::string("A:\\")}})
    fs::create_directory_symlink(plat::EmuHostPath(target), scratch / link);
  for (const Case& c : cases) {
    kst::RunSettings s = sc.settings;
    kst::ListImage l = kst::Snapshot(sc.list);
    c.change(s, l);
    const kst::GoRefusal r = kst::CheckAtGo(s, l);
    EXPECT_EQ(std::pair(r.heading, r.message), std::pair(c.heading, c.message)) << c.what;
  }
  plat::EmuUnmapDrive('D');
  sc.settings.margin = 145767;  // a refused run writes nothing and tells why
  EXPECT_EQ(sc.Run().outcome, kst::BackupOutcome::Refused);
  EXPECT_TRUE(sc.prompts.empty() && sc.Under(163) == 1);
}

TEST(BackupWorker, FiguresCountDisksAndTime) {
  kst::RunSettings settings;  // 1457664-byte disks, no margin
  struct Case { int64_t total, done, disksDone, elapsed, disksLeft, timeLeft, eta; } cases[] = {
      {3000000, 0, 0, 5, 3, 180, 3600 + 5 + 180},  // a minute a disk until one is done
      {3000000, 1457664, 1, 100, 2, 200, 3600 + 300},  // then the pace so far
      {3000000, 3000000, 3, 300, 0, 0, 3600 + 300},
      {2915328, 1457664, 1, 86400, 1, 86400, 3600}};  // the ETA wraps at midnight
  for (const Case& c : cases) {
    const kst::BackupFigures f = kst::FiguresAt(settings, c.total, c.done, c.disksDone, 3600, c.elapsed);
    EXPECT_TRUE(f.disksLeft == c.disksLeft && f.timeLeft == c.timeLeft && f.eta == c.eta) << c.done;
  }
  EXPECT_TRUE(kst::NumberOfDisks(2 * 1457664, 1457664, 0) == 2 && kst::NumberOfDisks(1, 100, 100) == -1);
  for (const char* folder : {"A:\\backup", "A:\\backup\\\\  "}) EXPECT_EQ(kst::WithOneBackslash(folder), "A:\\backup\\");
  EXPECT_EQ(kst::WithOneBackslash("A:"), "A:\\");
}

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

  // The second run carries and verifies only the temporary entry; asked once
  // about the split of its name on that disk, the person says No.
  sc.answers = {{221, kst::kAnswerYes}, {236, kst::kAnswerNo}, {251, kst::kAnswerYes}};
  const kst::BackupResult second = RunAgain(sc, first.newTemporary);
  ASSERT_EQ(second.outcome, kst::BackupOutcome::Done);
  EXPECT_TRUE(second.redo == 0 && sc.Told(240).empty());
  EXPECT_EQ(sc.Disk(4), (Files{{"big.bin.002", 1457664}}));
  EXPECT_EQ(sc.DiskFile(4, "big.bin.002"), sc.sources["big.bin"].substr(1457664, 1457664));
  EXPECT_EQ(sc.Told(236), sc.Text(237) + " A:\\big.bin.002" + sc.Text(238) + " " + sc.Text(192) + sc.Text(239));
  // Yes to removing what is safe: the carried temporary entry goes.
  list = kst::Snapshot(sc.list);
  EXPECT_TRUE(list.entries.size() == 1 && !list.entries[0].temporary);
  EXPECT_FALSE(plat::PathExists(sc.scratch.Path("tmp\\big.bin.002")));
}

// A whole file that differs (compared through a copy in the temporary
// folder, or in place on the disk) is carried again next run. A split that
// cannot be copied from the disk, or whose copy cannot be read back, is no
// difference but not safe: it is redone.
TEST(Verification, WhatIsNotReadBackEqualIsCarriedAgain) {
  struct Case {
    const char* name; size_t size; int64_t maxSizeToCopy; plat::Fault fault = plat::Fault::OpenFails; const char* where = "";
  } cases[] = {
      {"small.bin", 300000, 300000}, {"small.bin", 300000, 299999},
      {"big.bin", 3000000, 10485760, plat::Fault::OpenFails, "A:\\big.bin.002"},
      {"big.bin", 3000000, 10485760, plat::Fault::ShortRead, "\\KST"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.maxSizeToCopy) + c.where);
    const bool whole = c.size == 300000;
    Scenario sc;
    sc.Source(c.name, c.size, 12);
    sc.settings.maxSizeToCopy = c.maxSizeToCopy;
    sc.answers = {{221, kst::kAnswerYes}, {251, whole ? kst::kAnswerYes : kst::kAnswerNo}};
    sc.verifyOrder = whole ? std::vector<int>{1} : std::vector<int>{2, 1, 3};
    sc.onPrompt = [&](const kst::DiskPrompt& p, bool*) {
      if (p.verifying && p.disk == 1 && whole) FlipByte(sc.floppy + "/small.bin", 299999);
      if (p.verifying && p.disk == 1 && !whole) plat::EmuInjectFault(c.fault, 0, c.where);
      return kst::PromptAnswer::Go;
    };
    const kst::BackupResult r = sc.Run();
    ASSERT_EQ(r.outcome, kst::BackupOutcome::Done);
    const kst::ListImage list = kst::Snapshot(sc.list);
    if (whole) {
      EXPECT_EQ(sc.Told(240), sc.Text(241) + " 300000" + sc.Text(242) + " A:\\small.bin" + sc.Text(243));
      EXPECT_EQ(sc.Told(235), sc.Text(233) + " 1" + sc.Text(234));
      ASSERT_EQ(list.entries.size(), 1u);  // not removed: it is not safe
      EXPECT_TRUE(!list.entries[0].copied && list.entries[0].splits.empty());
      continue;
    }
    EXPECT_TRUE(sc.Told(240).empty() && r.redo == 1);
    EXPECT_EQ(sc.Told(244), sc.Text(245) + "\r\n" + sc.Text(246));
    ASSERT_EQ(list.entries.size(), 2u);
    const std::vector<kst::SplitEntry>& splits = list.entries[0].splits;
    EXPECT_TRUE(splits[0].safe && !splits[1].safe && splits[1].copied && list.entries[1].temporary);
  }
}

TEST(Verification, RedoingStopsAtTheFirstSplitThatCannotBeRedoneAndALaterPassRedoesTheRest) {
  // Splits 1 and 2 differ: a full list takes split 1's redo only; a redo that
  // cannot be written ends the run; a file of split 1's redo name that the
  // person keeps stays. The next pass redoes the rest without the disks.
  // detail: after the message; listed: the temporary entries after the first
  // run; lastRedone: the split the last temporary entry holds.
  struct Case {
    size_t capacity; bool writeFails, userFile, reload; int heading, message; std::string detail; int64_t redo;
    size_t listed; int64_t redoLater; int lastRedone; kst::BackupOutcome outcome;
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
      ASSERT_TRUE(kst::SaveList(sc.list, sc.saveFiles, 1, {}) && kst::LoadList(sc.list, sc.saveFiles, 1, false, {}) &&
                  kst::SaveList(sc.list, sc.saveFiles, 2, {}));
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
