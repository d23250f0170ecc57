#include "frame/threads/drives_in_use.h"

#include <mutex>

#include "frame/dialogs/dialog.h"
#include "frame/texts/text_numbers.h"
#include "frame/threads/subprograms.h"
#include "resources/resource_ids.h"

namespace kst {

namespace {

std::mutex g_mutex;
std::string g_marked[kSubprogramCount];  // under g_mutex

// The window field that names the disk a run uses: Split &/Or Copy writes
// to its destination, Copy &/Or Join reads its origin, Test Disks tests
// its drive. Their fields are locked while the run works.
struct DriveField {
  int subprogram;
  int control;
};
const DriveField kDriveFields[] = {
    {kSplitOrCopy, IDC_SC_DEST},
    {kCopyOrJoin, IDC_CJ_ORIGIN},
    {kTestDisks, IDC_TD_DRIVE},
};

std::string MarkedDrive(int subprogram) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_marked[subprogram];
}

}  // namespace

std::string DriveOfPath(const std::string& path) {
  std::string p = Trimmed(path);
  if (p.size() < 2 || p[1] != ':') return "";
  const char letter = static_cast<char>(p[0] & ~0x20);
  if (letter < 'A' || letter > 'Z') return "";
  return std::string(1, letter) + ":";
}

void MarkDriveInUse(int subprogram, const std::string& path) {
  if (subprogram < 0 || subprogram >= kSubprogramCount) return;
  std::lock_guard<std::mutex> lock(g_mutex);
  g_marked[subprogram] = DriveOfPath(path);
}

void ClearDriveInUse(int subprogram) { MarkDriveInUse(subprogram, ""); }

int DriveUser(const std::string& drive) {
  const std::string wanted = DriveOfPath(drive);
  if (wanted.empty()) return -1;
  for (int id = 0; id < kSubprogramCount; ++id) {
    Subprogram& s = GetSubprogram(id);
    if (!s.job.running.load() && !s.extraJob.running.load()) continue;
    if (MarkedDrive(id) == wanted) return id;
  }
  for (const DriveField& f : kDriveFields) {
    Subprogram& s = GetSubprogram(f.subprogram);
    if (s.job.running.load() && DriveOfPath(DialogGet(s.state, f.control)) == wanted) return f.subprogram;
  }
  return -1;
}

}  // namespace kst
