#include "frame/platform/park.h"

#include <chrono>

namespace plat {

void ParkSelf(ParkEvent& event) {
  std::unique_lock<std::mutex> lock(event.mutex);
  event.signal.wait(lock, [&] { return event.woken; });
  event.woken = false;
}

bool ParkSelfFor(ParkEvent& event, uint32_t ms) {
  std::unique_lock<std::mutex> lock(event.mutex);
  if (!event.signal.wait_for(lock, std::chrono::milliseconds(ms), [&] { return event.woken; }))
    return false;
  event.woken = false;
  return true;
}

void Wake(ParkEvent& event) {
  {
    std::lock_guard<std::mutex> lock(event.mutex);
    event.woken = true;
  }
  event.signal.notify_one();
}

}  // namespace plat
