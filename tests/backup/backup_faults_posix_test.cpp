// Backup runs and save list files that the disks, the sources, the
// temporary folder or the person let down (faults injected by the
// emulation): nothing half-written under a real name, no split recorded that
// is not whole, no file of the person's replaced unasked or deleted.
#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "backup/list_checks.h"
#include "frame/files/partial_files.h"
#include "tests/backup/backup_scenario_support.h"

namespace {

using backuptest::Bytes;
using backuptest::Files;
using backuptest::kThreePieces;
using backuptest::Scenario;
using plat::Fault;
using testenv::ReadFile;
using testenv::WriteFile;
namespace fs = std::filesystem;

struct Killed {};  // the process ends here: nothing after it runs

// The reason a box adds after its text: the file and the system's words.
std::string Reason(const std::string& path, uint32_t code) { return "\r\n" + path + ": " + plat::ErrorText(code); }

TEST(BackupFaults, AWriteTheDiskCutsShortIsDeletedAndItsPieceCarriedWholeOnTheNextDisk) {
  // A write that takes half of what it was given, through the temporary
  // folder and straight onto the disk: nothing of the run on that disk yet,
  // it counts as full. A full disk under a direct write: small.bin is on it,
  // it is kept.
  struct Case { const char* what; int64_t maxSizeToCopy; bool small; Fault fault; int skip; const char* where; int message; }
  cases[] = {{"cut short through the temporary folder", 10485760, false, Fault::ShortWrite, 0, "A:\\big.bin.001", 220},
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
  struct Case { int64_t maxSizeToCopy; bool kill, sameDisk; } cases[] = {
      {10485760, false, false}, {0, false, false}, {0, true, true}, {10485760, true, false}};
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
    if (c.sameDisk) {
      sc.prompts.clear();
      sc.FirstDiskHolds("", "");
    }
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
  // told: null when the run is done.
  struct Case { const char* what; int64_t maxSizeToCopy; std::function<void(Scenario&)> arrange;
                std::function<std::string(Scenario&)> told; };
  auto src = [](Scenario& sc) { return sc.scratch.Path("src\\big.bin"); };
  auto tmp = [](Scenario& sc, const std::string& name) { return sc.scratch.Path("tmp\\" + name); };
  auto userFileOnDisk = [](Scenario& sc, int answer) {
    sc.answers = {{44, answer}};
    sc.FirstDiskHolds("big.bin.001", "mine");
  };
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

struct SaveListFaultTest : backuptest::SaveFilesTest {
  SaveListFaultTest() { kst::AddToTransportList(list, "C:\\DATA\\big.bin", 3000000); }
  void TearDown() override { plat::EmuClearFaults(); }
  backuptest::ScriptedPerson person;
};

TEST_F(SaveListFaultTest, FailedSavesAreRetriedOnTheSameFileAndFailedLoadsEmptyTheList) {
  ASSERT_TRUE(kst::AutoSaveList(list, files, owner) && kst::AutoSaveList(list, files, owner));
  const std::string good = ReadFile(files.names[0]);
  // pressed: Save for the second file instead of an automatic save.
  struct Case { Fault fault; int skip, message; bool pressed; } cases[] = {
      {Fault::OpenFails, 0, 196, false},  // emptying the old file
      {Fault::OpenFails, 1, 197, false},  // opening it for the write
      {Fault::ShortWrite, 0, 198, false}, {Fault::DiskFull, 0, 198, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    savingCalls.clear();
    if (c.pressed) files.lastAutoSaved = 2;
    plat::EmuInjectFault(c.fault, c.skip, "second.lst");
    EXPECT_FALSE(c.pressed ? kst::SavePressed(list, files, 2, owner) : kst::AutoSaveList(list, files, owner));
    plat::EmuClearFaults();
    EXPECT_TRUE(person.Said(195, c.message) && !files.saving && !files.lastSaveOk[1]);
    EXPECT_EQ(savingCalls, (std::vector<bool>{true, false}));
    EXPECT_EQ(kst::NextAutoSaveFile(files), 2) << "the next save must not truncate the first file";
    EXPECT_EQ(ReadFile(files.names[0]), good);
  }
  // The retry, from another thread, is not held up by the failures before.
  bool saved = false;
  std::thread other([&] { saved = kst::AutoSaveList(list, files, owner); });
  other.join();
  EXPECT_TRUE(saved && files.lastSaveOk[1]);
  EXPECT_EQ(ReadFile(files.names[1]), good);
  // A load that cannot open the file or read it whole empties the list.
  for (auto [fault, message] : {std::pair{Fault::OpenFails, 200}, std::pair{Fault::ShortRead, 201}}) {
    kst::AddToTransportList(list, "C:\\DATA\\other.bin", 5);
    plat::EmuInjectFault(fault, 0, "first.lst");
    EXPECT_FALSE(kst::LoadList(list, files, 1, false, owner));
    plat::EmuClearFaults();
    EXPECT_TRUE(person.Said(199, message) && list.image.entries.empty()) << message;
  }
}

// A list saved after a verification found split 2 different, one byte (or
// the redo's path) changed at a time: a temporary entry that is not the
// run's own redo, or splits that do not make up a copied file, refuse it.
TEST_F(SaveListFaultTest, DamagedListsAreRefusedBeforeTheyCanDeleteAFile) {
  auto at = [&](const std::string& name) { return scratch.Path(name); };
  const std::string source = at("src\\big.bin"), redo = at("tmp\\big.bin.002"), kst = at("tmp\\KST1.tmp\\");
  ASSERT_TRUE(plat::CreateFolder(at("src")) && plat::CreateFolder(at("tmp")) && plat::CreateFolder(kst));
  for (const std::string& path : {redo, at("src\\big.bin.002"), kst + "big.bin.002"})
    ASSERT_TRUE(WriteFile(path, std::string(1400, 'r')));
  ASSERT_TRUE(WriteFile(source, testenv::PatternBytes(3000, 7)));
  std::filesystem::create_symlink(plat::EmuHostPath(source), plat::EmuHostPath(at("tmp\\big.bin.001")));
  const std::string sound = Bytes().Header(2, 1885, "A:\\", kst).File(source, 3000, 3, 1, 0, 0)
                                .Split("A:\\big.bin.001", 1400, 1, 1).Split("A:\\big.bin.002", 1400, 0, 1)
                                .Split("A:\\big.bin.003", 200, 1, 1).File(redo, 1400, 0, 0, 0, 1).data;
  constexpr size_t kFile = 525, kSplit2 = 525 + 275 + 270, kRedo = 525 + 275 + 3 * 270;
  // at: the byte changed; message: 0 when the list loads; faulty: the entry
  // the refusal names; redoPath: another path for the redo.
  struct Case {
    const char* what; size_t at; char value; int message; std::string faulty, redoPath = ""; int64_t redoSize = 1400;
  } cases[] = {
      {"the source's temporary flag", kFile + 274, 1, 1476, source},
      {"the source's size", kFile + 260, '\xB9', 1475, source},
      {"the source's name", kFile + source.size() - 6, 'o', 1475, at("src\\bog.bin")},
      {"a split's size", kSplit2 + 260, 0x70, 1475, source},
      {"a split's number", kSplit2 + 270 + 13, '4', 1475, source},
      {"the redo's size", kRedo + 260, 0x79, 1476, redo},
      {"the redo's name", kRedo + redo.size() - 1, 'x', 1476, at("tmp\\big.bin.00x")},
      {"the list's temporary folder", 265 + kst.size() - 11, 'q', 1476, redo},
      {"a redo that is the source", 0, 0, 1476, source, source, 3000},
      {"a redo outside the temporary folder", 0, 0, 1476, at("src\\big.bin.002"), at("src\\big.bin.002")},
      {"a redo that links to the source", 0, 0, 1476, at("tmp\\big.bin.001"), at("tmp\\big.bin.001"), 3000},
      // Changes a run makes, or that put no file at risk.
      {"the source's copied flag", kFile + 272, 0, 0, ""},
      {"a split's safe flag", kSplit2 + 268, 1, 0, ""},
      {"the redo's temporary flag", kRedo + 274, 0, 0, ""},
      {"the destination", 5, 'B', 0, ""},
      {"a redo in the temporary folder itself", 0, 0, 0, "", kst + "big.bin.002"},
      {"a redo already gone", 0, 0, 0, "", at("tmp\\big.bin.003")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = sound;
    if (c.at) bytes[c.at] = c.value;
    if (!c.redoPath.empty())
      bytes.replace(kRedo, 268, Bytes().Text(c.redoPath).Int(static_cast<uint64_t>(c.redoSize), 8).data);
    ASSERT_TRUE(WriteFile(files.names[0], bytes));
    const std::string before = ReadFile(source) + ReadFile(redo);
    person.asked.clear();
    EXPECT_EQ(kst::LoadList(list, files, 1, false, owner), c.message == 0);
    EXPECT_EQ(person.asked.empty() ? ": " : person.asked[0].heading + ": " + person.asked[0].message,
              c.message ? kst::Trimmed(kst::GetText(199)) + ": " + kst::Trimmed(kst::GetText(c.message)) + " " + c.faulty
                        : ": ");
    EXPECT_EQ(ReadFile(source) + ReadFile(redo), before);
  }
}

// The temporary folder and the files of the list never meet, under
// whatever name: a link to a folder is that folder.
TEST_F(SaveListFaultTest, ATemporaryFolderReachedThroughALinkIsThatFolder) {
  ASSERT_TRUE(plat::CreateFolder(scratch.Path("src")) && WriteFile(scratch.Path("src\\a.bin"), "a"));
  fs::create_directory_symlink(plat::EmuHostPath(scratch.Path("src")),
                                            plat::EmuHostPath(scratch.Path("lnk")));
  ASSERT_TRUE(kst::AddToTransportList(list, scratch.Path("src\\a.bin"), 1));
  EXPECT_FALSE(kst::TemporaryFolderAccepted(list, scratch.Path("lnk\\"), owner));
  EXPECT_EQ(kst::AddFiles(list, {{scratch.Path("lnk\\b.bin"), 1}}, scratch.Path("src"), owner), 0);
}

}  // namespace
