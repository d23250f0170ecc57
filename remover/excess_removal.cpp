#include "remover/excess_removal.h"

#include <vector>

#include "compare/compare_blocks.h"
#include "frame/ask.h"
#include "frame/clock_counters.h"
#include "frame/platform/platform.h"
#include "frame/text_numbers.h"
#include "frame/texts.h"
#include "frame/typed_path.h"
#include "remover/remover_batch.h"
#include "remover/remover_folders.h"
#include "remover/remover_log.h"
#include "remover/remover_texts.h"

namespace kst {

namespace {

bool Has(uint32_t attributes, uint32_t bit) { return (attributes & bit) != 0; }

// The entries of folder (ending with a backslash), listed once, without
// the names beginning with ".".
std::vector<plat::FindEntry> ListFolder(const std::string& folder) {
  std::vector<plat::FindEntry> entries;
  plat::FindEntry e;
  plat::FindHandle h = plat::FindFirst(folder + "*.*", &e);
  if (h == plat::kNoFind) return entries;
  do {
    if (!e.name.empty() && e.name[0] != '.') entries.push_back(e);
  } while (plat::FindNext(h, &e));
  plat::FindClose(h);
  return entries;
}

// A folder the walks enter: a real folder, never a junction or a link,
// which could lead back into the other folder or round in a loop.
bool Enterable(uint32_t attributes) {
  return attributes != plat::kAttrInvalid && Has(attributes, plat::kAttrDirectory) &&
         !Has(attributes, plat::kAttrReparsePoint);
}

// Only a plain file is a counterpart: not a folder, not a link.
bool PlainFile(uint32_t attributes) {
  return attributes != plat::kAttrInvalid &&
         !Has(attributes, plat::kAttrDirectory | plat::kAttrVolume | plat::kAttrReparsePoint);
}

void CountFiles(const std::string& folder, const std::string& pattern, bool recurse,
                JobControl* job, int depth, int64_t* files, int64_t* bytes) {
  for (const plat::FindEntry& e : ListFolder(folder)) {
    if (job && !job->keepGoing) return;
    if (Has(e.attributes, plat::kAttrDirectory)) {
      if (recurse && Enterable(e.attributes) && depth < 128)
        CountFiles(folder + e.name + "\\", pattern, recurse, job, depth + 1, files, bytes);
    } else if (plat::MatchesPattern(e.name, pattern)) {
      ++*files;
      *bytes += static_cast<int64_t>(e.size);
    }
  }
}

// What a file was when it was opened for the comparison; taken again just
// before the target is deleted, so that a file changed meanwhile is kept.
struct Snapshot {
  int64_t size = -1;
  uint64_t written = 0;
};

bool TakeSnapshot(const std::string& path, Snapshot* snapshot) {
  if (!PlainFile(plat::GetAttributes(path))) return false;
  plat::FileHandle h =
      plat::FileOpen(path, plat::kRead, plat::Disposition::OpenExisting, plat::kShareRead);
  if (!plat::OpenSucceeded(h)) {
    if (h != plat::kNoFile) plat::FileClose(h);
    return false;
  }
  plat::FileTimes times;
  snapshot->size = plat::FileSize(h);
  const bool ok = snapshot->size >= 0 && plat::FileGetTimes(h, &times);
  snapshot->written = times.write;
  plat::FileClose(h);
  return ok;
}

bool Unchanged(const std::string& path, const Snapshot& before) {
  Snapshot now;
  return TakeSnapshot(path, &now) && now.size == before.size && now.written == before.written;
}

// The files and the files without counterpart met below one folder.
struct Level {
  int64_t seen = 0;
  int64_t without = 0;
};

struct Walker {
  Walker(const RemoverInput& input, JobControl& control, RemoverReport* shown)
      : in(input), job(control), report(shown) {}
  const RemoverInput& in;
  JobControl& job;
  RemoverReport* report;
  std::string baseRoot;  // the Base folder without its final backslash
  RemoverCounts counts;
  RemoverBatch batch;
  RemoverLog log;
  plat::ObjectId batchId;
  ProgressScale scale;
  bool failed = false;  // the batch or the log failed: the run stops
  int64_t passedBytes = 0;  // sizes of the Base files done with so far

