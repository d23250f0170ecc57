#include "disktest/disk_passes.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "frame/clock/clock_counters.h"
#include "frame/platform/platform.h"

namespace kst {

namespace {

// A file handle that closes itself on every way out; Close tells whether
// the last bytes reached the file.
struct File {
  File(const std::string& path, uint32_t access)
      : handle(plat::FileOpen(path, access,
                              access == plat::kRead ? plat::Disposition::OpenExisting
                                                    : plat::Disposition::CreateAlways,
                              access == plat::kRead ? plat::kShareRead : plat::kShareNone, true)) {
    ok = plat::OpenSucceeded(handle);
  }
  ~File() {
    if (handle != plat::kNoFile) plat::FileClose(handle);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool Write(const char* buffer, uint32_t size) {
    uint32_t done = 0;
    return plat::FileWrite(handle, buffer, size, &done) && done == size;
  }
  // The bytes read, or -1 when the read failed.
  int64_t Read(char* buffer, uint32_t size) {
    uint32_t done = 0;
    return plat::FileRead(handle, buffer, size, &done) ? done : -1;
  }
  bool Close() { return plat::FileClose(std::exchange(handle, plat::kNoFile)); }

  plat::FileHandle handle;
  bool ok = false;
};

// The code of a disk that failed: a short write is a full disk.
uint32_t DiskError() { return plat::LastError() != 0 ? plat::LastError() : plat::kErrDiskFull; }

// The bar over a pass's blocks and the clock over its bytes.
struct PassMeters {
  PassMeters(int64_t size, uint32_t block, ProgressSink* sink, int clock) : sink(sink) {
    scale = ScaleProgress((size + block - 1) / block);
    if (sink && sink->setRange) sink->setRange(scale.range);
    Move(0);
    if (clock >= 0 && clock < kClockCount) counters = &Clock(static_cast<ClockId>(clock));
    if (counters) ClockStart(*counters, size);
  }
  void Done(int64_t block, uint32_t bytes, bool last) {
    if (counters) ClockAdd(*counters, bytes);
    if (block % scale.step == 0 || last) Move(block / scale.step);
  }
  void Move(int64_t position) {
    if (sink && sink->setPosition) sink->setPosition(static_cast<int>(position));
  }
  ProgressSink* sink;
  ProgressScale scale;
  ClockCounters* counters = nullptr;
};

WriteResult Wrote(WriteOutcome outcome, uint32_t error = 0) { return {outcome, error}; }

ReadBackResult ReadBack(bool diskRead, CompareOutcome outcome, int64_t position = -2) {
  return {diskRead, CompareResult{outcome, position}};
}

}  // namespace

std::unique_ptr<char[]> MakeRandomBuffer(uint32_t size, const RandomBits& random) {
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[size]);
  if (buffer) FillRandomBuffer(buffer.get(), size, random);
  return buffer;
}

WriteResult WriteTestFiles(const char* buffer, uint32_t buffSize, const std::string& test,
                           const std::string& disk, int64_t size, JobControl& job, ProgressSink* progress,
                           int clock) {
  if (size < 0 || buffSize == 0 || !buffer) return Wrote(WriteOutcome::TestFileFailed);
  File t(test, plat::kWrite);
  if (!t.ok) return Wrote(WriteOutcome::TestFileFailed);
  File d(disk, plat::kWrite);
  if (!d.ok) return Wrote(WriteOutcome::DiskFailed, plat::LastError());

  PassMeters meters(size, buffSize, progress, clock);
  int64_t left = size;
  for (int64_t block = 1; left > 0; ++block) {
    if (!CheckPoint(job)) return Wrote(WriteOutcome::Aborted);
    const uint32_t piece = static_cast<uint32_t>(std::min<int64_t>(left, buffSize));
    if (!t.Write(buffer, piece)) return Wrote(WriteOutcome::TestFileFailed);
    if (!d.Write(buffer, piece)) return Wrote(WriteOutcome::DiskFailed, DiskError());
    left -= piece;
    meters.Done(block, piece, left == 0);
  }
  if (!t.Close()) return Wrote(WriteOutcome::TestFileFailed);
  if (!d.Close()) return Wrote(WriteOutcome::DiskFailed, DiskError());
  return Wrote(WriteOutcome::Written);
}

ReadBackResult ReadBackAndCompare(const std::string& disk, const std::string& back, const std::string& test,
                                  int64_t size, int32_t buffSize, JobControl& job, ProgressSink* progress,
                                  int clock) {
  File d(disk, plat::kRead);
  if (!d.ok) return ReadBack(false, CompareOutcome::Error);
  if (size < 0) return ReadBack(true, CompareOutcome::Error);
  const BlockBuffers buffers(buffSize);
  if (!buffers.first) return ReadBack(true, CompareOutcome::Error);
  File r(back, plat::kWrite);
  File t(test, plat::kRead);
  if (!r.ok || !t.ok) return ReadBack(true, CompareOutcome::Error);

  const uint32_t blockSize = BlockSize(buffSize);
  PassMeters meters(size, blockSize, progress, clock);
  ReadBackResult result = ReadBack(true, CompareOutcome::Equal, -1);
  for (int64_t block = 1, offset = 0; offset < size; ++block) {
    if (!CheckPoint(job)) {
      result = ReadBack(true, CompareOutcome::Aborted);
      break;
    }
    const uint32_t n = static_cast<uint32_t>(std::min<int64_t>(blockSize, size - offset));
    const int64_t got = d.Read(buffers.first, n);
    if (got < 0) return ReadBack(false, CompareOutcome::Error);
    // What came from the disk is kept, however short.
    if (!r.Write(buffers.first, static_cast<uint32_t>(got)) || got != n || t.Read(buffers.second, n) != n) {
      result = ReadBack(true, CompareOutcome::Error);
      break;
    }
    if (std::memcmp(buffers.first, buffers.second, n) != 0) {
      const char* at = std::mismatch(buffers.second, buffers.second + n, buffers.first).first;
      result = ReadBack(true, CompareOutcome::Different, offset + (at - buffers.second) + 1);
      break;
    }
    offset += n;
    meters.Done(block, n, offset == size);
  }
  meters.Move(0);
  // A disk file longer than what was written is no copy of it either.
  if (result.compared.outcome == CompareOutcome::Equal && plat::FileSize(d.handle) != size)
    result = ReadBack(true, CompareOutcome::Error);
  if (!r.Close() && result.compared.outcome == CompareOutcome::Equal)
    result = ReadBack(true, CompareOutcome::Error);
  return result;
}

}  // namespace kst
