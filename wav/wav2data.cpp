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

// One extraction between its steps: the names, the open files, the
// buffers and the result so far. A step that fails has set the result's
// fault and returns false.
struct Extraction {
  std::string wav;
  WavHeadInfo head;
  WavResult result;
  OwnedFile from, to, report;
  std::string partial;  // the restored file's name until it is whole
  bool replacing = false;
  uint32_t buffSize = 1;
  std::unique_ptr<unsigned char[]> in, out;
};

bool Fail(Extraction& x, WavFault fault, const std::string& path, uint32_t error = 0) {
  Failed(&x.result, fault, path, error);
  return false;
}

// Every way out once the partial file is open closes it and, unless what
// was extracted is to stay, removes it.
bool FailOutput(Extraction& x, WavFault fault, const std::string& path, uint32_t error = 0) {
  x.to.Close();
  if (fault != WavFault::DataCut) plat::DeleteOneFile(x.partial);
  return Fail(x, fault, path, error);
}

// The head is read on its own, so that the mark is found whatever the
// buffer size; its window is fixed, never taken from the file.
bool ReadHead(Extraction& x) {
  x.from.handle = plat::FileOpen(x.wav, plat::kRead, plat::Disposition::OpenExisting, plat::kShareRead);
  if (!plat::OpenSucceeded(x.from.handle)) return Fail(x, WavFault::OpenFailed, x.wav, plat::LastError());
  std::vector<unsigned char> start(kWavHeadWindow);
  size_t got = 0;
  if (!ReadUpTo(x.from.handle, start.data(), start.size(), &got))
    return Fail(x, WavFault::ReadFailed, x.wav, plat::LastError());
  const WavHeadFault fault = ReadWavHead(start.data(), got, &x.head);
  x.result.storedName = x.head.record.name;
  if (fault != WavHeadFault::None) return Fail(x, FaultOfHead(fault), x.wav);
  x.result.size = x.head.record.size;
  return true;
}

bool CheckTargets(const Wav2DataInput& input, Extraction& x) {
  const WavFault fault = CheckTarget(input, x.wav, x.head, &x.result);
  if (fault == WavFault::None) return true;
  const std::string about = fault == WavFault::NoFolder        ? Trimmed(input.folder)
                            : x.result.failedPath.empty() ? x.result.outputPath
                                                          : x.result.failedPath;
  return Fail(x, fault, about);
}

bool TakeBuffers(const Wav2DataInput& input, Extraction& x) {
  x.buffSize = input.buffSize == 0 ? 1 : input.buffSize;
  x.in.reset(new (std::nothrow) unsigned char[x.buffSize]);
  x.out.reset(new (std::nothrow) unsigned char[x.buffSize]);
  if (!x.in || !x.out) return Fail(x, WavFault::NoMemory, x.wav);
  return true;
}

// Asks before an existing file or report is replaced. The file it
// replaces must take writing: opened, checked and let go, uncut.
bool MayReplace(const Wav2DataInput& input, Extraction& x) {
  const WavResult& r = x.result;
  x.replacing = plat::PathExists(r.outputPath);
  const std::string existing = x.replacing                      ? r.outputPath
                               : plat::PathExists(r.reportPath) ? r.reportPath
                                                                : std::string();
  if (!existing.empty() && !AskReplaceWav(existing, input.person))
    return Fail(x, WavFault::Declined, existing);
  if (!x.replacing) return true;
  const WavFault fault = CheckOutput(r.outputPath, {x.wav});
  if (fault != WavFault::None) return Fail(x, fault, r.outputPath);
  OwnedFile old(plat::FileOpen(r.outputPath, plat::kWrite, plat::Disposition::OpenExisting, plat::kShareNone));
  if (!plat::OpenSucceeded(old.handle)) return Fail(x, WavFault::OpenFailed, r.outputPath, plat::LastError());
  return true;
}

// The restored file wears its partial name until it is whole; a partial
// file of that name is a leftover of a run that stopped. The report gets
// its first line, and the .wav is read on from its data.
bool OpenOutputs(Extraction& x) {
  const WavResult& r = x.result;
  x.partial = PartialNameOf(r.outputPath);
  RemovePartialLeftovers(FolderOf(r.outputPath), x.head.record.name);
  if (const WavFault fault = OpenOutput(x.partial, {x.wav}, &x.to.handle); fault != WavFault::None)
    return Fail(x, fault, x.partial, fault == WavFault::OpenFailed ? plat::LastError() : 0);
  if (const WavFault fault = OpenOutput(r.reportPath, {x.wav}, &x.report.handle); fault != WavFault::None)
    return FailOutput(x, fault, r.reportPath, fault == WavFault::OpenFailed ? plat::LastError() : 0);
  const std::string first = ReportFirstLine(GetText(1103));
  if (!WriteAll(x.report.handle, first.data(), first.size()))
    return FailOutput(x, WavFault::WriteFailed, r.reportPath, plat::LastError());
  if (!plat::FileSeek(x.from.handle, static_cast<int64_t>(x.head.dataOffset)))
    return FailOutput(x, WavFault::ReadFailed, x.wav, plat::LastError());
  return true;
}

