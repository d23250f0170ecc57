#include "disktest/disk_test.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "backup/run_settings.h"
#include "disktest/disk_passes.h"
#include "disktest/disk_test_texts.h"
#include "frame/clock/clock_counters.h"
#include "frame/dialogs/ask.h"
#include "frame/files/folders.h"
#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"

namespace kst {

namespace {

// The disk in the drive: its space, and what its root holds.
struct TestDisk {
  int64_t total = 0;
  int64_t free = 0;
  int64_t cluster = 1;
  std::vector<std::string> entries;  // files and folders of its root that are the user's
  bool Empty() const { return entries.empty() || free == total; }
};

// One file of a disk's test, as large as one file on any disk may be: the
// test data written (t), its copy on the disk (d) and what came back (r).
struct Piece {
  std::string t, d, r;
  int64_t size = 0;
};

// What a run keeps while it goes.
struct Test {
  explicit Test(DiskTestRun& r) : run(r) {}
  DiskTestRun& run;
  std::string root;  // "A:\", or the folder with its backslash
  bool folderDisk = false;
  bool autoErase = false;         // the prompts' box: off at every Go, this run's own
  std::vector<std::string> made;  // temporary files this run made, to delete at its end
  std::vector<Piece> pieces[2];   // each disk's test files, the first named at the start
  std::vector<std::string> undeleted;  // files the run could not delete, with the reason
};

bool Going(Test& s) { return CheckPoint(*s.run.job); }

void Status(Test& s, const std::string& text) {
  if (s.run.person.status) s.run.person.status(text);
}

// Heading 382 over message (a text id), with detail after it when given.
void Tell(Test& s, int message, const std::string& detail = "") {
  std::string text = TrimmedText(message);
  if (!detail.empty()) text += " " + detail;
  PlayAlert();
  AskUser(kAskOk, s.run.owner.window, GetText(382), text, s.run.owner.boxRecord, s.run.owner.ownerRecord);
}

// Deletes a file the run made; one it cannot delete is reported at the end.
void DeleteMade(Test& s, const std::string& path) {
  if (plat::DeleteOneFile(path)) return;
  const uint32_t code = plat::LastError();
  if (code == plat::kErrFileNotFound || code == plat::kErrPathNotFound) return;  // gone already
  s.undeleted.push_back(path + ": " + plat::ErrorText(code));
}

// A folder Windows keeps on a disk for itself ("System Volume Information"),
// hidden and system; no erase touches it and the test does not count it.
// The emulation has no such attributes and knows it by its name.
bool SystemsOwnFolder(const plat::FindEntry& e) {
  constexpr uint32_t kHiddenSystem = plat::kAttrHidden | plat::kAttrSystem;
  if (!(e.attributes & plat::kAttrDirectory)) return false;
  return (e.attributes & kHiddenSystem) == kHiddenSystem || SameText(e.name, "System Volume Information");
}

std::vector<std::string> UsersEntries(const std::string& root) {
  std::vector<std::string> names;
  plat::FindEntry e;
  plat::FindHandle h = plat::FindFirst(root + "*.*", &e);
  if (h == plat::kNoFind) return names;
  do
    if (e.name != "." && e.name != ".." && !SystemsOwnFolder(e)) names.push_back(e.name);
  while (plat::FindNext(h, &e));
  plat::FindClose(h);
  return names;
}

// The room on the temporary folder's drive; -1 when it cannot be read.
int64_t TemporaryRoom(const Test& s) {
  plat::DiskGeometry g;
  if (!plat::DiskFreeSpace(DriveRoot(WithOneBackslash(s.run.settings.temporary)), &g)) return -1;
  return static_cast<int64_t>(g.sectorsPerCluster) * g.bytesPerSector * g.freeClusters;
}

// The temporary folder holds each disk's test files until both disks are
// compared, and one read-back piece at a time: false (told) when it has
// less room than need.
bool RoomForTest(Test& s, int64_t need) {
  const int64_t room = TemporaryRoom(s);
  if (room < 0 || room >= need) return true;
  Tell(s, kTextNoTempRoom, s.run.settings.temporary + ": " + std::to_string(need) + " / " + std::to_string(room));
  return false;
}

int64_t PieceLimit(const Test& s) {
  return s.run.settings.pieceLimit > 0 ? s.run.settings.pieceLimit : kLargestTestPiece;
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
  disk->cluster = cluster > 0 ? cluster : 1;
  disk->total = cluster * g.totalClusters;
  disk->free = cluster * g.freeClusters;
  disk->entries = UsersEntries(s.root);
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
  prompt.message = TrimmedText(387) + " " + s.root + TrimmedText(388);
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
    if (k == 1 && plat::PathExists(s.pieces[0].front().d)) {
      Tell(s, kTextFirstDiskAgain);
      continue;
    }
    if (!disk->Empty()) {
      if (erased) {
        Tell(s, kTextStillNotEmpty);
        continue;
      }
      if (!s.autoErase) {
        NotEmptyPrompt busy{prompt.drive, disk->free, disk->total, static_cast<int64_t>(disk->entries.size()),
                            prompt.eraseShown};
        if (Decide(s, Ask(s.run.person.diskNotEmpty, busy, &s.autoErase)) == Next::Stop) return false;
        ask = false;  // read the disk again and decide anew
        continue;
      }
      // Entry by entry, leaving the system's own folders alone.
      std::string failed;
      for (const std::string& name : disk->entries) {
        const uint32_t flags = plat::QuietShellFlags(s.run.settings.silent) | plat::kShellNoConfirmation;
        const uint32_t code = plat::ShellFileOperation(plat::ShellOp::Delete, s.root + name, "", flags);
        if (code != 0 && failed.empty()) failed = s.root + name + ": " + plat::ErrorText(code);
      }
      if (!failed.empty()) {
        Tell(s, 1117, failed);
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

bool MakePiece(Test& s, Piece* piece) {
  if (!MakeTemporary(s, &piece->t) || !MakeTemporary(s, &piece->r)) return false;
  piece->d = s.root + FileNameOf(piece->t);
  return true;
}

bool MakeNames(Test& s) {
  for (int k = 0; k < 2; ++k)
    if (!MakePiece(s, &s.pieces[k].emplace_back())) return false;
  return true;
}

// Cuts a disk's free space into pieces no file system refuses (FAT32 holds
// less than 4 GiB in one file), each but the last whole clusters, naming
// the pieces beyond the first.
bool CutIntoPieces(Test& s, int k, const TestDisk& disk) {
  const int64_t free = disk.free;
  const int64_t limit = std::max(disk.cluster, PieceLimit(s) - PieceLimit(s) % disk.cluster);
  std::vector<Piece>& pieces = s.pieces[k];
  for (int64_t left = free, i = 0; left > 0; ++i) {
    if (i > 0 && !MakePiece(s, &pieces.emplace_back())) return false;
    pieces.back().size = std::min(left, limit);
    left -= pieces.back().size;
  }
  return true;
}

void CannotUseTestFile(Test& s) {
  PlayAlert();
  AskUser(kAskOk, s.run.owner.window, GetText(50), GetText(49), s.run.owner.boxRecord,
          s.run.owner.ownerRecord);
}

// Disk k: asked for, then its random data made and written, block by block,
// to its test files and onto the disk, as much as the disk has free.
bool FillDisk(Test& s, int k, DiskTestResult* result) {
  static const int kWaiting[] = {368, 371}, kCreating[] = {369, 372}, kCopying[] = {370, 373};
  Status(s, TrimmedText(kWaiting[k]));
  TestDisk disk;
  if (!WaitForTestDisk(s, k, &disk)) return false;
  if (!Going(s)) return false;
  // Disk 1's test files stay while disk 2's are written (disk 2 counted
  // as large as disk 1 until it is in the drive); one piece comes back at a time.
  const int64_t piece = std::min(disk.free, PieceLimit(s));
  const int64_t need = k == 0 ? 2 * disk.free + piece
                              : disk.free + std::max(piece, std::min(result->sizes[0], PieceLimit(s)));
  if (!RoomForTest(s, need) || !CutIntoPieces(s, k, disk)) return false;
  Status(s, TrimmedText(kCreating[k]));
  result->sizes[k] = disk.free;
  const uint32_t buffSize = static_cast<uint32_t>(s.run.settings.buffSize);
  const std::unique_ptr<char[]> buffer = MakeRandomBuffer(buffSize, s.run.random);
  if (!buffer) {
    CannotUseTestFile(s);
    return false;
  }
  if (!Going(s)) return false;
  Status(s, TrimmedText(kCopying[k]));
  for (const Piece& p : s.pieces[k]) {
    const bool there = plat::PathExists(p.d);
    const WriteResult written =
        WriteTestFiles(buffer.get(), buffSize, p.t, p.d, p.size, *s.run.job, s.run.progress, kClockTestDisks);
    if (written.outcome == WriteOutcome::Written) continue;
    // What the pass left on the disk is this run's; a file that was there before is not.
    if (!there) DeleteMade(s, p.d);
    for (const Piece& before : s.pieces[k]) {
      if (&before == &p) break;
      DeleteMade(s, before.d);
    }
    if (written.outcome == WriteOutcome::TestFileFailed) CannotUseTestFile(s);
    if (written.outcome == WriteOutcome::DiskFailed)
      Tell(s, kTextCopyToDiskFailed, plat::ErrorText(written.error));
    return false;
  }
  return true;
}

// Disk k asked for again, its test files copied back into the temporary
// folder and compared with what was written as they come, then deleted
// from the disk, each read-back piece as soon as it is compared. A file
// that cannot be read is asked for again.
bool ReadBack(Test& s, int k, DiskTestResult* result) {
  DiskPrompt prompt;
  prompt.verifying = true;
  prompt.eraseShown = false;
  prompt.drive = DriveShown(s);
  prompt.disk = k + 1;
  prompt.message = TrimmedText(375) + " " + std::to_string(k + 1) + TrimmedText(376) + " " + s.root + TrimmedText(377);
  bool noErase = false;  // the box is not shown while reading back
  size_t next = 0;       // the first piece not yet read back
  int64_t offset = 0;    // where it starts in the disk's test data
  for (;;) {
    const Next answer = Decide(s, Ask(s.run.person.insertDisk, prompt, &noErase));
    if (answer == Next::Stop) return false;
    if (answer == Next::Again) continue;
    Status(s, TrimmedText(k == 0 ? 378 : 379));
    for (; next < s.pieces[k].size(); ++next) {
      const Piece& p = s.pieces[k][next];
      // A file of another size is read as it is: the comparison finds it short or long.
      const ReadBackResult back = ReadBackAndCompare(p.d, p.r, p.t, p.size, s.run.settings.buffSize, *s.run.job,
                                                     s.run.progress, kClockTestDisks);
      if (!back.diskRead) break;
      result->compared[k] = back.compared;
      DeleteMade(s, p.r);
      if (back.compared.outcome == CompareOutcome::Aborted) return false;
      if (back.compared.outcome == CompareOutcome::Different) result->compared[k].position += offset;
      DeleteMade(s, p.d);
      if (back.compared.outcome != CompareOutcome::Equal) {
        // The verdict is made; the pieces after it only leave the disk.
        while (++next < s.pieces[k].size()) DeleteMade(s, s.pieces[k][next].d);
        return true;
      }
      offset += p.size;
    }
    if (next == s.pieces[k].size()) return true;
  }
}

// At Go: the disk in the drive, when one can be read, stands for both
// disks, so that a temporary folder far too small is told before any wait.
bool RoomAtGo(Test& s) {
  int64_t total = s.folderDisk ? s.run.settings.diskSize : 0;
  plat::DiskGeometry g;
  const std::string driveRoot = DriveRoot(s.root);
  if (!s.folderDisk && plat::DriveType(driveRoot) == plat::kDriveRemovable && plat::DiskFreeSpace(driveRoot, &g))
    total = static_cast<int64_t>(g.sectorsPerCluster) * g.bytesPerSector * g.totalClusters;
  return total <= 0 || RoomForTest(s, 2 * total + std::min(total, PieceLimit(s)));
}

// The steps up to the comparison; false when the run stopped on the way.
// Each disk is compared while it is read back; the status line then names
// the checks in the order of the disks.
bool Steps(Test& s, DiskTestResult* result) {
  if (!RoomAtGo(s)) return false;
  Status(s, TrimmedText(367));
  if (!MakeNames(s)) return false;
  if (!FillDisk(s, 0, result) || !Going(s) || !FillDisk(s, 1, result) || !Going(s)) return false;
  Status(s, TrimmedText(374));
  if (!ReadBack(s, 0, result) || !Going(s) || !ReadBack(s, 1, result) || !Going(s)) return false;
  Status(s, TrimmedText(380));
  Status(s, TrimmedText(381));
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
    Status(s, TrimmedText(384) + " " + s.root + TrimmedText(385));
    Tell(s, 386);
  } else {
    Status(s, kFlawsFound);
    Tell(s, 383);
  }
  // Only the files this run made, one by one: never a folder or a root.
  for (const std::string& path : s.made) DeleteMade(s, path);
  if (!s.undeleted.empty()) {
    std::string list;
    for (const std::string& line : s.undeleted) list += "\n" + line;
    Tell(s, kTextNotDeleted, list);
  }
  result.undeleted = s.undeleted;
  return result;
}

}  // namespace kst
