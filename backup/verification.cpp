#include "backup/verification.h"

#include "backup/backup_texts.h"
#include "compare/compare_blocks.h"
#include "frame/clock/clock_counters.h"
#include "frame/dialogs/ask.h"
#include "frame/files/partial_files.h"
#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"

namespace kst {

namespace {

// The text of this file that the text table adds.
constexpr int kTextRedoKept = 1477;

// Splits of copied files not read back yet.
int64_t SplitsToGo(RunState& s) {
  int64_t count = 0;
  std::lock_guard<std::mutex> lock(s.run.list->mutex);
  for (const FileEntry& e : s.run.list->image.entries)
    if (e.copied)
      for (const SplitEntry& split : e.splits) count += split.copied ? 0 : 1;
  return count;
}

// A file is busy ("Verifying") while some of its splits wait to be read back.
void MarkVerifying(RunState& s, bool start) {
  std::lock_guard<std::mutex> lock(s.run.list->mutex);
  for (FileEntry& e : s.run.list->image.entries) {
    if (!e.copied) continue;
    bool waiting = false;
    for (const SplitEntry& split : e.splits) waiting = waiting || !split.copied;
    e.busy = start || (e.busy && waiting);
  }
}

// A split read back: one not safe waits for its redo, unless it was redone
// already (its temporary entry carries it); one safe now needs none.
void SetSplit(RunState& s, size_t file, size_t split, bool safe) {
  std::lock_guard<std::mutex> lock(s.run.list->mutex);
  SplitEntry& entry = s.run.list->image.entries[file].splits[split];
  entry.safe = safe;
  entry.copied = true;
  if (safe && entry.redo == RedoState::Pending) entry.redo = RedoState::None;
  if (!safe && entry.redo == RedoState::None) entry.redo = RedoState::Pending;
}

void TellCopyFailed(const RunState& s) {
  PlayAlert();
  AskOwner(s.run.owner, kAskOk, 244, TrimmedText(245) + "\r\n" + TrimmedText(246));
}

enum class Checked { Safe, NotSafe, Stopped };

// Compares one split lying on the disk with its range of the source: a
// small split through a copy taken under a unique name in the temporary
// folder, a large one where it lies.
Checked CheckSplit(RunState& s, const std::string& source, int64_t start, const std::string& path,
                   int64_t size) {
  std::string copy;
  if (size <= s.run.settings.maxSizeToCopy) {
    if (plat::TempFileName(s.run.settings.temporary, "KST", &copy) == 0 || !CopyChecked(s, path, copy)) {
      if (!copy.empty()) plat::DeleteOneFile(copy);
      TellCopyFailed(s);
      return Checked::NotSafe;
    }
  }
  CompareRequest r;
  r.firstPath = source;
  r.secondPath = copy.empty() ? path : copy;
  r.firstStart = start;
  r.secondStart = 1;
  r.count = size;
  r.buffSize = s.run.settings.buffSize;
  r.clock = kClockSplitCopy;
  const CompareResult result = CompareBlocks(r, *s.run.job, s.run.progress);
  if (!copy.empty()) plat::DeleteOneFile(copy);
  switch (result.outcome) {
    case CompareOutcome::Equal: return Checked::Safe;
    case CompareOutcome::Aborted: return Checked::Stopped;
    case CompareOutcome::Error: TellCopyFailed(s); return Checked::NotSafe;
    case CompareOutcome::Different: break;
  }
  PlayAlert();
  AskOwner(s.run.owner, kAskOk, 240, TrimmedText(241) + " " + std::to_string(result.position) + TrimmedText(242) + " " + path + TrimmedText(243));
  return Checked::NotSafe;
}

}  // namespace

bool VerifyDisk(RunState& s) {
  const ListImage image = Snapshot(*s.run.list);
  for (size_t i = 0; i < image.entries.size(); ++i) {
    const FileEntry& e = image.entries[i];
    if (!e.copied) continue;
    int64_t start = 1;  // the split's first position in the source
    for (size_t k = 0; k < e.splits.size(); ++k) {
      const SplitEntry& split = e.splits[k];
      const int64_t first = start;
      start += split.size;
      if (!CheckPoint(*s.run.job)) return false;
      const std::string path = Trimmed(split.path);
      if (plat::SizeOfPath(path) != split.size) continue;  // not on this disk
      if (split.copied) {
        PlayAlert();
        const std::string question = TrimmedText(237) + " " + path + TrimmedText(238) + " " + TrimmedText(split.safe ? 191 : 192) + TrimmedText(239);
        if (AskOwner(s.run.owner, kAskYesNo, 236, question) != kAnswerYes) continue;
      }
      const Checked checked = CheckSplit(s, Trimmed(e.path), first, path, split.size);
      if (checked == Checked::Stopped) return false;
      SetSplit(s, i, k, checked == Checked::Safe);
      s.verifyDone += split.size;
    }
  }
  return true;
}

RedoResult RedoSplit(RunState& s, size_t file, size_t split) {
  size_t capacity;
  FileEntry e;
  {
    std::lock_guard<std::mutex> lock(s.run.list->mutex);
    capacity = s.run.list->capacity;
    if (s.run.list->image.entries.size() >= capacity) e.size = -1;
    else e = s.run.list->image.entries[file];
  }
  if (e.size < 0) {
    Tell(s, 249, 250, std::to_string(capacity));
    return RedoResult::Failed;
  }
  SplitRequest r;
  r.sourcePath = Trimmed(e.path);
  r.first = 1;
  for (size_t k = 0; k < split; ++k) r.first += e.splits[k].size;
  r.last = r.first + e.splits[split].size - 1;
  const std::string target =
      SplitName(s.run.settings.temporary, SplitBaseName(r.sourcePath), static_cast<int>(split) + 1);
  // A file of the redo's name that the person keeps stays as it is.
  const bool taken = plat::GetAttributes(target) != plat::kAttrInvalid;
  if (taken && !AskReplace(target, s.run.owner, false)) {
    Tell(s, 247, kTextRedoKept, target);
    return RedoResult::Kept;
  }
  // Cut under its partial name (a leftover of a stopped run goes first),
  // and given the real name only when whole.
  r.splitPath = PartialNameOf(target);
  plat::DeleteOneFile(r.splitPath);
  r.replaceAgreed = true;
  r.buffSize = static_cast<uint32_t>(s.run.settings.buffSize > 0 ? s.run.settings.buffSize : kBuffSizeDefault);
  r.clock = kClockSplitCopy;
  r.owner = s.run.owner;
  const int64_t size = r.last - r.first + 1;
  ClockStart(Clock(kClockSplitCopy), size);  // the split cut again is an item of its own
  SplitFailure why = SplitFailure::None;
  bool whole = WriteSplit(r, *s.run.job, s.run.progress, &why) && plat::SizeOfPath(r.splitPath) == size;
  if (whole && taken) whole = plat::DeleteOneFile(target);
  if (whole) whole = CommitPartial(r.splitPath, target);
  if (!whole) {
    const uint32_t error = plat::LastError();
    plat::DeleteOneFile(r.splitPath);
    if (why != SplitFailure::Stopped) Tell(s, 247, 248, error ? plat::ErrorText(error) : "");
    s.run.job->keepGoing = false;
    return RedoResult::Failed;
  }
  FileEntry redo;
  redo.path = Padded(target, kListPathWidth);
  redo.size = size;
  redo.temporary = true;
  std::lock_guard<std::mutex> lock(s.run.list->mutex);
  s.run.list->image.entries[file].splits[split].redo = RedoState::Done;
  s.run.list->totalSize += redo.size;
  s.run.list->image.entries.push_back(std::move(redo));
  return RedoResult::Done;
}

int64_t VerifySummary(RunState& s) {
  int64_t count = 0;
  const ListImage image = Snapshot(*s.run.list);
  bool going = true;
  for (size_t i = 0; going && i < image.entries.size(); ++i) {
    const FileEntry& e = image.entries[i];
    if (!e.copied) continue;
    if (e.splits.size() == 1) {
      // Carried whole and read back not safe (in this pass or one that was
      // cut short): the next run carries it whole again.
      if (!e.splits[0].copied || e.splits[0].safe) continue;
      std::lock_guard<std::mutex> lock(s.run.list->mutex);
      FileEntry& entry = s.run.list->image.entries[i];
      entry.copied = false;
      entry.splits.clear();
      ++count;
      continue;
    }
    // Splits waiting for their redo, found so in this pass or in one that
    // was cut short; one redone earlier has its temporary entry.
    for (size_t k = 0; going && k < e.splits.size(); ++k) {
      const SplitEntry& split = e.splits[k];
      if (split.redo != RedoState::Pending || !split.copied || split.safe) continue;
      // One the person kept not safe still has to be redone.
      going = RedoSplit(s, i, k) != RedoResult::Failed;
      if (going) ++count;
    }
  }
  PlayAlert();
  AskOwner(s.run.owner, kAskOk, 235, TrimmedText(233) + " " + std::to_string(count) + TrimmedText(234));
  return count;
}

VerifyOutcome VerifyAll(RunState& s, int64_t* redo) {
  *redo = 0;
  s.disksAsked = 0;
  s.verifyDone = 0;
  MarkVerifying(s, true);
  AfterStep(s);
  const std::string drive = DriveRoot(s.run.settings.destination).substr(0, 2);
  for (int64_t toGo; (toGo = SplitsToGo(s)) > 0;) {
    if (!CheckPoint(*s.run.job)) break;
    DiskPrompt prompt;
    prompt.verifying = true;
    prompt.drive = drive;
    prompt.disk = static_cast<int>(++s.disksAsked);
    prompt.toGo = toGo;
    prompt.eraseShown = false;  // nothing is erased while verifying
    prompt.message = TrimmedText(223) + " " + drive + TrimmedText(224) + " " + std::to_string(toGo) + TrimmedText(225);
    bool erase = false;
    const Next next = Decide(s, s.run.person.insertDisk ? s.run.person.insertDisk(prompt, &erase) : PromptAnswer::Closed);
    if (next == Next::Stop) break;
    if (next == Next::Again) continue;
    if (!VerifyDisk(s)) break;
    MarkVerifying(s, false);
    AfterStep(s);
  }
  if (!s.run.job->keepGoing) {
    ClearBusyFlags(*s.run.list);
    AfterStep(s);
    return VerifyOutcome::Aborted;
  }
  *redo = VerifySummary(s);
  ClearBusyFlags(*s.run.list);
  AfterStep(s);
  return s.run.job->keepGoing ? VerifyOutcome::Done : VerifyOutcome::Aborted;  // a redo that failed ends the run
}

}  // namespace kst
