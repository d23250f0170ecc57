// Joining splits back into their file the way the join batch does it:
// "copy /b" of the splits in number order into <name> beside them, then,
// if wanted, the splits and the batch deleted.
#pragma once

#include <cstdint>
#include <string>

#include "frame/threads/job_control.h"

namespace kst {

struct JoinSet {
  std::string folder;     // holds the splits; the joined file goes there too
  std::string name;       // the joined file's name
  int count = 0;          // splits .001 to .count
  std::string batchPath;  // the join batch beside them, "" when there is none
  std::string checkPath;  // the check file (<name>.SFV) beside them, "" when there is none
};

std::string JoinTarget(const JoinSet& set);  // folder\name

enum class JoinProblem {
  None,
  NotASplit,     // the path names neither <name>.BAT nor <name>.<three digits>
  NoSplits,      // no split 001 (or a batch that names no split)
  MissingSplit,  // the batch names a split that is not there, or .002 of a lone .001
  OddSplit,      // a split of a size no split of the set can have
};

// A set can be joined only when splits 1 to count-1 all have one size and
// split count is no larger (and none is empty): a split cut short, a half
// split left by a stopped run or a split of another run breaks it.
// Without a batch a set has two splits at least (a lone .001 is missing
// its .002). *fault gets the first split that is missing, or the one that
// breaks the rule.
JoinProblem CheckJoinSet(const JoinSet& set, std::string* fault = nullptr);

// The set that a join batch (<name>.BAT) or one of its splits names, as
// CheckJoinSet finds it. The batch's del lines give the number of splits;
// without a batch the splits are counted from .001 upward while they exist
// and keep to the rule, so the stale splits of an earlier, longer set
// beyond the last one are not taken.
JoinProblem FindJoinSet(const std::string& path, JoinSet* set, std::string* fault = nullptr);

// Writes the splits one after another into the target (replacing it),
// after CheckJoinSet (a set it refuses leaves the target untouched),
// through one buffer of buffSize bytes, reading keep-going before every
// buffer; progress moves once per split. The target is written under its
// partial name and takes its name (replacing what was there) only when
// whole; on failure the partial file goes and a target that was there
// stays. A target that is one of the splits under another name is refused
// (5). The splits are never touched.
// With a check file, each split's CRC-32 is taken as it is appended and
// compared with the check file's at the split's end: a split whose sum
// differs fails the join (error 0, *damaged naming it) and no target is left.
bool JoinSplits(const JoinSet& set, uint32_t buffSize, JobControl& job,
                ProgressSink* progress = nullptr, std::string* damaged = nullptr);

// Deletes the splits and then the batch and the check file, as the batch does on its first
// choice letter. False when one of them could not be deleted.
bool DeleteJoinSet(const JoinSet& set);

}  // namespace kst
