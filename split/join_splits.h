// Joining splits back into their file the way the join batch does it:
// "copy /b" of the splits in number order into <name> beside them, then,
// if wanted, the splits and the batch deleted.
#pragma once

#include <cstdint>
#include <string>

#include "frame/job_control.h"

namespace kst {

struct JoinSet {
  std::string folder;     // holds the splits; the joined file goes there too
  std::string name;       // the joined file's name
  int count = 0;          // splits .001 to .count
  std::string batchPath;  // the join batch beside them, "" when there is none
};

std::string JoinTarget(const JoinSet& set);  // folder\name

enum class JoinProblem {
  None,
  NotASplit,     // the path names neither <name>.BAT nor <name>.<three digits>
  NoSplits,      // no split 001 (or a batch that names no split)
  MissingSplit,  // the batch names a split that is not there
};

// The set that a join batch (<name>.BAT) or one of its splits names. The
// batch's del lines give the number of splits; without a batch the splits
// are counted from .001 upward while they exist. *missing gets the first
// split that is not there.
JoinProblem FindJoinSet(const std::string& path, JoinSet* set, std::string* missing = nullptr);

// Writes the splits one after another into the target (replacing it),
// through one buffer of buffSize bytes, reading keep-going before every
// buffer; progress moves once per split. On failure the part-joined target
// is deleted; the splits are never touched.
bool JoinSplits(const JoinSet& set, uint32_t buffSize, JobControl& job,
                ProgressSink* progress = nullptr);

// Deletes the splits and then the batch, as the batch does on its first
// choice letter. False when one of them could not be deleted.
bool DeleteJoinSet(const JoinSet& set);

}  // namespace kst
