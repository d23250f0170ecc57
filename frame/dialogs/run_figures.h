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
// Sets the fields (not flushed).
void ShowDiskRunFigures(DialogState& state, const DiskRunFields& fields, const DiskRunFigures& figures);

}  // namespace kst
