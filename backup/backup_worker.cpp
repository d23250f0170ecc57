#include "backup/backup_worker.h"

#include <algorithm>

#include "backup/backup_steps.h"
#include "backup/backup_texts.h"
#include "backup/verification.h"
#include "frame/clock/clock_counters.h"
#include "frame/dialogs/ask.h"
#include "frame/files/partial_files.h"
#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "split/check_file.h"
#include "split/join_batch.h"

namespace kst {

namespace {

enum class Step { Ok, Stop, Fail };

FileEntry EntryAt(RunState& s, size_t i) {
  std::lock_guard<std::mutex> lock(s.run.list->mutex);
  return s.run.list->image.entries[i];
}

void SetFlags(RunState& s, size_t i, bool copied, bool busy) {
  std::lock_guard<std::mutex> lock(s.run.list->mutex);
  s.run.list->image.entries[i].copied = copied;
  s.run.list->image.entries[i].busy = busy;
}

// A split is recorded only once its bytes are on the disk, checked.
void RecordSplit(RunState& s, size_t i, const std::string& path, int64_t size) {
  SplitEntry split;
  split.path = Padded(path, kListPathWidth);
  split.size = size;
  std::lock_guard<std::mutex> lock(s.run.list->mutex);
  s.run.list->image.entries[i].splits.push_back(std::move(split));
}

// Where the run writes a file of this name now, and the path it will have
// on the disk (in the CD folder variant the folder is burned onto the CD).
std::string WritePath(const RunState& s, const std::string& name) {
  return (IsCdFolderRun(s.run.settings) ? s.cdFolder : s.run.settings.destination) + name;
}

constexpr uint32_t kErrWriteProtect = 19;

// "path: the system's words".
std::string Reason(const std::string& path, uint32_t error) {
  return "\r\n" + path + (error ? ": " + plat::ErrorText(error) : "");
}

// A write onto the disk failed: told with the system's reason, and the
// disk counts as full so that the same bytes go onto the next one.
Step DiskWriteFailed(RunState& s, const std::string& target, uint32_t error) {
  const int message = error == kErrWriteProtect ? 232 : s.disk.holdsRunFiles ? 219 : 220;
  Tell(s, 11, message, Reason(target, error));
  if (!CloseDisk(s)) return Step::Stop;
  return CheckPoint(*s.run.job) ? Step::Ok : Step::Stop;
}

// A copy let down, blamed on what let it down. Only the disk's own faults
// ask for another disk: a source that cannot be read or a full temporary
// folder would let the next disk down as well.
Step CopyFailed(RunState& s, const CopyResult& r, const CopyOrder& o, bool fromTemporary, bool toTemporary) {
  switch (r.fault) {
    case CopyFault::None:
      return Step::Ok;
    case CopyFault::Stopped:
      return Step::Stop;
    case CopyFault::Kept:  // the disk counts as full: the piece goes onto the next one
      return CloseDisk(s) ? Step::Ok : Step::Stop;
    case CopyFault::Changed:
      Tell(s, 11, kTextChangedWhileCarried, o.from);
      return Step::Fail;
    case CopyFault::Source:
      Tell(s, 11, fromTemporary ? kTextTemporaryFault : kTextSourceUnreadable, Reason(o.from, r.error));
      return Step::Fail;
    case CopyFault::Target:  // a CD's files are gathered in the temporary folder
      if (!toTemporary && !IsCdFolderRun(s.run.settings)) return DiskWriteFailed(s, o.to, r.error);
      Tell(s, 11, kTextTemporaryFault, Reason(PartialNameOf(o.to), r.error));
      return Step::Fail;
  }
  return Step::Fail;
}

Step CarryWhole(RunState& s, size_t i, const FileEntry& e) {
  const std::string name = SplitBaseName(e.path);
  CopyOrder o{Trimmed(e.path), 0, e.size, WritePath(s, name)};
  o.carriedFile = true;
  const CopyResult r = CopyPart(s, o);
  if (r.fault != CopyFault::None) return CopyFailed(s, r, o, false, false);
  RecordSplit(s, i, s.run.settings.destination + name, e.size);
  Carried(s, e.size);
  return Step::Ok;
}

Step CarryPiece(RunState& s, size_t i, const FileEntry& e, int64_t room) {
  const int k = static_cast<int>(e.splits.size()) + 1;
  const std::string source = Trimmed(e.path), name = SplitBaseName(source);
  if (k > kMostSplitsPerFile) {
    Tell(s, kTextCannotGo, kTextTooManySplitsAtGo, source);
    return Step::Fail;
  }
  const int64_t first = SplitsSize(e);  // 0-based
  const int64_t bytes = std::min(room, e.size - first);
  CopyOrder o{source, first, bytes, WritePath(s, name + "." + SplitNumber(k))};
  o.carriedFile = true;
  uint32_t sum = 0;  // taken where the bytes are read from the source
  o.crc = &sum;
  if (bytes > s.run.settings.maxSizeToCopy) {
    const CopyResult r = CopyPart(s, o);
    if (r.fault != CopyFault::None) return CopyFailed(s, r, o, false, false);
  } else {
    // Cut in the temporary folder first, then copied onto the disk.
    CopyOrder cut = o;
    cut.to = SplitName(s.run.settings.temporary, name, k);
    cut.commit = false;
    CopyResult r = CopyPart(s, cut);
    if (r.fault != CopyFault::None) return CopyFailed(s, r, cut, false, true);
    CopyOrder copy{PartialNameOf(cut.to), 0, bytes, o.to};
    r = CopyPart(s, copy);
    plat::DeleteOneFile(copy.from);
    if (r.fault != CopyFault::None) return CopyFailed(s, r, copy, true, false);
  }
  RecordSplit(s, i, SplitName(s.run.settings.destination, name, k), bytes);
  s.sums[source][static_cast<size_t>(k - 1)] = SplitSum{first, bytes, sum};
  Carried(s, bytes);
  return Step::Ok;
}

// The sums of e's splits for its check file. A split this run wrote was
// summed as it went through the run's buffer. One an earlier run wrote (a
// run resumed from a save list, which holds no sums) is summed now from
// its range of the source, and only such a one: the source must still
// show the stamp its carrying began with, as for a copy. A source changed
// between the two runs gives sums its earlier splits do not match, so the
// join finds them.
Step SumsOfSet(RunState& s, const FileEntry& e, std::vector<uint32_t>* sums) {
  const std::string source = Trimmed(e.path);
  std::map<size_t, SplitSum>& known = s.sums[source];
  sums->clear();
  int64_t offset = 0;
  for (size_t k = 0; k < e.splits.size(); ++k) {
    const int64_t bytes = e.splits[k].size;
    const auto it = known.find(k);
    if (it == known.end() || it->second.offset != offset || it->second.bytes != bytes) {
      CopyOrder o{source, offset, bytes, ""};
      o.carriedFile = true;
      uint32_t crc = 0;
      const CopyResult r = SumPart(s, o, &crc);
      if (r.fault != CopyFault::None) return CopyFailed(s, r, o, false, false);
      known[k] = SplitSum{offset, bytes, crc};
    }
    sums->push_back(known[k].crc);
    offset += bytes;
  }
  return Step::Ok;
}

// What a file of bytes takes of the room: whole clusters of the disk, or
// whole sectors of the CD.
int64_t Taken(const RunState& s, int64_t bytes) {
  const int64_t unit = IsCdFolderRun(s.run.settings) ? kCdSectorBytes : std::max<int64_t>(1, s.disk.clusterBytes);
  return (bytes + unit - 1) / unit * unit;
}

enum class Stale { None, Gone, Kept, Failed };

// With no check file written, an earlier set's check file of the same name
// beside the batch would make these splits look damaged: it goes, as a
// batch of that name would, only when the person says Yes.
Stale RemoveStaleCheckFile(RunState& s, const std::string& source, uint32_t* error) {
  const std::string stale = WritePath(s, SplitBaseName(source) + ".SFV");
  if (!plat::PathExists(stale)) return Stale::None;
  if (!AskReplace(stale, s.run.owner, false)) return Stale::Kept;
  if (plat::DeleteOneFile(stale)) return Stale::Gone;
  *error = plat::LastError();
  return Stale::Failed;
}

// The join batch goes with the file's last split, or onto the next disk
// when it does not fit there, and the check file with it: both go onto
// the same disk, their clusters counted in its room, or neither does.
// They are written in a folder of the run's own making, so that no file of
// the person's in the temporary folder is replaced or deleted.
Step CarryBatch(RunState& s, const FileEntry& e) {
  struct Gone {  // the set's files and their folder go however this ends: a later run writes them again
    std::string folder;
    std::vector<std::string> files;
    ~Gone() {
      for (const std::string& file : files) plat::DeleteOneFile(file);
      if (!folder.empty()) plat::RemoveFolder(folder.substr(0, folder.size() - 1));
    }
  } gone{MakeKstFolder(s.run.settings.temporary), {}};
  if (gone.folder.empty()) {
    Tell(s, 11, kTextNoKstFolder, s.run.settings.temporary);
    return Step::Fail;
  }
  const std::string source = Trimmed(e.path);
  std::string batch;
  if (!WriteJoinBatch(gone.folder, source, static_cast<int>(e.splits.size()), &batch)) {
    Tell(s, 990, kTextBatchFailed, source);
    return Step::Fail;
  }
  gone.files.push_back(batch);
  if (s.run.settings.checkFile) {
    std::vector<uint32_t> sums;
    const Step step = SumsOfSet(s, e, &sums);
    if (step != Step::Ok) return step;
    std::string check;
    if (!WriteCheckFile(gone.folder, source, sums, &check)) {
      Tell(s, 990, kTextCheckFileFailed, Reason(source, plat::LastError()));
      return Step::Fail;
    }
    // The check file first: a batch stands only beside it.
    gone.files.insert(gone.files.begin(), check);
  }
  for (;;) {
    if (!DiskWithRoom(s)) return Step::Stop;
    int64_t needed = 0;
    for (const std::string& file : gone.files) needed += Taken(s, plat::SizeOfPath(file));
    if (needed > RoomLeft(s)) {
      if (!CloseDisk(s)) return Step::Stop;
      continue;
    }
    uint32_t error = 0;
    const Stale stale = s.run.settings.checkFile ? Stale::None : RemoveStaleCheckFile(s, source, &error);
    if (stale == Stale::Kept && !CloseDisk(s)) return Step::Stop;  // the disk counts as full
    if (stale == Stale::Kept) continue;
    if (stale == Stale::Failed) {
      const Step step = DiskWriteFailed(s, WritePath(s, SplitBaseName(source) + ".SFV"), error);
      if (step != Step::Ok) return step;
      continue;
    }
    std::vector<std::string> written;
    CopyOrder o;
    CopyResult r;
    for (const std::string& file : gone.files) {
      o = CopyOrder{file, 0, plat::SizeOfPath(file), WritePath(s, SplitBaseName(file))};
      r = CopyPart(s, o);
      if (r.fault != CopyFault::None) break;
      written.push_back(o.to);
    }
    if (r.fault == CopyFault::None) break;
    for (const std::string& file : written) plat::DeleteOneFile(file);  // neither stays without the other
    const Step step = CopyFailed(s, r, o, true, false);
    if (step != Step::Ok) return step;
  }
  s.disk.holdsRunFiles = true;
  if (IsCdFolderRun(s.run.settings)) {
    for (const std::string& file : gone.files) {
      const int64_t bytes = plat::SizeOfPath(file);
      s.cdBudget -= Taken(s, bytes);
      s.cdReady += bytes;
    }
  }
  return Step::Ok;
}

Step CarryFile(RunState& s, size_t i) {
  for (;;) {
    const FileEntry e = EntryAt(s, i);
    if (!e.splits.empty() && SplitsSize(e) >= e.size) break;
    if (!DiskWithRoom(s)) return Step::Stop;
    const int64_t room = RoomLeft(s);
    if (room <= 0) continue;  // full after all: never a piece of no bytes
    const Step step = e.splits.empty() && e.size <= room ? CarryWhole(s, i, e) : CarryPiece(s, i, e, room);
    if (step != Step::Ok) return step;
    AfterStep(s);
  }
  // A file whose splits are all there (also one left so by an earlier run)
  // is copied once its batch is carried too.
  const FileEntry e = EntryAt(s, i);
  if (s.run.settings.joinBatch && e.splits.size() > 1) {
    const Step step = CarryBatch(s, e);
    if (step != Step::Ok) return step;
  }
  SetFlags(s, i, true, false);
  AfterStep(s);
  return Step::Ok;
}

BackupOutcome CarryAll(RunState& s) {
  for (size_t i = 0;; ++i) {
    FileEntry e;
    {
      std::lock_guard<std::mutex> lock(s.run.list->mutex);
      if (i >= s.run.list->image.entries.size()) break;
      e = s.run.list->image.entries[i];
    }
    if (e.copied) continue;
    if (!CheckPoint(*s.run.job)) return BackupOutcome::Aborted;
    s.fileStamp = StampOf(Trimmed(e.path));
    if (s.fileStamp.size < 0 && plat::PathExists(Trimmed(e.path))) {
      Tell(s, 11, kTextSourceUnreadable, Reason(Trimmed(e.path), plat::LastError()));
      return BackupOutcome::Failed;
    }
    if (s.fileStamp.size != e.size) {
      Tell(s, kTextCannotGo, kTextSourceChanged, Trimmed(e.path));
      return BackupOutcome::Failed;
    }
    SetFlags(s, i, false, true);
    const Step step = CarryFile(s, i);
    if (step == Step::Stop) return BackupOutcome::Aborted;
    if (step == Step::Fail) return BackupOutcome::Failed;
  }
  return CloseDisk(s) ? BackupOutcome::Done : BackupOutcome::Aborted;
}

// Takes out the entries whose every split was verified safe. A temporary
// entry's own split file goes too: it is safe on its disk now.
void RemoveVerified(RunState& s) {
  std::vector<std::string> redone;
  {
    std::lock_guard<std::mutex> lock(s.run.list->mutex);
    std::vector<FileEntry>& entries = s.run.list->image.entries;
    auto safe = [](const FileEntry& e) {
      return e.copied && !e.splits.empty() &&
             std::all_of(e.splits.begin(), e.splits.end(), [](const SplitEntry& x) { return x.safe; });
    };
    for (const FileEntry& e : entries)
      if (e.temporary && safe(e)) redone.push_back(Trimmed(e.path));
    entries.erase(std::remove_if(entries.begin(), entries.end(), safe), entries.end());
    s.run.list->totalSize = SumOfSizes(entries);
  }
  for (const std::string& path : redone) plat::DeleteOneFile(path);
}

// The questions at the end of a carried list: verify, then tidy the list.
void EndQuestions(RunState& s, BackupResult* result) {
  const int verify = AskOwner(s.run.owner, kAskYesNoCancel, 221, GetText(222));
  if (verify == kAnswerCancel) return;  // more files to add; verify later
  if (verify == kAnswerYes) {
    const VerifyOutcome outcome = VerifyAll(s, &result->redo);
    // Splits redone before a stop are listed all the same: they get a new
    // temporary folder so that the next run may carry them.
    if (result->redo > 0) {
      const std::string folder = MakeKstFolder(s.run.settings.temporary);
      if (folder.empty()) {
        Tell(s, 230, kTextNoKstFolder, s.run.settings.temporary);
      } else {
        PlayAlert();
        AskOwner(s.run.owner, kAskOk, 226, TrimmedText(227) + "\r\n" + TrimmedText(228) + "\r\n" + TrimmedText(229));
        s.run.settings.temporary = folder;
        SetFolders(*s.run.list, s.run.settings.destination, folder);
        result->newTemporary = folder;
        if (s.run.person.temporaryChosen) s.run.person.temporaryChosen(folder);
      }
    }
    if (outcome == VerifyOutcome::Aborted) {
      result->outcome = BackupOutcome::Aborted;
      return;
    }
  }
  if (AskOwner(s.run.owner, kAskYesNo, 251, GetText(252)) == kAnswerYes) RemoveVerified(s);
  AfterStep(s);
}

// CD folder variant: what was gathered for a CD that was not burned is
// not carried. The folder stays for the person, the list forgets it.
void ForgetUnburned(RunState& s) {
  if (!IsCdFolderRun(s.run.settings) || s.cdFolder.empty()) return;
  {
    std::lock_guard<std::mutex> lock(s.run.list->mutex);
    std::vector<FileEntry>& entries = s.run.list->image.entries;
    for (size_t i = 0; i < entries.size() && i < s.beforeCd.size(); ++i) {
      FileEntry& e = entries[i];
      const FileEntry& before = s.beforeCd[i];
      if (!SameText(Trimmed(e.path), Trimmed(before.path)) || e.splits.size() < before.splits.size()) continue;
      for (size_t k = before.splits.size(); k < e.splits.size(); ++k) {
        s.run.list->totalDone -= e.splits[k].size;
        s.carried -= e.splits[k].size;
      }
      e.splits.resize(before.splits.size());
      e.copied = before.copied;
    }
  }
  AfterStep(s);
}

int64_t SecondsOfDay() {
  const plat::LocalTime t = plat::Now();
  return t.hour * 3600 + t.minute * 60 + t.second;
}

}  // namespace

BackupResult RunBackup(BackupRun run) {
  BackupResult result;
  run.settings.destination = WithOneBackslash(run.settings.destination);
  run.settings.temporary = WithOneBackslash(run.settings.temporary);
  RunState s;
  s.run = std::move(run);
  const ListImage image = Snapshot(*s.run.list);
  if (const GoRefusal refusal = CheckAtGo(s.run.settings, image)) {
    TellRefusal(refusal, s.run.owner);
    return result;
  }
  if (s.run.saveFiles && s.run.saveFiles->autoSave && image.entries.size() > kMostSavedEntries)
    Tell(s, 195, kTextTooManyForAutoSave);
  SetFolders(*s.run.list, s.run.settings.destination, s.run.settings.temporary);
  ClearBusyFlags(*s.run.list);  // a list saved while a run went
  {
    std::lock_guard<std::mutex> lock(s.run.list->mutex);
    s.run.list->totalDone = 0;
    for (const FileEntry& e : s.run.list->image.entries) s.run.list->totalDone += SplitsSize(e);
  }
  s.autoErase = s.run.settings.autoErase;
  s.startTick = plat::TickCount();
  s.startTime = SecondsOfDay();
  AfterStep(s);
  RemoveLeftovers(s, s.run.settings.temporary);
  result.outcome = CarryAll(s);
  if (result.outcome != BackupOutcome::Done) ForgetUnburned(s);
  ClearBusyFlags(*s.run.list);
  if (result.outcome == BackupOutcome::Done) EndQuestions(s, &result);
  ClearBusyFlags(*s.run.list);
  result.figures = Figures(s);
  result.carried = s.carried;
  if (s.run.person.figures) s.run.person.figures(result.figures);
  return result;
}

}  // namespace kst
