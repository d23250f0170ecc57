#include "restore/restore_worker.h"

#include <algorithm>
#include <cstring>

#include "frame/clock/clock_counters.h"
#include "frame/dialogs/ask.h"
#include "frame/dialogs/run_figures.h"
#include "frame/files/file_info.h"
#include "frame/files/folders.h"
#include "frame/files/partial_files.h"
#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "frame/threads/prompt_repeats.h"
#include "restore/check_sums.h"
#include "restore/restore_names.h"
#include "restore/restore_texts.h"
#include "split/owned_file.h"

namespace kst {

namespace {

std::string RootOf(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) + "\\" : std::string();
}

struct RunState {
  RestoreRun& run;
  RestoreFigures figures;
  uint64_t startTick = 0;
  int64_t taken = 0;
  bool failed = false;
  bool gaveUp = false;
  std::vector<std::string> kept;
  PromptRepeats repeats;  // disks that brought nothing, in a row
  int disk = 0;           // the disk in the drive, counted from 1
};

// The disk just fed brought nothing, and it looked as state says. True
// (told) on the third time in a row with nothing changed: the run ends.
bool NothingNewAgain(RunState& s, const std::string& state) {
  if (!GivesUp(&s.repeats, state)) return false;
  s.gaveUp = true;
  TellRestore(kTextNothingNewHeading, kTextNothingNew, RootOf(s.run.settings.origin).substr(0, 2), s.run.owner);
  return true;
}

// What a disk shows of itself: its files' names and sizes.
std::string Listing(const std::vector<OriginFile>& files) {
  std::string text;
  for (const OriginFile& f : files) text += f.relative + "|" + std::to_string(f.size) + "\n";
  return text;
}

// The system's words for code, after a blank ("" for no code).
std::string SystemSays(uint32_t code) {
  return code == plat::kErrNone ? std::string() : " " + TrimmedText(kTextSystemSays) + " " + plat::ErrorText(code);
}

// True when both files hold the same bytes.
bool SameBytes(const std::string& a, const std::string& b) {
  const int64_t size = plat::SizeOfPath(a);
  if (size < 0 || size != plat::SizeOfPath(b)) return false;
  OwnedFile fa(plat::FileOpen(a, plat::kRead, plat::Disposition::OpenExisting, plat::kShareRead));
  OwnedFile fb(plat::FileOpen(b, plat::kRead, plat::Disposition::OpenExisting, plat::kShareRead));
  if (!plat::OpenSucceeded(fa.handle) || !plat::OpenSucceeded(fb.handle)) return false;
  constexpr uint32_t kBlock = 1 << 16;
  std::vector<char> x(kBlock), y(kBlock);
  for (int64_t left = size; left > 0;) {
    const uint32_t want = static_cast<uint32_t>(std::min<int64_t>(left, kBlock));
    uint32_t ga = 0, gb = 0;
    if (!plat::FileRead(fa.handle, x.data(), want, &ga) || !plat::FileRead(fb.handle, y.data(), want, &gb) ||
        ga != want || gb != want || std::memcmp(x.data(), y.data(), want) != 0)
      return false;
    left -= want;
  }
  return true;
}

void ShowFigures(RunState& s) {
  const RestoreSettings& o = s.run.settings;
  RestoreFigures& f = s.figures;
  const int64_t elapsed = static_cast<int64_t>((plat::TickCount() - s.startTick) / 1000);
  f.disksLeft = o.disksToRead > 0 ? o.disksToRead - f.disksDone : 0;
  const DiskRunEstimate estimate = EstimateDiskRun(f.startTime, elapsed, f.disksDone, f.disksLeft);
  f.timeLeft = estimate.timeLeft;
  f.eta = estimate.eta;
  if (s.run.person.figures) s.run.person.figures(f);
}

JoinContext WorkerJoins(RunState& s) {
  JoinContext c;
  c.list = s.run.list;
  c.job = s.run.job;
  c.progress = s.run.progress;
  c.buffSize = static_cast<uint32_t>(s.run.settings.buffSize > 0 ? s.run.settings.buffSize : kBuffSizeDefault);
  c.autoName = s.run.settings.autoName;
  c.silent = s.run.settings.silent;
  c.nameTarget = s.run.person.nameTarget;
  c.owner = s.run.owner;
  return c;
}

AutoJoinOptions JoinOptions(const RestoreSettings& o) { return {o.autoJoin, o.autoJoinDelete}; }

// A join the worker runs itself; one that fails ends the run too (a
// damaged split was told, and waits for another copy: the run goes on).
bool JoinOnWorker(RunState& s, const AddResult& added) {
  if (!added.joinNow) return true;
  JoinContext c = WorkerJoins(s);
  const JoinOutcome outcome = JoinMainFile(c, {added.recordId, added.deleteSplits, false});
  if (s.run.person.listChanged) s.run.person.listChanged();
  if (outcome == JoinOutcome::Failed || outcome == JoinOutcome::Stopped) {
    s.failed = outcome == JoinOutcome::Failed;
    s.run.job->keepGoing = false;
    return false;
  }
  return true;
}

// A split above MaxSizeToCopy appended straight from the disk. True when it
// was (or when the run must stop); false when it is to be copied instead.
bool ReadInPlace(RunState& s, OriginFile& f, const std::string& target) {
  const RestoreSettings& o = s.run.settings;
  int number = 0;
  if (!o.autoJoin || !o.autoJoinDelete || f.size <= o.maxSizeToCopy ||
      !SplitNameParts(target, nullptr, &number) || number < 2 || !CanAppendInPlace(*s.run.list, target))
    return false;
  const AddResult added =
      AddToRestoreList(*s.run.list, {f.path, target, f.size, AddSource::InPlace, f.path, s.disk}, JoinOptions(o),
                       s.run.owner);
  if (!added.added) return false;
  if (!JoinOnWorker(s, added)) {
    ForgetInPlace(*s.run.list, target);  // the list never points at the disk once it is gone
    return true;
  }
  const Arrival after = ArrivalOf(*s.run.list, target, f.size);
  // Told; it stays listed where it is, brought nothing, and is no file of
  // the disk that the offer to delete them takes.
  if (after == Arrival::Damaged) return true;
  if (after != Arrival::Appended) {
    ForgetInPlace(*s.run.list, target);  // not appended after all: copied below
    return false;
  }
  f.done = true;
  ++s.taken;
  s.figures.totalSize += f.size;
  return true;
}


enum class Placed { Done, Same, Kept, Failed };

// Gives the whole, checked copy at partial the name target. A file at
// target that holds other bytes is replaced only when the person says so:
// asked by the person's own question, or else by the shell's.
Placed PlaceCopy(RunState& s, const std::string& partial, const std::string& target, bool agreed,
                 uint32_t* code) {
  if (CommitPartial(partial, target)) return Placed::Done;
  *code = plat::LastError();
  if (*code != plat::kErrAlreadyExists && *code != plat::kErrFileExists) return Placed::Failed;
  Placed placed = Placed::Done;
  if (SameBytes(partial, target)) {
    placed = Placed::Same;
  } else {
    uint32_t flags = plat::QuietShellFlags(s.run.settings.silent);
    if (!agreed && s.run.person.replaceFile) {
      agreed = s.run.person.replaceFile(target);
      if (!agreed) placed = Placed::Kept;
    }
    if (agreed) flags |= plat::kShellNoConfirmation;
    if (placed == Placed::Done) {
      *code = plat::ShellFileOperation(plat::ShellOp::Copy, partial, target, flags);
      if (*code == plat::kErrCancelled) placed = Placed::Kept;
      else if (*code != 0) placed = Placed::Failed;
    }
  }
  plat::DeleteOneFile(partial);
  return placed;
}

// Copies one file into the destination and lists it. False when the run ends.
bool TakeFile(RunState& s, OriginFile& f) {
  const RestoreSettings& o = s.run.settings;
  const std::string target = o.destination + (o.keepStructure ? f.relative : FileNameOf(f.path));
  if (plat::SameObject(f.path, target)) {  // the disk's file is the destination's: nothing to copy
    f.done = true;
    return true;
  }
  if (ReadInPlace(s, f, target)) return s.run.job->keepGoing;
  const Arrival arrival = ArrivalOf(*s.run.list, target, f.size);
  switch (arrival) {
    case Arrival::Appended:  // joined already: nothing to take
    case Arrival::Known:     // its batch, listed already
      f.done = true;
      return true;
    case Arrival::Conflict:  // the file is never marked joined: the person checks the disks
      TellRestore(kTextOtherFileHeading, kTextSplitConflict, f.path, s.run.owner);
      return true;
    case Arrival::Busy:
      TellRestore(348, kTextNotTakenBusy, f.path, s.run.owner);  // "Pay Attention!"; the run goes on
      return true;
    case Arrival::Damaged:  // a file this run made, found damaged: this copy takes its place
      break;
    case Arrival::Different:
      PlayAlert();
      if (AskOwner(s.run.owner, kAskYesNo, kTextOtherFileHeading, TrimmedText(kTextOtherFile) + " " + target) != kAnswerYes)
        return true;
      break;
    case Arrival::New:
    case Arrival::Refeed:
      break;
  }
  if (o.keepStructure) MakeFolderPath(FolderOf(target));
  // The copy wears its partial name until it is whole and checked.
  const std::string partial = PartialNameOf(target);
  plat::SetAttributes(partial, plat::kAttrNormal);
  plat::DeleteOneFile(partial);  // a leftover of a copy that was cut off
  uint32_t code = plat::ShellFileOperation(plat::ShellOp::Copy, f.path, partial,
                                           plat::kShellNoConfirmation | plat::QuietShellFlags(o.silent));
  Placed placed = Placed::Failed;
  if (code == 0 && plat::SizeOfPath(partial) == f.size) {
    plat::SetAttributes(partial, plat::kAttrNormal);  // a CD's copies come read-only
    placed = PlaceCopy(s, partial, target, arrival == Arrival::Different || arrival == Arrival::Damaged, &code);
  } else {
    if (code == 0) code = plat::kErrDiskFull;
    plat::DeleteOneFile(partial);
  }
  if (placed == Placed::Kept) {
    s.kept.push_back(target);
    return true;
  }
  if (placed == Placed::Failed) {
    PlayAlert();
    const std::string message = TrimmedText(340) + " " + f.path + TrimmedText(341) + " " + target + TrimmedText(342) + SystemSays(code);
    return AskOwner(s.run.owner, kAskYesNo, 339, message) != kAnswerYes;
  }
  ClockAdd(Clock(kClockCopyJoin), f.size);
  f.done = true;
  // A file already in the destination with these bytes (a disk fed again)
  // brought nothing new: the disk is not counted for it.
  if (placed == Placed::Done && arrival != Arrival::Refeed) ++s.taken;
  s.figures.totalSize += f.size;
  const AddResult added =
      AddToRestoreList(*s.run.list, {target, "", f.size, AddSource::Copied, f.path, s.disk}, JoinOptions(o),
                       s.run.owner);
  if (s.run.person.listChanged) s.run.person.listChanged();
  if (added.full) {
    s.failed = true;
    return false;
  }
  return JoinOnWorker(s, added);
}

// Offers to delete the disk's files when every one of them was taken, and
// deletes exactly those.
void OfferDeleteOrigin(RunState& s, const std::vector<OriginFile>& files) {
  const RestoreSettings& o = s.run.settings;
  if (!o.copyAll || !o.deleteOrigin || !s.run.job->keepGoing || files.empty()) return;
  for (const OriginFile& f : files)
    if (!f.done) return;
  if (AskOwner(s.run.owner, kAskYesNo, 343, TrimmedText(344) + " " + o.origin + TrimmedText(345)) != kAnswerYes) return;
  bool ok = true;
  for (const OriginFile& f : files) {
    plat::SetAttributes(f.path, plat::kAttrNormal);
    ok = plat::DeleteOneFile(f.path) && ok;
  }
  if (!ok) {
    PlayAlert();
    AskOwner(s.run.owner, kAskOk, 346, FullText(347));
  }
}

// The disk in the drive can be read. Told when not.
bool DiskReadable(RunState& s) {
  const std::string root = RootOf(s.run.settings.origin);
  if (!s.run.settings.anyOriginDrive) {
    const uint32_t type = plat::DriveType(root);
    if (type != plat::kDriveRemovable && type != plat::kDriveCdRom) {
      PlayAlert();
      AskOwner(s.run.owner, kAskOk, 348, FullText(350));
      return false;
    }
  }
  plat::DiskGeometry geometry;
  if (!plat::DiskFreeSpace(root, &geometry) || !IsFolder(s.run.settings.origin)) {
    PlayAlert();
    AskOwner(s.run.owner, kAskOk, 348, TrimmedText(349));
    return false;
  }
  return true;
}

// Asks for a disk until one comes or the person ends the feeding. False
// when the run ends.
bool NextDisk(RunState& s, int disk) {
  for (;;) {
    if (!CheckPoint(*s.run.job)) return false;
    RestoreDiskPrompt prompt;
    prompt.drive = RootOf(s.run.settings.origin).substr(0, 2);
    prompt.message = TrimmedText(323) + " " + prompt.drive + TrimmedText(324);
    prompt.disk = disk;
    bool copyAll = s.run.settings.copyAll;
    const DiskAnswer answer = s.run.person.insertDisk ? s.run.person.insertDisk(prompt, &copyAll) : DiskAnswer::Closed;
    s.run.settings.copyAll = copyAll;
    if (answer == DiskAnswer::Closed) return false;
    if (answer == DiskAnswer::Abort) {
      if (AskOwner(s.run.owner, kAskYesNo, 31, TrimmedText(33)) == kAnswerYes) return false;
      continue;
    }
    if (DiskReadable(s)) return true;
    if (NothingNewAgain(s, "unreadable")) return false;
  }
}

// The person's file selection; an origin chosen there is checked as at
// Go and read from then on. False when the run ends.
bool SelectFiles(RunState& s, std::vector<OriginFile>* files) {
  RestoreRun& run = s.run;
  RestoreSettings moved = run.settings;
  if (!run.person.selectFiles(&moved.origin, files)) return false;
  moved.origin = OneBackslash(moved.origin);
  if (moved.origin == run.settings.origin) return true;
  if (const RestoreRefusal refusal = CheckRestoreAtGo(moved)) {
    PlayAlert();
    AskOwner(run.owner, kAskOk, refusal.heading,
        refusal.detail.empty() ? TrimmedText(refusal.message) : TrimmedText(refusal.message) + " " + refusal.detail);
    return false;
  }
  run.settings.origin = moved.origin;
  return true;
}

}  // namespace

