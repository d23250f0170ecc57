#include "restore/restore_worker.h"

#include <gtest/gtest.h>

#include "frame/files/partial_files.h"
#include "restore/restore_names.h"
#include "restore/restore_texts.h"
#include "tests/restore/restore_test_support.h"

namespace {

namespace fs = std::filesystem;
using Disk = std::map<std::string, std::string>;  // name (below the folder) -> bytes

Disk FilesIn(const fs::path& folder) {
  Disk files;
  for (const auto& e : fs::recursive_directory_iterator(folder))
    if (e.is_regular_file())
      files[fs::relative(e.path(), folder).generic_string()] = testenv::ReadFile(plat::EmuWindowsPath(e.path().string()));
  return files;
}

// Disks given one after another in drive A:, which the run never changes
// (with deleteOrigin, empties). The shell's replace question is counted.
struct DiskFeed {
  DiskFeed() {
    testenv::PrepareFloppy();
    plat::CreateFolder(dir.Path("dest"));
    plat::EmuSetShellReplaceQuestion([this](const std::string&) {
      ++shellQuestions;
      return shellYes;
    });
  }
  ~DiskFeed() {
    plat::EmuSetShellReplaceQuestion(nullptr);
    testenv::ReleaseFloppy();
  }
  kst::RestoreResult Run(const std::vector<Disk>& disks) {
    kst::RestoreRun run;
    run.settings = settings;
    run.settings.origin = "A:\\";
    run.settings.destination = dir.Path("dest");  // without its backslash
    run.list = &list;
    run.job = &job;
    run.person = person;
    job.keepGoing = true;
    size_t next = 0;
    run.person.insertDisk = [&](const kst::RestoreDiskPrompt&, bool*) {
      ++prompts;
      const fs::path drive = plat::EmuHostPath("A:\\");
      EXPECT_TRUE(next == 0 || FilesIn(drive) == (settings.deleteOrigin ? Disk() : disks[next - 1])) << next;
      if (next >= disks.size()) return kst::DiskAnswer::Closed;
      for (const auto& e : fs::directory_iterator(drive)) fs::remove_all(e.path());
      for (const auto& [name, bytes] : disks[next++]) {
        if (name.find('/') != std::string::npos) plat::CreateFolder("A:\\" + name.substr(0, name.find('/')));
        testenv::WriteFile("A:\\" + name, bytes);
      }
      return kst::DiskAnswer::Go;
    };
    return kst::RunRestore(run);
  }
  std::string Dest(const std::string& name) const { return dir.Path("dest\\" + name); }
  Disk Destination() const { return FilesIn(plat::EmuHostPath(dir.Path("dest"))); }

