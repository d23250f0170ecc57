// Whole Test Disks runs on the emulated floppy in A:, with a person who
// swaps the two disks (host folders) at the prompts and answers the boxes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "disktest/disk_test.h"
#include "disktest/disk_test_texts.h"
#include "frame/platform/emulation.h"
#include "frame/platform/platform.h"
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
    stack = plat::EmuHostPath(scratch.Path(""));
    for (const char* folder : {"1", "2", "tmp"}) plat::CreateFolder(scratch.Path(folder));
    temp = plat::EmuHostPath(scratch.Path("tmp"));
    run.settings.temporary = scratch.Path("tmp");
    run.settings.drive = "A:\\";
    run.settings.buffSize = 100000;
    job.running = true;
    job.keepGoing = true;
    run.job = &job;
    kst::SetAskHandler([this](const kst::AskRequest& r) {
      boxes.push_back(r.message);
      return static_cast<int>(r.style == kst::kAskOk ? kst::kAnswerOk : kst::kAnswerYes);
    });
    run.person.insertDisk = [this](const kst::DiskPrompt& p, bool* erase) {
      prompts.push_back(p);
      if (prompts.size() > 12 || (onPrompt && !onPrompt(p, erase))) return PromptAnswer::Closed;
      Swap(p.disk);
      return PromptAnswer::Go;
    };
    run.person.diskNotEmpty = [this](const kst::NotEmptyPrompt& p, bool*) {
      notEmpty.push_back(p);
      return notEmpty.size() < 2 ? PromptAnswer::Go : PromptAnswer::Closed;
    };
    run.person.status = [this](const std::string& text) {
      statuses.push_back(text);
      if (onStatus) onStatus(text);
    };
  }
  ~DiskTestRunTest() override {
    plat::EmuClearFaults();
    kst::SetAskHandler(nullptr);
    testenv::ReleaseFloppy();
  }
  // Disk `disk` into the drive, the one in it onto the stack.
  void Swap(int disk) {
    if (disk == inDrive) return;
    for (const auto& e : fs::directory_iterator(floppy))
      fs::rename(e.path(), stack + "/" + std::to_string(inDrive) + "/" + e.path().filename().string());
    const std::string from = stack + "/" + std::to_string(disk);
    for (const auto& e : fs::directory_iterator(from))
      fs::rename(e.path(), floppy + "/" + e.path().filename().string());
    inDrive = disk;
  }
  std::string OnDisk(int disk) {
    return stack + "/" + std::to_string(disk) + "/" + Names(stack + "/" + std::to_string(disk)).at(0);
  }
  // A box said text (a text id), with or without what follows it.
  bool Told(int text) const {
    return std::any_of(boxes.begin(), boxes.end(),
                       [&](const std::string& b) { return b.rfind(Txt(text), 0) == 0; });
  }

  testenv::ScratchFolder scratch;
  std::string floppy, stack, temp;
  int inDrive = 1;
  kst::JobControl job;
  kst::DiskTestRun run;
  std::vector<kst::DiskPrompt> prompts;
  std::vector<kst::NotEmptyPrompt> notEmpty;
  std::vector<std::string> boxes, statuses;
  std::function<bool(const kst::DiskPrompt&, bool* erase)> onPrompt;
  std::function<void(const std::string&)> onStatus;
};

TEST_F(DiskTestRunTest, APassFillsBothDisksWithOtherDataAndLeavesNothingBehind) {
  std::string first, second;
  onPrompt = [&](const kst::DiskPrompt& p, bool*) {
    if (p.verifying && p.disk == 1) {  // disk 2 in the drive, disk 1 on the stack
      first = testenv::ReadFile(OnDisk(1));
      second = testenv::ReadFile("A:\\" + Names(floppy).at(0));
    }
    return true;
  };
  const kst::DiskTestResult result = kst::RunDiskTest(run);
  EXPECT_EQ(result.outcome, DiskTestOutcome::NoFlaws);
  EXPECT_EQ(result.sizes[0], 1457664);
  EXPECT_EQ(result.sizes[1], 1457664);
  EXPECT_EQ(first.size(), 1457664u);
  EXPECT_NE(first.substr(0, 100000), second.substr(0, 100000));
  EXPECT_TRUE(Names(floppy).empty() && Names(stack + "/1").empty() && Names(stack + "/2").empty());
  EXPECT_TRUE(Names(temp).empty());
  EXPECT_EQ(statuses.back(), "No flaws found. Drive A:\\ seems OK!");
  EXPECT_EQ(boxes.back(), Txt(386));
  EXPECT_EQ(prompts.size(), 4u);
}

