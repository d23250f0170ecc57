#include "backup/run_settings.h"

#include <cctype>
#include <set>

#include "backup/backup_texts.h"
#include "backup/list_checks.h"
#include "backup/save_list.h"
#include "frame/dialogs/ask.h"
#include "frame/dialogs/run_figures.h"
#include "frame/files/folders.h"
#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"

namespace kst {

namespace {

constexpr size_t kLongestPath = 259;

uint32_t TypeOf(const std::string& path) {
  const std::string root = DriveRoot(path);
  return root.empty() ? plat::kDriveNoRoot : plat::DriveType(root);
}

bool OnDrive(const std::string& path, const std::string& root) {
  return !root.empty() && SameText(DriveRoot(path), root);
}

// Bytes still to carry of an entry that is not copied, and the splits it has.
int64_t LeftToCarry(const FileEntry& e) {
  return e.size - SplitsSize(e);
}

GoRefusal Refusal(int heading, int message, const std::string& detail = "") {
  return GoRefusal{heading, message, detail};
}

}  // namespace

std::string WithOneBackslash(const std::string& folder) {
  std::string f = Trimmed(folder);
  while (!f.empty() && f.back() == '\\') f.pop_back();
  return f.empty() ? f : f + "\\";
}

std::string DriveRoot(const std::string& path) {
  const std::string p = Trimmed(path);
  if (p.size() < 2 || p[1] != ':' || !std::isalpha(static_cast<unsigned char>(p[0]))) return "";
  return p.substr(0, 2) + "\\";
}

bool IsCdRun(const RunSettings& settings) {
  return !settings.folderDisk && TypeOf(settings.destination) == plat::kDriveCdRom;
}

bool IsCdFolderRun(const RunSettings& settings) { return IsCdRun(settings) && !settings.cdDirect; }

namespace {

// Deeper folders are not counted: a link back to a parent must not recurse for ever.
constexpr int kDeepestFolder = 32;

int64_t BytesInFolder(const std::string& folder, int depth) {
  const std::string f = WithOneBackslash(folder);
  if (depth > kDeepestFolder) return 0;
  int64_t bytes = 0;
  plat::FindEntry e;
  plat::FindHandle h = plat::FindFirst(f + "*.*", &e);
  if (h == plat::kNoFind) return 0;
  do {
    if (e.name == "." || e.name == "..") continue;
    bytes += (e.attributes & plat::kAttrDirectory) ? BytesInFolder(f + e.name, depth + 1)
                                                   : plat::SizeOfPath(f + e.name);
  } while (plat::FindNext(h, &e));
  plat::FindClose(h);
  return bytes;
}

}  // namespace

int64_t BytesInFolder(const std::string& folder) { return BytesInFolder(folder, 0); }

bool InFolder(const std::string& path, const std::string& folder) {
  const std::string p = WithOneBackslash(path);
  return !folder.empty() && p.size() >= folder.size() && SameText(p.substr(0, folder.size()), folder);
}

GoRefusal CheckAtGo(const RunSettings& settings, const ListImage& list) {
  const std::string dest = WithOneBackslash(settings.destination);
  const std::string temp = WithOneBackslash(settings.temporary);
  const std::string destRoot = DriveRoot(dest);
  if (dest.empty() || destRoot.empty()) return Refusal(kTextCannotGo, kTextNoDestination);
  const uint32_t destType = TypeOf(dest);
  // A folder disk may lie on any drive: then only the folder itself is the disk's.
  const bool folderDisk = settings.folderDisk;
  if (folderDisk ? destType == plat::kDriveNoRoot || destType == plat::kDriveUnknown
                 : destType != plat::kDriveRemovable && destType != plat::kDriveCdRom)
    return Refusal(159, 160, dest);
  // Decided by object too: a link or another drive letter may name the
  // destination (a disk folder, or the drive whose disks are changed).
  const std::string disk = folderDisk ? dest : destRoot;
  if ((folderDisk ? InFolder(temp, dest) : OnDrive(temp, destRoot)) || IsWithinFolder(temp, disk))
    return Refusal(156, kTextTempOnDestination, temp);
  const uint32_t tempType = TypeOf(temp);
  if (tempType != plat::kDriveFixed && tempType != plat::kDriveRamDisk) return Refusal(156, 157, temp);
  if (!plat::PathExists(temp)) return Refusal(156, kTextNoTemporaryFolder, temp);
  // Integer arithmetic: 10 x M <= D holds exactly where M <= D / 10 does.
  if (settings.diskSize <= 0 || settings.margin < 0 || settings.margin > settings.diskSize / 10 ||
      settings.margin * 10 > settings.diskSize)
    return Refusal(163, kTextBadDiskSize);
  const int64_t perDisk = settings.diskSize - settings.margin;
  std::set<std::string> names;
  for (const FileEntry& e : list.entries) {
    const std::string path = Trimmed(e.path);
    const std::string name = SplitBaseName(path);
    if ((folderDisk ? InFolder(path, dest) : OnDrive(path, destRoot)) || IsWithinFolder(path, disk))
      return Refusal(kTextCannotGo, kTextFileOnDestination, path);
    if (SameFolder(FolderOf(path), temp) || plat::SameObject(FolderOf(path), temp)) return Refusal(165, 166, path);
    if (!names.insert(UpperCase(name)).second) return Refusal(kTextCannotGo, kTextSameName, name);
    // The longest names the run makes: a split (or a split of a split) on
    // the disk and in the temporary folder.
    const size_t longest = name.size() + 4;
    if (dest.size() + longest > kLongestPath || temp.size() + longest > kLongestPath ||
        path.size() > kLongestPath)
      return Refusal(kTextCannotGo, kTextPathTooLong, path);
    if (e.copied) continue;
    if (plat::SizeOfPath(path) != e.size) return Refusal(kTextCannotGo, kTextSourceChanged, path);
    const int64_t left = LeftToCarry(e);
    const int64_t more = left <= 0 ? 0 : (left + perDisk - 1) / perDisk;
    if (static_cast<int64_t>(e.splits.size()) + more > kMostSplitsPerFile)
      return Refusal(kTextCannotGo, kTextTooManySplitsAtGo, path);
  }
  return GoRefusal{};
}

void TellRefusal(const GoRefusal& refusal, const MessageOwner& owner) {
  if (!refusal) return;
  std::string message = Trimmed(GetText(refusal.message));
  if (!refusal.detail.empty()) message += " " + refusal.detail;
  PlayAlert();
  AskUser(kAskOk, owner.window, GetText(refusal.heading), message, owner.boxRecord, owner.ownerRecord);
}

int64_t NumberOfDisks(int64_t total, int64_t diskSize, int64_t margin) {
  const int64_t perDisk = diskSize - margin;
  if (perDisk == 0) return -1;
  int64_t disks = total / perDisk;
  if (disks * perDisk != total) ++disks;
  return disks;
}

BackupFigures FiguresAt(const RunSettings& settings, int64_t totalSize, int64_t totalDone,
                        int64_t disksDone, int64_t startTime, int64_t elapsed) {
  BackupFigures f;
  f.totalSize = totalSize;
  f.totalDone = totalDone;
  f.numberOfDisks = NumberOfDisks(totalSize, settings.diskSize, settings.margin);
  f.disksDone = disksDone;
  const int64_t perDisk = settings.diskSize - settings.margin;
  const int64_t remaining = totalSize - totalDone;
  if (perDisk > 0 && remaining > 0) {
    f.disksLeft = remaining / perDisk;
    if (f.disksLeft * perDisk != remaining) ++f.disksLeft;
  }
  const DiskRunEstimate estimate = EstimateDiskRun(startTime, elapsed, disksDone, f.disksLeft);
  f.timeLeft = estimate.timeLeft;
  f.startTime = startTime;
  f.eta = estimate.eta;
  return f;
}

}  // namespace kst