  restoretest::Person boxes;
  testenv::ScratchFolder dir;
  kst::RestoreSettings settings;
  kst::RestoreList list;
  kst::JobControl job;
  kst::RestorePerson person;
  int prompts = 0, shellQuestions = 0;
  bool shellYes = false;
};

TEST(RestoreWorker, DisksFedInAnyOrderGiveBackEveryFileWhole) {
  // Three files backed up onto three floppies, big.bin in three splits.
  std::vector<Disk> disks;
  Disk sources;
  {
    backuptest::Scenario backup;
    for (const auto& [name, size] : {std::pair{"small.bin", 300000}, {"big.bin", 3000000}, {"mid.bin", 700000}})
      backup.Source(name, static_cast<size_t>(size), static_cast<uint32_t>(size));
    ASSERT_EQ(backup.Run().outcome, kst::BackupOutcome::Done);
    ASSERT_EQ(backup.filled, 3);
    for (int k = 1; k <= 3; ++k) disks.push_back(FilesIn(fs::path(backup.stack) / ("disk" + std::to_string(k))));
    sources = Disk(backup.sources.begin(), backup.sources.end());
  }
  // split2InPlace: big.bin.002 never lands in the destination; deleteOrigin:
  // Yes after every disk.
  const int64_t all = kst::kMaxSizeToCopyDefault;
  struct Case { const char* what; std::vector<int> order; int64_t maxSizeToCopy; bool split2InPlace, deleteOrigin; } cases[] = {
      {"3, 1, 2 and 2 again", {3, 1, 2, 2}, all, false, false},
      {"disk 3 with the batch fed twice before the join", {3, 3, 1, 2}, all, false, false},
      {"every disk fed again once joined", {3, 1, 2, 3, 1, 2}, all, false, false},
      {"big splits read in place, 1, 2, 3", {1, 2, 3}, 500000, true, false},
      {"big splits read in place, 1, 3, 2", {1, 3, 2}, 500000, true, false},
      {"split 2 before split 1 is copied", {2, 1, 3, 2}, 500000, false, false},
      {"each disk deleted after its files", {3, 1, 2}, all, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DiskFeed feed;
    feed.boxes.answers[343] = kst::kAnswerYes;
    feed.settings.deleteOrigin = c.deleteOrigin;
    feed.settings.maxSizeToCopy = c.maxSizeToCopy;
    std::vector<Disk> fed;
    for (int k : c.order) fed.push_back(disks[static_cast<size_t>(k - 1)]);
    if (c.split2InPlace) plat::EmuInjectFault(plat::Fault::OpenFails, 0, "dest\\big.bin.002.~ks");
    const kst::RestoreResult r = feed.Run(fed);
    plat::EmuClearFaults();
    EXPECT_TRUE(r.outcome == kst::RestoreOutcome::Done && r.figures.disksDone == 3);
    EXPECT_TRUE(feed.Destination() == sources);
    for (const std::string& row : kst::RecordRows(feed.list)) EXPECT_NE(row.find(" -- Joined"), std::string::npos) << row;
    // Only the offers to delete each disk's files were shown.
    EXPECT_TRUE(feed.boxes.boxes.size() == 3u * c.deleteOrigin && feed.boxes.Under(343) == 3 * c.deleteOrigin);
  }
}

TEST(RestoreWorker, RunsStartOnlyWithTwoSoundFolders) {
  DiskFeed feed;
  const testenv::ScratchFolder& dir = feed.dir;
  ASSERT_TRUE(plat::CreateFolder(dir.Path("o")) && plat::CreateFolder(dir.Path("o\\sub")));
  const std::string host = plat::EmuHostPath(dir.path);
  fs::create_directory_symlink(host + "/dest", host + "/link");
  fs::create_directory_symlink(host + "/o/sub", host + "/lsub");
  struct Case { const char* what; std::string origin, destination; bool anyOriginDrive; int message; } cases[] = {
      {"sound", "A:\\", dir.Path("dest"), false, 0},
      {"sound, backslashes doubled", "A:\\\\", dir.Path("dest") + "\\\\", false, 0},
      {"blank destination", "A:\\", "", false, kst::kTextNoFolders},
      {"relative destination", "A:\\", "dest", false, kst::kTextNoFolders},
      {"origin on a fixed drive", dir.path, dir.Path("dest"), false, 286},
      {"any origin drive", dir.Path("dest\\x"), dir.Path("dest2"), true, 289},
      {"destination missing", "A:\\", dir.Path("nowhere"), false, 289},
      {"destination inside the origin", dir.path, dir.Path("dest"), true, kst::kTextFoldersOverlap},
      {"origin a link to the destination", dir.Path("link"), dir.Path("dest"), true, kst::kTextFoldersOverlap},
      {"destination a link into the origin", dir.Path("o"), dir.Path("lsub"), true, kst::kTextFoldersOverlap},
  };
  for (const Case& c : cases) {
    kst::RestoreSettings s;
    s.origin = c.origin;
    s.destination = c.destination;
    s.anyOriginDrive = c.anyOriginDrive;
    EXPECT_EQ(kst::CheckRestoreAtGo(s).message, c.message) << c.what;
  }
}

TEST(RestoreWorker, NeverReplacesAFileOfTheDestinationUnasked) {
  const std::string batch = kst::JoinBatchText("j.bin", 2);
  // before: in the destination ("link:" + a path on A: links to it); ownAnswer:
  // to the person's own question (kestrova-cli), -1 for none; name and bytes:
  // what the destination holds at the end; row: of name's record, "" for none.
  struct Case {
    const char* what; Disk before; std::vector<Disk> disks; bool shellYes; int ownAnswer;
    std::string name, bytes; int shellQuestions; size_t kept; const char* row;
  } cases[] = {
      {"a user's report.txt, the shell's No", {{"report.txt", "user"}}, {{{"report.txt", "disk"}}}, false, -1,
       "report.txt", "user", 1, 1, ""},
      {"a user's report.txt, the shell's Yes", {{"report.txt", "user"}}, {{{"report.txt", "disk"}}}, true, -1,
       "report.txt", "disk", 1, 0, "Joined"},
      {"a user's report.txt, the person's own No", {{"report.txt", "user"}}, {{{"report.txt", "disk"}}}, true,
       kst::kAnswerNo, "report.txt", "user", 0, 1, ""},
      {"a user's report.txt, the person's own Yes", {{"report.txt", "user"}}, {{{"report.txt", "disk"}}}, false,
       kst::kAnswerYes, "report.txt", "disk", 0, 0, "Joined"},
      {"two disks carry notes.txt", {}, {{{"notes.txt", "first"}}, {{"notes.txt", "second"}}}, false, -1,
       "notes.txt", "first", 1, 1, "Joined"},
      {"the same bytes again", {{"a.txt", "same"}}, {{{"a.txt", "same"}}}, false, -1, "a.txt", "same", 0, 0,
       "Joined"},
      {"a joined file, then a plain file of its name", {},
       {{{"j.bin.001", "ab"}, {"j.bin.002", "cd"}, {"j.bin.BAT", batch}}, {{"j.bin", "plain"}}}, false, -1,
       "j.bin", "abcd", 1, 1, " -- 4 -- 2 -- No Batch -- Joined"},
      {"the destination's file is the disk's file", {{"l.txt", "link:A:\\l.txt"}}, {{{"l.txt", "disk"}}},
       false, -1, "l.txt", "disk", 0, 0, ""},
      {"a partial file on the disk", {}, {{{"x.bin.~ks", "half"}, {"y.txt", "y"}}}, false, -1, "x.bin.~ks", "",
       0, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DiskFeed feed;
    feed.shellYes = c.shellYes;
    if (c.ownAnswer >= 0) feed.person.replaceFile = [&](const std::string&) { return c.ownAnswer == kst::kAnswerYes; };
    for (const auto& [name, bytes] : c.before) {
      if (bytes.rfind("link:", 0) == 0) {
        testenv::WriteFile(bytes.substr(5), "disk");
        fs::create_symlink(plat::EmuHostPath(bytes.substr(5)), plat::EmuHostPath(feed.Dest(name)));
      } else {
        testenv::WriteFile(feed.Dest(name), bytes);
      }
    }
    const kst::RestoreResult r = feed.Run(c.disks);
    EXPECT_EQ(r.outcome, kst::RestoreOutcome::Done);
    bool ok = false;
    EXPECT_EQ(testenv::ReadFile(feed.Dest(c.name), &ok), c.bytes);
    EXPECT_EQ(ok, !c.bytes.empty());
    EXPECT_TRUE(feed.shellQuestions == c.shellQuestions && r.kept.size() == c.kept);
    std::string row;
    for (const std::string& x : kst::RecordRows(feed.list))
      if (x.rfind(feed.Dest(c.name) + " -- ", 0) == 0) row = x;
    EXPECT_TRUE(row.find(c.row) != std::string::npos && row.empty() == (*c.row == 0)) << row;
    for (const auto& [name, bytes] : feed.Destination()) EXPECT_FALSE(kst::IsPartialName(name)) << name;
  }
}

// A restore stopped between disks leaves split 1 under a name that says
// how far it has grown; a new run (a new list) goes on from there.
TEST(RestoreWorker, ARunStoppedBetweenDisksGoesOnWhereItStopped) {
  const std::string bytes = testenv::PatternBytes(3000, 61);
  const std::vector<Disk> disks = {{{"big.bin.001", bytes.substr(0, 1000)}},
                                   {{"big.bin.002", bytes.substr(1000, 1000)}},
                                   {{"big.bin.003", bytes.substr(2000)}, {"big.bin.BAT", kst::JoinBatchText("big.bin", 3)}},
                                   {{"big.bin.002", bytes.substr(1000, 600)}}};  // cut short by an older run
  // cutOffWrite: a killed append left bytes behind the grown file's count;
  // whole: false when the file must not be taken for whole.
  struct Case { const char* what; std::vector<int> first, then; bool cutOffWrite, whole = true; } cases[] = {
      {"stopped after disk 2, then disk 3", {0, 1}, {2}, false},
      {"stopped after disk 2, then disks 2 and 3", {0, 1}, {1, 2}, false},
      {"stopped after disk 2 in a cut-off write, then disk 3", {0, 1}, {2}, true},
      {"stopped after disk 1, then disks 3 and 2", {0}, {2, 1}, false},
      {"split 1 copied after the others", {2, 1}, {0}, false},
      {"a stale short split 2 after the whole one", {0, 1, 3}, {2}, false},
      {"a stale short split 2 before the whole one", {0, 3, 1, 2}, {}, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DiskFeed feed;
    feed.settings.maxSizeToCopy = 500;  // splits 2 and 3 are read in place when they can be
    std::vector<Disk> first, then;
    for (int k : c.first) first.push_back(disks[static_cast<size_t>(k)]);
    for (int k : c.then) then.push_back(disks[static_cast<size_t>(k)]);
    EXPECT_EQ(feed.Run(first).outcome, c.whole ? kst::RestoreOutcome::Done : kst::RestoreOutcome::Failed);
    // Split 1 under its real name holds split 1 only, and there is no whole file yet.
    EXPECT_TRUE(plat::SizeOfPath(feed.Dest("big.bin.001")) <= 1000 && !plat::PathExists(feed.Dest("big.bin")));
    const std::string grown = kst::GrownName(feed.Dest("big.bin"), 2, 2000);
    if (c.cutOffWrite) testenv::WriteFile(grown, testenv::ReadFile(grown) + "cut off");
    kst::RestoreList fresh;
    std::swap(feed.list.records, fresh.records);
    const kst::RestoreOutcome outcome = feed.Run(then).outcome;
    if (!c.whole) {
      EXPECT_TRUE(!plat::PathExists(feed.Dest("big.bin")) && feed.boxes.Under(kst::kTextOtherFileHeading) == 1);
      continue;
    }
    EXPECT_EQ(outcome, kst::RestoreOutcome::Done);
    EXPECT_TRUE(feed.Destination() == (Disk{{"big.bin", bytes}}) && feed.boxes.boxes.empty());
    const std::vector<std::string> rows = kst::RecordRows(feed.list);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_NE(rows[0].find(" -- 3000 -- 3 -- No Batch -- Joined"), std::string::npos) << rows[0];
  }
}

// A disk that brings nothing new is asked for again, but not for ever. The
// file selection (origin given) may turn to another origin folder ("" keeps
// A:\); the run copies from there once that folder passes the checks of Go.
TEST(RestoreWorker, ADiskIsReadFromTheOriginChosenAndOneThatBringsNothingNewEndsTheRun) {
  const Disk a = {{"a.txt", "a"}}, b = {{"b.txt", "b"}}, partial = {{"x.bin.~ks", "half"}};
  const Disk both = {{"one.txt", "one"}, {"sub/two.txt", "two"}};
  using O = kst::RestoreOutcome;
  struct Case {
    const char* what; std::vector<Disk> disks; O outcome; int prompts; Disk copied; const char* origin = nullptr;
  } cases[] = {
      {"the same disk for ever", std::vector<Disk>(20, a), O::GaveUp, 4, a},
      {"an empty disk for ever", std::vector<Disk>(20, Disk()), O::GaveUp, 3, {}},
      {"only a partial file for ever", std::vector<Disk>(20, partial), O::GaveUp, 3, {}},
      {"two disks taking turns", {a, b, a, b, a, b, a}, O::Done, 8, {{"a.txt", "a"}, {"b.txt", "b"}}},
      {"the origin kept", {both}, O::Done, 1, both, ""},
      {"a sub-folder of the disk", {both}, O::Done, 1, {{"two.txt", "two"}}, "A:\\sub"},
      {"the destination itself", {both}, O::Aborted, 1, {}, "dest"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DiskFeed feed;
    if (c.origin) {
      feed.settings.copyAll = false;
      feed.settings.disksToRead = 1;
      feed.person.selectFiles = [&](std::string* origin, std::vector<kst::OriginFile>* files) {
        if (*c.origin) *origin = std::string(c.origin) == "dest" ? feed.dir.Path("dest") : c.origin;
        if (*c.origin) *files = kst::ListOriginFiles(kst::OneBackslash(*origin));
        return true;
      };
    }
    EXPECT_EQ(feed.Run(c.disks).outcome, c.outcome);
    EXPECT_TRUE(feed.prompts == c.prompts && feed.Destination() == c.copied) << feed.prompts;
    EXPECT_EQ(feed.boxes.Under(kst::kTextNothingNewHeading), c.outcome == O::GaveUp ? 1 : 0);
    EXPECT_EQ(feed.boxes.Under(285), c.outcome == O::Aborted ? 1 : 0);
  }
}

// A join that fails or is stopped joins the exact file once the fault is
// gone; a damaged split (found by the set's check file) waits for a copy.
TEST(JoinMainFile, AFailedOrStoppedJoinRollsBackAndJoinsWholeLater) {
  enum Fault { DiskFullOnSecondAppend, HalfWritten, ShortRead, MissingSplit3, Abort, DamagedSplit3 };
  struct Case { const char* what; Fault fault; kst::JoinOutcome outcome; } faults[] = {
      {"full disk", DiskFullOnSecondAppend, kst::JoinOutcome::Failed},
      {"half of a split written", HalfWritten, kst::JoinOutcome::Failed},
      {"short read", ShortRead, kst::JoinOutcome::Failed},
      {"split 3 missing", MissingSplit3, kst::JoinOutcome::Failed},
      {"abort", Abort, kst::JoinOutcome::Stopped},
      {"byte flipped in split 3", DamagedSplit3, kst::JoinOutcome::Damaged},
  };
  for (size_t k = 0; k < 2 * std::size(faults); ++k) {  // each with delete on, then off
    const Case& c = faults[k / 2];
    const bool del = k % 2 == 0;
    SCOPED_TRACE(std::string(c.what) + (del ? ", delete on" : ", delete off"));
    restoretest::JoinBench b(true);
    const std::string split3 = b.file.splits[2];
    if (c.fault == DiskFullOnSecondAppend) plat::EmuInjectFault(plat::Fault::DiskFull, 1, "big.bin");
    if (c.fault == HalfWritten) plat::EmuInjectFault(plat::Fault::ShortWrite, 1, "big.bin");
    if (c.fault == ShortRead) plat::EmuInjectFault(plat::Fault::ShortRead, 0, "big.bin.003");
    if (c.fault == MissingSplit3) plat::DeleteOneFile(split3);
    if (c.fault == Abort) b.bar.setPosition = [&b](int position) {
        if (position == 2) kst::AbortJob(b.job);
      };
    const std::string damaged = c.fault == DamagedSplit3 ? restoretest::Damage(split3) : "";
    EXPECT_EQ(b.Join(del), c.outcome);
    plat::EmuClearFaults();
    kst::RestoreRecord r = restoretest::Record(b.list, b.id);
    EXPECT_TRUE(!r.joined && !r.busy && !b.Exists(b.Target()));
    // With delete on, split 1 grown by split 2 is never under a real name.
    const std::string grown = kst::GrownName(b.dir.Path("big.bin"), 2, 2000);
    EXPECT_TRUE(plat::SizeOfPath(del ? grown : b.file.splits[0]) == (del ? 2000 : 1000) && b.Exists(b.file.splits[0]) == !del);
    // Bytes a killed write left behind the name's count are cut off again.
    if (del) testenv::WriteFile(grown, testenv::ReadFile(grown) + "stale tail of a cut-off write");
    EXPECT_EQ(b.Exists(b.file.splits[1]), !del);
    const bool damage = c.fault == DamagedSplit3;
    EXPECT_EQ(b.person.Under(993), c.fault == Abort || damage ? 0 : 1);
    EXPECT_TRUE(b.person.Under(kst::kTextDamagedHeading) == damage && (r.slots[2].state == kst::SlotState::Damaged) == damage);
    // A damaged split is left in place, and the join waits for another copy.
    EXPECT_TRUE(!damage || (testenv::ReadFile(split3) == damaged && b.Join(del) != kst::JoinOutcome::Joined));

    // The fault cleared: the next join gives the file.
    if (c.fault == MissingSplit3 || damage) testenv::WriteFile(split3, b.file.bytes.substr(2000, 1000));
    if (damage) restoretest::Add(b.list, split3, kst::AddSource::Copied);
    b.bar.setPosition = nullptr;
    b.job.keepGoing = true;
    EXPECT_EQ(b.Join(del), kst::JoinOutcome::Joined);
    EXPECT_EQ(testenv::ReadFile(b.Target()), b.file.bytes);
    for (const std::string& kept : {b.file.batch, b.file.check}) EXPECT_EQ(b.Exists(kept), !del) << kept;
    for (const std::string& kept : b.file.splits) EXPECT_EQ(b.Exists(kept), !del) << kept;
    EXPECT_TRUE(restoretest::Record(b.list, b.id).joined && kst::Totals(b.list).fileCount == 1);
  }
}

}  // namespace