TEST_F(DiskTestRunTest, ABadReadBackIsAFlawNeverAPass) {
  const struct {
    const char* what;
    std::function<void(DiskTestRunTest&)> spoil;
    kst::CompareOutcome first;
  } cases[] = {
      {"a byte changed on disk 1 while it was out",
       [](DiskTestRunTest& t) {
         t.onPrompt = [&t](const kst::DiskPrompt& p, bool*) {
           if (p.verifying && p.disk == 1) testenv::WriteFile(t.OnDisk(1), "!", 599999);
           return true;
         };
       },
       kst::CompareOutcome::Different},
      {"a short read from disk 1",
       [](DiskTestRunTest& t) {
         t.onStatus = [](const std::string& s) {
           if (s == Txt(378)) plat::EmuInjectFault(plat::Fault::ShortRead, 1, "A:\\KST");
         };
       },
       kst::CompareOutcome::Error},
  };
  for (const auto& c : cases) {
    DiskTestRunTest& t = *this;
    t.statuses.clear();
    c.spoil(t);
    const kst::DiskTestResult result = kst::RunDiskTest(run);
    EXPECT_EQ(result.outcome, DiskTestOutcome::Flaws) << c.what;
    EXPECT_EQ(result.compared[0].outcome, c.first) << c.what;
    if (c.first == kst::CompareOutcome::Different) {
      EXPECT_EQ(result.compared[0].position, 600000);
    }
    EXPECT_EQ(result.compared[1].outcome, kst::CompareOutcome::Equal) << c.what;
    EXPECT_EQ(statuses.back(), kst::kFlawsFound);
    EXPECT_EQ(boxes.back(), Txt(383));
    EXPECT_TRUE(Names(temp).empty()) << c.what;
    onPrompt = nullptr;
    onStatus = nullptr;
    Swap(1);
  }
}

TEST_F(DiskTestRunTest, AFailedWriteEndsTheTestWithNothingLeftOnTheDisk) {
  const struct {
    const char* what;
    plat::Fault fault;
    const char* path;
    int told;
  } cases[] = {
      {"disk 1 fills up halfway", plat::Fault::DiskFull, "A:\\KST", kst::kTextCopyToDiskFailed},
      {"disk 1 takes half a block", plat::Fault::ShortWrite, "A:\\KST", kst::kTextCopyToDiskFailed},
      {"the test file cannot grow", plat::Fault::DiskFull, "tmp\\KST", 49},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    boxes.clear();
    prompts.clear();
    plat::EmuInjectFault(c.fault, 7, c.path);
    EXPECT_EQ(kst::RunDiskTest(run).outcome, DiskTestOutcome::Stopped);
    EXPECT_TRUE(Told(c.told));
    EXPECT_EQ(prompts.size(), 1u);  // disk 2 and the read-back are never asked for
    EXPECT_EQ(statuses.back(), kst::kFlawsFound);
    EXPECT_TRUE(Names(floppy).empty());
    EXPECT_TRUE(Names(temp).empty());
    plat::EmuClearFaults();
  }
}

TEST_F(DiskTestRunTest, ADiskThatHoldsFilesIsNeverWrittenUnlessErased) {
  ASSERT_TRUE(testenv::WriteFile("A:\\keep.txt", "mine"));
  EXPECT_EQ(kst::RunDiskTest(run).outcome, DiskTestOutcome::Stopped);
  ASSERT_EQ(notEmpty.size(), 2u);  // Go ahead on a disk that still holds files asks again
  EXPECT_EQ(notEmpty[0].files, 1);
  EXPECT_EQ(Names(floppy), std::vector<std::string>{"keep.txt"});
  EXPECT_EQ(testenv::ReadFile("A:\\keep.txt"), "mine");
  EXPECT_TRUE(Names(temp).empty());
  EXPECT_EQ(boxes.back(), Txt(383));
}

