// Whole Test Disks runs on the emulated A:, the two disks swapped as host folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <tuple>
#include <utility>

#include "disktest/disk_test.h"
#include "disktest/disk_test_texts.h"
#include "frame/platform/emulation.h"
#include "frame/texts/language_files.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "tests/support/test_env.h"

namespace {

namespace fs = std::filesystem;
using kst::DiskTestOutcome;
using kst::PromptAnswer;

std::vector<std::string> Names(const std::string& host) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(host)) names.push_back(e.path().filename().string());
  return names;
}

std::string Txt(int id) { return kst::Trimmed(kst::GetText(id)); }

struct DiskTestRunTest : ::testing::Test {
  DiskTestRunTest() {
    kst::LoadBuiltInTexts();
    testenv::PrepareFloppy();
    floppy = plat::EmuHostPath("A:\\");
    for (const char* folder : {"1", "2", "tmp"}) plat::CreateFolder(scratch.Path(folder));
    job.running = true, run.job = &job;
    kst::SetAskHandler([this](const kst::AskRequest& r) {
      boxes.push_back(r.message);
      return static_cast<int>(r.style == kst::kAskOk ? kst::kAnswerOk : kst::kAnswerYes);
    });
    run.person.insertDisk = [this](const kst::DiskPrompt& p, bool* erase) {
      prompts.push_back(p);
      if (prompts.size() > 12 || (onPrompt && !onPrompt(p, erase))) return PromptAnswer::Closed;
      if (!std::exchange(keepDisk, false)) Swap(p.disk);
      return PromptAnswer::Go;
    };
    run.person.diskNotEmpty = [this](const kst::NotEmptyPrompt& p, bool*) {
      return notEmpty.push_back(p), notEmpty.size() < 2 ? PromptAnswer::Go : PromptAnswer::Closed;
    };
    run.person.status = [this](const std::string& text) {
      statuses.push_back(text);
      if (onStatus) onStatus(text);
    };
    Reset();
  }
  ~DiskTestRunTest() override { plat::EmuClearFaults(), kst::SetAskHandler(nullptr), testenv::ReleaseFloppy(); }
  std::string Disk(int k) const { return stack + "/" + std::to_string(k); }  // on the stack
  void Swap(int disk) {
    auto move = [](const std::string& from, const std::string& to) {
      for (const auto& e : fs::directory_iterator(from)) fs::rename(e.path(), to + "/" + e.path().filename().string());
    };
    if (disk != inDrive) move(floppy, Disk(inDrive)), move(Disk(disk), floppy), inDrive = disk;
  }
  void Reset() {
    plat::EmuClearFaults();
    boxes.clear(), prompts.clear(), notEmpty.clear();
    job.keepGoing = true;  // a closed prompt stops the job
    run.settings = {scratch.Path("tmp"), "A:\\", 0, 100000};
    onPrompt = nullptr, onStatus = nullptr;
    Swap(1);
  }
  // A box said text (a text id), with or without what follows it.
  bool Told(int text) const {
    return std::any_of(boxes.begin(), boxes.end(), [&](const std::string& b) { return b.rfind(Txt(text), 0) == 0; });
  }

  testenv::ScratchFolder scratch;
  std::string floppy, stack = plat::EmuHostPath(scratch.Path("")), temp = plat::EmuHostPath(scratch.Path("tmp"));
  int inDrive = 1;
  bool keepDisk = false;  // the disk asked for is not put in, once
  kst::JobControl job;
  kst::DiskTestRun run;
  std::vector<kst::DiskPrompt> prompts;
  std::vector<kst::NotEmptyPrompt> notEmpty;
  std::vector<std::string> boxes, statuses;
  std::function<bool(const kst::DiskPrompt&, bool* erase)> onPrompt;
  std::function<void(const std::string&)> onStatus;
};

