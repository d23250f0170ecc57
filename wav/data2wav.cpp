#include "wav/data2wav.h"

#include <cstring>
#include <memory>
#include <new>

#include "frame/clock/clock_counters.h"
#include "frame/files/file_info.h"
#include "frame/texts/text_numbers.h"
#include "split/owned_file.h"
#include "wav/wav_io.h"

namespace kst {

bool LookUpSource(const std::string& path, WavRecord* record) {
  FileInfo info;
  ListingHandle handle = kListingStart;
  const std::string trimmed = Trimmed(path);
  if (trimmed.empty() || GetFileInfo(trimmed, &info, &handle, true) == 0) return false;
  if (info.attributes & (plat::kAttrDirectory | plat::kAttrVolume) || info.size <= 0) return false;
  record->attributes = info.attributes;
  record->creationTime = info.creationTime;
  record->accessTime = info.accessTime;
  record->writeTime = info.writeTime;
  record->size = static_cast<uint64_t>(info.size);
  record->name = info.name;
  record->shortName.clear();
  return true;
}

WavResult RunData2Wav(const Data2WavInput& input, JobControl& job, ProgressSink* bar) {
  WavResult result;
  WavRecord record;
  const std::string source = Trimmed(input.source), target = Trimmed(input.target);
  if (!LookUpSource(source, &record)) return Failed(&result, WavFault::SourceUnusable, source);
  if (!StoredNameIsPlain(record.name)) return Failed(&result, WavFault::SourceName, source);
  if (SameText(source, target)) return Failed(&result, WavFault::SameFile, target);
  if (const WavFault fault = CheckOutput(target, {source}); fault != WavFault::None)
    return Failed(&result, fault, target);
  result.size = record.size;
  result.outputPath = target;

  const uint32_t buffSize = input.buffSize == 0 ? 1 : input.buffSize;
  // Every block that ends inside a buffer, and the file's end, add a sum.
  const size_t outSize = buffSize + kWavSumBytes * (buffSize / kWavBlock + 2);
  std::unique_ptr<unsigned char[]> in(new (std::nothrow) unsigned char[buffSize]);
  std::unique_ptr<unsigned char[]> out(new (std::nothrow) unsigned char[outSize]);
  if (!in || !out) return Failed(&result, WavFault::NoMemory, source);

  OwnedFile from(plat::FileOpen(source, plat::kRead, plat::Disposition::OpenExisting, plat::kShareRead));
  if (!plat::OpenSucceeded(from.handle))
    return Failed(&result, WavFault::OpenFailed, source, plat::LastError());
  if (plat::PathExists(target) && !AskReplaceWav(target, input.person))
    return Failed(&result, WavFault::Declined, target);
  OwnedFile to;
  if (const WavFault fault = OpenOutput(target, {source}, &to.handle); fault != WavFault::None)
    return Failed(&result, fault, target, fault == WavFault::OpenFailed ? plat::LastError() : 0);

  const std::string head = WavHead(record);
  if (!WriteAll(to.handle, head.data(), head.size()))
    return Failed(&result, WavFault::WriteFailed, target, plat::LastError());

  ClockCounters& clock = Clock(kClockData2Wav);
  ClockStart(clock, static_cast<int64_t>(record.size));
  const uint64_t chunks = (record.size + buffSize - 1) / buffSize;
  BarMover mover(bar, chunks);
  BlockSum sum;
  uint64_t left = record.size;
  uint64_t blockLeft = left < kWavBlock ? left : kWavBlock;  // bytes of the current block still to come
  for (uint64_t chunk = 1; left > 0; ++chunk) {
    if (!CheckPoint(job)) return Failed(&result, WavFault::Stopped, target);
    const uint32_t n = left < buffSize ? static_cast<uint32_t>(left) : buffSize;
    if (!ReadAll(from.handle, in.get(), n))
      return Failed(&result, WavFault::ReadFailed, source, plat::LastError());
    size_t o = 0;
    for (uint32_t i = 0; i < n;) {
      const uint32_t take = static_cast<uint32_t>(blockLeft < n - i ? blockLeft : n - i);
      sum.AddCopy(out.get() + o, in.get() + i, take);
      o += take;
      i += take;
      blockLeft -= take;
      if (blockLeft == 0) {
        PutLittle64(out.get() + o, sum.Finish());
        o += kWavSumBytes;
        const uint64_t after = left - i;
        blockLeft = after < kWavBlock ? after : kWavBlock;
      }
    }
    left -= n;
    if (!WriteAll(to.handle, out.get(), o))
      return Failed(&result, WavFault::WriteFailed, target, plat::LastError());
    mover.Move(chunk);
    ClockAdd(clock, n);
  }
  // A write the system deferred and could not make fails the close.
  if (!to.Close()) return Failed(&result, WavFault::WriteFailed, target, plat::LastError());
  return result;
}

}  // namespace kst
