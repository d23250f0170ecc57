#include "disktest/random_data.h"

#include <chrono>
#include <cstring>
#include <memory>
#include <new>
#include <random>
#include <utility>

#include "frame/clock_counters.h"
#include "frame/platform/platform.h"

namespace kst {

RandomBits SeededRandomBits() {
  uint32_t seed = static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  try {
    std::random_device device;
    seed ^= device();
  } catch (...) {
    // No entropy source: the clock alone seeds it.
  }
  auto engine = std::make_shared<std::mt19937>(seed);
  return [engine] { return static_cast<uint32_t>((*engine)()); };
}

float RandomUnit(uint32_t bits) {
  // 24 bits fill a float's mantissa exactly: the largest is 1 - 2^-24.
  return static_cast<float>(bits >> 8) * (1.0f / 16777216.0f);
}

void FillRandomBuffer(char* buffer, uint32_t size, const RandomBits& random) {
  if (size == 0) return;
  const uint32_t groups = (size - 1) / 4;
  for (uint32_t g = 0; g < groups; ++g) {
    const float value = RandomUnit(random());
    uint32_t pattern;
    std::memcpy(&pattern, &value, sizeof pattern);
    char* at = buffer + 4 * g;
    for (int i = 0; i < 4; ++i) at[i] = static_cast<char>(pattern >> (8 * i));
  }
  std::memset(buffer + 4 * groups, 0, size - 4 * groups);
}

namespace {

struct WriteFile {
  explicit WriteFile(const std::string& path)
      : handle(plat::FileOpen(path, plat::kWrite, plat::Disposition::CreateAlways, plat::kShareNone, true)) {}
  ~WriteFile() {
    if (handle != plat::kNoFile) plat::FileClose(handle);
  }
  WriteFile(const WriteFile&) = delete;
  WriteFile& operator=(const WriteFile&) = delete;
  plat::FileHandle handle;
};

}  // namespace

WriteOutcome WriteRandomFile(const std::string& path, int64_t size, uint32_t buffSize,
                             const RandomBits& random, JobControl& job, ProgressSink* progress, int clock) {
  if (size < 0 || buffSize == 0) return WriteOutcome::WriteFailed;
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[buffSize]);
  if (!buffer) return WriteOutcome::NoMemory;
  FillRandomBuffer(buffer.get(), buffSize, random);

  WriteFile file(path);
  if (!plat::OpenSucceeded(file.handle)) return WriteOutcome::OpenFailed;

  const int64_t blocks = (size + buffSize - 1) / buffSize;
  const ProgressScale scale = ScaleProgress(blocks);
  if (progress && progress->setRange) progress->setRange(scale.range);
  if (progress && progress->setPosition) progress->setPosition(0);
  ClockCounters* counters = clock >= 0 && clock < kClockCount ? &Clock(static_cast<ClockId>(clock)) : nullptr;
  if (counters) ClockStart(*counters, size);

  int64_t left = size;
  for (int64_t block = 1; left > 0; ++block) {
    if (!CheckPoint(job)) return WriteOutcome::Aborted;
    const uint32_t piece = left < buffSize ? static_cast<uint32_t>(left) : buffSize;
    uint32_t done = 0;
    if (!plat::FileWrite(file.handle, buffer.get(), piece, &done) || done != piece)
      return WriteOutcome::WriteFailed;
    left -= piece;
    if (counters) ClockAdd(*counters, piece);
    if (progress && progress->setPosition && (block % scale.step == 0 || left == 0))
      progress->setPosition(static_cast<int>(block / scale.step));
  }
  return plat::FileClose(std::exchange(file.handle, plat::kNoFile)) ? WriteOutcome::Written
                                                                    : WriteOutcome::WriteFailed;
}

}  // namespace kst
