// The File Splitting run, as the FileSplit Second thread does it: cuts the
// file into its splits, writes the join batch beside them, and on failure
// tells the user and takes back the splits this run completed. Every split
// and the batch wear their partial names until whole, so that a stop, a
// failure or a kill never leaves a short one under its real name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frame/settings/settings.h"
#include "frame/threads/job_control.h"
#include "frame/threads/process_state.h"
#include "split/split_sizes.h"
#include "split/split_writer.h"

namespace kst {

// The file check: a file is ok when the path is not blank, it exists, it
// is neither a folder nor a volume label and it holds at least one byte.
struct FileCheck {
  bool ok = false;
  int64_t size = 0;  // 0 when not ok
};
FileCheck CheckFileToSplit(const std::string& path);
// The folder check: an existing folder or drive.
bool CheckSplitFolder(const std::string& folder);

struct FileSplittingInput {
  std::string file;                      // the file to split
  std::string folder;                    // where the splits go, without a trailing backslash
  int64_t splitSize = kFloppyBytes;      // the wanted size in bytes; the size rules apply
  bool joinBatch = true;                 // "&Do Join Batch"
  bool checkFile = true;                 // "Write &Check File": <name>.SFV with each split's CRC-32
  uint32_t buffSize = kBuffSizeDefault;  // the BuffSize setting
  int boxRecord = 0;                     // the dialog record the messages run on
  int ownerRecord = 0;
  // false: the caller tells the person why a run failed (kestrova-cli);
  // the replace question is asked all the same.
  bool messages = true;
};

enum class SplitOutcome {
  Done,            // every split (and the batch, when asked) written
  Failed,          // told ("Unknown problem!", or the refused name); completed splits deleted
  Stopped,         // aborted: the splits written whole stay, the one begun is gone, no batch; told
  NotStarted,      // the file fits one split, or would need more than 999
  Declined,        // the person would not replace the files there: nothing written
};

struct FileSplittingResult {
  SplitOutcome outcome = SplitOutcome::NotStarted;
  SplitPlan plan;
  int completed = 0;                          // splits written in full
  std::vector<std::string> splits;            // the names of splits 1 to N
  std::string batchPath;                      // set when the batch was written
  std::string checkPath;                      // set when the check file was written
  SplitFailure failure = SplitFailure::None;  // why the failing split was not written
  std::string failedPath;                     // the split or batch that failed
  uint32_t error = 0;  // the failing system call's code (plat::ErrorText), 0 when none
};

// One run. Before anything is written, the split names of the set and its
// batch (when one is to be written) are looked for: one that is the source
// by object (a link, another name of it) is refused; if any exists, the
// person is asked once, naming the first: No leaves every file as it was,
// Yes replaces them all without another question. A file name Windows
// cannot hold is refused before that. Then the partials a killed run of
// this file left in the folder are removed. An abort is told (unless the
// program is exiting), not taken for a failure. splitsBar moves over the
// splits (range N), splitBar inside the current split; either may be null.
// Feeds File Splitting's clock counters (total = the file's size).
FileSplittingResult RunFileSplitting(const FileSplittingInput& input, JobControl& job,
                                     ProgressSink* splitsBar = nullptr,
                                     ProgressSink* splitBar = nullptr);

}  // namespace kst
