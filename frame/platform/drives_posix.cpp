// The Linux emulation's drives: mapping letters onto host folders, their
// types, and their capacity counted in clusters.
#include <dirent.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "frame/platform/emulation_internal.h"

namespace plat {

using namespace emu;

uint64_t emu::ClustersInUse(const std::string& folder, uint64_t clusterBytes) {
  uint64_t clusters = 0;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return 0;
  while (dirent* e = readdir(dir)) {
    if (!strcmp(e->d_name, ".") || !strcmp(e->d_name, "..")) continue;
    std::string path = JoinHost(folder, e->d_name);
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode))
      clusters += ClustersInUse(path, clusterBytes);
    else
      clusters += (static_cast<uint64_t>(st.st_size) + clusterBytes - 1) / clusterBytes;
  }
  closedir(dir);
  return clusters;
}

// ---- emulation control ------------------------------------------------------------

void EmuMapDrive(char letter, const EmulatedDrive& drive) {
  DriveTable& t = Drives();
  std::lock_guard<std::mutex> lock(t.mutex);
  t.drives[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] = drive;
}

void EmuUnmapDrive(char letter) {
  DriveTable& t = Drives();
  std::lock_guard<std::mutex> lock(t.mutex);
  t.drives.erase(static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
}

EmulatedDrive EmuFloppy(const std::string& hostFolder) {
  EmulatedDrive d;
  d.hostFolder = hostFolder;
  d.type = kDriveRemovable;
  d.capacity = 1457664;
  d.bytesPerSector = 512;
  d.sectorsPerCluster = 1;
  return d;
}

// ---- drives -------------------------------------------------------------------------------

uint32_t DriveType(const std::string& root) {
  if (root.size() < 2 || root[1] != ':') return kDriveNoRoot;
  EmulatedDrive drive;
  if (!LookUpDrive(root[0], &drive)) return kDriveNoRoot;
  return drive.type;
}

bool DiskFreeSpace(const std::string& root, DiskGeometry* g) {
  EmulatedDrive drive;
  if (root.size() < 2 || root[1] != ':' || !LookUpDrive(root[0], &drive))
    return Fail(kErrPathNotFound), false;
  if (drive.capacity > 0) {
    uint64_t cluster = static_cast<uint64_t>(drive.bytesPerSector) * drive.sectorsPerCluster;
    uint64_t total = static_cast<uint64_t>(drive.capacity) / cluster;
    uint64_t used = ClustersInUse(drive.hostFolder, cluster);
    g->bytesPerSector = drive.bytesPerSector;
    g->sectorsPerCluster = drive.sectorsPerCluster;
    g->totalClusters = static_cast<uint32_t>(total);
    g->freeClusters = static_cast<uint32_t>(used < total ? total - used : 0);
    return true;
  }
  struct statvfs vfs;
  if (statvfs(drive.hostFolder.c_str(), &vfs) != 0) return Fail(ErrnoToCode(errno)), false;
  // Report in 4096-byte clusters, capped as the 32-bit interface is.
  uint64_t unit = vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize;
  auto clusters = [&](uint64_t blocks) {
    return static_cast<uint32_t>(std::min<uint64_t>(blocks * unit / 4096, 0xFFFFFFFFULL));
  };
  g->bytesPerSector = 512;
  g->sectorsPerCluster = 8;
  g->totalClusters = clusters(vfs.f_blocks);
  g->freeClusters = clusters(vfs.f_bavail);
  return true;
}

}  // namespace plat
