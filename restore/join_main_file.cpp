#include "restore/join_main_file.h"

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "frame/ask.h"
#include "frame/clock_counters.h"
#include "frame/platform/platform.h"
#include "frame/text_numbers.h"
#include "frame/texts.h"
#include "restore/restore_texts.h"
#include "split/owned_file.h"

namespace kst {

namespace {

std::string Text(int id) { return Trimmed(GetText(id)); }

uint32_t ShellFlags(const JoinContext& c) {
  return plat::kShellNoConfirmation | (c.silent ? plat::kShellSilent : 0u);
}

// path and the system's words for the failed call.
std::string Because(const std::string& path) {
  const uint32_t code = plat::LastError();
  return code == plat::kErrNone ? path : path + ": " + plat::ErrorText(code);
}

void TellFailure(const JoinContext& c, int message, const std::string& detail) {
  TellRestore(993, message, detail, c.owner);
}

void TellWrongSize(const JoinContext& c, const std::string& split) {
  PlayAlert();
  AskUser(kAskOk, c.owner.window, Text(993), Text(994) + split + Text(995), c.owner.boxRecord,
          c.owner.ownerRecord);
}

// Deletes a file the join used up; read-only copies from a CD are made
// normal first.
bool DeleteUsed(const JoinContext& c, const std::string& path) {
  plat::SetAttributes(path, plat::kAttrNormal);
  return plat::ShellFileOperation(plat::ShellOp::Delete, path, "", ShellFlags(c)) == 0;
}

bool Rename(const JoinContext& c, const std::string& from, const std::string& to) {
  if (plat::ShellFileOperation(plat::ShellOp::Rename, from, to, ShellFlags(c)) == 0) return true;
  TellFailure(c, kTextCannotRename, from + " -> " + to);
  return false;
}

// A target that would destroy what the join reads, or a folder.
bool UnsafeTarget(const RestoreRecord& r, const std::string& target) {
  if (SameText(target, r.batchName)) return true;
  for (const RestoreSlot& s : r.slots)
    if (s.state != SlotState::Missing && SameText(target, s.path)) return true;
  const uint32_t attributes = plat::GetAttributes(target);
  return attributes != plat::kAttrInvalid && (attributes & plat::kAttrDirectory);
}

// The target: the record's name, or the person's choice; asks before
// replacing a file that holds data. False when no target was given.
bool ChooseTarget(const JoinContext& c, const RestoreRecord& r, std::string* target) {
  bool ask = !c.autoName;
  *target = r.name;
  for (;;) {
    if (ask) {
      if (!c.nameTarget || !c.nameTarget(*target, target)) return false;
      *target = Trimmed(*target);
    }
    ask = true;
    if (target->empty()) continue;
    if (UnsafeTarget(r, *target)) {
      TellRestore(993, kTextUnsafeTarget, *target, c.owner);
      continue;
    }
    if (plat::SizeOfPath(*target) > 0) {
      PlayAlert();
      if (AskUser(kAskYesNo, c.owner.window, Text(322), Text(320) + " " + *target + Text(321),
                  c.owner.boxRecord, c.owner.ownerRecord) != kAnswerYes)
        continue;
    }
    return true;
  }
}

void SetSlot(JoinContext& c, int id, size_t k, SlotState state) {
  std::lock_guard<std::mutex> lock(c.list->mutex);
  for (RestoreRecord& r : c.list->records)
    if (r.id == id && k < r.slots.size()) r.slots[k].state = state;
}

// The bytes split 1 must hold: its own, and those of every split appended
// to it by an earlier join that was stopped.
int64_t FirstSplitHolds(const RestoreRecord& r) {
  int64_t bytes = r.slots[0].size;
  for (size_t k = 1; k < r.slots.size(); ++k)
    if (r.slots[k].state == SlotState::Appended) bytes += r.slots[k].size;
  return bytes;
}

// Appends one split to target. False (told, unless stopped) on a failure;
// *stopped when keep-going was cleared.
bool AppendSplit(JoinContext& c, const RestoreSlot& slot, plat::FileHandle target, char* buffer,
                 bool* stopped) {
  const int64_t onDisk = plat::SizeOfPath(slot.path);
  if (onDisk != slot.size) {
    TellWrongSize(c, slot.path);
    return false;
  }
  OwnedFile split(plat::FileOpen(slot.path, plat::kRead, plat::Disposition::OpenExisting, plat::kShareRead));
  if (!plat::OpenSucceeded(split.handle)) {
    TellFailure(c, kTextCannotReadSplit, Because(slot.path));
    return false;
  }
  ClockCounters& clock = Clock(kClockCopyJoin);
  int64_t left = slot.size;
  while (left > 0) {
    if (!CheckPoint(*c.job)) {
      *stopped = true;
      return false;
    }
    const uint32_t want = static_cast<uint32_t>(std::min<int64_t>(left, c.buffSize));
    uint32_t got = 0, put = 0;
    if (!plat::FileRead(split.handle, buffer, want, &got) || got != want) {
      TellFailure(c, kTextCannotReadSplit, Because(slot.path));
      return false;
    }
    if (!plat::FileWrite(target, buffer, got, &put) || put != got) {
      if (plat::LastError() == plat::kErrNone) plat::SetLastErrorCode(plat::kErrDiskFull);
      TellFailure(c, kTextCannotWriteTarget, Because(Trimmed(slot.path)));
      return false;
    }
    ClockAdd(clock, got);
    left -= got;
  }
  return true;
}

// The whole file can be joined: every split is there, and the batch says
// how many there are (the person may join a file whose batch is missing or
// disagrees with its splits; nothing else does).
bool Whole(const RestoreRecord& r, const JoinRequest& request) {
  return !r.slots.empty() && PresentCount(r) == static_cast<int>(r.slots.size()) &&
         (request.byPerson || IsComplete(r));
}

void EndJoin(JoinContext& c, int id) {
  std::lock_guard<std::mutex> lock(c.list->mutex);
  for (RestoreRecord& r : c.list->records)
    if (r.id == id) r.busy = false;
}

// Marks the record busy and takes a copy; the outcome when it cannot be joined.
bool StartJoin(JoinContext& c, const JoinRequest& request, RestoreRecord* copy, JoinOutcome* why) {
  std::lock_guard<std::mutex> lock(c.list->mutex);
  for (RestoreRecord& r : c.list->records) {
    if (r.id != request.recordId) continue;
    if (r.busy) return *why = JoinOutcome::Busy, false;
    const bool complete = Whole(r, request);
    // Without the whole set only the splits read in place are appended,
    // onto split 1 and in order, before the rest arrive.
    const bool partial = !complete && request.deleteSplits && r.slots.size() > 1 &&
                         r.slots[0].state == SlotState::Present && r.slots[1].state != SlotState::Missing;
    if (r.joined || (!complete && !partial) || r.slots[0].state != SlotState::Present)
      return *why = JoinOutcome::NotJoinable, false;
    r.busy = true;
    *copy = r;
    return true;
  }
  return *why = JoinOutcome::NotJoinable, false;
}

}  // namespace

JoinOutcome JoinMainFile(JoinContext& c, const JoinRequest& request) {
  RestoreRecord r;
  JoinOutcome why = JoinOutcome::NotJoinable;
  if (c.buffSize == 0 || !StartJoin(c, request, &r, &why)) return why;
  const int id = r.id;
  const bool del = request.deleteSplits;
  std::string target;
  if (!ChooseTarget(c, r, &target)) return EndJoin(c, id), JoinOutcome::Cancelled;
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[c.buffSize]);
  if (!buffer) return EndJoin(c, id), JoinOutcome::Failed;

