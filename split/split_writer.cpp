#include "split/split_writer.h"

#include <memory>
#include <new>

#include "frame/files/partial_files.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "split/crc_beside.h"
#include "split/owned_file.h"

namespace kst {

std::string SplitBaseName(const std::string& path) {
  std::string trimmed = Trimmed(path);
  size_t slash = trimmed.find_last_of('\\');
  return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

std::string SplitNumber(int k) {
  std::string digits(3, '0');
  PutDigits(k % 1000, digits, 1, 3, false);
  return digits;
}

std::string SplitName(const std::string& folder, const std::string& name, int k) {
  std::string path = Trimmed(folder);
  if (path.empty() || path.back() != '\\') path += '\\';
  return path + name + "." + SplitNumber(k);
}

int AskOwner(const MessageOwner& owner, int style, int heading, const std::string& message) {
  return AskUser(style, owner.window, GetText(heading), message, owner.boxRecord, owner.ownerRecord);
}

bool AskReplace(const std::string& path, const MessageOwner& owner, bool startOver) {
  PlayAlert();
  std::string question = Trimmed(GetText(45)) + " " + Trimmed(path) + " " + Trimmed(GetText(46));
  int answer = AskUser(kAskYesNo, owner.window, GetText(44), question, owner.boxRecord,
                       owner.ownerRecord);
  if (answer == kAnswerYes) return true;
  if (startOver) {
    PlayAlert();
    AskUser(kAskOk, owner.window, GetText(48), GetText(47), owner.boxRecord, owner.ownerRecord);
  }
  return false;
}

namespace {

// error: the failing system call's code, kept for the caller past the
// closing of the files.
bool Fail(SplitFailure why, SplitFailure* failure, uint32_t error = 0) {
  if (failure) *failure = why;
  plat::SetLastErrorCode(error);
  return false;
}

// Which side stopped a chunk's copy short: the whole chunk read, or a
// full disk or a file that may grow no further, puts it on the split's side.
SplitFailure CopyFailure(bool copied, uint64_t got, uint32_t chunk, uint32_t error) {
  if (got == chunk || (!copied && (error == plat::kErrDiskFull || error == plat::kErrHandleDiskFull ||
                                   error == plat::kErrFileTooLarge)))
    return SplitFailure::ShortWrite;
  return SplitFailure::ShortRead;
}

// One chunk through the buffer, its bytes added to the sum on the sum's
// thread while they are written (the system's own copy between files
// would never show them to the program).
bool CopySumming(plat::FileHandle from, plat::FileHandle to, uint32_t n, char* buffer, CrcBeside* sum,
                 uint64_t* got, uint64_t* put) {
  uint32_t read = 0, written = 0;
  CrcBesideWait(sum);
  if (!plat::FileRead(from, buffer, n, &read)) return false;
  *got = read;
  CrcBesideStart(sum, buffer, read);
  if (!plat::FileWrite(to, buffer, read, &written)) return false;
  *put = written;
  return true;
}

}  // namespace

bool WriteSplit(const SplitRequest& request, JobControl& job, ProgressSink* progress,
                SplitFailure* failure) {
  if (failure) *failure = SplitFailure::None;
  const int64_t length = request.last - request.first + 1;
  const uint32_t buffSize = request.buffSize;
  if (request.first < 1 || length < 1 || buffSize == 0) return Fail(SplitFailure::BadRange, failure);

  std::unique_ptr<char[]> buffer(new (std::nothrow) char[buffSize]);
  if (!buffer) return Fail(SplitFailure::NoMemory, failure);

  // An existing source only: opening a missing one would leave an empty
  // file in its place.
  OwnedFile source(plat::FileOpen(request.sourcePath, plat::kRead, plat::Disposition::OpenExisting,
                                  plat::kShareRead));
  if (!plat::OpenSucceeded(source.handle))
    return Fail(SplitFailure::SourceOpen, failure, plat::LastError());
  if (!CheckPoint(job)) return Fail(SplitFailure::Stopped, failure);

  // A split name that reaches the source (a link, another name of it) is
  // the person's mistake to see, not an old split to replace.
  if (plat::SameObject(request.splitPath, request.sourcePath)) return Fail(SplitFailure::IsSource, failure);
  const bool replacing = plat::PathExists(request.splitPath);
  if (replacing && !request.replaceAgreed && !AskReplace(request.splitPath, request.owner))
    return Fail(SplitFailure::Refused, failure);
  // The split wears its partial name until it is whole. A partial left by
  // a run that was stopped is this writer's own; a new file is made, never
  // one opened through a name that is there.
  const std::string partial = PartialNameOf(request.splitPath);
  plat::DeleteOneFile(partial);
  OwnedFile split(plat::FileOpen(partial, plat::kWrite, plat::Disposition::CreateNew, plat::kShareNone));
  if (!plat::OpenSucceeded(split.handle))
    return Fail(SplitFailure::SplitOpen, failure, plat::LastError());

  SplitFailure why = SplitFailure::None;
  uint32_t error = 0;
  if (request.first != 1 && !plat::FileSeek(source.handle, request.first - 1)) {
    why = SplitFailure::ShortRead;
    error = plat::LastError();
  }

  const int64_t chunks = (length + buffSize - 1) / buffSize;
  const uint32_t lastChunk = static_cast<uint32_t>(length - (chunks - 1) * buffSize);
  ClockCounters* clock = ClockOf(request.clock);
  UnitProgress bar{progress};
  if (why == SplitFailure::None) bar.Start(chunks);

  CrcBeside sum;
  for (int64_t i = 1; why == SplitFailure::None && i <= chunks; ++i) {
    const uint32_t n = i == chunks ? lastChunk : buffSize;
    if (!CheckPoint(job)) {
      why = SplitFailure::Stopped;
      break;
    }
    uint64_t got = 0, put = 0;
    const bool copied = request.crc ? CopySumming(source.handle, split.handle, n, buffer.get(), &sum, &got, &put)
                                    : plat::FileCopy(source.handle, split.handle, n, buffer.get(), n, &got, &put);
    if (!copied || got != n || put != n) {
      error = copied ? 0 : plat::LastError();
      why = CopyFailure(copied, got, n, error);
      // A write that took less than it was given and said nothing: the
      // disk had no room for the rest.
      if (why == SplitFailure::ShortWrite && error == 0) error = plat::kErrDiskFull;
      break;
    }
    bar.Move(i);
    if (clock) ClockAdd(*clock, n);
  }

  const uint32_t crc = CrcBesideEnd(&sum);  // the sum's thread is done with the buffer
  buffer.reset();
  source.Close();
  // A close that fails lost a write the system had deferred.
  if (!split.Close() && why == SplitFailure::None) {
    why = SplitFailure::ShortWrite;
    error = plat::LastError();
  }
  bar.Move(0);
  if (why == SplitFailure::None && plat::SizeOfPath(partial) != length) {
    why = SplitFailure::ShortWrite;
    error = plat::kErrDiskFull;
  }
  // Replacing goes by name, once the new split is whole: the old one (or a
  // link under its name) goes, never the file a link leads to.
  if (why == SplitFailure::None && replacing && !plat::DeleteOneFile(request.splitPath)) {
    why = SplitFailure::SplitOpen;
    error = plat::LastError();
  }
  if (why == SplitFailure::None && !CommitPartial(partial, request.splitPath)) {
    why = SplitFailure::SplitOpen;
    error = plat::LastError();
  }
  if (why != SplitFailure::None) {
    plat::DeleteOneFile(partial);
    return Fail(why, failure, error);
  }
  if (request.crc) *request.crc = crc;
  return true;
}

}  // namespace kst