// The stream, buffer by buffer: its data go to the partial file, the
// blocks whose sums differ to the report.
bool CopyBlocks(Extraction& x, JobControl& job, ProgressSink* bar) {
  const WavResult& r = x.result;
  BlockReader blocks;
  blocks.Start(x.head.record.size);
  // At most 2^63 - 1 data bytes and 2^52 sums: no wrap in 64 bits.
  uint64_t left = x.head.record.size + kWavSumBytes * WavBlockCount(x.head.record.size);
  ClockCounters& clock = Clock(kClockWav2Data);
  ClockStart(clock, static_cast<int64_t>(x.head.record.size));
  BarMover mover(bar, (left + x.buffSize - 1) / x.buffSize);
  for (uint64_t chunk = 1; left > 0; ++chunk) {
    if (!CheckPoint(job)) return FailOutput(x, WavFault::Stopped, r.outputPath);
    const size_t want = left < x.buffSize ? static_cast<size_t>(left) : x.buffSize;
    size_t got = 0;
    if (!ReadUpTo(x.from.handle, x.in.get(), want, &got))
      return FailOutput(x, WavFault::ReadFailed, x.wav, plat::LastError());
    const size_t data = blocks.Take(x.in.get(), got, x.out.get());
    left -= got;
    if (!WriteAll(x.to.handle, x.out.get(), data))
      return FailOutput(x, WavFault::WriteFailed, r.outputPath, plat::LastError());
    if (got < want && blocks.dataDone == blocks.size) blocks.EndBlock();  // only sum bytes are missing
    if (!WriteAll(x.report.handle, blocks.report.data(), blocks.report.size()))
      return FailOutput(x, WavFault::WriteFailed, r.reportPath, plat::LastError());
    blocks.report.clear();
    mover.Move(chunk);
    ClockAdd(clock, static_cast<int64_t>(data));
    if (got < want) {
      if (blocks.dataDone < blocks.size) return FailOutput(x, WavFault::DataCut, x.partial);
      break;
    }
  }
  x.result.badBlocks = blocks.bad;
  return true;
}

// The whole file gets its times and both closes are checked (a write the
// system deferred and could not make fails the close); the file it
// replaces goes only now, and only when it is still no link.
bool Finish(Extraction& x) {
  const WavResult& r = x.result;
  plat::FileTimes times;
  times.creation = x.head.record.creationTime;
  times.access = x.head.record.accessTime;
  times.write = x.head.record.writeTime;
  if (!plat::FileSetTimes(x.to.handle, times))
    return FailOutput(x, WavFault::FinishFailed, r.outputPath, plat::LastError());
  if (!x.to.Close()) return FailOutput(x, WavFault::WriteFailed, r.outputPath, plat::LastError());
  if (!x.report.Close()) return FailOutput(x, WavFault::WriteFailed, r.reportPath, plat::LastError());
  if (x.replacing && (CheckOutput(r.outputPath, {x.wav}) != WavFault::None ||
                      !plat::DeleteOneFile(r.outputPath)))
    return FailOutput(x, WavFault::FinishFailed, r.outputPath, plat::LastError());
  if (!CommitPartial(x.partial, r.outputPath))
    return FailOutput(x, WavFault::FinishFailed, r.outputPath, plat::LastError());
  const uint32_t kept = x.head.record.attributes & kWavKeptAttributes;
  if (!plat::SetAttributes(r.outputPath, kept ? kept : plat::kAttrNormal))
    return Fail(x, WavFault::FinishFailed, r.outputPath, plat::LastError());
  return true;
}

}  // namespace

WavResult RunWav2Data(const Wav2DataInput& input, JobControl& job, ProgressSink* bar) {
  Extraction x;
  x.wav = Trimmed(input.wav);
  if (ReadHead(x) && CheckTargets(input, x) && TakeBuffers(input, x) && MayReplace(input, x) && OpenOutputs(x) &&
      CopyBlocks(x, job, bar))
    Finish(x);
  return x.result;
}

}  // namespace kst
