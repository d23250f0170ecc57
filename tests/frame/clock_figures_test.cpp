#include "frame/clock/clock_figures.h"

#include <gtest/gtest.h>

#include <tuple>

#include "frame/texts/texts.h"

using namespace kst;

namespace {

plat::LocalTime At(int year, int month, int day, int hour, int minute, int second) {
  return plat::LocalTime{year, month, 0, day, hour, minute, second};
}

}  // namespace

TEST(ClockFigures, SpeedTimeLeftWatchTimeAndTypedOffsets) {
  for (const auto& [id, text] :
       {std::pair<int, const char*>{958, "kB/s"}, {959, "s"}, {996, "m"}, {997, "h"}, {998, "d"}})
    SetText(id, text);
  const int64_t kMost = INT64_MAX;
  const struct { int64_t bytes; uint64_t ms; int64_t total, done; const char* text; } cases[] = {
      {5000000, 5000, 105000000, 5000000, "1m40s  1000 kB/s"}, {0, 1000, 10000000000, 0, ""},
      {999, 1000, 10000000, 0, "2h46m50s  0 kB/s"},  // under 1 kB/s, but moving
      {2000, 0, 4000, 0, "2s  2 kB/s"},  {2000, 400, 4000, 0, "2s  2 kB/s"},  // under a second counts as one
      {9000, 1500, 9000, 12000, "0s  6 kB/s"},  // done above total
      {kMost, 1000, kMost, 0, "1s  9223372036854775 kB/s"},  // no overflow
      {kMost, 3000, kMost, kMost / 2, "1s  3074457345618258 kB/s"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FigureText(ComputeFigure(c.bytes, c.ms, c.total, c.done)), c.text) << c.bytes << " in " << c.ms;
  EXPECT_EQ(ComputeFigure(999, 1000, 0, 0).speed * 10 + ComputeFigure(1, 1000, 5, 0).secondsLeft, 9995);

  const struct { plat::LocalTime now; int64_t offset; const char* shown; } watches[] = {
      {At(2026, 12, 6, 15, 20, 48), 3600, "06:16:20:48"},
      {At(2026, 12, 1, 0, 0, 10), -20, "30:23:59:50"},   // into November
      {At(2026, 3, 1, 0, 0, 0), -1, "28:23:59:59"},      // a common February
      {At(2024, 3, 1, 0, 0, 0), -1, "29:23:59:59"},      // a leap February
      {At(2027, 1, 1, 0, 30, 0), -3600, "31:23:30:00"},  // into the year before
      {At(2026, 12, 31, 23, 59, 59), 1, "01:00:00:00"},  // into the year after
  };
  for (const auto& c : watches) EXPECT_EQ(WatchTime(c.now, c.offset), c.shown) << c.offset;
  const plat::LocalTime back = ShiftTime(At(2027, 1, 1, 0, 30, 0), -3600);
  EXPECT_EQ(std::tie(back.year, back.month, back.dayOfWeek), std::make_tuple(2026, 12, 4));  // a Thursday
  EXPECT_EQ(ClockReading(At(2026, 12, 6, 1, 2, 3)), 6 * 86400 + 3723);

  const plat::LocalTime now = At(2026, 12, 6, 15, 20, 48);
  const struct { const char* typed; bool ok; int64_t offset; } typed[] = {
      {"15:20:48", true, 0},       {"16:20:48", true, 3600},   {"15:20", true, -48},
      {"06:15:25:48", true, 300},  {"00:10:00", true, 31752},  // the shorter way round: forwards
      {"03:20:48", true, -43200},  {"  15:21:48 ", true, 60},  {"", false, 0},
      {"25:00", false, 0},         {"15:60", false, 0},        {"15", false, 0},
      {"a:b", false, 0},           {"15::00", false, 0},       {"1:2:3:4:5", false, 0},
  };
  for (const auto& c : typed) {
    int64_t offset = 0;
    const bool ok = WatchOffset(c.typed, now, &offset);
    EXPECT_EQ(std::make_pair(ok, offset), std::make_pair(c.ok, c.offset)) << c.typed;
  }
  EXPECT_EQ(OffsetText(0) + "|" + OffsetText(3725) + "|" + OffsetText(-59), "0|+1h02m05|-59");
}
