// What the files of the Linux emulation share: the last error, the drive
// table and the mapping of Windows paths onto host paths, the armed faults.
#pragma once

#include <sys/stat.h>
#include <time.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "frame/platform/emulation.h"
#include "frame/platform/platform.h"

namespace plat::emu {

extern thread_local uint32_t t_lastError;
extern std::atomic<bool> g_exactNames;
extern std::atomic<bool> g_anyFault;  // any fault armed (checked without the lock)

// Sets the last error to code and returns it.
uint32_t Fail(uint32_t code);
uint32_t ErrnoToCode(int e);

struct DriveTable {
  std::mutex mutex;
  std::map<char, EmulatedDrive> drives;
  std::string currentFolder;  // Windows form
};


DriveTable& Drives();
bool LookUpDrive(char letter, EmulatedDrive* drive);

// A Windows path made absolute and split: drive letter and components,
// with "." and ".." resolved.
struct WinPath {
  char drive = 0;
  std::vector<std::string> parts;
};

bool ParseWinPath(const std::string& input, WinPath* out);
std::string JoinHost(const std::string& folder, const std::string& name);
// Host path of a Windows path; false when the drive is not mapped.
bool ToHost(const std::string& windowsPath, std::string* host, char* driveLetter = nullptr);

uint64_t ToFileTime(const timespec& ts);
timespec FromFileTime(uint64_t ft);
uint32_t AttributesOf(const struct stat& st);
// Bytes in use on an emulated drive, counted in whole clusters.
uint64_t ClustersInUse(const std::string& folder, uint64_t clusterBytes);

// True when an armed fault of this kind fires for this call.
bool FaultFires(Fault fault, const std::string& windowsPath);

std::string ParentOf(const std::string& windowsPath);
std::string LastPart(const std::string& windowsPath);
bool IsFolder(const std::string& windowsPath);

}  // namespace plat::emu
