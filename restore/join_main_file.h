// The join of one record of the restore list: its splits appended in
// number order through one buffer, each split's size checked against the
// size it was listed with. With delete on, split 1 takes a grown name that
// says which splits and how many bytes it holds (GrownName), each other
// split is appended and deleted, so that the disk needs room for one extra
// split at a time, and the whole file takes the target's name last; a join
// that fails or is stopped leaves the grown file as its name says (split 1
// under its own name when nothing was appended), and the next join goes on
// from it. With delete off, the file is written under the target's partial
// name and renamed when whole; a failure deletes the partial.
// With a check file, every split is summed as it passes through the buffer
// and compared at its end (split 1 with delete on: read once before the
// first append, unless it has grown already): a damaged split is never
// appended, never deleted, and waits for another copy of itself.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "frame/threads/job_control.h"
#include "restore/restore_list.h"
#include "split/split_writer.h"

namespace kst {

struct JoinRequest {
  int recordId = 0;
  bool deleteSplits = false;
  bool byPerson = false;  // "Join All As...": a batch is not needed
};

// Asks for the join target (the save-file dialog "Select File for the join
// target"), proposing a path; false when the person cancelled.
using TargetNamer = std::function<bool(const std::string& proposed, std::string* chosen)>;

struct JoinContext {
  RestoreList* list = nullptr;
  JobControl* job = nullptr;      // the keep-going flag the join reads
  ProgressSink* progress = nullptr;
  uint32_t buffSize = kBuffSizeDefault;
  bool autoName = true;           // "RAutoName": the target is the record's name
  bool silent = false;            // "Silent progress" for the shell's operations
  TargetNamer nameTarget;         // empty: a declined name abandons the join
  MessageOwner owner;
};

enum class JoinOutcome {
  Joined,       // the record is whole
  Partial,      // splits read in place appended; split 1 holds them, more to come
  NotJoinable,  // missing splits, already joined, or no record
  Busy,         // another join runs on the record
  Cancelled,    // the person gave no target: nothing changed
  Stopped,      // keep-going cleared: rolled back
  Failed,       // told to the person: rolled back
  Damaged,      // a split's sum differs from its check file's: told, its slot
                // marked Damaged, the file cut back to the splits before it
};

JoinOutcome JoinMainFile(JoinContext& context, const JoinRequest& request);

}  // namespace kst
