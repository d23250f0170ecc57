#include "frame/clock/clock_system.h"

#include <mutex>

#include "frame/clock/clock_figures.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"

namespace kst {

namespace {

std::atomic<int64_t> g_watchOffset{0};
std::mutex g_tracksMutex;  // HookClock may come from another thread than the rounds

ClockTrack* Tracks() {
  static ClockTrack tracks[kClockCount];
  return tracks;
}

bool Holds(const std::function<bool()>& f, bool otherwise) { return f ? f() : otherwise; }

void Show(const std::function<void(const std::string&)>& show, std::string* shown, const std::string& text) {
  if (!show || *shown == text) return;
  *shown = text;
  show(text);
}

}  // namespace

void HookClock(ClockId id, ClockView view) {
  if (id < 0 || id >= kClockCount) return;
  std::lock_guard<std::mutex> lock(g_tracksMutex);
  Tracks()[id] = ClockTrack{};
  Tracks()[id].view = std::move(view);
}

void SetWatchOffset(int64_t seconds) { g_watchOffset.store(seconds, std::memory_order_relaxed); }
int64_t WatchOffsetNow() { return g_watchOffset.load(std::memory_order_relaxed); }

void ClockRound(ClockTrack& track, ClockCounters& counters, uint64_t tickMs,
                const plat::LocalTime& now, int64_t offset) {
  const ClockView& view = track.view;
  const bool open = Holds(view.open, false);
  const bool running = open && Holds(view.running, false);
  if (!running) {
    const uint64_t turn = view.turn ? view.turn() : 0;
    if (open && Holds(view.finished, false) && (track.active || turn != track.doneTurn)) {
      track.doneTurn = turn;
      Show(view.showFigure, &track.figureShown, Trimmed(GetText(1366)));
    } else if (track.active && open) {
      Show(view.showFigure, &track.figureShown, "");
    }
    track.active = false;
    if (!open) track.figureShown.clear(), track.watchShown.clear();
  } else if (!track.active) {
    // The bytes moved before the run was seen belong to no interval.
    track.active = true;
    track.markMs = tickMs;
    Show(view.showFigure, &track.figureShown, "");
    ClockTakeInterval(counters);
  }
  if (track.active && Holds(view.paused, false)) {
    track.markMs = tickMs;
    ClockTakeInterval(counters);
  }
  if (!open || Holds(view.minimized, false)) return;
  Show(view.showWatch, &track.watchShown, WatchTime(now, offset));
  if (!track.active || tickMs - track.markMs < 1000) return;
  const int64_t bytes = ClockTakeInterval(counters);
  const ClockFigure figure = ComputeFigure(bytes, tickMs - track.markMs,
                                           counters.total.load(std::memory_order_relaxed),
                                           counters.done.load(std::memory_order_relaxed));
  track.markMs = tickMs;
  Show(view.showFigure, &track.figureShown, FigureText(figure));
}

void ClockRoundAll() {
  const uint64_t tick = plat::TickCount();
  const plat::LocalTime now = plat::Now();
  const int64_t offset = WatchOffsetNow();
  std::lock_guard<std::mutex> lock(g_tracksMutex);
  for (int id = 0; id < kClockCount; ++id)
    ClockRound(Tracks()[id], Clock(static_cast<ClockId>(id)), tick, now, offset);
}

void RunClockSystem() {
  // A quarter-second round notices a run's start and end soon; a figure
  // still covers at least a second, and a text changes at most once a second.
  for (;;) {
    plat::SleepMs(kClockRoundMs);
    ClockRoundAll();
  }
}

}  // namespace kst
