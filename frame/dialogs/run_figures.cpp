#include "frame/dialogs/run_figures.h"

#include <cstdio>

#include "frame/clock/clock_system.h"
#include "frame/texts/times.h"

namespace kst {

std::string TimeOfDay(int64_t seconds) {
  seconds %= 86400;
  if (seconds < 0) seconds += 86400;
  char text[16];
  snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(seconds / 3600),
           static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
  return text;
}

DiskRunEstimate EstimateDiskRun(int64_t startTime, int64_t elapsed, int64_t disksDone, int64_t disksLeft) {
  DiskRunEstimate e;
  e.timeLeft = disksDone == 0 ? disksLeft * 60 : elapsed * disksLeft / disksDone;
  e.eta = (startTime + elapsed + e.timeLeft) % 86400;
  return e;
}

void ShowDiskRunFigures(DialogState& state, const DiskRunFields& fields, const DiskRunFigures& figures) {
  DialogSet(state, fields.start, TimeOfDay(figures.startTime + WatchOffsetNow()));
  DialogSet(state, fields.eta, TimeOfDay(figures.eta + WatchOffsetNow()));
  DialogSet(state, fields.timeLeft, FormatDuration(figures.timeLeft));
  DialogSet(state, fields.disksDone, std::to_string(figures.disksDone));
  DialogSet(state, fields.disksLeft, std::to_string(figures.disksLeft));
}

}  // namespace kst
