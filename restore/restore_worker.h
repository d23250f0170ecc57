// The Copy &/Or Join run, as its Second thread does it: asks for disk after
// disk, copies the chosen files of the origin folder into the destination,
// hands each to the restore list, and joins on its own thread every file
// that the disk completes (splits above MaxSizeToCopy are appended straight
// from the disk instead of being copied first).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "frame/settings/settings.h"
#include "frame/threads/job_control.h"
#include "restore/join_main_file.h"
#include "restore/restore_list.h"
#include "split/split_writer.h"

namespace kst {

// The settings of one run, copied from the window at Go.
struct RestoreSettings {
  std::string origin;       // a folder on a removable disk or a CD
  std::string destination;  // a folder on a fixed disk or a RAM disk
  // The origin may be a folder on any drive (kestrova-cli feeds folders
  // that stand for disks).
  bool anyOriginDrive = false;
  int disksToRead = 0;  // 0: until the person stops
  int disksBefore = 0;  // disks fed before this run, for the disk numbers a damaged split is told with
  bool copyAll = true;         // "RCopyAll"
  bool keepStructure = true;   // "RKeepStruct"
  bool autoJoin = true;        // "RAutoJoin"
  bool autoJoinDelete = true;  // "RAutoJoinDel"
  bool autoName = true;        // "RAutoName"
  bool deleteOrigin = false;   // "RDeleteEnd"
  bool silent = false;         // "Silent progress"
  int64_t maxSizeToCopy = kMaxSizeToCopyDefault;
  int32_t buffSize = kBuffSizeDefault;
};

enum class DiskAnswer { Go, Abort, Closed };

struct RestoreDiskPrompt {
  std::string message;  // "Insert another disk in drive A:, so that the copying may continue!"
  std::string drive;    // "A:"
  int disk = 1;         // disks asked for so far, this one included
};

// One file found on the disk.
struct OriginFile {
  std::string path;      // on the disk
  std::string relative;  // below the origin folder
  int64_t size = 0;
  bool selected = true;
  bool done = false;     // copied, or appended from the disk
};

struct RestoreFigures {
  int64_t disksDone = 0;
  int64_t disksLeft = 0;
  int64_t startTime = 0;  // seconds after midnight
  int64_t eta = 0;        // seconds after midnight
  int64_t timeLeft = 0;   // seconds
  int64_t totalSize = 0;  // bytes copied or appended in this run
};

struct RestorePerson {
  // The disk prompt; copyAll carries the box "Copy All files ..." in and out.
  std::function<DiskAnswer(const RestoreDiskPrompt&, bool* copyAll)> insertDisk;
  // The file selection: the person ticks files; false aborts the run. The
  // person may list the origin again, or choose another origin folder,
  // which the rest of the run then reads.
  std::function<bool(std::string* origin, std::vector<OriginFile>* files)> selectFiles;
  TargetNamer nameTarget;
  // Asked before a file of the destination that differs from the disk's
  // is replaced; true = replace. Unset (the window): the shell's own
  // question is asked by the copy itself.
  std::function<bool(const std::string& target)> replaceFile;
  std::function<void(const RestoreFigures&)> figures;
  std::function<void()> listChanged;
};

enum class RestoreOutcome {
  Done,     // the disks were read (the person ended the feeding, or the count was reached)
  Refused,  // the folders did not pass the checks: nothing was done
  Aborted,  // the person stopped the run
  Failed,   // a join failed or the list was full: told
  GaveUp,   // the same disk came three times with nothing new on it: told
};

struct RestoreResult {
  RestoreOutcome outcome = RestoreOutcome::Refused;
  RestoreFigures figures;
  int64_t filesTaken = 0;
  // Files of the destination the person kept: the disk's file of that
  // name was not taken.
  std::vector<std::string> kept;
};

struct RestoreRun {
  RestoreSettings settings;
  RestoreList* list = nullptr;
  JobControl* job = nullptr;
  RestorePerson person;
  MessageOwner owner;
  ProgressSink* progress = nullptr;  // "Copy/Join"
};

// The files below the origin folder, at any depth, in the order they are
// listed; partial files (leftovers of a copy that was cut off) are not.
std::vector<OriginFile> ListOriginFiles(const std::string& origin);

// The folder with exactly one trailing backslash; blank stays blank.
std::string OneBackslash(const std::string& folder);

// Why a run may not start (text ids of heading and message, and the
// folder), empty when it may.
struct RestoreRefusal {
  int heading = 0;
  int message = 0;
  std::string detail;
  explicit operator bool() const { return message != 0; }
};
RestoreRefusal CheckRestoreAtGo(const RestoreSettings& settings);

// Lists the splits, join batches and grown files that an earlier run left
// in the destination, so that a run goes on where the last one stopped.
void ListDestinationPieces(RestoreList& list, const std::string& destination, const MessageOwner& owner);

// One run on the caller's thread, with keep-going set by the caller.
RestoreResult RunRestore(RestoreRun run);

}  // namespace kst
