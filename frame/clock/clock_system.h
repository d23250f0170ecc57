// The Clocking System: every second it refreshes, for every job that
// runs in an open window, the time-and-speed field from the job's clock
// counters, and the watch-time field of the windows that show one. It runs
// on its own slot and touches the windows only through the views hooked
// here, which go through the dialog machinery.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "frame/clock/clock_counters.h"
#include "frame/platform/platform.h"

namespace kst {

// One window as the clock sees it. Every part may be empty.
struct ClockView {
  std::function<bool()> open;       // the window exists
  std::function<bool()> running;    // its job runs
  std::function<bool()> minimized;  // nothing is computed or shown then
  std::function<bool()> paused;     // the figure holds; the interval starts again
  std::function<bool()> finished;   // the run that stopped finished its job
  std::function<uint64_t()> turn;   // the job's turn: a run too short to be seen counts too
  std::function<void(const std::string& text)> showFigure;  // the time-and-speed field
  std::function<void(const std::string& text)> showWatch;   // the watch-time field
};

// What the clock keeps of one clock record between rounds.
struct ClockTrack {
  ClockView view;
  bool active = false;    // a run was seen: an interval is being measured
  uint64_t markMs = 0;    // tick of the start of the interval
  std::string figureShown, watchShown;
  uint64_t doneTurn = 0;  // the turn whose finish was shown
};

// Hooks the window that shows clock record id (one per record; a later
// call replaces the earlier one).
void HookClock(ClockId id, ClockView view);

// The user's watch offset in seconds (settings key YWT), for every time of
// day shown.
void SetWatchOffset(int64_t seconds);
int64_t WatchOffsetNow();

// One round: tickMs is the monotonic tick, now the local date and time.
// A run seen for the first time starts its interval now; a figure follows
// once at least a second has passed and the window is not minimized; when
// the run stops the field says "Done!" (text 1366) if it finished its job
// (once per turn, so also for a run that ended between two rounds) and is
// emptied otherwise, and a new run empties it. A field is written
// only when its text changes.
void ClockRound(ClockTrack& track, ClockCounters& counters, uint64_t tickMs,
                const plat::LocalTime& now, int64_t offset);

// Every hooked record once, with the platform's tick and time.
void ClockRoundAll();

constexpr uint32_t kClockRoundMs = 250;

// The Clocking System's slot: a round every kClockRoundMs, for ever.
[[noreturn]] void RunClockSystem();

}  // namespace kst
