// Parking a thread until another wakes it, as an auto-reset event: a wake
// that arrives before the thread parks is kept, so it is never lost.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace plat {

struct ParkEvent {
  std::mutex mutex;
  std::condition_variable signal;
  bool woken = false;
};

// Waits until woken, then clears the wake.
void ParkSelf(ParkEvent& event);
// Waits at most ms milliseconds; true when woken (the wake is cleared).
bool ParkSelfFor(ParkEvent& event, uint32_t ms);
// Wakes the parked thread, or the next one to park.
void Wake(ParkEvent& event);

}  // namespace plat
