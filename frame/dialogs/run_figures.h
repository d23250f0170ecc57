// The times and disk counts of a run over several disks as its window
// shows them: the start and the ETA as times of day on the user's watch.
#pragma once

#include <cstdint>
#include <string>

#include "frame/dialogs/dialog.h"

namespace kst {

// Seconds after midnight as "HH:MM:SS"; whole days are dropped.
std::string TimeOfDay(int64_t seconds);

// The window's fields for each figure.
struct DiskRunFields {
  int start = 0, eta = 0, timeLeft = 0, disksDone = 0, disksLeft = 0;
};
// The figures; startTime and eta in seconds after midnight.
struct DiskRunFigures {
  int64_t startTime = 0, eta = 0, timeLeft = 0, disksDone = 0, disksLeft = 0;
};
// The time left and the ETA (seconds after midnight) of a run started at
// startTime, elapsed seconds later: a minute a disk until the first disk
// is done, then the pace of the disks done so far.
struct DiskRunEstimate {
  int64_t timeLeft = 0, eta = 0;
};
DiskRunEstimate EstimateDiskRun(int64_t startTime, int64_t elapsed, int64_t disksDone, int64_t disksLeft);

// Sets the fields (not flushed).
void ShowDiskRunFigures(DialogState& state, const DiskRunFields& fields, const DiskRunFigures& figures);

}  // namespace kst