// A verdict leaves nothing of the test behind, or tells what it could not delete.
TEST_F(DiskTestRunTest, RunsToTheVerdictLeaveOnlyWhatTheyCouldNotDelete) {
  const std::string system = floppy + "/System Volume Information";
  const kst::CompareOutcome kEqual = kst::CompareOutcome::Equal;
  // first: disk 1's comparison (disk 2 reads back equal); told: a text said besides the verdict, 0 none.
  const struct { const char* what; std::function<void(DiskTestRunTest&)> prepare; DiskTestOutcome outcome;
    kst::CompareOutcome first; int64_t position; int told; size_t prompts, undeleted; } cases[] = {
      {"a pass fills both disks with other data", [](DiskTestRunTest& t) {
         t.onPrompt = [&t](const kst::DiskPrompt& p, bool*) {
           if (p.verifying && p.disk == 1) {  // disk 2 in the drive, disk 1 on the stack
             const std::string first = testenv::ReadFile(t.Disk(1) + "/" + Names(t.Disk(1)).at(0));
             EXPECT_EQ(first.size(), 1457664u);
             EXPECT_NE(first.substr(0, 100000), testenv::ReadFile("A:\\" + Names(t.floppy).at(0)).substr(0, 100000));
           }
           return true;
         };
       }, DiskTestOutcome::NoFlaws, kEqual, -1, 0, 4, 0},
      // A read-back that comes back short is a flaw, never a pass.
      {"a short read-back", [](DiskTestRunTest& t) {
         t.onStatus = [](const std::string& s) {
           if (s == Txt(378)) plat::EmuInjectFault(plat::Fault::ShortRead, 1, "A:\\KST");
         };
       }, DiskTestOutcome::Flaws, kst::CompareOutcome::Error, -2, 0, 4, 0},
      {"disk 1 offered again as disk 2 is asked for again, not erased", [](DiskTestRunTest& t) {
         t.onPrompt = [&t, asked = 0](const kst::DiskPrompt& p, bool* erase) mutable {
           *erase = true;
           t.keepDisk = !p.verifying && p.disk == 2 && ++asked == 1;
           return true;
         };
       }, DiskTestOutcome::NoFlaws, kEqual, -1, kst::kTextFirstDiskAgain, 5, 0},
      {"pieces of at most 500000 bytes, whole 512-byte clusters; one differs in its 10th byte",
       [](DiskTestRunTest& t) {
         t.run.settings.pieceLimit = 500000;
         t.onPrompt = [&t](const kst::DiskPrompt& p, bool*) {
           if (p.verifying && p.disk == 1) {  // disk 2 in the drive
             std::vector<uintmax_t> sizes;
             for (const auto& e : fs::directory_iterator(t.floppy)) sizes.push_back(fs::file_size(e.path()));
             std::sort(sizes.begin(), sizes.end());
             EXPECT_EQ(sizes, (std::vector<uintmax_t>{458240, 499712, 499712}));
             for (const auto& e : fs::directory_iterator(t.Disk(1)))
               if (fs::file_size(e.path()) == 458240) testenv::WriteFile(plat::EmuWindowsPath(e.path().string()), "!", 9);
           }
           return true;
         };
       }, DiskTestOutcome::Flaws, kst::CompareOutcome::Different, 999434, 0, 4, 0},
      {"only the system's hidden folder on disk 1", [&](DiskTestRunTest&) {
         fs::create_directory(system);
         testenv::WriteFile("A:\\System Volume Information\\IndexerVolumeGuid", std::string(100, 'g'));
       }, DiskTestOutcome::NoFlaws, kEqual, -1, 0, 4, 0},
      {"auto-erase leaves the system's folder", [](DiskTestRunTest& t) {
         testenv::WriteFile("A:\\junk.bin", "junk");
         t.onPrompt = [](const kst::DiskPrompt&, bool* erase) { return *erase = true; };
       }, DiskTestOutcome::NoFlaws, kEqual, -1, 0, 4, 0},
      {"a test file that cannot be deleted", [](DiskTestRunTest& t) {
         t.onStatus = [&t](const std::string& s) {
           for (const auto& e : fs::directory_iterator(t.temp))  // at the verdict, before the clean-up
             if (s.rfind(Txt(384), 0) == 0) fs::permissions(e.path(), fs::perms::owner_write, fs::perm_options::remove);
         };
       }, DiskTestOutcome::NoFlaws, kEqual, -1, kst::kTextNotDeleted, 4, 2},  // T1 and T2
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Reset();
    c.prepare(*this);
    const kst::DiskTestResult result = kst::RunDiskTest(run);
    const bool ok = c.outcome == DiskTestOutcome::NoFlaws;
    EXPECT_EQ(statuses.back(), ok ? "No flaws found. Drive A:\\ seems OK!" : kst::kFlawsFound);
    EXPECT_TRUE(Told(ok ? 386 : 383) && (c.told == 0 || Told(c.told)));
    EXPECT_EQ(std::make_tuple(result.outcome, result.compared[0].outcome, result.compared[0].position,
                              result.compared[1].outcome), std::make_tuple(c.outcome, c.first, c.position, kEqual));
    EXPECT_EQ(std::make_tuple(prompts.size(), notEmpty.size(), result.undeleted.size(), Names(temp).size()),
              std::make_tuple(c.prompts, size_t{0}, c.undeleted, c.undeleted));
    // The system's folder (a cluster) is never touched; nothing of the test stays.
    Swap(1);
    const bool hasSystem = fs::exists(system);
    EXPECT_EQ(std::tuple(result.sizes[0], result.sizes[1]), std::make_tuple(hasSystem ? 1457152 : 1457664, 1457664));
    EXPECT_TRUE(Names(Disk(1)).empty() && Names(Disk(2)).empty());
    EXPECT_EQ(testenv::ReadFile("A:\\System Volume Information\\IndexerVolumeGuid").size(), hasSystem ? 100u : 0u);
    EXPECT_EQ(Names(floppy).size(), hasSystem ? 1u : 0u);
    for (const auto& e : fs::directory_iterator(temp))
      fs::permissions(e.path(), fs::perms::owner_write, fs::perm_options::add), fs::remove(e.path());
  }
  EXPECT_TRUE(fs::exists(system));
}

