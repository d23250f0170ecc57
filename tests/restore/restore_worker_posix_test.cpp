#include "restore/restore_worker.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

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
      if (settings.deleteOrigin) EXPECT_TRUE(Floppy().empty()) << "the disk's files were not deleted";
      else EXPECT_EQ(Floppy(), fed) << "the disk in the drive was changed";
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
    bool deleteOrigin;   // answered Yes after every disk
  } cases[] = {
      {"3, 1, 2 and 2 again", {3, 1, 2, 2}, kst::kMaxSizeToCopyDefault, 3, false, false},
      {"disk 3 with the batch fed twice before the join", {3, 3, 1, 2}, kst::kMaxSizeToCopyDefault, 3, false, false},
      {"every disk fed again once joined", {3, 1, 2, 3, 1, 2}, kst::kMaxSizeToCopyDefault, 3, false, false},
      {"big splits read in place, 1, 2, 3", {1, 2, 3}, 500000, 3, true, false},
      {"big splits read in place, 1, 3, 2", {1, 3, 2}, 500000, 3, true, false},
      {"split 2 before split 1 is copied", {2, 1, 3, 2}, 500000, 3, false, false},
      {"each disk deleted after its files", {3, 1, 2}, kst::kMaxSizeToCopyDefault, 3, false, true},
  };
  for (const Case& c : cases) {
    RestoreScenario sc;
    ASSERT_TRUE(sc.ok) << c.what;
    restoretest::Person person;
    person.answers[343] = kst::kAnswerYes;
    sc.settings.deleteOrigin = c.deleteOrigin;
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
    // Only the offers to delete each disk's files were shown.
    EXPECT_EQ(person.boxes.size(), c.deleteOrigin ? 3u : 0u) << c.what;
    EXPECT_EQ(person.Under(343), c.deleteOrigin ? 3 : 0) << c.what;
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
      {"relative destination", "A:\\", "dest", false, kst::kTextNoFolders},
      {"origin on a fixed drive", dir.path, dir.Path("dest"), false, 286},
      {"any origin drive", dir.Path("dest\\x"), dir.Path("dest2"), true, 289},
      {"destination missing", "A:\\", dir.Path("nowhere"), false, 289},
      {"destination inside the origin", dir.path, dir.Path("dest"), true, kst::kTextFoldersOverlap},
  };
  for (const Case& c : cases) {
    kst::RestoreSettings s;
    s.origin = c.origin;
    s.destination = c.destination;
    s.anyOriginDrive = c.anyOriginDrive;
    EXPECT_EQ(kst::CheckRestoreAtGo(s).message, c.message) << c.what;
  }
  testenv::ReleaseFloppy();
}

// The file selection may list another origin folder; the run then copies
// from there, once that folder passes the checks of Go.
TEST(RestoreWorker, TheSelectionCanTurnToAnotherOrigin) {
  struct Case {
    const char* what;
    std::string origin;  // "" = keep A:\ .
    kst::RestoreOutcome outcome;
    std::set<std::string> copied;
    int refusals;
  } cases[] = {
      {"the origin kept", "", kst::RestoreOutcome::Done, {"one.txt", "sub/two.txt"}, 0},
      {"a sub-folder of the disk", "A:\\sub", kst::RestoreOutcome::Done, {"two.txt"}, 0},
      {"the destination itself", "dest", kst::RestoreOutcome::Aborted, {}, 1},
  };
  for (const Case& c : cases) {
    restoretest::Person person;
    testenv::PrepareFloppy();
    testenv::ScratchFolder dir;
    plat::CreateFolder(dir.Path("dest"));
    plat::CreateFolder("A:\\sub");
    testenv::WriteFile("A:\\one.txt", "one");
    testenv::WriteFile("A:\\sub\\two.txt", "two");
    kst::RestoreList list;
    kst::JobControl job;
    job.keepGoing = true;
    kst::RestoreRun run;
    run.settings.origin = "A:\\";
    run.settings.destination = dir.Path("dest");
    run.settings.copyAll = false;
    run.settings.disksToRead = 1;
    run.list = &list;
    run.job = &job;
    run.person.insertDisk = [](const kst::RestoreDiskPrompt&, bool*) { return kst::DiskAnswer::Go; };
    run.person.selectFiles = [&](std::string* origin, std::vector<kst::OriginFile>* files) {
      if (!c.origin.empty()) {
        *origin = c.origin == "dest" ? dir.Path("dest") : c.origin;
        *files = kst::ListOriginFiles(kst::OneBackslash(*origin));
      }
      return true;
    };
    const kst::RestoreResult r = kst::RunRestore(run);
    EXPECT_EQ(r.outcome, c.outcome) << c.what;
    std::set<std::string> copied;
    const fs::path dest = plat::EmuHostPath(dir.Path("dest"));
    for (const auto& e : fs::recursive_directory_iterator(dest))
      if (e.is_regular_file()) copied.insert(fs::relative(e.path(), dest).generic_string());
    EXPECT_EQ(copied, c.copied) << c.what;
    EXPECT_EQ(person.Under(285), c.refusals) << c.what;
    testenv::ReleaseFloppy();
  }
}

}  // namespace
