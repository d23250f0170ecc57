#include "frame/clock/clock_figures.h"

#include <vector>

#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "frame/texts/times.h"

namespace kst {

namespace {

constexpr int64_t kDay = 86400;

// Days from 1970-01-01 of a date of the proleptic Gregorian calendar.
int64_t DaysOf(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void DateOf(int64_t days, plat::LocalTime* t) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t mp = (5 * dayOfYear + 2) / 153;
  const int64_t month = mp < 10 ? mp + 3 : mp - 9;
  t->day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  t->month = static_cast<int>(month);
  t->year = static_cast<int>(yearOfEra + era * 400 + (month <= 2));
  t->dayOfWeek = static_cast<int>(((days - 719468) % 7 + 11) % 7);  // 1970-01-01 was a Thursday (4)
}

// Reads "a:b[:c[:d]]" of plain numbers.
bool Fields(const std::string& text, std::vector<int64_t>* fields) {
  std::string t = Trimmed(text);
  size_t begin = t.find_first_not_of(' ');
  if (begin == std::string::npos) return false;
  int64_t value = 0;
  int digits = 0;
  for (size_t i = begin; i <= t.size(); ++i) {
    const char c = i < t.size() ? t[i] : ':';
    if (c >= '0' && c <= '9') {
      if (++digits > 4) return false;
      value = value * 10 + (c - '0');
    } else if (c == ':' || c == '.') {
      if (digits == 0) return false;
      fields->push_back(value);
      value = 0;
      digits = 0;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

ClockFigure ComputeFigure(int64_t bytes, uint64_t intervalMs, int64_t total, int64_t done) {
  ClockFigure figure;
  const int64_t ms = intervalMs < 1000 ? 1000 : static_cast<int64_t>(intervalMs > (1ull << 40) ? (1ull << 40) : intervalMs);
  if (bytes < 0) bytes = 0;
  // bytes x 1000 / ms in two steps, so that no product overflows.
  figure.speed = bytes / ms * 1000 + bytes % ms * 1000 / ms;
  int64_t left = total - done;
  if (left < 0) left = 0;
  figure.secondsLeft = left / (figure.speed > 1 ? figure.speed : 1);
  return figure;
}

std::string FigureText(const ClockFigure& figure) {
  // An interval that moved nothing has no speed, so no time left either.
  if (figure.speed <= 0) return "";
  return FormatDuration(figure.secondsLeft) + Trimmed(GetText(959)) + "  " +
         std::to_string(figure.speed / 1000) + " " + Trimmed(GetText(958));
}

int64_t ClockReading(const plat::LocalTime& t) {
  return JoinSeconds(t.day, t.hour, t.minute, t.second);
}

plat::LocalTime ShiftTime(const plat::LocalTime& t, int64_t offsetSeconds) {
  int64_t seconds = DaysOf(t.year, t.month, t.day) * kDay + t.hour * 3600 + t.minute * 60 + t.second;
  seconds += offsetSeconds;
  int64_t days = seconds >= 0 ? seconds / kDay : -((-seconds + kDay - 1) / kDay);
  int64_t ofDay = seconds - days * kDay;
  plat::LocalTime shifted = t;
  DateOf(days, &shifted);
  shifted.hour = static_cast<int>(ofDay / 3600);
  shifted.minute = static_cast<int>(ofDay / 60 % 60);
  shifted.second = static_cast<int>(ofDay % 60);
  return shifted;
}

std::string WatchTime(const plat::LocalTime& t, int64_t offsetSeconds) {
  return FormatElapsed(ClockReading(ShiftTime(t, offsetSeconds)));
}

bool WatchOffset(const std::string& typed, const plat::LocalTime& t, int64_t* offsetSeconds) {
  std::vector<int64_t> f;
  if (!Fields(typed, &f) || f.size() < 2 || f.size() > 4) return false;
  if (f.size() == 4) f.erase(f.begin());  // the day is the computer's to know
  if (f.size() == 2) f.push_back(0);
  if (f[0] > 23 || f[1] > 59 || f[2] > 59) return false;
  int64_t difference = f[0] * 3600 + f[1] * 60 + f[2] - (t.hour * 3600 + t.minute * 60 + t.second);
  difference %= kDay;
  if (difference >= kDay / 2) difference -= kDay;
  if (difference < -kDay / 2) difference += kDay;
  *offsetSeconds = difference;
  return true;
}

std::string OffsetText(int64_t offsetSeconds) {
  if (offsetSeconds == 0) return "0";
  return (offsetSeconds < 0 ? "-" : "+") + FormatDuration(offsetSeconds < 0 ? -offsetSeconds : offsetSeconds);
}

}  // namespace kst