  const std::string first = r.slots[0].path;
  OwnedFile out;
  if (del) {
    if (plat::SizeOfPath(first) != FirstSplitHolds(r)) {
      TellWrongSize(c, first);
      return EndJoin(c, id), JoinOutcome::Failed;
    }
    if (plat::PathExists(target) && !DeleteUsed(c, target)) {
      TellFailure(c, kTextCannotWriteTarget, Because(target));
      return EndJoin(c, id), JoinOutcome::Failed;
    }
    plat::SetAttributes(first, plat::kAttrNormal);
    if (!Rename(c, first, target)) return EndJoin(c, id), JoinOutcome::Failed;
    out.handle = plat::FileOpen(target, plat::kReadWrite, plat::Disposition::OpenExisting, plat::kShareNone);
    if (plat::OpenSucceeded(out.handle) && !plat::FileSeek(out.handle, plat::FileSize(out.handle))) out.Close();
  } else {
    out.handle = plat::FileOpen(target, plat::kWrite, plat::Disposition::CreateAlways, plat::kShareNone);
  }
  if (!plat::OpenSucceeded(out.handle)) {
    TellFailure(c, kTextCannotOpenTarget, Because(target));
    out.Close();
    if (del) Rename(c, target, first);
    return EndJoin(c, id), JoinOutcome::Failed;
  }

