#include "split/crc_beside.h"

#include <system_error>

#include "split/crc32.h"

namespace kst {
namespace {

// A buffer's sum and a buffer's write take tens of microseconds: each
// side looks again this many times before it sleeps, so a handover rarely
// costs the system a wake-up.
constexpr int kSpins = 4000;

void Pause() {
#if defined(__i386__) || defined(__x86_64__)
  __builtin_ia32_pause();
#else
  std::this_thread::yield();
#endif
}

bool SpinUntilEqual(const std::atomic<uint32_t>& a, const std::atomic<uint32_t>& b, bool equal) {
  for (int i = 0; i < kSpins; ++i) {
    if ((a.load(std::memory_order_acquire) == b.load(std::memory_order_acquire)) == equal) return true;
    Pause();
  }
  return false;
}

void SumThread(CrcBeside* c) {
  for (;;) {
    SpinUntilEqual(c->given, c->summed, false);
    std::unique_lock<std::mutex> lock(c->mutex);
    c->threadAsleep = true;
    c->changed.wait(lock, [c] { return c->quit || c->given.load() != c->summed.load(); });
    c->threadAsleep = false;
    if (c->given.load() == c->summed.load()) return;  // quit with nothing left
    const void* data = c->data;
    const size_t size = c->size;
    uint32_t sum = c->sum;
    lock.unlock();
    sum = Crc32Add(sum, data, size);
    lock.lock();
    c->sum = sum;
    c->summed.store(c->given.load(), std::memory_order_release);
    if (c->callerAsleep) c->changed.notify_all();
  }
}

}  // namespace

void CrcBesideStart(CrcBeside* c, const void* data, size_t size) {
  CrcBesideWait(c);
  if (c->noThread) {
    c->sum = Crc32Add(c->sum, data, size);
    return;
  }
  if (!c->thread.joinable()) {
    try {
      c->thread = std::thread(SumThread, c);
    } catch (const std::system_error&) {
      c->noThread = true;
      c->sum = Crc32Add(c->sum, data, size);
      return;
    }
  }
  std::lock_guard<std::mutex> lock(c->mutex);
  c->data = data;
  c->size = size;
  c->given.fetch_add(1, std::memory_order_release);
  if (c->threadAsleep) c->changed.notify_all();
}

void CrcBesideWait(CrcBeside* c) {
  if (SpinUntilEqual(c->given, c->summed, true)) return;
  std::unique_lock<std::mutex> lock(c->mutex);
  c->callerAsleep = true;
  c->changed.wait(lock, [c] { return c->given.load() == c->summed.load(); });
  c->callerAsleep = false;
}

uint32_t CrcBesideEnd(CrcBeside* c) {
  CrcBesideWait(c);
  if (c->thread.joinable()) {
    {
      std::lock_guard<std::mutex> lock(c->mutex);
      c->quit = true;
      c->changed.notify_all();
    }
    c->thread.join();
  }
  std::lock_guard<std::mutex> lock(c->mutex);
  return c->sum;
}

CrcBeside::~CrcBeside() { CrcBesideEnd(this); }

}  // namespace kst
