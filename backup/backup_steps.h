// What the backup worker and the verification share while a run goes: the
// state of the run, the disk in the drive and the person's prompts. Not
// for the window: it drives RunBackup.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "backup/backup_worker.h"
#include "frame/platform/platform.h"

namespace kst {

struct DiskInDrive {
  bool present = false;    // a disk was accepted and still has room
  bool holdsRunFiles = false;  // something of this run was written to it
  int64_t freeBytes = 0;
  int64_t totalBytes = 0;
  int64_t bytesPerSector = 512;
  int64_t usedBytes = 0;  // a folder disk: the bytes in its folder
  // What the smallest file takes of the room: a cluster (a folder disk
  // counts bytes, so 1 there).
  int64_t clusterBytes = 512;
};

// The size and last write time of a file: a file that changes while it is
// carried shows another stamp.
struct FileStamp {
  int64_t size = -1;
  uint64_t written = 0;
  bool operator==(const FileStamp&) const = default;
};

// The CRC-32 of a split as its bytes went onto the disk, with the range of
// the source it was cut from: a sum counts only for that same range.
struct SplitSum {
  int64_t offset = 0;
  int64_t bytes = 0;
  uint32_t crc = 0;
};

struct RunState {
  BackupRun run;
  DiskInDrive disk;
  bool autoErase = false;
  int64_t disksDone = 0;
  int64_t disksAsked = 0;   // disks asked for in the current verification pass
  int64_t cdBudget = 0;     // CD folder variant: bytes left on the CD being gathered
  int64_t cdReady = 0;      // CD folder variant: bytes gathered for it
  std::string cdFolder;     // CD folder variant: where the CD's files are gathered
  uint64_t startTick = 0;
  int64_t startTime = 0;    // seconds after midnight
  int64_t verifyDone = 0;   // bytes read back in this pass
  int64_t carried = 0;      // bytes this run put onto disks (the list also counts earlier runs')
  FileStamp fileStamp;      // the file being carried, as it was when its carrying began
  std::vector<char> buffer;  // the run's one copy buffer
  // CD folder variant: the list's entries as they were when the CD being
  // gathered began; what was gathered since counts as carried only once
  // the CD is burned.
  std::vector<FileEntry> beforeCd;
  // The sums of the splits this run wrote, per source path (trimmed) and
  // split index (0-based), for the check file that goes with the batch.
  std::map<std::string, std::map<size_t, SplitSum>> sums;
};

// Who let a copy down.
enum class CopyFault {
  None,
  Stopped,  // keep-going was cleared
  Kept,     // the person keeps the file of the target's name that was there
  Source,   // what was read: it could not be opened or read whole
  Target,   // where it was written: not created, not written whole, not closed
  Changed,  // the file being carried changed while it was read
};

struct CopyResult {
  CopyFault fault = CopyFault::None;
  uint32_t error = 0;  // the system's code for Source and Target
};

// One copy of the run: bytes of from, from offset on, into to.
struct CopyOrder {
  std::string from;
  int64_t offset = 0;
  int64_t bytes = 0;
  std::string to;
  // False for a working copy in the temporary folder: it keeps its
  // partial name, which no user's file has, until it is deleted.
  bool commit = true;
  // from is the file being carried: it must still show the run's fileStamp.
  bool carriedFile = false;
  // Where the CRC-32 of the bytes copied goes, null for none: taken from
  // the run's buffer as they pass through it.
  uint32_t* crc = nullptr;
};

uint32_t ShellFlags(const RunState& s);
// Heading over message (text ids), with detail after message when given.
void Tell(const RunState& s, int heading, int message, const std::string& detail = "");
// The abort question: true when the person wants to stop.
bool AbortConfirmed(const RunState& s);
// A prompt's answer: go on, show the prompt again (No to the abort
// question), or stop (keep-going cleared).
enum class Next { Go, Again, Stop };
Next Decide(RunState& s, PromptAnswer answer);

// Reads the destination drive's space; false when it cannot be read.
bool ReadDisk(const RunState& s, DiskInDrive* disk);
// Makes sure a disk with room is in the drive (or, in the CD folder
// variant, a folder gathers the next CD). False when the run stops.
bool DiskWithRoom(RunState& s);
// Bytes the next file or split may take on the current disk; 0 or less
// means it is full.
int64_t RoomLeft(RunState& s);
// The current disk is full: count it done and ask for another next time.
bool CloseDisk(RunState& s);
// Takes bytes carried off the CD budget (folder variant).
void Carried(RunState& s, int64_t bytes);

// A new empty folder inside folder under a unique "KST" name, with one
// trailing backslash; "" on failure.
std::string MakeKstFolder(const std::string& folder);
FileStamp StampOf(const std::string& path);
// Copies through the run's buffer, reading keep-going before every buffer
// and moving the speed counters and the bar as it goes. The copy is written
// under the target's partial name and takes the real name when whole,
// closed and of its size; on any failure the partial is deleted. A target
// that exists already is replaced only when the person says Yes to the
// replace question.
CopyResult CopyPart(RunState& s, const CopyOrder& order);
// The CRC-32 of order's bytes of from (to is not used) into *crc, read
// through the run's buffer as a copy reads, its bar and counters moving;
// a carried file must still show fileStamp.
CopyResult SumPart(RunState& s, const CopyOrder& order, uint32_t* crc);
// Deletes the partial copies an earlier, stopped run of this list left in
// folder (for each file of the list: its whole copy, splits and batch).
void RemoveLeftovers(RunState& s, const std::string& folder);

// Copies one file with the shell and checks that the target has the
// source's size; on any failure the partial target is deleted.
bool CopyChecked(const RunState& s, const std::string& from, const std::string& to);
// Saves the list when auto save is on, and shows the figures.
void AfterStep(RunState& s);
BackupFigures Figures(RunState& s);

}  // namespace kst
