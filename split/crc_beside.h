// A split's CRC-32 taken on a thread of its own while the caller writes
// the same buffer: both only read it, so the sum's cost hides behind the
// write. One thread per copy, handed a buffer at a time.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>

namespace kst {

struct CrcBeside {
  std::thread thread;
  std::mutex mutex;
  std::condition_variable changed;
  // Buffers handed over and buffers summed; equal when the thread is idle.
  std::atomic<uint32_t> given{0};
  std::atomic<uint32_t> summed{0};
  const void* data = nullptr;
  size_t size = 0;
  uint32_t sum = 0;
  bool quit = false;
  bool threadAsleep = false;
  bool callerAsleep = false;
  bool noThread = false;  // none could be made: Start takes the sum itself

  ~CrcBeside();  // waits for the thread: it never outlives a buffer it reads
};

// Adds size bytes at data to the running sum on the sum's thread (made at
// the first call). The bytes must stay as they are until CrcBesideWait.
void CrcBesideStart(CrcBeside* c, const void* data, size_t size);
// Returns once the bytes last given are summed: the buffer may be read into again.
void CrcBesideWait(CrcBeside* c);
// Waits, ends the thread and gives the sum of all the bytes given.
uint32_t CrcBesideEnd(CrcBeside* c);

}  // namespace kst
