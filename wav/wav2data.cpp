#include "wav/wav2data.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "frame/clock/clock_counters.h"
#include "frame/files/folders.h"
#include "frame/files/partial_files.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "split/owned_file.h"
#include "wav/wav_io.h"

namespace kst {

namespace {

constexpr size_t kLongestPath = 259;
constexpr size_t kLongestName = 255;  // one name in a folder

// Where the stream of blocks and sums stands, across buffers.
struct BlockReader {
  uint64_t size = 0;       // the packed file's bytes
  uint64_t dataDone = 0;   // data bytes taken so far
  uint64_t blockLeft = 0;  // data bytes of the current block still to come
  uint64_t block = 1;      // its number, from 1
  unsigned sumGot = 0;     // bytes of its stored sum taken so far
  unsigned char stored[8] = {};
  BlockSum sum;
  uint64_t bad = 0;
  std::string report;  // lines not yet written

  void Start(uint64_t s) {
    size = s;
    blockLeft = s < kWavBlock ? s : kWavBlock;
  }
  void EndBlock() {
    const uint64_t found = sum.Finish(), kept = GetLittle64(stored);
    if (found != kept || sumGot < kWavSumBytes) {
      report += ReportLine(block, found, kept);
      ++bad;
    }
    ++block;
    sumGot = 0;
    std::memset(stored, 0, sizeof stored);
    const uint64_t after = size - dataDone;
    blockLeft = after < kWavBlock ? after : kWavBlock;
  }
  // Takes n bytes of the stream; the data bytes go to out. Returns their count.
  size_t Take(const unsigned char* in, size_t n, unsigned char* out) {
    size_t o = 0;
    for (size_t i = 0; i < n;) {
      if (blockLeft > 0) {
        const size_t take = static_cast<size_t>(blockLeft < n - i ? blockLeft : n - i);
        sum.AddCopy(out + o, in + i, take);
        o += take;
        i += take;
        blockLeft -= take;
        dataDone += take;
      } else {
        const size_t need = static_cast<size_t>(kWavSumBytes) - sumGot;
        const size_t take = need < n - i ? need : n - i;
        std::memcpy(stored + sumGot, in + i, take);
        sumGot += static_cast<unsigned>(take);
        i += take;
        if (sumGot == kWavSumBytes) EndBlock();
      }
    }
    return o;
  }
};

// The checks made before anything is asked or made.
WavFault CheckTarget(const Wav2DataInput& input, const std::string& wav, const WavHeadInfo& head,
                     WavResult* result) {
  const std::string folder = Trimmed(input.folder);
  result->outputPath = JoinPath(folder, head.record.name);
  result->reportPath = result->outputPath + ".TXT";
  if (result->reportPath.size() > kLongestPath || head.record.name.size() + 4 > kLongestName)
    return WavFault::PathTooLong;
  if (SameText(result->outputPath, wav) || SameText(result->reportPath, wav)) return WavFault::SameFile;
  const uint32_t attributes = plat::GetAttributes(folder.size() == 2 ? folder + "\\" : folder);
  if (folder.empty() || attributes == plat::kAttrInvalid || !(attributes & plat::kAttrDirectory))
    return WavFault::NoFolder;
  for (const std::string& path : {result->outputPath, result->reportPath}) {
    const WavFault fault = CheckOutput(path, {wav});
    if (fault != WavFault::None) {
      result->failedPath = path;
      return fault;
    }
  }
  return WavFault::None;
}

}  // namespace

WavResult RunWav2Data(const Wav2DataInput& input, JobControl& job, ProgressSink* bar) {
  WavResult result;
  const std::string wav = Trimmed(input.wav);
  OwnedFile from(plat::FileOpen(wav, plat::kRead, plat::Disposition::OpenExisting, plat::kShareRead));
  if (!plat::OpenSucceeded(from.handle))
    return Failed(&result, WavFault::OpenFailed, wav, plat::LastError());

  WavHeadInfo head;
  {
    // The head is read on its own, so that the mark is found whatever the
    // buffer size; its window is fixed, never taken from the file.
    std::vector<unsigned char> start(kWavHeadWindow);
    size_t got = 0;
    if (!ReadUpTo(from.handle, start.data(), start.size(), &got))
      return Failed(&result, WavFault::ReadFailed, wav, plat::LastError());
    const WavHeadFault fault = ReadWavHead(start.data(), got, &head);
    result.storedName = head.record.name;
    if (fault != WavHeadFault::None) return Failed(&result, FaultOfHead(fault), wav);
  }
  result.size = head.record.size;
  const WavFault targetFault = CheckTarget(input, wav, head, &result);
  if (targetFault != WavFault::None) {
    const std::string about = targetFault == WavFault::NoFolder ? Trimmed(input.folder)
                              : result.failedPath.empty()        ? result.outputPath
                                                                 : result.failedPath;
    return Failed(&result, targetFault, about);
  }

  const uint32_t buffSize = input.buffSize == 0 ? 1 : input.buffSize;
  std::unique_ptr<unsigned char[]> in(new (std::nothrow) unsigned char[buffSize]);
  std::unique_ptr<unsigned char[]> out(new (std::nothrow) unsigned char[buffSize]);
  if (!in || !out) return Failed(&result, WavFault::NoMemory, wav);

  const bool replacing = plat::PathExists(result.outputPath);
  const std::string existing = replacing                             ? result.outputPath
                               : plat::PathExists(result.reportPath) ? result.reportPath
                                                                     : std::string();
  if (!existing.empty() && !AskReplaceWav(existing, input.person))
    return Failed(&result, WavFault::Declined, existing);
  if (replacing) {
    // The file it replaces must take writing: opened, checked and let go, uncut.
    const WavFault fault = CheckOutput(result.outputPath, {wav});
    if (fault != WavFault::None) return Failed(&result, fault, result.outputPath);
    OwnedFile old(plat::FileOpen(result.outputPath, plat::kWrite, plat::Disposition::OpenExisting,
                                 plat::kShareNone));
    if (!plat::OpenSucceeded(old.handle))
      return Failed(&result, WavFault::OpenFailed, result.outputPath, plat::LastError());
  }
  // The restored file wears its partial name until it is whole; a partial
  // file of that name is a leftover of a run that stopped.
  const std::string folder = FolderOf(result.outputPath);
  const std::string partial = PartialNameOf(result.outputPath);
  RemovePartialLeftovers(folder, head.record.name);
  OwnedFile to;
  if (const WavFault fault = OpenOutput(partial, {wav}, &to.handle); fault != WavFault::None)
    return Failed(&result, fault, partial, fault == WavFault::OpenFailed ? plat::LastError() : 0);
  // Every way out below closes the partial file and, unless what was
  // extracted is to stay, removes it.
  const auto fail = [&](WavFault fault, const std::string& path, uint32_t error = 0) {
    to.Close();
    if (fault != WavFault::DataCut) plat::DeleteOneFile(partial);
    return Failed(&result, fault, path, error);
  };
  OwnedFile report;
  if (const WavFault fault = OpenOutput(result.reportPath, {wav}, &report.handle); fault != WavFault::None)
    return fail(fault, result.reportPath, fault == WavFault::OpenFailed ? plat::LastError() : 0);
  const std::string first = ReportFirstLine(GetText(1103));
  if (!WriteAll(report.handle, first.data(), first.size()))
    return fail(WavFault::WriteFailed, result.reportPath, plat::LastError());
  if (!plat::FileSeek(from.handle, static_cast<int64_t>(head.dataOffset)))
    return fail(WavFault::ReadFailed, wav, plat::LastError());

  BlockReader blocks;
  blocks.Start(head.record.size);
  // At most 2^63 - 1 data bytes and 2^52 sums: no wrap in 64 bits.
  uint64_t left = head.record.size + kWavSumBytes * WavBlockCount(head.record.size);
  ClockCounters& clock = Clock(kClockWav2Data);
  ClockStart(clock, static_cast<int64_t>(head.record.size));
  BarMover mover(bar, (left + buffSize - 1) / buffSize);
  for (uint64_t chunk = 1; left > 0; ++chunk) {
    if (!CheckPoint(job)) return fail(WavFault::Stopped, result.outputPath);
    const size_t want = left < buffSize ? static_cast<size_t>(left) : buffSize;
    size_t got = 0;
    if (!ReadUpTo(from.handle, in.get(), want, &got))
      return fail(WavFault::ReadFailed, wav, plat::LastError());
    const size_t data = blocks.Take(in.get(), got, out.get());
    left -= got;
    if (!WriteAll(to.handle, out.get(), data))
      return fail(WavFault::WriteFailed, result.outputPath, plat::LastError());
    if (got < want && blocks.dataDone == blocks.size) blocks.EndBlock();  // only sum bytes are missing
    if (!WriteAll(report.handle, blocks.report.data(), blocks.report.size()))
      return fail(WavFault::WriteFailed, result.reportPath, plat::LastError());
    blocks.report.clear();
    mover.Move(chunk);
    ClockAdd(clock, static_cast<int64_t>(data));
    if (got < want) {
      if (blocks.dataDone < blocks.size) return fail(WavFault::DataCut, partial);
      break;
    }
  }
  result.badBlocks = blocks.bad;

  plat::FileTimes times;
  times.creation = head.record.creationTime;
  times.access = head.record.accessTime;
  times.write = head.record.writeTime;
  if (!plat::FileSetTimes(to.handle, times))
    return fail(WavFault::FinishFailed, result.outputPath, plat::LastError());
  // A write the system deferred and could not make fails the close.
  if (!to.Close()) return fail(WavFault::WriteFailed, result.outputPath, plat::LastError());
  if (!report.Close()) return fail(WavFault::WriteFailed, result.reportPath, plat::LastError());
  // The file it replaces goes only now, and only when it is still no link.
  if (replacing && (CheckOutput(result.outputPath, {wav}) != WavFault::None ||
                    !plat::DeleteOneFile(result.outputPath)))
    return fail(WavFault::FinishFailed, result.outputPath, plat::LastError());
  if (!CommitPartial(partial, result.outputPath))
    return fail(WavFault::FinishFailed, result.outputPath, plat::LastError());
  const uint32_t kept = head.record.attributes & kWavKeptAttributes;
  if (!plat::SetAttributes(result.outputPath, kept ? kept : plat::kAttrNormal))
    return Failed(&result, WavFault::FinishFailed, result.outputPath, plat::LastError());
  return result;
}

}  // namespace kst
