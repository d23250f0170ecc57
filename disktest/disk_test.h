// Test Disks' run: two disks filled with pseudo-random data, each asked for
// again and read back into the temporary folder, and both compared with
// what was written. The window, kestrova-cli and the tests drive it with
// a person of their own.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "backup/backup_person.h"
#include "compare/compare_blocks.h"
#include "disktest/random_data.h"
#include "frame/job_control.h"
#include "frame/settings.h"
#include "split/split_writer.h"

namespace kst {

struct DiskTestSettings {
  std::string temporary;  // the temporary working folder (fixed or RAM drive)
  std::string drive;      // the drive's root, "A:\"; with diskSize a folder
  // Above 0: drive is a folder on any drive that stands for a disk of this
  // many bytes (never erased; its room is the smaller of this less the
  // bytes already in it and the drive's free space).
  int64_t diskSize = 0;
  int32_t buffSize = kBuffSizeDefault;
  bool silent = false;  // shell operations without their progress window
};

// The person the run talks to: the disk prompts (new disk, also asked for
// each disk of the read-back, and a disk that is not empty) and the status
// line. An empty prompt answers as closed: the run stops.
struct DiskTestPerson {
  std::function<PromptAnswer(const DiskPrompt&, bool* autoErase)> insertDisk;
  std::function<PromptAnswer(const NotEmptyPrompt&, bool* autoErase)> diskNotEmpty;
  std::function<void(const std::string& text)> status;
};

struct DiskTestRun {
  DiskTestSettings settings;
  DiskTestPerson person;
  MessageOwner owner;  // whose boxes the run's messages are
  JobControl* job = nullptr;
  ProgressSink* progress = nullptr;  // moved while writing and comparing
  RandomBits random;                 // empty: seeded afresh for the run
};

enum class DiskTestOutcome {
  NoFlaws,  // both disks read back equal, each over more than 0 bytes
  Flaws,    // a read-back file differs, or could not be read whole
  Stopped,  // aborted, or a step failed before both disks were compared
};

struct DiskTestResult {
  DiskTestOutcome outcome = DiskTestOutcome::Stopped;
  int64_t sizes[2] = {0, 0};  // the test file of each disk
  CompareResult compared[2];
};

// The whole test, from making the temporary names to the verdict (status
// line and box) and deleting the temporary files it made.
DiskTestResult RunDiskTest(DiskTestRun& run);

// The root a test writes to: the drive's root, or the folder with one
// trailing backslash.
std::string TestRoot(const DiskTestSettings& settings);

}  // namespace kst
