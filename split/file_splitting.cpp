#include "split/file_splitting.h"

#include "frame/clock_counters.h"
#include "frame/platform/platform.h"
#include "frame/text_numbers.h"
#include "frame/texts.h"
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

void SetBar(ProgressSink* bar, int position) {
  if (bar && bar->setPosition) bar->setPosition(position);
}

void ReportFailure(const FileSplittingInput& input) {
  PlayAlert();
  AskUser(kAskOk, nullptr, GetText(97), GetText(98), input.boxRecord, input.ownerRecord);
}

// A join batch is read in the interpreter's code page: a file whose name
// has a character that code page lacks could not be joined by its batch,
// so it is refused before a split is cut.
bool RefuseBatchName(const FileSplittingInput& input) {
  std::string inBatch;
  const std::string name = SplitBaseName(input.file);
  if (!input.joinBatch || NameInBatch(name, &inBatch)) return false;
  PlayAlert();
  AskUser(kAskOk, nullptr, GetText(1350), Trimmed(GetText(1351)) + " " + name + Trimmed(GetText(1352)),
          input.boxRecord, input.ownerRecord);
  return true;
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
  FileCheck file = CheckFileToSplit(input.file);
  result.plan = PlanSplits(file.size, input.splitSize);
  if (!file.ok) {
    // The file went away (or emptied) after Go was pressed.
    result.outcome = SplitOutcome::Failed;
    result.failure = SplitFailure::SourceOpen;
    result.failedPath = input.file;
    ReportFailure(input);
    return result;
  }
  if (result.plan.count < 2 || result.plan.count > kMostSplits) return result;
  if (RefuseBatchName(input)) {
    result.outcome = SplitOutcome::NameRefused;
    result.failedPath = input.file;
    return result;
  }

  const SplitPlan& plan = result.plan;
  ClockStart(Clock(kClockFileSplitting), file.size);
  if (splitsBar && splitsBar->setRange) splitsBar->setRange(plan.count);

  const std::string name = SplitBaseName(input.file);
  result.splits.resize(static_cast<size_t>(plan.count));
  bool ok = true;
  int64_t last = 0;
  for (int k = 1; k <= plan.count; ++k) {
    if (!CheckPoint(job)) break;
    SplitRequest request;
    request.sourcePath = input.file;
    request.first = last + 1;
    last += k == plan.count ? plan.lastSize : plan.splitSize;
    request.last = last;
    request.splitPath = SplitName(input.folder, name, k);
    request.buffSize = input.buffSize;
    request.accounting = kAccountJob;
    request.owner.boxRecord = input.boxRecord;
    request.owner.ownerRecord = input.ownerRecord;
    result.splits[static_cast<size_t>(k - 1)] = request.splitPath;
    if (!CheckPoint(job)) break;
    if (!WriteSplit(request, job, splitBar, &result.failure)) {
      ok = false;
      result.failedPath = request.splitPath;
      break;
    }
    SetBar(splitsBar, k);
    ++result.completed;
  }

  if (ok && result.completed < plan.count) {
    result.outcome = SplitOutcome::Stopped;
  } else if (ok && input.joinBatch) {
    std::string batchPath;
    ok = WriteJoinBatch(input.folder, input.file, plan.count, &batchPath);
    if (ok)
      result.batchPath = batchPath;
    else
      result.failedPath = batchPath;
  }
  if (result.outcome != SplitOutcome::Stopped) {
    result.outcome = ok ? SplitOutcome::Done : SplitOutcome::Failed;
    // A batch that failed leaves nothing behind (WriteJoinBatch takes back a
    // half-written one), so only the splits of this run are deleted.
    if (!ok) {
      ReportFailure(input);
      DeleteSplits(result);
    }
  }
  SetBar(splitsBar, 0);
  return result;
}

}  // namespace kst