TEST_F(DiskTestRunTest, AReadOnlyLeftoverThatAutoEraseCannotDeleteNeverPasses) {
  ASSERT_TRUE(testenv::WriteFile("A:\\old.bin", std::string(5000, 'o')));
  ASSERT_TRUE(plat::SetAttributes("A:\\old.bin", plat::kAttrReadOnly));
  onPrompt = [this](const kst::DiskPrompt&, bool* erase) {
    *erase = true;
    return prompts.size() < 3;
  };
  EXPECT_EQ(kst::RunDiskTest(run).outcome, DiskTestOutcome::Stopped);
  EXPECT_TRUE(Told(1117));
  EXPECT_EQ(Names(floppy), std::vector<std::string>{"old.bin"});
  EXPECT_TRUE(Names(temp).empty());
}

TEST_F(DiskTestRunTest, TheFirstDiskOfferedAgainAsTheSecondIsAskedForAgainNotErased) {
  int askedForTwo = 0;
  run.person.insertDisk = [this, &askedForTwo](const kst::DiskPrompt& p, bool* erase) {
    prompts.push_back(p);
    if (prompts.size() > 12) return PromptAnswer::Closed;  // a run that asks for ever fails
    *erase = true;
    // The first time disk 2 is asked for, disk 1 stays in the drive.
    if (p.verifying || p.disk != 2 || ++askedForTwo > 1) Swap(p.disk);
    return PromptAnswer::Go;
  };
  EXPECT_EQ(kst::RunDiskTest(run).outcome, DiskTestOutcome::NoFlaws);
  EXPECT_TRUE(Told(kst::kTextFirstDiskAgain));
  EXPECT_EQ(prompts.size(), 5u);
}

TEST_F(DiskTestRunTest, AnAbortOrANameThatCannotBeMadeDeletesOnlyWhatWasMade) {
  ASSERT_TRUE(testenv::WriteFile(scratch.Path("tmp\\mine.txt"), "mine"));
  // Abort while the second file is copied: disk 1 keeps its test file.
  onStatus = [this](const std::string& s) {
    if (s == Txt(373)) kst::AbortJob(job);
  };
  EXPECT_EQ(kst::RunDiskTest(run).outcome, DiskTestOutcome::Stopped);
  EXPECT_EQ(Names(temp), std::vector<std::string>{"mine.txt"});
  EXPECT_EQ(Names(stack + "/1").size(), 1u);
  EXPECT_EQ(statuses.back(), kst::kFlawsFound);
  // The third temporary name cannot be made: the two made go, nothing else.
  onStatus = nullptr;
  job.keepGoing = true;
  prompts.clear();
  plat::EmuInjectFault(plat::Fault::OpenFails, 2, "KST");
  EXPECT_EQ(kst::RunDiskTest(run).outcome, DiskTestOutcome::Stopped);
  EXPECT_TRUE(Told(kst::kTextNoTempName));
  EXPECT_TRUE(prompts.empty());
  EXPECT_EQ(Names(temp), std::vector<std::string>{"mine.txt"});
}

TEST_F(DiskTestRunTest, ADiskWithNoRoomIsNeverTestedWithZeroBytes) {
  plat::EmulatedDrive tiny = plat::EmuFloppy(floppy);
  tiny.capacity = 1000;  // less than one 4096-byte cluster
  tiny.sectorsPerCluster = 8;
  plat::EmuMapDrive('A', tiny);
  onPrompt = [this](const kst::DiskPrompt&, bool*) { return prompts.size() < 3; };
  EXPECT_EQ(kst::RunDiskTest(run).outcome, DiskTestOutcome::Stopped);
  EXPECT_TRUE(Told(kst::kTextNoRoomToTest));
  EXPECT_EQ(prompts.size(), 3u);
  EXPECT_TRUE(Names(floppy).empty());
}

}  // namespace

