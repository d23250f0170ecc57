#include "restore/join_main_file.h"

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "frame/clock/clock_counters.h"
#include "frame/dialogs/ask.h"
#include "frame/files/partial_files.h"
#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "restore/check_sums.h"
#include "restore/restore_names.h"
#include "restore/restore_texts.h"
#include "split/crc_beside.h"
#include "split/owned_file.h"

namespace kst {

namespace {

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
  AskUser(kAskOk, c.owner.window, TrimmedText(993), TrimmedText(994) + split + TrimmedText(995), c.owner.boxRecord,
          c.owner.ownerRecord);
}

// Deletes a file the join used up; read-only copies from a CD are made
// normal first.
bool DeleteUsed(const JoinContext& c, const std::string& path) {
  plat::SetAttributes(path, plat::kAttrNormal);
  const uint32_t code = plat::ShellFileOperation(plat::ShellOp::Delete, path, "",
                                                  plat::kShellNoConfirmation | plat::QuietShellFlags(c.silent));
  if (code != 0) plat::SetLastErrorCode(code);
  return code == 0 && !plat::PathExists(path);
}

// Renames without replacing; told with the system's reason when it fails.
bool Rename(const JoinContext& c, const std::string& from, const std::string& to) {
  if (plat::RenameFile(from, to)) return true;
  TellFailure(c, kTextCannotRename, from + " -> " + Because(to));
  return false;
}

// Deletes a file the join used up or replaces; told with the system's
// reason when it stays.
bool DeleteTold(const JoinContext& c, const std::string& path) {
  if (DeleteUsed(c, path)) return true;
  TellFailure(c, kTextCannotDelete, Because(path));
  return false;
}

// A target that would destroy what the join reads, or a folder.
bool UnsafeTarget(const RestoreRecord& r, const std::string& target) {
  if (SameText(target, r.batchName) || SameText(target, r.checkName)) return true;
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
      if (AskUser(kAskYesNo, c.owner.window, TrimmedText(322), TrimmedText(320) + " " + *target + TrimmedText(321),
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

// Split 1 now lives under path (its grown name).
void SetFirstPath(JoinContext& c, int id, const std::string& path) {
  std::lock_guard<std::mutex> lock(c.list->mutex);
  for (RestoreRecord& r : c.list->records)
    if (r.id == id && !r.slots.empty()) r.slots[0].path = path;
}

// The bytes split 1 must hold: its own, and those of every split appended
// to it by an earlier join that was stopped.
int64_t FirstSplitHolds(const RestoreRecord& r) {
  int64_t bytes = r.slots[0].size;
  for (size_t k = 1; k < r.slots.size(); ++k)
    if (r.slots[k].state == SlotState::Appended) bytes += r.slots[k].size;
  return bytes;
}

// Split k (from 1) of the record copy r is damaged: its slot says so, in the
// list and in r, and the person is told which split and where it came from.
JoinOutcome MarkDamaged(JoinContext& c, RestoreRecord& r, int k) {
  r.slots[static_cast<size_t>(k - 1)].state = SlotState::Damaged;
  SetSlot(c, r.id, static_cast<size_t>(k - 1), SlotState::Damaged);
  TellDamaged(r, k, c.owner);
  return JoinOutcome::Damaged;
}

// Appends one split to target, summing it on the way when expected is
// given. False (told, unless stopped or damaged) on a failure; *stopped
// when keep-going was cleared, *damaged when the sum differs (its bytes
// are in target all the same: the caller cuts them off).
bool AppendSplit(JoinContext& c, const RestoreSlot& slot, const uint32_t* expected, plat::FileHandle target,
                 char* buffer, bool* stopped, bool* damaged) {
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
  ClockCounters& clock = Clock(kClockJoining);
  // The sum is taken on its own thread while the same bytes are written;
  // it is done with the buffer before this returns.
  CrcBeside sum;
  int64_t left = slot.size;
  while (left > 0) {
    if (!CheckPoint(*c.job)) {
      *stopped = true;
      return false;
    }
    const uint32_t want = static_cast<uint32_t>(std::min<int64_t>(left, c.buffSize));
    uint32_t got = 0, put = 0;
    CrcBesideWait(&sum);
    if (!plat::FileRead(split.handle, buffer, want, &got) || got != want) {
      TellFailure(c, kTextCannotReadSplit, Because(slot.path));
      return false;
    }
    if (expected) CrcBesideStart(&sum, buffer, got);
    if (!plat::FileWrite(target, buffer, got, &put) || put != got) {
      if (plat::LastError() == plat::kErrNone) plat::SetLastErrorCode(plat::kErrDiskFull);
      TellFailure(c, kTextCannotWriteTarget, Because(Trimmed(slot.path)));
      return false;
    }
    ClockAdd(clock, got);
    left -= got;
  }
  *damaged = expected && CrcBesideEnd(&sum) != *expected;
  return !*damaged;
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
                         r.slots[0].state == SlotState::Present &&
                         (r.slots[1].state == SlotState::Present || r.slots[1].state == SlotState::Appended);
    if (r.joined || (!complete && !partial) || r.slots[0].state != SlotState::Present)
      return *why = JoinOutcome::NotJoinable, false;
    if (r.conflict && complete) return *why = JoinOutcome::Failed, false;  // told when it was found
    r.busy = true;
    *copy = r;
    return true;
  }
  return *why = JoinOutcome::NotJoinable, false;
}


// Opens the grown file for appending at bytes, cutting off whatever a write
// that was cut off left behind them.
bool OpenGrown(const JoinContext& c, const std::string& path, int64_t bytes, OwnedFile* out) {
  out->handle = plat::FileOpen(path, plat::kReadWrite, plat::Disposition::OpenExisting, plat::kShareNone);
  if (plat::OpenSucceeded(out->handle) && plat::FileSeek(out->handle, bytes) && plat::FileSetEnd(out->handle))
    return true;
  TellFailure(c, kTextCannotOpenTarget, Because(path));
  out->Close();
  return false;
}

// Split 1 under its grown name, between the steps of a join with delete on.
struct Growth {
  std::string grown, base;
  int last = 1;      // the last split it holds
  int64_t held = 0;  // the bytes it holds
};

// Split 1 takes its grown name, unless it has one already. It grows in
// place, so it is summed before anything is appended; one that has grown
// already holds splits that were checked. False with the outcome when
// it cannot grow.
bool StartGrowth(JoinContext& c, RestoreRecord& r, char* buffer, Growth* g, JoinOutcome* why) {
  g->grown = r.slots[0].path;
  g->held = FirstSplitHolds(r);
  for (size_t k = 1; k < r.slots.size(); ++k)
    if (r.slots[k].state == SlotState::Appended) g->last = static_cast<int>(k) + 1;
  int64_t ignored = 0;
  int number = 0;
  *why = JoinOutcome::Failed;
  if (GrownNameParts(g->grown, &g->base, &number, &ignored)) {
    if (plat::SizeOfPath(g->grown) < g->held) return TellWrongSize(c, g->grown), false;
    return true;
  }
  if (!SplitNameParts(g->grown, &g->base, &number) || plat::SizeOfPath(g->grown) != g->held)
    return TellWrongSize(c, g->grown), false;
  uint32_t sum = 0;
  if (const uint32_t* expected = g->last == 1 ? SumOf(r, 1) : nullptr) {
    if (!FileCrc32(g->grown, buffer, c.buffSize, c.job, &sum)) {
      if (!c.job->keepGoing) return *why = JoinOutcome::Stopped, false;
      TellFailure(c, kTextCannotReadSplit, Because(g->grown));
      return false;
    }
    if (sum != *expected) return *why = MarkDamaged(c, r, 1), false;
  }
  const std::string named = GrownName(g->base, g->last, g->held);
  plat::SetAttributes(g->grown, plat::kAttrNormal);
  if (!Rename(c, g->grown, named)) return false;
  g->grown = named;
  SetFirstPath(c, r.id, g->grown);
  return true;
}

// Appends split k (from 0) to the grown file and deletes it (never one
// read in place); the name then says how far the file has grown. False
// with the outcome on a stop or failure, the grown file as its name says.
bool GrowByOne(JoinContext& c, RestoreRecord& r, size_t k, char* buffer, Growth* g, JoinOutcome* why) {
  const RestoreSlot& slot = r.slots[k];
  *why = JoinOutcome::Failed;
  OwnedFile out;
  if (!OpenGrown(c, g->grown, g->held, &out)) return false;
  bool stopped = false, damaged = false;
  const bool ok = AppendSplit(c, slot, SumOf(r, static_cast<int>(k) + 1), out.handle, buffer, &stopped, &damaged);
  if (!ok) plat::FileSeek(out.handle, g->held), plat::FileSetEnd(out.handle);
  if (!out.Close() && ok) {
    TellFailure(c, kTextCannotWriteTarget, Because(g->grown));
    return false;
  }
  if (!ok) {
    // A grown file that holds split 1 alone is split 1 again.
    const std::string first = g->base + "." + SplitNumber(1);
    if (g->last == 1 && plat::RenameFile(g->grown, first)) SetFirstPath(c, r.id, first);
    if (damaged) *why = MarkDamaged(c, r, static_cast<int>(k) + 1);
    else if (stopped) *why = JoinOutcome::Stopped;
    return false;
  }
  const std::string next = GrownName(g->base, static_cast<int>(k) + 1, g->held + slot.size);
  if (!Rename(c, g->grown, next)) {
    // The name says less than the file holds: cut it back to the name.
    if (OpenGrown(c, g->grown, g->held, &out)) out.Close();
    return false;
  }
  g->grown = next;
  g->last = static_cast<int>(k) + 1;
  g->held += slot.size;
  r.slots[k].state = SlotState::Appended;
  r.slots[0].path = g->grown;
  SetFirstPath(c, r.id, g->grown);
  SetSlot(c, r.id, k, SlotState::Appended);
  if (!slot.inPlace) DeleteTold(c, slot.path);
  return true;
}

// When the last split is in, the grown file takes the target's name and
// the batch and check file go.
JoinOutcome EndGrowth(JoinContext& c, const RestoreRecord& r, const JoinRequest& request,
                      const std::string& target, const Growth& g) {
  if (!Whole(r, request)) return JoinOutcome::Partial;  // the rest has not come yet
  if (plat::SizeOfPath(g.grown) != g.held || g.held != TotalSize(r)) {
    TellFailure(c, kTextJoinedWrongSize, g.grown);
    return JoinOutcome::Failed;
  }
  if (plat::PathExists(target) && !DeleteTold(c, target)) return JoinOutcome::Failed;
  if (!Rename(c, g.grown, target)) return JoinOutcome::Failed;
  if (!r.batchName.empty()) DeleteTold(c, r.batchName);
  if (!r.checkName.empty()) DeleteTold(c, r.checkName);
  return JoinOutcome::Joined;
}

// With delete on: split 1 takes its grown name, each split is appended to
// it and deleted, and the name says after every split how far it has
// grown; when the last split is in, it takes the target's name. A stop or
// failure leaves the grown file as its name says.
JoinOutcome GrowJoin(JoinContext& c, RestoreRecord& r, const JoinRequest& request, const std::string& target,
                     char* buffer) {
  Growth g;
  JoinOutcome why = JoinOutcome::Failed;
  if (!StartGrowth(c, r, buffer, &g, &why)) return why;
  ClockStart(Clock(kClockJoining), TotalSize(r));
  const ProgressScale scale = ScaleProgress(static_cast<int64_t>(r.slots.size()));
  if (c.progress && c.progress->setRange) c.progress->setRange(scale.range);
  for (size_t k = 1; k < r.slots.size(); ++k) {
    if (c.progress && c.progress->setPosition) c.progress->setPosition(static_cast<int>(k / scale.step));
    if (r.slots[k].state == SlotState::Appended) continue;
    if (r.slots[k].state != SlotState::Present) break;  // a partial join ends before the first gap
    if (!GrowByOne(c, r, k, buffer, &g, &why)) return why;
  }
  if (c.progress && c.progress->setPosition) c.progress->setPosition(0);
  return EndGrowth(c, r, request, target, g);
}

// With delete off: the splits are copied one after another into the
// target's partial name, which takes the target's name when whole.
JoinOutcome CopyJoin(JoinContext& c, RestoreRecord& r, const std::string& target, char* buffer) {
  const std::string partial = PartialNameOf(target);
  if (plat::PathExists(partial)) plat::DeleteOneFile(partial);  // a leftover of a join that was cut off
  OwnedFile out(plat::FileOpen(partial, plat::kWrite, plat::Disposition::CreateAlways, plat::kShareNone));
  if (!plat::OpenSucceeded(out.handle)) {
    TellFailure(c, kTextCannotOpenTarget, Because(partial));
    return JoinOutcome::Failed;
  }
  ClockStart(Clock(kClockJoining), TotalSize(r));
  const ProgressScale scale = ScaleProgress(static_cast<int64_t>(r.slots.size()));
  if (c.progress && c.progress->setRange) c.progress->setRange(scale.range);
  bool ok = true, stopped = false, damaged = false;
  size_t k = 0;
  for (; ok && k < r.slots.size(); ++k) {
    if (c.progress && c.progress->setPosition) c.progress->setPosition(static_cast<int>(k / scale.step));
    ok = AppendSplit(c, r.slots[k], SumOf(r, static_cast<int>(k) + 1), out.handle, buffer, &stopped, &damaged);
  }
  if (c.progress && c.progress->setPosition) c.progress->setPosition(0);
  if (!out.Close() && ok) {
    TellFailure(c, kTextCannotWriteTarget, Because(partial));
    ok = false;
  }
  if (ok && plat::SizeOfPath(partial) != TotalSize(r)) {
    TellFailure(c, kTextJoinedWrongSize, partial);
    ok = false;
  }
  if (ok && plat::PathExists(target)) ok = DeleteTold(c, target);
  if (ok) ok = Rename(c, partial, target);
  if (ok) return JoinOutcome::Joined;
  plat::DeleteOneFile(partial);
  if (damaged) return MarkDamaged(c, r, static_cast<int>(k));  // k went one past it
  return stopped ? JoinOutcome::Stopped : JoinOutcome::Failed;
}

}  // namespace

JoinOutcome JoinMainFile(JoinContext& c, const JoinRequest& request) {
  RestoreRecord r;
  JoinOutcome why = JoinOutcome::NotJoinable;
  if (c.buffSize == 0 || !StartJoin(c, request, &r, &why)) return why;
  const int id = r.id;
  // A split 1 that has grown already can only go on growing.
  const bool del = request.deleteSplits || IsPartialName(r.slots[0].path);
  std::string target;
  if (!ChooseTarget(c, r, &target)) return EndJoin(c, id), JoinOutcome::Cancelled;
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[c.buffSize]);
  if (!buffer) return EndJoin(c, id), JoinOutcome::Failed;
  const JoinOutcome outcome = del ? GrowJoin(c, r, request, target, buffer.get()) : CopyJoin(c, r, target, buffer.get());
  std::lock_guard<std::mutex> lock(c.list->mutex);
  for (RestoreRecord& x : c.list->records) {
    if (x.id != id) continue;
    x.busy = false;
    if (outcome != JoinOutcome::Joined) continue;
    x.name = target;
    x.joined = true;
    if (del) {
      for (RestoreSlot& s : x.slots)
        if (s.state == SlotState::Present) s.state = SlotState::Appended;
      x.slots[0].path = target;
      x.batchName.clear();
      x.batchSize = 0;
      x.checkName.clear();
      x.checkSize = 0;
    }
  }
  return outcome;
}

}  // namespace kst
