#include "split/file_splitting.h"

#include "frame/clock/clock_counters.h"
#include "frame/files/partial_files.h"
#include "frame/files/typed_path.h"
#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "split/check_file.h"
#include "split/join_batch.h"

namespace kst {

FileCheck CheckFileToSplit(const std::string& path) {
  FileCheck check;
  if (Trimmed(path).empty()) return check;
  uint32_t attributes = plat::GetAttributes(path);
  if (attributes == plat::kAttrInvalid) return check;
  if (attributes & (plat::kAttrDirectory | plat::kAttrVolume)) return check;
  int64_t size = plat::SizeOfPath(path);
  if (size <= 0) return check;
  check.ok = true;
  check.size = size;
  return check;
}

bool CheckSplitFolder(const std::string& folder) {
  std::string path = Trimmed(folder);
  if (path.empty()) return false;
  if (path.size() == 2 && path[1] == ':') path += '\\';  // a drive: its root
  uint32_t attributes = plat::GetAttributes(path);
  return attributes != plat::kAttrInvalid &&
         (attributes & (plat::kAttrDirectory | plat::kAttrVolume)) != 0;
}

namespace {

// File Splitting's own texts beyond the original table.
constexpr int kTextBadName = 1360;     // the heading of a refused name
constexpr int kTextBadNameWhy = 1361;  // why, before the name
constexpr int kTextAborted = 1362;     // the heading after an abort
constexpr int kTextAbortedWhat = 1363; // what an aborted run left
constexpr int kTextIsSource = 1364;    // the heading of a name that is the source
constexpr int kTextIsSourceWhy = 1365; // why, before the name

void SetBar(ProgressSink* bar, int position) {
  if (bar && bar->setPosition) bar->setPosition(position);
}

void Tell(const FileSplittingInput& input, int heading, const std::string& message) {
  if (!input.messages) return;
  PlayAlert();
  AskUser(kAskOk, nullptr, GetText(heading), message, input.boxRecord, input.ownerRecord);
}

// The failed file and, where a system call failed, the system's reason.
void ReportFailure(const FileSplittingInput& input, const FileSplittingResult& result) {
  std::string message = Trimmed(GetText(98));
  if (!result.failedPath.empty()) message += "\n" + Trimmed(result.failedPath);
  if (result.error != plat::kErrNone && result.error != plat::kErrAlreadyExists)
    message += ": " + plat::ErrorText(result.error);
  Tell(input, 97, message);
}

// A join batch is read in the interpreter's code page: a file whose name
// has a character that code page lacks could not be joined by its batch,
// so it is refused before a split is cut.
bool BatchNameRefused(const FileSplittingInput& input, const std::string& name) {
  std::string inBatch;
  if (!input.joinBatch || NameInBatch(name, &inBatch)) return false;
  if (input.messages) {
    PlayAlert();
    AskUser(kAskOk, nullptr, GetText(1350),
            Trimmed(GetText(1351)) + " " + name + Trimmed(GetText(1352)), input.boxRecord,
            input.ownerRecord);
  }
  return true;
}

// A name that cannot stand in split names and a join batch as it is.
bool NameRefused(const FileSplittingInput& input, const std::string& name) {
  const NameFault fault = CheckWindowsName(name);
  if (fault == NameFault::None || fault == NameFault::Empty) return false;
  if (input.messages) {
    PlayAlert();
    AskUser(kAskOk, nullptr, GetText(kTextBadName), Trimmed(GetText(kTextBadNameWhy)) + " " + name,
            input.boxRecord, input.ownerRecord);
  }
  return true;
}

// The first of the set's files that exists already, "" when none does.
std::string FirstExisting(const std::vector<std::string>& splits, const std::vector<std::string>& others) {
  for (const std::string& split : splits)
    if (plat::PathExists(split)) return split;
  for (const std::string& other : others)
    if (!other.empty() && plat::PathExists(other)) return other;
  return std::string();
}

// The first name of the set that reaches the source itself (a link to
// it, another name of it, a folder that is a link to the source's own),
// "" when none does.
std::string NameOfSource(const std::string& source, const std::vector<std::string>& splits,
                         const std::vector<std::string>& others) {
  for (const std::string& split : splits)
    if (plat::SameObject(split, source)) return split;
  for (const std::string& other : others)
    if (!other.empty() && plat::SameObject(other, source)) return other;
  return std::string();
}

void DeleteSplits(const FileSplittingResult& result) {
  for (int k = 0; k < result.completed; ++k)
    plat::ShellFileOperation(plat::ShellOp::Delete, result.splits[static_cast<size_t>(k)], "",
                             plat::kShellSilent | plat::kShellNoConfirmation);
}

}  // namespace

FileSplittingResult RunFileSplitting(const FileSplittingInput& input, JobControl& job,
                                     ProgressSink* splitsBar, ProgressSink* splitBar) {
  FileSplittingResult result;
  const std::string name = SplitBaseName(input.file);
  if (NameRefused(input, name)) {
    result.outcome = SplitOutcome::Failed;
    result.failure = SplitFailure::BadName;
    result.failedPath = input.file;
    return result;
  }
  FileCheck file = CheckFileToSplit(input.file);
  result.plan = PlanSplits(file.size, input.splitSize);
  if (!file.ok) {
    // The file went away (or emptied) after Go was pressed.
    result.outcome = SplitOutcome::Failed;
    result.failure = SplitFailure::SourceOpen;
    result.error = plat::LastError();
    result.failedPath = input.file;
    ReportFailure(input, result);
    return result;
  }
  if (result.plan.count < 2 || result.plan.count > kMostSplits) return result;
  if (BatchNameRefused(input, name)) {
    result.outcome = SplitOutcome::Failed;
    result.failure = SplitFailure::BatchName;
    result.failedPath = input.file;
    return result;
  }

  const SplitPlan& plan = result.plan;
  for (int k = 1; k <= plan.count; ++k) result.splits.push_back(SplitName(input.folder, name, k));
  const std::string batchPath = input.joinBatch ? JoinBatchPath(input.folder, input.file) : "";
  // A name with no form in the OEM code page cannot stand in a check file;
  // such a set goes without one (with a batch it is refused above).
  std::string oem;
  const bool checkFile = input.checkFile && plat::OemName(name, &oem);
  // Written or not, a check file of the set's name is one of the set's
  // files: an older one left beside splits written without one would make
  // them look damaged.
  const std::string checkPath = CheckFilePath(input.folder, input.file);
  const std::vector<std::string> others = {batchPath, checkPath};
  std::vector<uint32_t> sums(static_cast<size_t>(plan.count), 0);
  // Decided by object before anything is written: replacing a name that is
  // the source would take the source away.
  const std::string source = NameOfSource(input.file, result.splits, others);
  if (!source.empty()) {
    result.outcome = SplitOutcome::Failed;
    result.failure = SplitFailure::IsSource;
    result.failedPath = source;
    Tell(input, kTextIsSource, Trimmed(GetText(kTextIsSourceWhy)) + " " + source);
    return result;
  }
  // One question for the whole set: a No half-way through would leave
  // neither the old set nor the new one whole.
  MessageOwner owner{nullptr, input.boxRecord, input.ownerRecord};
  const std::string existing = FirstExisting(result.splits, others);
  if (!existing.empty() && !AskReplace(existing, owner, input.messages)) {
    result.outcome = SplitOutcome::Declined;
    result.failure = SplitFailure::Refused;
    result.failedPath = existing;
    return result;
  }
  // The old set's check file goes with the old set once the person agreed
  // to replace it; a new one takes its place only when the set is whole.
  if (!checkFile && !existing.empty() && plat::PathExists(checkPath) && !plat::DeleteOneFile(checkPath)) {
    result.outcome = SplitOutcome::Failed;
    result.failure = SplitFailure::SplitOpen;
    result.error = plat::LastError();
    result.failedPath = checkPath;
    ReportFailure(input, result);
    return result;
  }
  // Partials of this file's splits and batch are left only by a run that
  // was killed.
  RemovePartialLeftovers(input.folder, name + ".???");

  ClockStart(Clock(kClockFileSplitting), file.size);
  if (splitsBar && splitsBar->setRange) splitsBar->setRange(plan.count);
  bool ok = true;
  int64_t last = 0;
  for (int k = 1; k <= plan.count; ++k) {
    if (!CheckPoint(job)) break;
    SplitRequest request;
    request.sourcePath = input.file;
    request.first = last + 1;
    last += k == plan.count ? plan.lastSize : plan.splitSize;
    request.last = last;
    request.splitPath = result.splits[static_cast<size_t>(k - 1)];
    request.buffSize = input.buffSize;
    request.clock = kClockFileSplitting;
    request.owner = owner;
    request.replaceAgreed = true;  // asked above, or nothing was there
    if (checkFile) request.crc = &sums[static_cast<size_t>(k - 1)];
    SplitFailure why = SplitFailure::None;
    if (!WriteSplit(request, job, splitBar, &why)) {
      // Stopped inside a split: the writer took the split back, as an abort
      // between two splits leaves none begun.
      if (why == SplitFailure::Stopped) break;
      ok = false;
      result.failure = why;
      result.error = plat::LastError();
      result.failedPath = request.splitPath;
      break;
    }
    SetBar(splitsBar, k);
    ++result.completed;
  }

  if (ok && result.completed < plan.count) {
    // Aborted: the splits written whole stay, without a batch to join them
    // as if they were all.
    result.outcome = SplitOutcome::Stopped;
    result.failure = SplitFailure::Stopped;
    if (!g_process.exiting) Tell(input, kTextAborted, GetText(kTextAbortedWhat));
  } else {
    // The check file before the batch: a batch stands only beside a
    // whole set, and one that fails takes the check file back with it.
    if (ok && checkFile) {
      std::string written;
      ok = WriteCheckFile(input.folder, input.file, sums, &written, true);
      if (ok) {
        result.checkPath = written;
      } else {
        result.error = plat::LastError();
        result.failedPath = written;
      }
    }
    if (ok && input.joinBatch) {
      std::string written;
      ok = WriteJoinBatch(input.folder, input.file, plan.count, &written, true);
      if (ok) {
        result.batchPath = written;
      } else {
        result.error = plat::LastError();
        result.failedPath = written;
        if (!result.checkPath.empty()) plat::DeleteOneFile(result.checkPath);
        result.checkPath.clear();
      }
    }
    result.outcome = ok ? SplitOutcome::Done : SplitOutcome::Failed;
    // A batch that failed leaves nothing behind (WriteJoinBatch takes back a
    // half-written one), nor does a split that failed: only the splits of
    // this run are deleted.
    if (!ok) {
      ReportFailure(input, result);
      DeleteSplits(result);
    }
  }
  SetBar(splitsBar, 0);
  return result;
}

}  // namespace kst