// Stopped runs, in order: nothing of the test stays, what the user had stays.
TEST_F(DiskTestRunTest, AStoppedRunLeavesTheDiskAsItFoundIt) {
  ASSERT_TRUE(testenv::WriteFile(scratch.Path("tmp\\mine.txt"), "mine"));
  auto erase = [this](const kst::DiskPrompt&, bool* erase) { return *erase = true, prompts.size() < 3; };
  auto fault = [](plat::Fault f, int skip, const char* where) {
    return [=](DiskTestRunTest&) { plat::EmuInjectFault(f, skip, where); };
  };
  const std::string small = stack + "/small";
  fs::create_directory(small);
  const struct { const char* what; std::function<void(DiskTestRunTest&)> prepare; int told;
    size_t prompts, notEmpty; std::vector<std::string> left; /* on the disk afterwards */ } cases[] = {
      // Go ahead on a disk that still holds files asks again.
      {"a disk that holds files", [](DiskTestRunTest&) { ASSERT_TRUE(testenv::WriteFile("A:\\keep.txt", "mine")); },
       383, 1, 2, {"keep.txt"}},
      {"a read-only leftover that auto-erase cannot delete", [&](DiskTestRunTest& t) {
         ASSERT_TRUE(testenv::WriteFile("A:\\old.bin", std::string(5000, 'o')));
         ASSERT_TRUE(plat::SetAttributes("A:\\old.bin", plat::kAttrReadOnly));
         t.onPrompt = erase;
       }, 1117, 3, 0, {"old.bin"}},
      // Disk 2 and the read-back are never asked for.
      {"disk 1 fills up halfway", fault(plat::Fault::DiskFull, 7, "A:\\KST"), kst::kTextCopyToDiskFailed, 1, 0, {}},
      {"disk 1 takes half a block", fault(plat::Fault::ShortWrite, 7, "A:\\KST"), kst::kTextCopyToDiskFailed, 1, 0, {}},
      {"the test file cannot grow", fault(plat::Fault::DiskFull, 7, "tmp\\KST"), 49, 1, 0, {}},
      // The third temporary name cannot be made: the two made go, nothing else.
      {"no temporary name", fault(plat::Fault::OpenFails, 2, "KST"), kst::kTextNoTempName, 0, 0, {}},
      {"aborted while the second file is copied", [](DiskTestRunTest& t) {
         t.onStatus = [&t](const std::string& s) { if (s == Txt(373)) kst::AbortJob(t.job); };
       }, 0, 2, 0, {}},
      // Told at Go, before any disk.
      {"a temporary folder with room for one disk's data only", [&](DiskTestRunTest& t) {
         plat::EmuMapDrive('T', plat::EmulatedDrive{small, plat::kDriveFixed, 2 * 1457664});
         t.run.settings.temporary = "T:\\";
       }, kst::kTextNoTempRoom, 0, 0, {}},
      {"a disk with no room: never tested with zero bytes", [&](DiskTestRunTest& t) {  // last: A: stays small
         plat::EmulatedDrive tiny = plat::EmuFloppy(t.floppy);
         tiny.capacity = 1000, tiny.sectorsPerCluster = 8;  // less than one 4096-byte cluster
         plat::EmuMapDrive('A', tiny);
         t.onPrompt = erase;
       }, kst::kTextNoRoomToTest, 3, 0, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Reset();
    c.prepare(*this);
    EXPECT_EQ(kst::RunDiskTest(run).outcome, DiskTestOutcome::Stopped);
    plat::EmuClearFaults();
    EXPECT_TRUE(!c.told || Told(c.told));
    EXPECT_EQ(std::make_tuple(prompts.size(), notEmpty.size(), statuses.back()),
              std::make_tuple(c.prompts, c.notEmpty, std::string(kst::kFlawsFound)));
    EXPECT_EQ(Names(floppy), c.left);
    for (const std::string& name : c.left) {
      plat::SetAttributes("A:\\" + name, plat::kAttrNormal);
      EXPECT_TRUE(plat::DeleteOneFile("A:\\" + name)) << name;
    }
    EXPECT_EQ(Names(temp), std::vector<std::string>{"mine.txt"});
    EXPECT_TRUE(Names(small).empty());
    for (int k : {1, 2}) fs::remove_all(Disk(k)), fs::create_directory(Disk(k));  // an aborted run's disk
  }
  plat::EmuUnmapDrive('T');
}

}  // namespace