std::vector<OriginFile> ListOriginFiles(const std::string& origin) {
  std::vector<OriginFile> files;
  WalkFolder(origin, "*.*", true, [&](const std::string& folder, const FileInfo& info) {
    if (IsPartialName(info.name)) return true;
    OriginFile f;
    f.path = folder + info.name;
    f.relative = f.path.substr(origin.size());
    f.size = info.size;
    files.push_back(std::move(f));
    return true;
  });
  return files;
}

std::string OneBackslash(const std::string& folder) {
  std::string path = Trimmed(folder);
  while (path.size() > 1 && path.back() == '\\') path.pop_back();
  return path.empty() ? path : path + "\\";
}

RestoreRefusal CheckRestoreAtGo(const RestoreSettings& settings) {
  const std::string origin = OneBackslash(settings.origin), destination = OneBackslash(settings.destination);
  if (origin.empty() || destination.empty() || RootOf(origin).empty() || RootOf(destination).empty())
    return {304, kTextNoFolders, ""};
  const uint32_t originType = plat::DriveType(RootOf(origin));
  if (!settings.anyOriginDrive && originType != plat::kDriveRemovable && originType != plat::kDriveCdRom)
    return {285, 286, origin};
  const uint32_t destinationType = plat::DriveType(RootOf(destination));
  if (!IsFolder(destination) || (destinationType != plat::kDriveFixed && destinationType != plat::kDriveRamDisk))
    return {288, 289, destination};
  // Decided by object: a link or another drive letter to the same folder
  // is the same folder.
  if (IsWithinFolder(origin, destination) || IsWithinFolder(destination, origin))
    return {285, kTextFoldersOverlap, destination};
  return {};
}