  void Tell(int heading, int message, const std::string& path = "") {
    job.keepGoing = false;
    failed = true;
    PlayAlert();
    std::string text = Trimmed(GetText(message));
    if (!path.empty()) text += " " + path;
    AskUser(kAskOk, in.owner, GetText(heading), text, in.boxRecord, in.ownerRecord);
  }
  void Show() {
    if (!report) return;
    if (report->counts) report->counts(counts);
    if (report->total.setPosition) report->total.setPosition(static_cast<int>(counts.processed / scale.step));
  }
};

bool Delete(const std::string& path, bool silent) {
  uint32_t flags = plat::kShellNoConfirmation | plat::kShellNoErrorBox;
  if (silent) flags |= plat::kShellSilent;
  return plat::ShellFileOperation(plat::ShellOp::Delete, path, "", flags) == 0 &&
         !plat::PathExists(path);
}

// A Base file and its counterpart: compared, the target deleted when the
// two are proven the same, and logged. False when the walk must end.
bool DoPair(Walker& w, const std::string& basePath, const std::string& targetPath) {
  plat::ObjectId baseId, targetId;
  const bool known = plat::ObjectIdOf(basePath, &baseId) && plat::ObjectIdOf(targetPath, &targetId);
  if (known && targetId == w.batchId) return true;  // the run's own batch
  RemoverPair pair{basePath, targetPath};
  bool identical = false;
  Snapshot base, target;
  // A file reached by both paths is never its own copy.
  if (known && baseId != targetId && TakeSnapshot(basePath, &base) &&
      TakeSnapshot(targetPath, &target) && base.size == target.size) {
    if (base.size == 0) {
      identical = pair.zeroSize = true;
    } else {
      CompareRequest request{basePath, targetPath, 1, 1, base.size, w.in.buffSize,
                             kClockExcessRemover};
      ProgressSink* bar = w.report ? &w.report->file : nullptr;
      identical = CompareBlocks(request, w.job, bar).outcome == CompareOutcome::Equal;
    }
  }
  if (!CheckPoint(w.job)) return false;
  if (identical &&
      (w.in.simulate || (Unchanged(basePath, base) && Unchanged(targetPath, target) &&
                         Delete(targetPath, w.in.silent)))) {
    ++w.counts.removed;
    pair.notDeleted = false;
  }
  if (w.in.log && !WriteRemoverLog(w.log, RemoverLogEntry(pair))) {
    w.Tell(kTextLogWriteHeading, kTextLogWrite);
    return false;
  }
  return true;
}

// Base folder against target folder (both ending with a backslash; target
// blank when the Base folder has no counterpart folder). False when the
// walk must end.
bool Walk(Walker& w, const std::string& baseFolder, const std::string& targetFolder, int depth,
          Level& level) {
  for (const plat::FindEntry& e : ListFolder(baseFolder)) {
    const std::string basePath = baseFolder + e.name;
    if (Has(e.attributes, plat::kAttrDirectory)) {
      if (!w.in.recurse || !Enterable(e.attributes) || depth >= 128) continue;
      std::string targetSub;
      if (!targetFolder.empty() && Enterable(plat::GetAttributes(targetFolder + e.name)))
        targetSub = targetFolder + e.name + "\\";
      Level sub;
      if (!Walk(w, basePath + "\\", targetSub, depth + 1, sub)) return false;
      // A folder none of whose files has a counterpart goes too.
      if (sub.seen == sub.without &&
          !AddToRemoverBatch(w.batch, basePath.substr(w.baseRoot.size()), true)) {
        w.Tell(kTextBatchHeading, kTextBatchWrite);
        return false;
      }
      level.seen += sub.seen;
      level.without += sub.without;
      continue;
    }
    if (!plat::MatchesPattern(e.name, w.in.pattern)) continue;
    ++level.seen;
    const std::string targetPath = targetFolder.empty() ? "" : targetFolder + e.name;
    if (targetPath.empty() || !PlainFile(plat::GetAttributes(targetPath))) {
      ++level.without;
      ++w.counts.unmatched;
      w.counts.unmatchedBytes += static_cast<int64_t>(e.size);
      if (!AddToRemoverBatch(w.batch, basePath.substr(w.baseRoot.size()), false)) {
        w.Tell(kTextBatchHeading, kTextBatchWrite);
        return false;
      }
    } else if (!DoPair(w, basePath, targetPath)) {
      return false;
    }
    // A Base file passed over (no counterpart, another size, a difference
    // found early) is done all the same: the time left comes down to 0.
    // Only the bytes compared count for the speed.
    w.passedBytes += static_cast<int64_t>(e.size);
    Clock(kClockExcessRemover).done.store(w.passedBytes, std::memory_order_relaxed);
    ++w.counts.processed;
    w.Show();
    if (!CheckPoint(w.job)) return false;
  }
  return true;
}

}  // namespace

int64_t CountRemoverFiles(const std::string& folder, const std::string& pattern, bool recurse,
                          JobControl* job) {
  const std::string plain = PlainFolder(folder);
  int64_t files = 0, bytes = 0;
  if (!plain.empty()) CountFiles(FolderWithSlash(plain), pattern, recurse, job, 0, &files, &bytes);
  return files;
}

bool RefuseRemoverInput(const RemoverInput& input) {
  FolderRefusal refusal = CheckRemoverFolders(input.base, input.target, input.recurse);
  if (TellFolderRefusal(refusal, input.owner, input.boxRecord, input.ownerRecord)) return true;
  if (!input.log) return false;
  const std::string log = PlainFolder(input.logPath);
  const std::string batch = FolderWithSlash(PlainFolder(input.target)) + kRemoverBatchName;
  plat::ObjectId a, b;
  const bool isBatch = SameText(log, batch) ||
                       (plat::ObjectIdOf(log, &a) && plat::ObjectIdOf(batch, &b) && a == b);
  const size_t k = log.find_last_of('\\');
  const std::string name = k == std::string::npos ? log : log.substr(k + 1);
  if (!isBatch && !(plat::MatchesPattern(name, input.pattern) &&
                    IsInRemoverFolders(log, input.base, input.target, input.recurse)))
    return false;
  PlayAlert();
  AskUser(kAskOk, input.owner, GetText(kTextLogOpenHeading),
          Trimmed(GetText(kTextLogRefused)) + " " + log, input.boxRecord, input.ownerRecord);
  return true;
}

RemoverResult RunExcessRemoval(const RemoverInput& input, JobControl& job, RemoverReport* report) {
  RemoverResult result;
  if (RefuseRemoverInput(input)) return result;
  Walker w(input, job, report);
  const std::string base = PlainFolder(input.base), target = PlainFolder(input.target);
  w.baseRoot = base.back() == '\\' ? base.substr(0, base.size() - 1) : base;
  result.batchPath = FolderWithSlash(target) + kRemoverBatchName;
  if (report && report->status) report->status(Trimmed(GetText(kTextUnderWay)));

  int64_t baseBytes = 0;
  CountFiles(FolderWithSlash(base), input.pattern, input.recurse, &job, 0, &w.counts.insideBase,
             &baseBytes);
  w.counts.insideTarget = CountRemoverFiles(target, input.pattern, input.recurse, &job);
  ClockStart(Clock(kClockExcessRemover), baseBytes);
  w.scale = ScaleProgress(w.counts.insideBase);
  if (report && report->total.setRange) report->total.setRange(w.scale.range);
  w.Show();

  if (input.log && !StartRemoverLog(w.log, input.logPath))
    w.Tell(kTextLogOpenHeading, kTextLogOpen);
  if (job.keepGoing) {
    if (!StartRemoverBatch(w.batch, result.batchPath, Trimmed(GetText(kTextBatchChoice)))) {
      w.Tell(kTextBatchHeading, kTextBatchCreate, result.batchPath);
    } else {
      plat::ObjectIdOf(result.batchPath, &w.batchId);
      Level top;
      Walk(w, FolderWithSlash(base), FolderWithSlash(target), 0, top);
    }
  }
  if (w.batch.handle != plat::kNoFile && !EndRemoverBatch(w.batch) && !w.failed)
    w.Tell(kTextBatchHeading, kTextBatchWrite);
  if (w.log.handle != plat::kNoFile) {
    if (!w.log.failed) {
      RemoverTotals totals{w.counts.removed, w.counts.insideBase, w.counts.insideTarget};
      result.logWritten = WriteRemoverLog(w.log, RemoverLogTotals(totals));
      if (!result.logWritten) w.Tell(kTextLogWriteHeading, kTextLogWrite);
    }
    CloseRemoverLog(w.log);
  }
  w.Show();
  result.counts = w.counts;
  result.outcome = job.keepGoing && !w.failed ? RemoverOutcome::Done : RemoverOutcome::Stopped;
  return result;
}

}  // namespace kst
