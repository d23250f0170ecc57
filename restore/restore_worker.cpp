#include "restore/restore_worker.h"

#include "frame/ask.h"
#include "frame/clock_counters.h"
#include "frame/file_info.h"
#include "frame/folders.h"
#include "frame/platform/platform.h"
#include "frame/text_numbers.h"
#include "frame/texts.h"
#include "restore/restore_names.h"
#include "restore/restore_texts.h"

namespace kst {

namespace {

std::string Text(int id) { return Trimmed(GetText(id)); }

int Ask(const RestoreRun& run, int style, int heading, const std::string& message) {
  return AskUser(style, run.owner.window, Text(heading), message, run.owner.boxRecord, run.owner.ownerRecord);
}

std::string RootOf(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) + "\\" : std::string();
}

bool IsFolder(const std::string& path) {
  const uint32_t attributes = plat::GetAttributes(path);
  return attributes != plat::kAttrInvalid && (attributes & plat::kAttrDirectory);
}

bool Inside(const std::string& path, const std::string& folder) {
  return path.size() >= folder.size() && SameText(path.substr(0, folder.size()), folder);
}

struct RunState {
  RestoreRun& run;
  RestoreFigures figures;
  uint64_t startTick = 0;
  int64_t taken = 0;
  bool failed = false;
};

void ShowFigures(RunState& s) {
  const RestoreSettings& o = s.run.settings;
  RestoreFigures& f = s.figures;
  const int64_t elapsed = static_cast<int64_t>((plat::TickCount() - s.startTick) / 1000);
  f.disksLeft = o.disksToRead > 0 ? o.disksToRead - f.disksDone : 0;
  f.timeLeft = f.disksDone == 0 ? f.disksLeft * 60 : elapsed * f.disksLeft / f.disksDone;
  f.eta = (f.startTime + elapsed + f.timeLeft) % 86400;
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

// A join the worker runs itself; one that fails ends the run too.
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
      AddToRestoreList(*s.run.list, {f.path, target, f.size, AddSource::InPlace}, JoinOptions(o), s.run.owner);
  if (!added.added) return false;
  if (!JoinOnWorker(s, added)) return true;
  if (ArrivalOf(*s.run.list, target, f.size) != Arrival::Appended) {
    ForgetInPlace(*s.run.list, target);  // not appended after all: copied below
    return false;
  }
  f.done = true;
  ++s.taken;
  s.figures.totalSize += f.size;
  return true;
}

// Copies one file into the destination and lists it. False when the run ends.
bool TakeFile(RunState& s, OriginFile& f) {
  const RestoreSettings& o = s.run.settings;
  const std::string target = o.destination + (o.keepStructure ? f.relative : FileNameOf(f.path));
  if (ReadInPlace(s, f, target)) return s.run.job->keepGoing;
  const Arrival arrival = ArrivalOf(*s.run.list, target, f.size);
  switch (arrival) {
    case Arrival::Appended:  // joined already: nothing to take
    case Arrival::Known:     // its batch, listed already
      f.done = true;
      return true;
    case Arrival::Busy:
      return true;
    case Arrival::Different:
      PlayAlert();
      if (Ask(s.run, kAskYesNo, kTextOtherFileHeading, Text(kTextOtherFile) + " " + target) != kAnswerYes)
        return true;
      break;
    case Arrival::New:
    case Arrival::Refeed:
      break;
  }
  if (o.keepStructure) MakeFolderPath(FolderOf(target));
  const uint32_t flags = plat::kShellNoConfirmation | (o.silent ? plat::kShellSilent : 0u);
  const uint32_t code = plat::ShellFileOperation(plat::ShellOp::Copy, f.path, target, flags);
  if (code != 0 || plat::SizeOfPath(target) != f.size) {
    PlayAlert();
    const std::string message = Text(340) + " " + f.path + Text(341) + " " + target + Text(342);
    return Ask(s.run, kAskYesNo, 339, message) != kAnswerYes;
  }
  plat::SetAttributes(target, plat::kAttrNormal);  // a CD's copies come read-only
  ClockAdd(Clock(kClockCopyJoin), f.size);
  f.done = true;
  // A split listed already, fed again, is copied over itself: the disk
  // brought nothing new and is not counted.
  if (arrival != Arrival::Refeed) ++s.taken;
  s.figures.totalSize += f.size;
  const AddResult added =
      AddToRestoreList(*s.run.list, {target, "", f.size, AddSource::Copied}, JoinOptions(o), s.run.owner);
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
  if (Ask(s.run, kAskYesNo, 343, Text(344) + " " + o.origin + Text(345)) != kAnswerYes) return;
  bool ok = true;
  for (const OriginFile& f : files) {
    plat::SetAttributes(f.path, plat::kAttrNormal);
    ok = plat::DeleteOneFile(f.path) && ok;
  }
  if (!ok) {
    PlayAlert();
    Ask(s.run, kAskOk, 346, FullText(347));
  }
}

// The disk in the drive can be read. Told when not.
bool DiskReadable(RunState& s) {
  const std::string root = RootOf(s.run.settings.origin);
  if (!s.run.settings.anyOriginDrive) {
    const uint32_t type = plat::DriveType(root);
    if (type != plat::kDriveRemovable && type != plat::kDriveCdRom) {
      PlayAlert();
      Ask(s.run, kAskOk, 348, FullText(350));
      return false;
    }
  }
  plat::DiskGeometry geometry;
  if (!plat::DiskFreeSpace(root, &geometry) || !IsFolder(s.run.settings.origin)) {
    PlayAlert();
    Ask(s.run, kAskOk, 348, Text(349));
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
    prompt.message = Text(323) + " " + prompt.drive + Text(324);
    prompt.disk = disk;
    bool copyAll = s.run.settings.copyAll;
    const DiskAnswer answer = s.run.person.insertDisk ? s.run.person.insertDisk(prompt, &copyAll) : DiskAnswer::Closed;
    s.run.settings.copyAll = copyAll;
    if (answer == DiskAnswer::Closed) return false;
    if (answer == DiskAnswer::Abort) {
      if (Ask(s.run, kAskYesNo, 31, Text(33)) == kAnswerYes) return false;
      continue;
    }
    if (DiskReadable(s)) return true;
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
    Ask(run, kAskOk, refusal.heading,
        refusal.detail.empty() ? Text(refusal.message) : Text(refusal.message) + " " + refusal.detail);
    return false;
  }
  run.settings.origin = moved.origin;
  return true;
}

}  // namespace

