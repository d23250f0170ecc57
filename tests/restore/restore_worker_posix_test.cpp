#include "restore/restore_worker.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "frame/platform/emulation.h"
#include "restore/restore_texts.h"
#include "tests/backup/backup_scenario_support.h"
#include "tests/restore/restore_test_support.h"

namespace {

namespace fs = std::filesystem;

// The three files of a Split &/Or Copy run on three floppies: disk 1
// small.bin and big.bin.001, disk 2 big.bin.002, disk 3 big.bin.003, the
// batch and mid.bin.
struct RestoreScenario {
  RestoreScenario() {
    backup.Source("small.bin", 300000, 1);
    backup.Source("big.bin", 3000000, 2);
    backup.Source("mid.bin", 700000, 3);
    ok = backup.Run().outcome == kst::BackupOutcome::Done && backup.filled == 3;
    plat::CreateFolder(backup.scratch.Path("dest"));
    settings.origin = "A:\\";
    settings.destination = backup.scratch.Path("dest");  // without its backslash
    job.keepGoing = true;
    person.insertDisk = [this](const kst::RestoreDiskPrompt& p, bool*) {
      prompts.push_back(p);
      EXPECT_EQ(Floppy(), fed) << "the disk in the drive was changed";
      for (const auto& e : fs::directory_iterator(backup.floppy)) fs::remove_all(e.path());
      fed.clear();
      if (next >= order.size()) return kst::DiskAnswer::Closed;
      const fs::path disk = fs::path(backup.stack) / ("disk" + std::to_string(order[next++]));
      for (const auto& e : fs::directory_iterator(disk)) fs::copy(e.path(), fs::path(backup.floppy) / e.path().filename());
      fed = Floppy();
      return kst::DiskAnswer::Go;
    };
  }
  std::map<std::string, std::string> Floppy() const {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(backup.floppy))
      files[e.path().filename().string()] = testenv::ReadFile(plat::EmuWindowsPath(e.path().string()));
    return files;
  }
  kst::RestoreResult Run() {
    kst::RestoreRun run;
    run.settings = settings;
    run.list = &list;
    run.job = &job;
    run.person = person;
    return kst::RunRestore(run);
  }
  // The destination's files and their bytes.
  std::map<std::string, std::string> Destination() const {
    std::map<std::string, std::string> files;
    const fs::path dest = plat::EmuHostPath(backup.scratch.Path("dest"));
    for (const auto& e : fs::recursive_directory_iterator(dest))
      if (e.is_regular_file())
        files[fs::relative(e.path(), dest).string()] = testenv::ReadFile(plat::EmuWindowsPath(e.path().string()));
    return files;
  }

  backuptest::Scenario backup;
  bool ok = false;
  kst::RestoreSettings settings;
  kst::RestoreList list;
  kst::JobControl job;
  kst::RestorePerson person;
  std::vector<int> order;
  size_t next = 0;
  std::vector<kst::RestoreDiskPrompt> prompts;
  std::map<std::string, std::string> fed;
};

TEST(RestoreWorker, DisksFedInAnyOrderGiveBackEveryFileWhole) {
  struct Case {
    const char* what;
    std::vector<int> order;
    int64_t maxSizeToCopy;
    int disksDone;
    bool split2InPlace;  // big.bin.002 never lands in the destination
  } cases[] = {
      {"3, 1, 2 and 2 again", {3, 1, 2, 2}, kst::kMaxSizeToCopyDefault, 3, false},
      {"big splits read in place, 1, 2, 3", {1, 2, 3}, 500000, 3, true},
      {"big splits read in place, 1, 3, 2", {1, 3, 2}, 500000, 3, true},
      {"split 2 before split 1 is copied", {2, 1, 3, 2}, 500000, 3, false},
  };
  for (const Case& c : cases) {
    RestoreScenario sc;
    ASSERT_TRUE(sc.ok) << c.what;
    restoretest::Person person;
    sc.order = c.order;
    sc.settings.maxSizeToCopy = c.maxSizeToCopy;
    if (c.split2InPlace) plat::EmuInjectFault(plat::Fault::OpenFails, 0, "dest\\big.bin.002");
    const kst::RestoreResult r = sc.Run();
    plat::EmuClearFaults();
    EXPECT_EQ(r.outcome, kst::RestoreOutcome::Done) << c.what;
    EXPECT_EQ(r.figures.disksDone, c.disksDone) << c.what;
    const std::map<std::string, std::string> expected = {{"small.bin", sc.backup.sources["small.bin"]},
                                                         {"big.bin", sc.backup.sources["big.bin"]},
                                                         {"mid.bin", sc.backup.sources["mid.bin"]}};
    EXPECT_TRUE(sc.Destination() == expected) << c.what;
    for (const std::string& row : kst::RecordRows(sc.list))
      EXPECT_NE(row.find(" -- Joined"), std::string::npos) << c.what << ": " << row;
    EXPECT_TRUE(person.boxes.empty()) << c.what << ": " << person.boxes[0].message;
  }
}

