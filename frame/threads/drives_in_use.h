// Which drive the running work of a subprogram uses, so that a format of
// that drive is asked about first. A worker may name its drive (the disk it
// is writing or reading now); without that, the folder field that names
// the run's disk in its window tells it, read while the run works.
#pragma once

#include <string>

namespace kst {

// The drive of a path ("a:\backup" -> "A:"); "" when it names none.
std::string DriveOfPath(const std::string& path);
// Marks the drive of path in use by subprogram's run; cleared when its run
// ends (or by an empty path).
void MarkDriveInUse(int subprogram, const std::string& path);
void ClearDriveInUse(int subprogram);
// The subprogram whose running work uses the drive ("A:" or a path on it),
// -1 when none does.
int DriveUser(const std::string& drive);

}  // namespace kst
