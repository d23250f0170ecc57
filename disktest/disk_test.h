// Test Disks' run: two disks filled with pseudo-random data, each asked for
// again and read back into the temporary folder, and both compared with
// what was written. The window, kestrova-cli and the tests drive it with
// a person of their own.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "backup/backup_person.h"
#include "compare/compare_blocks.h"
#include "disktest/random_data.h"
#include "frame/settings/settings.h"
#include "frame/threads/job_control.h"
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
  // The largest test file; 0 = kLargestTestPiece. A disk's free space is
  // written in files of at most this size.
  int64_t pieceLimit = 0;
};

// Below 4 GiB, the most FAT32 holds in one file, and a whole number of
// clusters of any size up to 64 KiB.
constexpr int64_t kLargestTestPiece = 0x100000000LL - 0x10000;

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
  int64_t sizes[2] = {0, 0};  // the test data of each disk, in one file or more
  CompareResult compared[2];  // of the last piece read back (a difference: its place in the disk's data)
  std::vector<std::string> undeleted;  // files the run made and could not delete, each with why
};

// The whole test, from making the temporary names to the verdict (status
// line and box) and deleting the temporary files it made. The temporary
// folder's room is checked at the start against the disk in the drive and
// again for each disk before it is written; a disk whose root holds only
// the system's own hidden folders counts as empty, and auto-erase leaves
// them alone. Files it could not delete are told at the end.
DiskTestResult RunDiskTest(DiskTestRun& run);

// The root a test writes to: the drive's root, or the folder with one
// trailing backslash.
std::string TestRoot(const DiskTestSettings& settings);

}  // namespace kst