void ListDestinationPieces(RestoreList& list, const std::string& destination, const MessageOwner& owner) {
  WalkFolder(destination, "*.*", true, [&](const std::string& folder, const FileInfo& info) {
    AddToRestoreList(list, {folder + info.name, "", info.size, AddSource::Found}, {false, false}, owner);
    return true;
  });
}

RestoreResult RunRestore(RestoreRun run) {
  RestoreResult result;
  run.settings.origin = OneBackslash(run.settings.origin);
  run.settings.destination = OneBackslash(run.settings.destination);
  if (const RestoreRefusal refusal = CheckRestoreAtGo(run.settings)) {
    PlayAlert();
    AskOwner(run.owner, kAskOk, refusal.heading,
        refusal.detail.empty() ? TrimmedText(refusal.message) : TrimmedText(refusal.message) + " " + refusal.detail);
    return result;
  }
  RunState s{run, {}, 0, 0, false, false, {}, {}, 0};
  // What an earlier run left in the destination counts.
  ListDestinationPieces(*run.list, run.settings.destination, run.owner);
  s.startTick = plat::TickCount();
  const plat::LocalTime now = plat::Now();
  s.figures.startTime = now.hour * 3600 + now.minute * 60 + now.second;
  ShowFigures(s);
  result.outcome = RestoreOutcome::Done;
  for (int disk = 1; NextDisk(s, disk); ++disk) {
    s.disk = run.settings.disksBefore + disk;
    std::vector<OriginFile> files = ListOriginFiles(run.settings.origin);
    // A disk's check files are taken first, so that a join its other files
    // complete finds the sums read.
    std::stable_partition(files.begin(), files.end(),
                          [](const OriginFile& f) { return CheckNameBase(f.path, nullptr); });
    if (files.empty()) {
      PlayAlert();
      AskOwner(run.owner, kAskOk, 337, TrimmedText(338));
      if (NothingNewAgain(s, "")) break;
      --disk;
      continue;
    }
    if (!run.settings.copyAll && run.person.selectFiles && !SelectFiles(s, &files)) {
      result.outcome = RestoreOutcome::Aborted;
      break;
    }
    int64_t bytes = 0;
    for (const OriginFile& f : files) bytes += f.selected || run.settings.copyAll ? f.size : 0;
    ClockStart(Clock(kClockCopyJoin), bytes);
    const int64_t takenBefore = s.taken;
    const ProgressScale scale = ScaleProgress(static_cast<int64_t>(files.size()));
    if (run.progress && run.progress->setRange) run.progress->setRange(scale.range);
    for (size_t i = 0; i < files.size(); ++i) {
      if (!CheckPoint(*run.job)) break;
      if (!run.settings.copyAll && !files[i].selected) continue;
      if (run.progress && run.progress->setPosition) run.progress->setPosition(static_cast<int>(i / scale.step));
      if (!TakeFile(s, files[i])) {
        if (!s.failed) run.job->keepGoing = false;
        break;
      }
    }
    if (run.progress && run.progress->setPosition) run.progress->setPosition(0);
    if (!run.job->keepGoing) {
      result.outcome = s.failed ? RestoreOutcome::Failed : RestoreOutcome::Aborted;
      break;
    }
    OfferDeleteOrigin(s, files);
    if (s.taken == takenBefore) {  // nothing taken: the same disk is asked for again
      if (NothingNewAgain(s, Listing(files))) break;
      --disk;
      continue;
    }
    s.repeats = PromptRepeats();
    ++s.figures.disksDone;
    ShowFigures(s);
    if (run.settings.disksToRead > 0 && s.figures.disksDone >= run.settings.disksToRead) break;
  }
  if (result.outcome == RestoreOutcome::Done && !run.job->keepGoing) result.outcome = RestoreOutcome::Aborted;
  if (s.gaveUp) result.outcome = RestoreOutcome::GaveUp;
  result.kept = s.kept;
  result.figures = s.figures;
  result.filesTaken = s.taken;
  return result;
}

}  // namespace kst
