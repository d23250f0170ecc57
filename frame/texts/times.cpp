#include "frame/texts/times.h"

#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"

namespace kst {

namespace {

constexpr int64_t kDay = 86400, kHour = 3600, kMinute = 60;
// Both forms give days two digits, so longer times stop there.
constexpr int64_t kLongestShown = 99 * kDay + 23 * kHour + 59 * kMinute + 59;

int64_t Shown(int64_t seconds) {
  if (seconds < 0) return 0;
  return seconds > kLongestShown ? kLongestShown : seconds;
}

std::string TwoDigits(int64_t value) {
  std::string text(2, '0');
  PutDigits64(value, text, 1, 2, false);
  return text;
}

}  // namespace

DayTime SplitSeconds(int64_t seconds) {
  DayTime t;
  if (seconds <= 0) return t;
  t.days = seconds / kDay;
  t.hours = seconds % kDay / kHour;
  t.minutes = seconds % kHour / kMinute;
  t.seconds = seconds % kMinute;
  return t;
}

int64_t JoinSeconds(int64_t days, int64_t hours, int64_t minutes, int64_t seconds) {
  return days * kDay + hours * kHour + minutes * kMinute + seconds;
}

std::string FormatElapsed(int64_t seconds) {
  DayTime t = SplitSeconds(Shown(seconds));
  return TwoDigits(t.days) + ":" + TwoDigits(t.hours) + ":" + TwoDigits(t.minutes) + ":" +
         TwoDigits(t.seconds);
}

std::string FormatDuration(int64_t seconds) {
  int64_t shown = Shown(seconds);
  DayTime t = SplitSeconds(shown);
  // A unit appears once the time reaches it, so 60 seconds read "1m00".
  std::string text;
  bool leading = true;
  auto add = [&](int64_t value, const std::string& unit) {
    text += leading ? std::to_string(value) : TwoDigits(value);
    text += unit;
    leading = false;
  };
  if (shown >= kDay) add(t.days, Trimmed(GetText(998)));
  if (shown >= kHour) add(t.hours, Trimmed(GetText(997)));
  if (shown >= kMinute) add(t.minutes, Trimmed(GetText(996)));
  add(t.seconds, "");
  return text;
}

}  // namespace kst
