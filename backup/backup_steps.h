// What the backup worker and the verification share while a run goes: the
// state of the run, the disk in the drive and the person's prompts. Not
// for the window: it drives RunBackup.
#pragma once

#include <cstdint>
#include <string>

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
};

uint32_t ShellFlags(const RunState& s);
// Text of id without trailing blanks.
std::string Txt(int id);
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
// Copies one file with the shell and checks that the target has the
// source's size; on any failure the partial target is deleted.
bool CopyChecked(const RunState& s, const std::string& from, const std::string& to);
// Saves the list when auto save is on, and shows the figures.
void AfterStep(RunState& s);
BackupFigures Figures(RunState& s);

}  // namespace kst