std::vector<OriginFile> ListOriginFiles(const std::string& origin) {
  std::vector<OriginFile> files;
  WalkFolder(origin, "*.*", true, [&](const std::string& folder, const FileInfo& info) {
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
  if (Inside(origin, destination) || Inside(destination, origin)) return {285, kTextFoldersOverlap, destination};
  return {};
}

RestoreResult RunRestore(RestoreRun run) {
  RestoreResult result;
  run.settings.origin = OneBackslash(run.settings.origin);
  run.settings.destination = OneBackslash(run.settings.destination);
  if (const RestoreRefusal refusal = CheckRestoreAtGo(run.settings)) {
    PlayAlert();
    Ask(run, kAskOk, refusal.heading,
        refusal.detail.empty() ? Text(refusal.message) : Text(refusal.message) + " " + refusal.detail);
    return result;
  }
  RunState s{run, {}, 0, 0, false};
  s.startTick = plat::TickCount();
  const plat::LocalTime now = plat::Now();
  s.figures.startTime = now.hour * 3600 + now.minute * 60 + now.second;
  ShowFigures(s);
  result.outcome = RestoreOutcome::Done;
  for (int disk = 1; NextDisk(s, disk); ++disk) {
    std::vector<OriginFile> files = ListOriginFiles(run.settings.origin);
    if (files.empty()) {
      PlayAlert();
      Ask(run, kAskOk, 337, Text(338));
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
      --disk;
      continue;
    }
    ++s.figures.disksDone;
    ShowFigures(s);
    if (run.settings.disksToRead > 0 && s.figures.disksDone >= run.settings.disksToRead) break;
  }
  if (result.outcome == RestoreOutcome::Done && !run.job->keepGoing) result.outcome = RestoreOutcome::Aborted;
  result.figures = s.figures;
  result.filesTaken = s.taken;
  return result;
}

}  // namespace kst
