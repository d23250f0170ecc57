// What the tests stand on: fresh scratch folders and the floppy drive A:,
// the same on Linux (emulated drives) and under Wine (real Win32 calls).
#pragma once

#include <cstdint>
#include <string>

namespace testenv {

// A new empty folder (Windows path, no trailing backslash), removed with
// its content when the object goes.
struct ScratchFolder {
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  std::string Path(const std::string& name = "") const;  // folder\name
  std::string path;
};

// Drive A: emptied and ready. On Linux it is an emulated 1.44 MB floppy;
// under Wine it is the folder the test harness mapped to A:, and sized is
// true only when the harness could mount a floppy-sized file system on it.
struct Floppy {
  bool sized = false;
  int64_t totalBytes = 0;  // clusters x cluster size when sized
};
Floppy PrepareFloppy();
void ReleaseFloppy();

// Writes bytes to a new file; true when all were written. With at, into
// the file as it is from that offset (a hole before it when beyond its end).
bool WriteFile(const std::string& path, const std::string& bytes, int64_t at = -1);
// The whole file, or "" (and ok false) when it cannot be read.
std::string ReadFile(const std::string& path, bool* ok = nullptr);
// A drive that names no drive on this machine, as "Q:" ("" if every letter does).
std::string MissingDrive();
// count bytes of a repeatable pattern that differs with seed.
std::string PatternBytes(size_t count, uint32_t seed = 1);

}  // namespace testenv
