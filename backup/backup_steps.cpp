#include "backup/backup_steps.h"

#include <algorithm>

#include "backup/backup_texts.h"
#include "frame/clock/clock_counters.h"
#include "frame/dialogs/ask.h"
#include "frame/files/folders.h"
#include "frame/files/partial_files.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "split/crc_beside.h"
#include "split/owned_file.h"

namespace kst {

namespace {

std::string Drive(const RunState& s) { return DriveRoot(s.run.settings.destination).substr(0, 2); }

// The answer of a prompt that may be missing: a missing one is closed.
template <typename F, typename... A>
PromptAnswer Ask(const F& prompt, A&&... args) {
  return prompt ? prompt(std::forward<A>(args)...) : PromptAnswer::Closed;
}

// Something is on the disk (in the folder, for a folder disk).
bool HoldsFiles(const RunState& s, const DiskInDrive& disk) {
  if (s.run.settings.folderDisk) return disk.usedBytes > 0;
  return disk.freeBytes != disk.totalBytes;
}

// A split of this list that is recorded as carried and lies on the disk now
// in the drive: the disk must not be erased.
bool HoldsCarriedPiece(RunState& s, const std::string& root) {
  const ListImage image = Snapshot(*s.run.list);
  for (const FileEntry& e : image.entries)
    for (const SplitEntry& split : e.splits) {
      const std::string path = Trimmed(split.path);
      if (SameText(DriveRoot(path), root) && plat::SizeOfPath(path) == split.size) return true;
    }
  return false;
}

// Erases the whole drive of the destination, when the rules allow it now.
// False when the disk was not erased (told to the person).
bool EraseDisk(RunState& s, const std::string& root) {
  const uint32_t type = plat::DriveType(root);
  // A folder disk is never erased: its drive holds other things.
  const bool erasable = !s.run.settings.folderDisk &&
                        (type == plat::kDriveRemovable || (type == plat::kDriveCdRom && s.run.settings.cdDirect));
  if (!erasable) {
    Tell(s, 230, 232);
    return false;
  }
  if (HoldsCarriedPiece(s, root)) {
    Tell(s, 230, kTextHoldsCarriedPieces);
    return false;
  }
  const uint32_t code = plat::ShellFileOperation(plat::ShellOp::Delete, root + "*.*", "",
                                                 ShellFlags(s) | plat::kShellNoConfirmation);
  if (code != 0) {
    Tell(s, 230, kTextEraseFailed, plat::ErrorText(code));
    return false;
  }
  return true;
}

// Asks for a disk and makes it ready: readable, of the right kind, empty or
// accepted as it is (or erased), with the destination folder on it.
bool AcceptDisk(RunState& s) {
  const std::string root = DriveRoot(s.run.settings.destination);
  for (;;) {
    DiskPrompt prompt;
    prompt.drive = Drive(s);
    prompt.disk = static_cast<int>(s.disksDone + 1);
    prompt.message = TrimmedText(204) + " " + prompt.drive + TrimmedText(205);
    const Next next = Decide(s, Ask(s.run.person.insertDisk, prompt, &s.autoErase));
    if (next == Next::Stop) return false;
    if (next == Next::Again) continue;
    const uint32_t type = plat::DriveType(root);
    if (!s.run.settings.folderDisk && type != plat::kDriveRemovable && type != plat::kDriveCdRom) {
      Tell(s, 230, 232);
      continue;
    }
    DiskInDrive disk;
    if (!ReadDisk(s, &disk)) {
      Tell(s, 230, 231);
      continue;
    }
    bool ready = true;
    const bool folderDisk = s.run.settings.folderDisk;
    const std::string where = folderDisk ? WithOneBackslash(s.run.settings.destination) : root;
    while (ready && HoldsFiles(s, disk) && !s.autoErase) {
      NotEmptyPrompt busy{prompt.drive, disk.freeBytes, disk.totalBytes, CountEntries(where), !folderDisk};
      const PromptAnswer answer = Ask(s.run.person.diskNotEmpty, busy, &s.autoErase);
      if (answer == PromptAnswer::Go && !s.autoErase) break;
      if (Decide(s, answer) == Next::Stop) return false;
      if (!ReadDisk(s, &disk)) ready = false;
    }
    if (!ready) {
      Tell(s, 230, 231);
      continue;
    }
    // Erase right after the drive was checked, and only a disk with something on it.
    if (s.autoErase && HoldsFiles(s, disk)) {
      if (!EraseDisk(s, root)) continue;
      if (!ReadDisk(s, &disk)) {
        Tell(s, 230, 231);
        continue;
      }
    }
    const std::string folder = WithOneBackslash(s.run.settings.destination);
    if (folder != root && !MakeFolderPath(folder)) {
      Tell(s, 230, kTextNoDestinationFolder, folder + ": " + plat::ErrorText(plat::LastError()));
      continue;
    }
    RemoveLeftovers(s, folder);
    disk.present = true;
    s.disk = disk;
    return true;
  }
}

// Starts gathering the next CD in a new folder (CD folder variant).
bool StartCd(RunState& s) {
  int64_t size = s.run.settings.diskSize > 0 ? s.run.settings.diskSize : kFirstCdSize;
  Next next;
  while ((next = Decide(s, Ask(s.run.person.cdSize, &size))) == Next::Again) {
  }
  if (next == Next::Stop) return false;
  if (size <= 0) size = kFirstCdSize;
  s.cdFolder = MakeKstFolder(s.run.settings.temporary);
  if (s.cdFolder.empty()) {
    Tell(s, 230, kTextNoKstFolder, s.run.settings.temporary);
    s.run.job->keepGoing = false;
    return false;
  }
  s.cdBudget = size;
  s.cdReady = 0;
  s.beforeCd = Snapshot(*s.run.list).entries;
  s.disk = DiskInDrive{};
  s.disk.present = true;
  return true;
}

}  // namespace

uint32_t ShellFlags(const RunState& s) {
  return plat::QuietShellFlags(s.run.settings.silent) | plat::kShellNoConfirmMkdir;
}

void Tell(const RunState& s, int heading, int message, const std::string& detail) {
  std::string text = TrimmedText(message);
  if (!detail.empty()) text += (detail[0] == '\r' ? "" : " ") + detail;
  PlayAlert();
  AskUser(kAskOk, s.run.owner.window, GetText(heading), text, s.run.owner.boxRecord,
          s.run.owner.ownerRecord);
}

bool AbortConfirmed(const RunState& s) {
  return AskUser(kAskYesNo, s.run.owner.window, GetText(31), GetText(33), s.run.owner.boxRecord,
                 s.run.owner.ownerRecord) == kAnswerYes;
}

Next Decide(RunState& s, PromptAnswer answer) {
  if (answer == PromptAnswer::Go || answer == PromptAnswer::Refresh)
    return CheckPoint(*s.run.job) ? Next::Go : Next::Stop;
  if (answer == PromptAnswer::Closed || AbortConfirmed(s)) {
    s.run.job->keepGoing = false;
    return Next::Stop;
  }
  return Next::Again;  // No to the abort question: the prompt comes again
}

bool ReadDisk(const RunState& s, DiskInDrive* disk) {
  plat::DiskGeometry g;
  if (!plat::DiskFreeSpace(DriveRoot(s.run.settings.destination), &g)) return false;
  const int64_t cluster = static_cast<int64_t>(g.sectorsPerCluster) * g.bytesPerSector;
  disk->freeBytes = cluster * g.freeClusters;
  disk->totalBytes = cluster * g.totalClusters;
  disk->bytesPerSector = g.bytesPerSector;
  disk->clusterBytes = std::max<int64_t>(1, cluster);
  if (s.run.settings.folderDisk) {
    disk->clusterBytes = 1;
    disk->usedBytes = BytesInFolder(s.run.settings.destination);
    const int64_t left = std::max<int64_t>(0, s.run.settings.diskSize - disk->usedBytes);
    disk->freeBytes = std::min(disk->freeBytes, left);
    disk->totalBytes = s.run.settings.diskSize;
  }
  return disk->totalBytes > 0;
}

bool DiskWithRoom(RunState& s) {
  while (!s.disk.present || RoomLeft(s) <= 0) {
    if (s.disk.present && !CloseDisk(s)) return false;
    if (!CheckPoint(*s.run.job)) return false;
    if (IsCdFolderRun(s.run.settings) ? !StartCd(s) : !AcceptDisk(s)) return false;
  }
  return true;
}

int64_t RoomLeft(RunState& s) {
  if (IsCdFolderRun(s.run.settings)) return s.cdBudget;
  DiskInDrive now = s.disk;
  // The free space read again: sizes taken off would overstate it by the
  // slack of the last cluster of every file.
  if (!ReadDisk(s, &now)) return 0;
  s.disk.freeBytes = now.freeBytes;
  // A disk whose free space less 5 sectors is within the margin is full.
  if (now.freeBytes - 5 * now.bytesPerSector <= s.run.settings.margin) return 0;
  return now.freeBytes - s.run.settings.margin;
}

bool CloseDisk(RunState& s) {
  if (!s.disk.present) return true;
  s.disk.present = false;
  const bool cdFolder = IsCdFolderRun(s.run.settings);
  if (cdFolder && s.cdReady > 0) {
    FilesReadyPrompt ready{static_cast<int>(s.disksDone + 1), s.cdReady, s.cdFolder};
    PromptAnswer answer;
    do {
      answer = Ask(s.run.person.filesReady, ready);
    } while (answer == PromptAnswer::Abort && !AbortConfirmed(s));
    if (answer != PromptAnswer::Go) {
      s.run.job->keepGoing = false;  // the folder stays for the person to burn
      return false;
    }
    if (s.run.person.status) s.run.person.status(TrimmedText(1024));
  }
  if (cdFolder && !s.cdFolder.empty()) {
    const std::string folder = s.cdFolder.substr(0, s.cdFolder.size() - 1);
    if (plat::ShellFileOperation(plat::ShellOp::Delete, folder, "", ShellFlags(s) | plat::kShellNoConfirmation) != 0)
      Tell(s, 230, kTextCdFolderNotDeleted, folder);
    s.cdFolder.clear();
  }
  if (s.disk.holdsRunFiles) ++s.disksDone;
  s.disk.holdsRunFiles = false;
  AfterStep(s);
  return true;
}

void Carried(RunState& s, int64_t bytes) {
  s.disk.holdsRunFiles = true;
  s.carried += bytes;
  {
    std::lock_guard<std::mutex> lock(s.run.list->mutex);
    s.run.list->totalDone += bytes;
  }
  if (!IsCdFolderRun(s.run.settings)) return;
  s.cdBudget -= (bytes + kCdSectorBytes - 1) / kCdSectorBytes * kCdSectorBytes;
  s.cdReady += bytes;
}

std::string MakeKstFolder(const std::string& folder) {
  std::string name;
  if (plat::TempFileName(WithOneBackslash(folder), "KST", &name) == 0) return "";
  // The unique file's name becomes the folder's.
  if (!plat::DeleteOneFile(name) || !plat::CreateFolder(name)) return "";
  return WithOneBackslash(name);
}

namespace {

bool DiskFullCode(uint32_t error) {
  return error == plat::kErrDiskFull || error == plat::kErrHandleDiskFull || error == plat::kErrFileTooLarge;
}

constexpr uint32_t kErrHandleEof = 38;  // the file ended before the bytes asked for

FileStamp StampOfHandle(plat::FileHandle h) {
  FileStamp stamp;
  plat::FileTimes times;
  stamp.size = plat::FileSize(h);
  if (plat::FileGetTimes(h, &times)) stamp.written = times.write;
  return stamp;
}

// One chunk read into the buffer and written from it (to kNoFile: only
// read), its bytes added to the sum on the sum's thread while they are
// written (the system's own copy between files would never show them to
// the program).
bool CopySumming(RunState& s, plat::FileHandle from, plat::FileHandle to, uint32_t n, CrcBeside* crc,
                 uint64_t* got, uint64_t* put) {
  uint32_t read = 0, written = 0;
  CrcBesideWait(crc);
  if (!plat::FileRead(from, s.buffer.data(), n, &read)) return false;
  *got = read;
  CrcBesideStart(crc, s.buffer.data(), read);
  if (to == plat::kNoFile) written = read;
  else if (!plat::FileWrite(to, s.buffer.data(), read, &written)) return false;
  *put = written;
  return true;
}

// Moves bytes from one open file to the other through the run's buffer,
// summing them into *crc when it is given (to may be kNoFile then).
CopyResult Pour(RunState& s, plat::FileHandle from, plat::FileHandle to, int64_t bytes, uint32_t* crc) {
  if (s.buffer.empty()) s.buffer.resize(s.run.settings.buffSize > 0 ? s.run.settings.buffSize : kBuffSizeDefault);
  const uint32_t size = static_cast<uint32_t>(s.buffer.size());
  ClockCounters& clock = Clock(kClockSplitCopy);
  ClockStart(clock, bytes);  // every copy is an item of its own
  const ProgressScale scale = ScaleProgress((bytes + size - 1) / size);
  ProgressSink* bar = s.run.progress;
  if (bar && bar->setRange) bar->setRange(scale.range);
  CopyResult r;
  int64_t done = 0;
  CrcBeside sum;
  for (int64_t chunk = 1; done < bytes; ++chunk) {
    if (!CheckPoint(*s.run.job)) {
      r.fault = CopyFault::Stopped;
      break;
    }
    const uint32_t n = static_cast<uint32_t>(std::min<int64_t>(size, bytes - done));
    uint64_t got = 0, put = 0;
    const bool copied = crc ? CopySumming(s, from, to, n, &sum, &got, &put)
                            : plat::FileCopy(from, to, n, s.buffer.data(), size, &got, &put);
    if (!copied || got != n || put != n) {
      const uint32_t error = copied ? 0 : plat::LastError();
      // The whole buffer read, or a full disk: the target's side let it down.
      if (got == n || DiskFullCode(error))
        r = CopyResult{CopyFault::Target, error ? error : static_cast<uint32_t>(plat::kErrDiskFull)};
      else
        r = CopyResult{CopyFault::Source, error ? error : kErrHandleEof};
      break;
    }
    done += n;
    ClockAdd(clock, n);
    if (bar && bar->setPosition) bar->setPosition(static_cast<int>(chunk / scale.step));
  }
  if (bar && bar->setPosition) bar->setPosition(0);
  const uint32_t summed = CrcBesideEnd(&sum);  // the sum's thread is done with the buffer
  if (crc && r.fault == CopyFault::None) *crc = summed;
  return r;
}

}  // namespace

FileStamp StampOf(const std::string& path) {
  OwnedFile file(plat::FileOpen(path, plat::kRead, plat::Disposition::OpenExisting,
                                plat::kShareRead | plat::kShareWrite));
  return plat::OpenSucceeded(file.handle) ? StampOfHandle(file.handle) : FileStamp{};
}

CopyResult CopyPart(RunState& s, const CopyOrder& o) {
  const std::string partial = PartialNameOf(o.to);
  const bool replacing = o.commit && plat::PathExists(o.to);
  // A file of that name was there before this copy: the run did not put it there.
  if (replacing && !AskReplace(o.to, s.run.owner, false)) return CopyResult{CopyFault::Kept};
  // A partial copy is the program's own leftover.
  if (plat::PathExists(partial) && !plat::DeleteOneFile(partial))
    return CopyResult{CopyFault::Target, plat::LastError()};
  OwnedFile source(plat::FileOpen(o.from, plat::kRead, plat::Disposition::OpenExisting, plat::kShareRead));
  if (!plat::OpenSucceeded(source.handle)) return CopyResult{CopyFault::Source, plat::LastError()};
  if (o.offset > 0 && !plat::FileSeek(source.handle, o.offset))
    return CopyResult{CopyFault::Source, plat::LastError()};
  OwnedFile target(plat::FileOpen(partial, plat::kWrite, plat::Disposition::CreateNew, plat::kShareNone));
  if (!plat::OpenSucceeded(target.handle)) return CopyResult{CopyFault::Target, plat::LastError()};
  CopyResult r = Pour(s, source.handle, target.handle, o.bytes, o.crc);
  if (r.fault == CopyFault::None && o.carriedFile && !(StampOfHandle(source.handle) == s.fileStamp))
    r.fault = CopyFault::Changed;
  source.Close();
  if (!target.Close() && r.fault == CopyFault::None) r = CopyResult{CopyFault::Target, plat::LastError()};
  if (r.fault == CopyFault::None && plat::SizeOfPath(partial) != o.bytes)
    r = CopyResult{CopyFault::Target, plat::kErrDiskFull};
  if (r.fault == CopyFault::None && o.commit) {
    // The old file goes only now that its replacement is whole.
    if (replacing && plat::PathExists(o.to) && !plat::DeleteOneFile(o.to))
      r = CopyResult{CopyFault::Target, plat::LastError()};
    else if (!CommitPartial(partial, o.to))
      r = CopyResult{CopyFault::Target, plat::LastError()};
  }
  if (r.fault != CopyFault::None) plat::DeleteOneFile(partial);
  return r;
}

CopyResult SumPart(RunState& s, const CopyOrder& o, uint32_t* crc) {
  OwnedFile source(plat::FileOpen(o.from, plat::kRead, plat::Disposition::OpenExisting, plat::kShareRead));
  if (!plat::OpenSucceeded(source.handle)) return CopyResult{CopyFault::Source, plat::LastError()};
  if (o.offset > 0 && !plat::FileSeek(source.handle, o.offset))
    return CopyResult{CopyFault::Source, plat::LastError()};
  CopyResult r = Pour(s, source.handle, plat::kNoFile, o.bytes, crc);
  if (r.fault == CopyFault::None && o.carriedFile && !(StampOfHandle(source.handle) == s.fileStamp))
    r.fault = CopyFault::Changed;
  return r;
}

void RemoveLeftovers(RunState& s, const std::string& folder) {
  const ListImage image = Snapshot(*s.run.list);
  for (const FileEntry& e : image.entries) {
    const std::string name = SplitBaseName(e.path);
    RemovePartialLeftovers(folder, name);
    RemovePartialLeftovers(folder, name + ".*");
  }
}

bool CopyChecked(const RunState& s, const std::string& from, const std::string& to) {
  const uint32_t code = plat::ShellFileOperation(plat::ShellOp::Copy, from, to,
                                                 ShellFlags(s) | plat::kShellNoConfirmation);
  const int64_t size = plat::SizeOfPath(from);
  if (code == 0 && size >= 0 && plat::SizeOfPath(to) == size) return true;
  plat::DeleteOneFile(to);
  return false;
}

BackupFigures Figures(RunState& s) {
  int64_t totalSize, totalDone;
  {
    std::lock_guard<std::mutex> lock(s.run.list->mutex);
    totalSize = s.run.list->totalSize;
    totalDone = s.run.list->totalDone;
  }
  const int64_t elapsed = static_cast<int64_t>((plat::TickCount() - s.startTick) / 1000);
  return FiguresAt(s.run.settings, totalSize, totalDone, s.disksDone, s.startTime, elapsed);
}

void AfterStep(RunState& s) {
  if (s.run.saveFiles && s.run.saveFiles->autoSave) {
    size_t count;
    {
      std::lock_guard<std::mutex> lock(s.run.list->mutex);
      count = s.run.list->image.entries.size();
    }
    // A longer list cannot be saved; the person was told at Go.
    if (count <= kMostSavedEntries) AutoSaveList(*s.run.list, *s.run.saveFiles, s.run.owner);
  }
  if (s.run.person.figures) s.run.person.figures(Figures(s));
}

}  // namespace kst
