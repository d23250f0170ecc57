// The settings of one Split &/Or Copy run, copied from the main dialog at Go
// and never changed by the dialog while the run goes, and the checks that a
// run must pass before anything is written.
#pragma once

#include <cstdint>
#include <string>

#include "backup/backup_person.h"
#include "backup/transport_list.h"
#include "frame/settings/settings.h"
#include "split/split_writer.h"

namespace kst {

constexpr int64_t kFirstCdSize = 681574400;  // the "650MB" entry
constexpr int64_t kCdSectorBytes = 2048;

struct RunSettings {
  std::string destination;  // drive/folder on a removable disk or a CD drive
  std::string temporary;    // working folder on a fixed disk or a RAM disk
  int64_t diskSize = 1457664;
  int64_t margin = 0;
  bool cdDirect = false;  // a CD is written like a diskette; else its files are gathered in a folder
  // The destination folder stands for a disk of diskSize bytes on any drive
  // (a stack of such folders is burned or moved later): its room is the
  // smaller of the drive's free space and diskSize less the bytes in the
  // folder, and it is never erased.
  bool folderDisk = false;
  bool joinBatch = true;
  // With the batch, the check file <name>.SFV (the CheckFile setting).
  bool checkFile = true;
  bool autoErase = false;  // the box's state when the first disk is asked for
  bool silent = false;     // "Silent progress": shell operations without their window
  int64_t maxSizeToCopy = kMaxSizeToCopyDefault;
  int32_t buffSize = kBuffSizeDefault;
};

// The folder with exactly one trailing backslash ("A:\backup" and
// "A:\backup\\" both give "A:\backup\"); blank stays blank.
std::string WithOneBackslash(const std::string& folder);
// "A:\" of "A:\backup\"; blank when the path has no drive letter.
std::string DriveRoot(const std::string& path);
// The destination is a CD drive.
bool IsCdRun(const RunSettings& settings);
// The CD folder variant: the CD's files are gathered in a temporary folder.
bool IsCdFolderRun(const RunSettings& settings);
// The bytes of the files in folder and its subfolders (0 when it is missing).
int64_t BytesInFolder(const std::string& folder);
// path lies in folder (ending with one backslash) or one of its subfolders.
bool InFolder(const std::string& path, const std::string& folder);

// Why a run may not start: a heading and a message (text ids) and what
// follows the message (a path or a name), empty when the run may start.
struct GoRefusal {
  int heading = 0;
  int message = 0;
  std::string detail;
  explicit operator bool() const { return message != 0; }
};

// The checks at Go, in order; the first that fails is returned. The folders
// are taken as they are given (WithOneBackslash is applied here).
GoRefusal CheckAtGo(const RunSettings& settings, const ListImage& list);
// Shows a refusal in the OK message box.
void TellRefusal(const GoRefusal& refusal, const MessageOwner& owner);

// "Number of Disks": the disks the total needs at D - M bytes each; -1 when
// D equals M.
int64_t NumberOfDisks(int64_t total, int64_t diskSize, int64_t margin);
// The run's figures at elapsed seconds after a start at startTime (seconds
// after midnight): disks left for what remains at D - M bytes each, a
// minute per disk until one is done and then the pace so far, and the ETA
// as a time of day.
BackupFigures FiguresAt(const RunSettings& settings, int64_t totalSize, int64_t totalDone,
                        int64_t disksDone, int64_t startTime, int64_t elapsed);

}  // namespace kst