  ClockStart(Clock(kClockCopyJoin), TotalSize(r));
  const ProgressScale scale = ScaleProgress(static_cast<int64_t>(r.slots.size()));
  if (c.progress && c.progress->setRange) c.progress->setRange(scale.range);
  bool ok = true, stopped = false;
  int64_t end = del ? FirstSplitHolds(r) : 0;  // the end of the last whole split in the target
  for (size_t k = 0; ok && k < r.slots.size(); ++k) {
    if (c.progress && c.progress->setPosition) c.progress->setPosition(static_cast<int>(k / scale.step));
    const RestoreSlot& slot = r.slots[k];
    if (del && (k == 0 || slot.state == SlotState::Appended)) continue;
    if (slot.state == SlotState::Missing) break;  // a partial join ends before the first gap
    ok = AppendSplit(c, slot, out.handle, buffer.get(), &stopped);
    if (!ok) break;
    end += slot.size;
    if (del) {
      if (!slot.inPlace) DeleteUsed(c, slot.path);
      SetSlot(c, id, k, SlotState::Appended);
      r.slots[k].state = SlotState::Appended;
    }
  }
  if (c.progress && c.progress->setPosition) c.progress->setPosition(0);

  if (!ok) {
    if (del) {
      // Back to the state before this split: split 1 holds every whole
      // split appended so far, and nothing of a half one.
      plat::FileSeek(out.handle, end);
      plat::FileSetEnd(out.handle);
      out.Close();
      Rename(c, target, first);
    } else {
      out.Close();
      plat::DeleteOneFile(target);
    }
    EndJoin(c, id);
    return stopped ? JoinOutcome::Stopped : JoinOutcome::Failed;
  }
  out.Close();

  const bool complete = Whole(r, request);
  if (!complete) {  // the splits read in place so far live on in split 1
    Rename(c, target, first);
    EndJoin(c, id);
    return JoinOutcome::Partial;
  }
  if (plat::SizeOfPath(target) != TotalSize(r)) {
    TellFailure(c, kTextJoinedWrongSize, target);
    EndJoin(c, id);
    return JoinOutcome::Failed;
  }
  if (del && !r.batchName.empty()) DeleteUsed(c, r.batchName);
  {
    std::lock_guard<std::mutex> lock(c.list->mutex);
    for (RestoreRecord& x : c.list->records) {
      if (x.id != id) continue;
      x.name = target;
      x.joined = true;
      x.busy = false;
      if (del) {
        for (RestoreSlot& s : x.slots)
          if (s.state == SlotState::Present) s.state = SlotState::Appended;
        x.batchName.clear();
        x.batchSize = 0;
      }
    }
  }
  return JoinOutcome::Joined;
}

}  // namespace kst