TEST(RestoreWorker, TheOriginIsDeletedOnlyWhenAllItsFilesWereTaken) {
  struct Case {
    const char* what;
    std::vector<int> order;
    int answer;
    int offers;
    bool lastDiskEmptied;
  } cases[] = {
      {"each disk, Yes", {3, 1, 2}, kst::kAnswerYes, 3, true},
      {"each disk, No", {1, 2, 3}, kst::kAnswerNo, 3, false},
  };
  for (const Case& c : cases) {
    RestoreScenario sc;
    ASSERT_TRUE(sc.ok);
    restoretest::Person person;
    person.answers[343] = c.answer;
    sc.order = c.order;
    sc.settings.deleteOrigin = true;
    std::vector<size_t> onFloppy;
    auto insert = sc.person.insertDisk;
    sc.person.insertDisk = [&](const kst::RestoreDiskPrompt& p, bool* copyAll) {
      onFloppy.push_back(sc.Floppy().size());
      sc.fed = sc.Floppy();
      return insert(p, copyAll);
    };
    EXPECT_EQ(sc.Run().outcome, kst::RestoreOutcome::Done) << c.what;
    EXPECT_EQ(person.Under(343), c.offers) << c.what;
    ASSERT_EQ(onFloppy.size(), 4u);
    EXPECT_EQ(onFloppy.back() == 0, c.lastDiskEmptied) << c.what;
    EXPECT_EQ(sc.Destination().size(), 3u) << c.what;
  }
}

TEST(RestoreWorker, RunsStartOnlyWithTwoSoundFolders) {
  restoretest::Person person;
  testenv::PrepareFloppy();
  testenv::ScratchFolder dir;
  plat::CreateFolder(dir.Path("dest"));
  struct Case {
    const char* what;
    std::string origin, destination;
    bool anyOriginDrive;
    int message;
  } cases[] = {
      {"sound", "A:\\", dir.Path("dest"), false, 0},
      {"sound, backslashes doubled", "A:\\\\", dir.Path("dest") + "\\\\", false, 0},
      {"blank destination", "A:\\", "", false, kst::kTextNoFolders},
      {"blank origin", "  ", dir.Path("dest"), false, kst::kTextNoFolders},
      {"relative destination", "A:\\", "dest", false, kst::kTextNoFolders},
      {"origin on a fixed drive", dir.path, dir.Path("dest"), false, 286},
      {"any origin drive", dir.Path("dest\\x"), dir.Path("dest2"), true, 289},
      {"destination missing", "A:\\", dir.Path("nowhere"), false, 289},
      {"destination on the floppy", "A:\\", "A:\\", false, 289},
      {"destination inside the origin", dir.path, dir.Path("dest"), true, kst::kTextFoldersOverlap},
  };
  for (const Case& c : cases) {
    kst::RestoreSettings s;
    s.origin = c.origin;
    s.destination = c.destination;
    s.anyOriginDrive = c.anyOriginDrive;
    EXPECT_EQ(kst::CheckRestoreAtGo(s).message, c.message) << c.what;
  }
  // A refused run asks for no disk.
  kst::RestoreList list;
  kst::JobControl job;
  job.keepGoing = true;
  kst::RestoreRun run;
  run.list = &list;
  run.job = &job;
  int prompts = 0;
  run.person.insertDisk = [&](const kst::RestoreDiskPrompt&, bool*) { return ++prompts, kst::DiskAnswer::Closed; };
  EXPECT_EQ(kst::RunRestore(run).outcome, kst::RestoreOutcome::Refused);
  EXPECT_EQ(prompts, 0);
  EXPECT_EQ(person.Under(304), 1);
  testenv::ReleaseFloppy();
}

}  // namespace
