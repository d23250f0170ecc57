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

WavFault CheckOutput(const std::string& path, const std::vector<std::string>& inputs) {
  const uint32_t attributes = plat::GetAttributes(path);
  if (attributes == plat::kAttrInvalid) return WavFault::None;
  if (attributes & plat::kAttrReparsePoint) return WavFault::LinkTarget;
  for (const std::string& input : inputs)
    if (plat::SameObject(path, input)) return WavFault::SameFile;
  return WavFault::None;
}

WavFault OpenOutput(const std::string& path, const std::vector<std::string>& inputs,
                    plat::FileHandle* handle) {
  *handle = plat::kNoFile;
  const bool existed = plat::GetAttributes(path) != plat::kAttrInvalid;
  if (const WavFault fault = CheckOutput(path, inputs); fault != WavFault::None) return fault;
  const plat::FileHandle h =
      plat::FileOpen(path, plat::kWrite, existed ? plat::Disposition::OpenExisting : plat::Disposition::CreateNew,
                     plat::kShareNone);
  if (!plat::OpenSucceeded(h)) {
    // A name that was not there a moment ago and is now: a link that
    // leads nowhere (it answers to nothing but a make-new).
    const uint32_t code = plat::LastError();
    if (h != plat::kNoFile) plat::FileClose(h);
    plat::SetLastErrorCode(code);
    return !existed && code == plat::kErrFileExists ? WavFault::LinkTarget : WavFault::OpenFailed;
  }
  // Looked at again once open: what was checked is what was opened.
  WavFault fault = CheckOutput(path, inputs);
  if (fault == WavFault::None && !plat::FileSetEnd(h)) fault = WavFault::OpenFailed;
  if (fault != WavFault::None) {
    const uint32_t code = plat::LastError();
    plat::FileClose(h);
    plat::SetLastErrorCode(code);
    return fault;
  }
  *handle = h;
  return WavFault::None;
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