// What real disks and machines do to a test: more free space than one file
// may hold, the system's own hidden folder on a fresh stick, a temporary
// folder too small for the data, and a file that will not be deleted.
TEST_F(DiskTestRunTest, RealDisksAreTestedInPiecesWithTheirSystemFolderAndTheRoomChecked) {
  const auto pieceSizes = [this] {
    std::vector<uintmax_t> sizes;
    for (const auto& e : fs::directory_iterator(floppy)) sizes.push_back(fs::file_size(e.path()));
    std::sort(sizes.begin(), sizes.end());
    return sizes;
  };
  const std::string system = floppy + "/System Volume Information";
  std::string tempHost;
  const struct {
    const char* what;
    std::function<void(DiskTestRunTest&)> prepare;
    DiskTestOutcome outcome;
    int told;  // a text id the boxes said, 0 none beyond the verdict
  } cases[] = {
      {"pieces of at most 500000 bytes, whole 512-byte clusters; one differs in its 10th byte",
       [&](DiskTestRunTest& t) {
         t.run.settings.pieceLimit = 500000;
         t.onPrompt = [&](const kst::DiskPrompt& p, bool*) {
           if (p.verifying && p.disk == 1) {  // disk 2 in the drive
             EXPECT_EQ(pieceSizes(), (std::vector<uintmax_t>{458240, 499712, 499712}));
             for (const auto& e : fs::directory_iterator(t.stack + "/1"))
               if (fs::file_size(e.path()) == 458240)
                 testenv::WriteFile(plat::EmuWindowsPath(e.path().string()), "!", 9);
           }
           return true;
         };
       },
       DiskTestOutcome::Flaws, 0},
      {"only the system's hidden folder on disk 1",
       [&](DiskTestRunTest&) {
         fs::create_directory(system);
         testenv::WriteFile("A:\\System Volume Information\\IndexerVolumeGuid", std::string(100, 'g'));
       },
       DiskTestOutcome::NoFlaws, 0},
      {"auto-erase leaves the system's folder",
       [&](DiskTestRunTest& t) {
         testenv::WriteFile("A:\\junk.bin", "junk");
         t.onPrompt = [](const kst::DiskPrompt&, bool* erase) { return *erase = true; };
       },
       DiskTestOutcome::NoFlaws, 0},
      {"a temporary folder with room for one disk's data only",
       [&](DiskTestRunTest& t) {
         plat::EmulatedDrive small{tempHost, plat::kDriveFixed, 2 * 1457664};
         plat::EmuMapDrive('T', small);
         t.run.settings.temporary = "T:\\";
       },
       DiskTestOutcome::Stopped, kst::kTextNoTempRoom},
      {"a test file that cannot be deleted",
       [&](DiskTestRunTest& t) {
         t.onStatus = [&t](const std::string& s) {
           if (s.rfind(Txt(384), 0) == 0)  // the verdict, before the clean-up
             for (const auto& e : fs::directory_iterator(t.temp)) fs::permissions(e.path(), fs::perms::owner_write,
                                                                                 fs::perm_options::remove);
         };
       },
       DiskTestOutcome::NoFlaws, kst::kTextNotDeleted},
  };
  fs::create_directory(tempHost = stack + "/small");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    boxes.clear();
    prompts.clear();
    notEmpty.clear();
    Swap(1);
    c.prepare(*this);
    const kst::DiskTestResult result = kst::RunDiskTest(run);
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_TRUE(c.told == 0 || Told(c.told));
    EXPECT_TRUE(notEmpty.empty());
    EXPECT_EQ(result.undeleted.size(), c.told == kst::kTextNotDeleted ? 2u : 0u);  // T1 and T2
    if (c.outcome != DiskTestOutcome::Stopped) {
      EXPECT_EQ(result.compared[0].position, c.outcome == DiskTestOutcome::Flaws ? 999434 : -1);
    }
    EXPECT_EQ(prompts.empty(), c.told == kst::kTextNoTempRoom);  // told at Go, before any disk
    // The system's folder is never touched; nothing of the test stays.
    Swap(1);
    EXPECT_EQ(testenv::ReadFile("A:\\System Volume Information\\IndexerVolumeGuid").size(),
              fs::exists(system) ? 100u : 0u);
    EXPECT_EQ(Names(floppy).size(), fs::exists(system) ? 1u : 0u);
    for (const auto& e : fs::directory_iterator(temp)) fs::permissions(e.path(), fs::perms::owner_write,
                                                                       fs::perm_options::add);
    for (const auto& e : fs::directory_iterator(temp)) fs::remove(e.path());
    run.settings = {scratch.Path("tmp"), "A:\\", 0, 100000};
    onPrompt = nullptr;
    onStatus = nullptr;
  }
  EXPECT_TRUE(fs::exists(system));
  plat::EmuUnmapDrive('T');
}
