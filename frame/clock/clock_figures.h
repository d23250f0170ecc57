// The arithmetic of the Clocking System: the speed and time left of one
// interval of a job, their text, and the times of day shown with the
// user's watch offset.
#pragma once

#include <cstdint>
#include <string>

#include "frame/platform/platform.h"

namespace kst {

struct ClockFigure {
  int64_t speed = 0;        // bytes per second over the interval
  int64_t secondsLeft = 0;  // of the job at that speed
};

// bytes moved in an interval of intervalMs milliseconds (counted as at
// least one second), with done of total bytes of the job behind. Never
// overflows; a job with nothing left has 0 seconds left, a job that moved
// nothing the longest time.
ClockFigure ComputeFigure(int64_t bytes, uint64_t intervalMs, int64_t total, int64_t done);

// The text of the time-and-speed field: "1m40s  1000 kB/s" (texts 959 and
// 958); empty for an interval that moved nothing.
std::string FigureText(const ClockFigure& figure);

// The clock reading of a moment: seconds from the start of its month,
// day of the month x 86400 + hours x 3600 + minutes x 60 + seconds.
int64_t ClockReading(const plat::LocalTime& t);

// The moment offsetSeconds after (or before) t, on the calendar: a
// negative offset can lead into the month before, never to a negative time.
plat::LocalTime ShiftTime(const plat::LocalTime& t, int64_t offsetSeconds);

// The time the user's watch shows when the computer's clock shows t, as
// "DD:HH:MM:SS" (day of the month first).
std::string WatchTime(const plat::LocalTime& t, int64_t offsetSeconds);

// The watch offset from the time a user typed ("HH:MM", "HH:MM:SS" or
// "DD:HH:MM:SS"; only the time of day counts) while the computer showed
// t: the shorter way round the day, -43200 up to 43199 seconds. False for
// a text that is no time of day.
bool WatchOffset(const std::string& typed, const plat::LocalTime& t, int64_t* offsetSeconds);

// An offset as the user reads it: "+1h02m05", "-59", "0".
std::string OffsetText(int64_t offsetSeconds);

}  // namespace kst
