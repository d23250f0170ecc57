#include "wav/wav_io.h"

#include <limits>

namespace kst {

namespace {
constexpr size_t kMostAtOnce = std::numeric_limits<uint32_t>::max();
}

bool ReadUpTo(plat::FileHandle h, void* buffer, size_t size, size_t* got) {
  *got = 0;
  char* at = static_cast<char*>(buffer);
  while (*got < size) {
    const size_t want = size - *got < kMostAtOnce ? size - *got : kMostAtOnce;
    uint32_t done = 0;
    if (!plat::FileRead(h, at + *got, static_cast<uint32_t>(want), &done)) return false;
    if (done == 0) break;
    *got += done;
  }
  return true;
}

bool ReadAll(plat::FileHandle h, void* buffer, size_t size) {
  size_t got = 0;
  if (!ReadUpTo(h, buffer, size, &got)) return false;
  if (got == size) return true;
  plat::SetLastErrorCode(0);
  return false;
}

bool WriteAll(plat::FileHandle h, const void* buffer, size_t size) {
  const char* at = static_cast<const char*>(buffer);
  size_t put = 0;
  while (put < size) {
    const size_t want = size - put < kMostAtOnce ? size - put : kMostAtOnce;
    uint32_t done = 0;
    if (!plat::FileWrite(h, at + put, static_cast<uint32_t>(want), &done)) return false;
    if (done == 0) {
      plat::SetLastErrorCode(plat::kErrDiskFull);
      return false;
    }
    put += done;
  }
  return true;
}

BarMover::BarMover(ProgressSink* s, uint64_t chunks)
    : sink(s), scale(ScaleProgress(static_cast<int64_t>(chunks & 0x7FFFFFFFFFFFFFFFull))) {
  if (sink && sink->setRange) sink->setRange(scale.range);
}

void BarMover::Move(uint64_t chunk) {
  if (sink && sink->setPosition) sink->setPosition(static_cast<int>(chunk / scale.step));
}

WavResult Failed(WavResult* result, WavFault fault, const std::string& path, uint32_t error) {
  result->fault = fault;
  result->failedPath = path;
  result->error = error;
  return *result;
}

}  // namespace kst
