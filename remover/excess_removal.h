// An Excess Files Remover run, as the ExFilesRemover Second thread does it:
// every target file that is byte for byte the same as the Base file of the
// same relative path is deleted (or, in a simulation, only counted), the
// batch of the Base files and folders without a counterpart is written in
// the target folder, and, when asked, the log of every pair.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "frame/files/tree_walk.h"
#include "frame/settings/settings.h"
#include "frame/threads/job_control.h"

namespace kst {

struct RemoverInput {
  std::string base;              // the Base folder
  std::string target;            // the folder for excess file removal
  std::string pattern = "*.*";   // the files looked at (folders are always walked)
  bool recurse = true;           // "R&ecursive search"
  bool simulate = false;         // "Simulation only": nothing is ever deleted
  bool log = false;              // "Save &Log to a file"
  std::string logPath;
  int32_t buffSize = kBuffSizeDefault;
  bool silent = false;           // the shell's delete without its progress window
  void* owner = nullptr;         // the window the messages belong to
  int boxRecord = 0;             // the dialog record the messages run on
  int ownerRecord = 0;
};

struct RemoverCounts {
  int64_t insideBase = 0;     // files of the Base folder the run looks at
  int64_t insideTarget = 0;   // files of the target folder
  int64_t removed = 0;        // deleted, or counted as deleted in a simulation
  int64_t processed = 0;      // Base files done
  int64_t unmatched = 0;      // Base files without a counterpart
  int64_t unmatchedBytes = 0;
  // Parts left alone: folders that would not list or lie too deep, names
  // Windows cannot hold, links in the target. Never deleted, never in the
  // batch, never taken for missing; the run is not a clean one.
  int64_t troubles = 0;
};

enum class RemoverOutcome {
  Done,
  Refused,  // the folders or the log path were refused: nothing touched
  Stopped,  // aborted, or the batch or the log failed: what was deleted stays deleted
};

struct RemoverResult {
  RemoverOutcome outcome = RemoverOutcome::Refused;
  RemoverCounts counts;
  std::string batchPath;
  bool logWritten = false;  // the log holds its totals
  std::string firstTrouble;  // the first part left alone: path and reason
};

// Where the run shows itself; any part may be empty.
struct RemoverReport {
  std::function<void(const RemoverCounts&)> counts;  // after every entry
  std::function<void(const std::string&)> status;
  ProgressSink total;  // over the Base files
  ProgressSink file;   // inside the comparison of one pair
  TroubleVisitor trouble;  // each part left alone, as it is met
  // A pair proven the same, before it is checked once more and deleted.
  std::function<void(const std::string& targetPath)> proven;
};

// The files of folder matching pattern, with recurse those of its
// subfolders too; links to folders and names beginning with "." are left
// out, as the run leaves them. Stops early when keep-going drops.
int64_t CountRemoverFiles(const std::string& folder, const std::string& pattern, bool recurse,
                          JobControl* job = nullptr);

// Refuses, telling the person why, folders that are blank, missing or one
// folder (or, with recursion, one inside the other), and a log path that
// is the batch or a file the run would read. True when refused.
bool RefuseRemoverInput(const RemoverInput& input);

// One run. Feeds the Excess Files Remover's clock counters. A target file
// is deleted only when, right before, it is still the object that was
// compared (same id, size and time), the Base file too, and no folder on
// its way has become a link.
RemoverResult RunExcessRemoval(const RemoverInput& input, JobControl& job,
                               RemoverReport* report = nullptr);

}  // namespace kst
