#include "compare/compare_blocks.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

#include "frame/clock/clock_counters.h"
#include "frame/platform/platform.h"

namespace kst {

namespace {

// Moves to the 1-based position start; position 1 needs no seek.
bool StartAt(plat::FileHandle h, int64_t start) { return start == 1 || plat::FileSeek(h, start - 1); }

// Exactly size bytes, or false: a short read is a failure.
bool ReadBlock(plat::FileHandle h, char* buffer, uint32_t size) {
  uint32_t done = 0;
  return plat::FileRead(h, buffer, size, &done) && done == size;
}

CompareResult Outcome(CompareOutcome outcome, int64_t position = -2) { return {outcome, position}; }

bool ValidRequest(const CompareRequest& request) {
  return request.count >= 0 && request.firstStart >= 1 && request.secondStart >= 1;
}

}  // namespace

BlockBuffers::BlockBuffers(int32_t buffSize) {
  constexpr size_t kPage = 4096;
  const size_t stride = (BlockSize(buffSize) + kPage - 1) / kPage * kPage;
  memory.reset(new (std::nothrow) char[2 * stride + kPage]);
  if (!memory) return;
  const uintptr_t at = reinterpret_cast<uintptr_t>(memory.get());
  first = memory.get() + ((kPage - at % kPage) % kPage);
  second = first + stride;
}

ComparedFile::ComparedFile(const std::string& path)
    : handle(plat::FileOpen(path, plat::kRead, plat::Disposition::OpenExisting, plat::kShareRead, true)) {
  ok = plat::OpenSucceeded(handle);
}

ComparedFile::~ComparedFile() {
  if (handle != plat::kNoFile) plat::FileClose(handle);
}

uint32_t BlockSize(int32_t buffSize) {
  return static_cast<uint32_t>(buffSize > 0 ? buffSize : kBuffSizeDefault);
}

CompareResult CompareBlocks(const CompareRequest& request, JobControl& job, ProgressSink* progress) {
  if (!ValidRequest(request)) return Outcome(CompareOutcome::Error);
  const ComparedFile a(request.firstPath);
  if (!a.ok) return Outcome(CompareOutcome::Error);
  const ComparedFile b(request.secondPath);
  if (!b.ok) return Outcome(CompareOutcome::Error);
  return CompareOpenFiles(a.handle, b.handle, request, job, progress);
}

CompareResult CompareOpenFiles(plat::FileHandle firstFile, plat::FileHandle secondFile,
                               const CompareRequest& request, JobControl& job, ProgressSink* progress) {
  if (!ValidRequest(request)) return Outcome(CompareOutcome::Error);
  const uint32_t blockSize = BlockSize(request.buffSize);
  std::optional<BlockBuffers> owned;
  const BlockBuffers* buffers = request.buffers;
  if (!buffers) buffers = &owned.emplace(request.buffSize);
  if (!buffers->first) return Outcome(CompareOutcome::Error);
  char* const first = buffers->first;
  char* const second = buffers->second;
  if (!StartAt(firstFile, request.firstStart) || !StartAt(secondFile, request.secondStart))
    return Outcome(CompareOutcome::Error);

  const int64_t blocks = (request.count + blockSize - 1) / blockSize;
  ClockCounters* clock = request.clock >= 0 && request.clock < kClockCount
                             ? &Clock(static_cast<ClockId>(request.clock))
                             : nullptr;
  UnitProgress bar{progress};
  bar.Start(blocks);
  bar.Move(0);

  CompareResult result = Outcome(CompareOutcome::Equal, -1);
  for (int64_t k = 1; k <= blocks; ++k) {
    if (!CheckPoint(job)) {
      result = Outcome(CompareOutcome::Aborted);
      break;
    }
    const int64_t offset = (k - 1) * blockSize;
    const uint32_t n = static_cast<uint32_t>(std::min<int64_t>(blockSize, request.count - offset));
    if (!ReadBlock(firstFile, first, n) || !ReadBlock(secondFile, second, n)) {
      result = Outcome(CompareOutcome::Error);
      break;
    }
    // The whole block at once; the byte only once it says they differ.
    if (std::memcmp(first, second, n) != 0) {
      const char* at = std::mismatch(first, first + n, second).first;
      result = Outcome(CompareOutcome::Different, offset + (at - first) + 1);
      break;
    }
    bar.Move(k);
    if (clock) ClockAdd(*clock, n);
  }
  bar.Move(0);
  return result;
}

}  // namespace kst
