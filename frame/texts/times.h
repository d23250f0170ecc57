// Times as the dialogs show them: seconds split into days, hours, minutes
// and seconds, the clock form "DD:HH:MM:SS" and the short form "1h02m05".
#pragma once

#include <cstdint>
#include <string>

namespace kst {

struct DayTime {
  int64_t days = 0;
  int64_t hours = 0;
  int64_t minutes = 0;
  int64_t seconds = 0;
};

// 86400, 3600 and 60 seconds per unit. A negative count splits as 0.
DayTime SplitSeconds(int64_t seconds);
int64_t JoinSeconds(int64_t days, int64_t hours, int64_t minutes, int64_t seconds);

// 11 characters "DD:HH:MM:SS", every field two digits with leading zeros.
// Below 0 shows as 0, beyond 99 days as 99:23:59:59.
std::string FormatElapsed(int64_t seconds);

// Left-aligned, up to 11 characters: "59", "1m00", "1h02m05", "2d03h04m05".
// The leading unit has no leading zero, the following ones two digits; the
// unit letters are texts 996 (m), 997 (h) and 998 (d). Below 0 shows as 0,
// beyond 99 days as 99 days, 23 hours, 59 minutes and 59 seconds.
std::string FormatDuration(int64_t seconds);

}  // namespace kst
