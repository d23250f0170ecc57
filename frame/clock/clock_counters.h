// The byte counters that workers advance and the Clocking System reads once
// a second to show each running job's speed and time left. Workers and the
// clock thread share them without a lock: each value is an atomic of its
// own, read and written with relaxed order, since a figure that is one
// buffer late is harmless.
#pragma once

#include <atomic>
#include <cstdint>

namespace kst {

struct ClockCounters {
  std::atomic<int64_t> total{0};     // size of the whole job, or of the current item
  std::atomic<int64_t> done{0};      // bytes done so far
  std::atomic<int64_t> interval{0};  // bytes since the last speed figure (the clock takes them)
};

// One record per subprogram that moves bytes.
enum ClockId {
  kClockFileSplitting,
  kClockSplitCopy,
  kClockCopyJoin,
  kClockComparing,
  kClockExcessRemover,
  kClockData2Wav,
  kClockWav2Data,
  kClockTestDisks,
  // Copy &/Or Join's joining thread: it runs beside the restore worker, so
  // it keeps a record of its own.
  kClockJoining,
  kClockCount,
};

ClockCounters& Clock(ClockId id);

// A new job or item of total bytes: done starts from 0. The interval goes
// on: it measures the flow of bytes, which a new item does not break.
void ClockStart(ClockCounters& clock, int64_t total);
// Adds bytes to done and interval.
void ClockAdd(ClockCounters& clock, int64_t bytes);
// The bytes of the interval that ends now; the next one starts from 0.
int64_t ClockTakeInterval(ClockCounters& clock);

// The counters of a ClockId a worker was handed, or nullptr for -1 (no
// clock) or any value that names no record.
ClockCounters* ClockOf(int id);

}  // namespace kst
