#include "frame/clock/clock_counters.h"

namespace kst {

ClockCounters& Clock(ClockId id) {
  static ClockCounters clocks[kClockCount];
  return clocks[id >= 0 && id < kClockCount ? id : kClockFileSplitting];
}

void ClockStart(ClockCounters& clock, int64_t total) {
  clock.total.store(total, std::memory_order_relaxed);
  clock.done.store(0, std::memory_order_relaxed);
}

void ClockAdd(ClockCounters& clock, int64_t bytes) {
  clock.done.fetch_add(bytes, std::memory_order_relaxed);
  clock.interval.fetch_add(bytes, std::memory_order_relaxed);
}

int64_t ClockTakeInterval(ClockCounters& clock) {
  return clock.interval.exchange(0, std::memory_order_relaxed);
}

ClockCounters* ClockOf(int id) {
  return id >= 0 && id < kClockCount ? &Clock(static_cast<ClockId>(id)) : nullptr;
}

}  // namespace kst
