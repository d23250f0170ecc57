// The File(s) Comparing run, as its Second thread does it: every original
// file is matched with its cloned counterpart by its path below the two
// starting folders, each pair is compared block by block, the outcome is
// counted and, when asked, written to the detailed information file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "compare/info_file.h"
#include "frame/dialogs/ask.h"
#include "frame/files/tree_walk.h"
#include "frame/settings/settings.h"
#include "frame/threads/job_control.h"

namespace kst {

// A side of the comparison: a folder (ending with a backslash) and the
// file part, a name or a wildcard pattern.
struct ComparePath {
  std::string folder;
  std::string pattern;
};
// The side a chosen path names: an existing folder (with or without its
// closing backslash) stands for all its files ("*.*").
ComparePath SplitComparePath(const std::string& path);
// The path upper-cased, with "." and ".." worked out and no closing
// backslash, so that two spellings of one path compare equal.
std::string NormalPath(const std::string& path);

struct ComparingInput {
  std::string original;  // full path: folder and file part
  std::string clone;
  bool recursive = false;
  bool saveInfo = false;
  std::string infoPath;
  bool showCompared = true;
  bool showUnmatched = true;
  int32_t buffSize = kBuffSizeDefault;
  int boxRecord = 0;    // the record the worker's messages run on
  int ownerRecord = 0;
  bool messages = true;  // false: the caller tells the person (kestrova-cli)
};

enum class CompareRefusal {
  None,
  BlankOriginal,
  BlankClone,
  MissingOriginal,  // the folder, or the named file, is not there
  MissingClone,
  SamePath,         // both sides name the same files
  BlankInfo,        // saving is on, but no information file is named
  InfoIsCompared,   // the information file is one of the files compared
};

// What stops a run before anything is read or written.
CompareRefusal CheckComparing(const ComparingInput& input);
// Tells the person why, after the alert.
void TellRefusal(CompareRefusal refusal, WindowRef owner, int boxRecord, int ownerRecord);

// The files a chosen path covers, as a run would compare them.
int64_t CountCovered(const std::string& path, bool recursive);

// Where the run shows itself; any part may be empty.
struct ComparingScreen {
  std::function<void(const ComparingCounts& counts)> counts;  // after each file
  std::function<void(const PairOutcome& pair)> pair;          // each pair, as it is settled
  TroubleVisitor trouble;  // each part that could not be read, reached or named
  ProgressSink* totalBar = nullptr;  // over the original files, range at most 65535
  ProgressSink* fileBar = nullptr;   // inside the pair being compared
};

enum class ComparingEnd {
  Done,
  Refused,          // CheckComparing said no: nothing read or written
  Aborted,          // keep-going was cleared
  InfoOpenFailed,   // the information file could not be made: nothing compared
  InfoWriteFailed,  // a write to it failed: the run stopped there
};

struct ComparingResult {
  ComparingEnd end = ComparingEnd::Done;
  CompareRefusal refusal = CompareRefusal::None;
  ComparingCounts counts;
  int64_t originalFiles = 0;
  int64_t originalBytes = 0;
  int64_t bytesDone = 0;
  bool totalsWritten = false;  // the information file holds the totals
  // Parts left out (unreadable, too deep, a name Windows cannot hold):
  // never equal, never unmatched; the run is not a clean one.
  int64_t troubles = 0;
  std::string firstTrouble;  // the first of them, path and reason
  std::string infoProblem;   // why the information file failed, when it did
};

// One run. Feeds the File(s) Comparing clock counters. With messages, a
// failure of the information file is told at once (the run stops).
ComparingResult RunComparing(const ComparingInput& input, JobControl& job,
                             const ComparingScreen& screen = {});

// After a run: tells of the parts left out; with the information file
// written, asks whether the person wants to read it (true for Yes);
// without it, points out any differences.
bool TellRunEnd(const ComparingInput& input, const ComparingResult& result, WindowRef owner);

}  // namespace kst
