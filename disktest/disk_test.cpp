#include "disktest/disk_test.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "backup/run_settings.h"
#include "disktest/disk_passes.h"
#include "disktest/disk_test_texts.h"
#include "frame/ask.h"
#include "frame/clock_counters.h"
#include "frame/folders.h"
#include "frame/platform/platform.h"
#include "frame/text_numbers.h"
#include "frame/texts.h"

namespace kst {

namespace {

std::string Txt(int id) { return Trimmed(GetText(id)); }

// The disk in the drive: its space, and whether it holds anything.
struct TestDisk {
  int64_t total = 0;
  int64_t free = 0;
  int64_t entries = 0;  // files and folders in its root (the folder)
  bool Empty() const { return entries == 0 || free == total; }
};

// What a run keeps while it goes.
struct Test {
  explicit Test(DiskTestRun& r) : run(r) {}
  DiskTestRun& run;
  std::string root;  // "A:\", or the folder with its backslash
  bool folderDisk = false;
  bool autoErase = false;         // the prompts' box: off at every Go, this run's own
  std::vector<std::string> made;  // temporary files this run made, to delete at its end
  std::string t[2], d[2], r[2];   // written, on the disk, read back
};

bool Going(Test& s) { return CheckPoint(*s.run.job); }

void Status(Test& s, const std::string& text) {
  if (s.run.person.status) s.run.person.status(text);
}

// Heading 382 over message (a text id), with detail after it when given.
void Tell(Test& s, int message, const std::string& detail = "") {
  std::string text = Txt(message);
  if (!detail.empty()) text += " " + detail;
  PlayAlert();
  AskUser(kAskOk, s.run.owner.window, GetText(382), text, s.run.owner.boxRecord, s.run.owner.ownerRecord);
}

uint32_t ShellFlags(const Test& s) {
  return (s.run.settings.silent ? plat::kShellSilent : 0u) | plat::kShellNoConfirmation;
}

// The drive's type and space, in 64 bits. False (told to the person) when
// the drive is not removable or its space cannot be read.
bool ReadTestDisk(Test& s, TestDisk* disk) {
  const std::string driveRoot = DriveRoot(s.root);
  if (!s.folderDisk && plat::DriveType(driveRoot) != plat::kDriveRemovable) {
    Tell(s, 350);
    return false;
  }
  plat::DiskGeometry g;
  if ((s.folderDisk && !plat::PathExists(s.root)) || !plat::DiskFreeSpace(driveRoot, &g)) {
    Tell(s, 349);
    return false;
  }
  const int64_t cluster = static_cast<int64_t>(g.sectorsPerCluster) * g.bytesPerSector;
  disk->total = cluster * g.totalClusters;
  disk->free = cluster * g.freeClusters;
  disk->entries = CountEntries(s.root);
  if (s.folderDisk) {
    disk->total = s.run.settings.diskSize;
    disk->free = std::min(disk->free, std::max<int64_t>(0, disk->total - BytesInFolder(s.root)));
  }
  return true;
}

// A prompt's answer: go on, show a prompt again (No to the abort
// question), or stop (keep-going cleared).
enum class Next { Go, Again, Stop };
Next Decide(Test& s, PromptAnswer answer) {
  if (answer == PromptAnswer::Go || answer == PromptAnswer::Refresh) return Going(s) ? Next::Go : Next::Stop;
  if (answer == PromptAnswer::Closed ||
      AskUser(kAskYesNo, s.run.owner.window, GetText(31), GetText(35), s.run.owner.boxRecord,
              s.run.owner.ownerRecord) == kAnswerYes) {
    s.run.job->keepGoing = false;
    return Next::Stop;
  }
  return Next::Again;
}

template <typename F, typename... A>
PromptAnswer Ask(const F& prompt, A&&... args) {
  return prompt ? prompt(std::forward<A>(args)...) : PromptAnswer::Closed;
}

std::string DriveShown(const Test& s) {
  return s.root.size() > 3 ? s.root.substr(0, s.root.size() - 1) : s.root.substr(0, 2);
}

// Asks for disk k (0 or 1) until an empty disk with room is in the drive,
// erasing it first when the person ticked Auto Erase. The first disk,
// offered again as the second, is asked for again and never erased.
bool WaitForTestDisk(Test& s, int k, TestDisk* disk) {
  DiskPrompt prompt;
  prompt.drive = DriveShown(s);
  prompt.disk = k + 1;
  prompt.eraseShown = !s.folderDisk;
  prompt.message = Txt(387) + " " + s.root + Txt(388);
  bool ask = true;
  bool erased = false;
  for (;;) {
    if (ask) {
      const Next next = Decide(s, Ask(s.run.person.insertDisk, prompt, &s.autoErase));
      if (next == Next::Stop) return false;
      if (next == Next::Again) continue;
      erased = false;
    }
    ask = true;
    if (s.folderDisk) s.autoErase = false;
    if (!ReadTestDisk(s, disk)) continue;
    if (k == 1 && plat::PathExists(s.d[0])) {
      Tell(s, kTextFirstDiskAgain);
      continue;
    }
    if (!disk->Empty()) {
      if (erased) {
        Tell(s, kTextStillNotEmpty);
        continue;
      }
      if (!s.autoErase) {
        NotEmptyPrompt busy{prompt.drive, disk->free, disk->total, disk->entries, prompt.eraseShown};
        if (Decide(s, Ask(s.run.person.diskNotEmpty, busy, &s.autoErase)) == Next::Stop) return false;
        ask = false;  // read the disk again and decide anew
        continue;
      }
      const uint32_t code =
          plat::ShellFileOperation(plat::ShellOp::Delete, s.root + "*.*", "", ShellFlags(s));
      if (code != 0) {
        Tell(s, 1117, plat::ErrorText(code));
        continue;
      }
      erased = true;
      ask = false;
      continue;
    }
    if (disk->free <= 0) {
      Tell(s, kTextNoRoomToTest);
      continue;
    }
    return true;
  }
}

// Makes one temporary file in the temporary folder; false (told) when it
// cannot be made.
bool MakeTemporary(Test& s, std::string* path) {
  if (plat::TempFileName(WithOneBackslash(s.run.settings.temporary), "KST", path) == 0) {
    Tell(s, kTextNoTempName, s.run.settings.temporary);
    return false;
  }
  s.made.push_back(*path);
  return true;
}

bool MakeNames(Test& s) {
  for (int k = 0; k < 2; ++k) {
    if (!MakeTemporary(s, &s.t[k]) || !MakeTemporary(s, &s.r[k])) return false;
    s.d[k] = s.root + FileNameOf(s.t[k]);
  }
  return true;
}

void CannotUseTestFile(Test& s) {
  PlayAlert();
  AskUser(kAskOk, s.run.owner.window, GetText(50), GetText(49), s.run.owner.boxRecord,
          s.run.owner.ownerRecord);
}

// Disk k: asked for, then its random data made and written, block by block,
// to its test file and onto the disk, as much as the disk has free.
bool FillDisk(Test& s, int k, DiskTestResult* result) {
  static const int kWaiting[] = {368, 371}, kCreating[] = {369, 372}, kCopying[] = {370, 373};
  Status(s, Txt(kWaiting[k]));
  TestDisk disk;
  if (!WaitForTestDisk(s, k, &disk)) return false;
  if (!Going(s)) return false;
  Status(s, Txt(kCreating[k]));
  result->sizes[k] = disk.free;
  const uint32_t buffSize = static_cast<uint32_t>(s.run.settings.buffSize);
  const std::unique_ptr<char[]> buffer = MakeRandomBuffer(buffSize, s.run.random);
  if (!buffer) {
    CannotUseTestFile(s);
    return false;
  }
  if (!Going(s)) return false;
  Status(s, Txt(kCopying[k]));
  const bool there = plat::PathExists(s.d[k]);
  const WriteResult written = WriteTestFiles(buffer.get(), buffSize, s.t[k], s.d[k], disk.free, *s.run.job,
                                             s.run.progress, kClockTestDisks);
  if (written.outcome == WriteOutcome::Written) return true;
  // What the pass left on the disk is this run's; a file that was there before is not.
  if (!there) plat::DeleteOneFile(s.d[k]);
  if (written.outcome == WriteOutcome::TestFileFailed) CannotUseTestFile(s);
  if (written.outcome == WriteOutcome::DiskFailed)
    Tell(s, kTextCopyToDiskFailed, plat::ErrorText(written.error));
  return false;
}

// Disk k asked for again, its test file copied back into the temporary
// folder and compared with what was written as it comes, then deleted from
// the disk. A file that cannot be read is asked for again.
bool ReadBack(Test& s, int k, DiskTestResult* result) {
  DiskPrompt prompt;
  prompt.verifying = true;
  prompt.eraseShown = false;
  prompt.drive = DriveShown(s);
  prompt.disk = k + 1;
  prompt.message = Txt(375) + " " + std::to_string(k + 1) + Txt(376) + " " + s.root + Txt(377);
  bool noErase = false;  // the box is not shown while reading back
  for (;;) {
    const Next next = Decide(s, Ask(s.run.person.insertDisk, prompt, &noErase));
    if (next == Next::Stop) return false;
    if (next == Next::Again) continue;
    Status(s, Txt(k == 0 ? 378 : 379));
    // A file of another size is read as it is: the comparison finds it short or long.
    const ReadBackResult back = ReadBackAndCompare(s.d[k], s.r[k], s.t[k], result->sizes[k],
                                                   s.run.settings.buffSize, *s.run.job, s.run.progress,
                                                   kClockTestDisks);
    if (!back.diskRead) continue;
    result->compared[k] = back.compared;
    if (back.compared.outcome == CompareOutcome::Aborted) return false;
    plat::DeleteOneFile(s.d[k]);
    return true;
  }
}

// The steps up to the comparison; false when the run stopped on the way.
// Each disk is compared while it is read back; the status line then names
// the checks in the order of the disks.
bool Steps(Test& s, DiskTestResult* result) {
  Status(s, Txt(367));
  if (!MakeNames(s)) return false;
  if (!FillDisk(s, 0, result) || !Going(s) || !FillDisk(s, 1, result) || !Going(s)) return false;
  Status(s, Txt(374));
  if (!ReadBack(s, 0, result) || !Going(s) || !ReadBack(s, 1, result) || !Going(s)) return false;
  Status(s, Txt(380));
  Status(s, Txt(381));
  return true;
}

}  // namespace

std::string TestRoot(const DiskTestSettings& settings) {
  return settings.diskSize > 0 ? WithOneBackslash(Trimmed(settings.drive))
                               : DriveRoot(Trimmed(settings.drive));
}

DiskTestResult RunDiskTest(DiskTestRun& run) {
  Test s(run);
  s.root = TestRoot(run.settings);
  s.folderDisk = run.settings.diskSize > 0;
  if (!run.random) run.random = SeededRandomBits();
  if (run.settings.buffSize <= 0) run.settings.buffSize = kBuffSizeDefault;

  DiskTestResult result;
  if (Steps(s, &result)) {
    bool passed = true;
    for (int k = 0; k < 2; ++k)
      passed = passed && result.sizes[k] > 0 && result.compared[k].outcome == CompareOutcome::Equal;
    result.outcome = passed ? DiskTestOutcome::NoFlaws : DiskTestOutcome::Flaws;
  }
  if (result.outcome == DiskTestOutcome::NoFlaws) {
    Status(s, Txt(384) + " " + s.root + Txt(385));
    Tell(s, 386);
  } else {
    Status(s, kFlawsFound);
    Tell(s, 383);
  }
  // Only the files this run made, one by one: never a folder or a root.
  for (const std::string& path : s.made) plat::DeleteOneFile(path);
  return result;
}

}  // namespace kst
