// The Linux emulation of drives, used by native builds and their tests.
// Drive letters map to host folders; each drive has a type and, if wanted,
// a capacity counted in clusters, so a test can put "a 1.44 MB floppy in
// drive A:" and swap disks by swapping folder contents. Faults can be
// injected to test short transfers, full disks and failed opens.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "frame/platform/platform.h"

namespace plat {

struct EmulatedDrive {
  std::string hostFolder;           // where the drive's root lives
  uint32_t type = kDriveFixed;      // a DriveKind
  int64_t capacity = 0;             // bytes; 0 = the host file system's space
  uint32_t bytesPerSector = 512;
  uint32_t sectorsPerCluster = 8;   // 4096-byte clusters
};

// Maps letter ('A'..'Z') to a host folder; replaces an earlier mapping.
void EmuMapDrive(char letter, const EmulatedDrive& drive);
void EmuUnmapDrive(char letter);
// The capacity of a 1.44 MB floppy as formatted: 1457664 bytes.
EmulatedDrive EmuFloppy(const std::string& hostFolder);

// The host path that a Windows path names ("" when its drive is unmapped).
std::string EmuHostPath(const std::string& windowsPath);
// The Windows path (on drive Z:, mapped to "/") of a host path.
std::string EmuWindowsPath(const std::string& hostPath);

// Host names as they are: with it on, a name finds only the host file of
// exactly that name (not one that differs in case) and a trailing blank
// stays part of it. kestrova-cli works on the user's host files so; the
// emulated drives of the tests keep the Windows way (off).
void EmuExactNames(bool on);

enum class Fault {
  ShortWrite,  // the write transfers half of what was asked and reports success
  ShortRead,   // the read transfers half of what was asked and reports success
  DiskFull,    // the write transfers nothing and fails with 112
  OpenFails,   // the open fails with 5 (access denied)
  // The shell's copy of one file stops halfway and still reports success,
  // leaving the target cut short: Wine's copy onto a full disk does so.
  ShellCopyCutShort,
  ListFails,  // a folder's listing fails with 5, as a folder the user may not read
  // The close reports a failure (112): a write the system had deferred
  // did not reach the file.
  CloseFails,
};

// Arms a fault that fires once, on the (skip + 1)-th matching call after
// arming. pathPart limits it to files whose Windows path contains it (case
// ignored; "" = every file).
void EmuInjectFault(Fault fault, int skip = 0, const std::string& pathPart = "");
void EmuClearFaults();

// The shell's question before a copy replaces a file (asked only without
// kShellNoConfirmation): the answer for target, true = Yes. No leaves the
// target and the operation returns kErrCancelled. Without a question set
// every such question is answered Yes.
void EmuSetShellReplaceQuestion(std::function<bool(const std::string& target)> question);

}  // namespace plat
