#include "remover/excess_removal.h"

#include <vector>

#include "compare/checked_output.h"
#include "compare/compare_blocks.h"
#include "frame/clock/clock_counters.h"
#include "frame/dialogs/ask.h"
#include "frame/files/file_info.h"
#include "frame/files/partial_files.h"
#include "frame/files/typed_path.h"
#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "remover/remover_batch.h"
#include "remover/remover_folders.h"
#include "remover/remover_log.h"
#include "remover/remover_texts.h"

namespace kst {

namespace {

bool Has(uint32_t attributes, uint32_t bit) { return (attributes & bit) != 0; }

// Only a plain file is a counterpart: not a folder, not a link.
bool PlainFile(uint32_t attributes) {
  return attributes != plat::kAttrInvalid &&
         !Has(attributes, plat::kAttrDirectory | plat::kAttrVolume | plat::kAttrReparsePoint);
}

// Counts the files a run looks at; with outputs, also tells whether one
// of them is such a file under another name (a hard link). What the count
// cannot look at, the walk tells of.
void CountFiles(const std::string& folder, const std::string& pattern, bool recurse, JobControl* job,
                int64_t* files, int64_t* bytes, const std::vector<plat::ObjectId>* outputs = nullptr,
                bool* isOutput = nullptr) {
  WalkTree(folder, pattern, recurse, [&](const std::string& in, const plat::FindEntry& e) {
    if (job && !job->keepGoing) return false;
    ++*files;
    *bytes += static_cast<int64_t>(e.size);
    plat::ObjectId id;
    if (outputs && !outputs->empty() && plat::ObjectIdOf(in + e.name, &id))
      for (const plat::ObjectId& output : *outputs) *isOutput = *isOutput || id == output;
    return true;
  });
}

// What a file was when it was opened for the comparison; taken again just
// before the target is deleted, so that a file changed meanwhile is kept.
struct Snapshot {
  int64_t size = -1;
  uint64_t written = 0;
  plat::ObjectId id;  // another file of the same size and time is another file
};

bool TakeSnapshot(const std::string& path, Snapshot* snapshot) {
  if (!PlainFile(plat::GetAttributes(path)) || !plat::ObjectIdOf(path, &snapshot->id)) return false;
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
  return TakeSnapshot(path, &now) && now.size == before.size && now.written == before.written &&
         now.id == before.id;
}

// A folder path as the system opens it best: without its closing
// backslash, except on a drive root.
std::string Unslashed(const std::string& folder) {
  return folder.size() > 3 && folder.back() == '\\' ? folder.substr(0, folder.size() - 1) : folder;
}

// The target folder a file is deleted from is still the one the walk
// entered, and no folder from the target's own down to it is a link now.
bool StillTheFolder(const std::string& root, const std::string& folder, const plat::ObjectId& entered) {
  plat::ObjectId now;
  if (!plat::ObjectIdOf(Unslashed(folder), &now) || !(now == entered)) return false;
  for (size_t k = folder.size() - 1; k > root.size(); k = folder.rfind('\\', k - 1)) {
    const uint32_t a = plat::GetAttributes(folder.substr(0, k));
    if (a == plat::kAttrInvalid || Has(a, plat::kAttrReparsePoint) || !Has(a, plat::kAttrDirectory))
      return false;
  }
  return true;
}

bool Absent(uint32_t error) { return error == plat::kErrFileNotFound || error == plat::kErrPathNotFound; }

// The files and the files without counterpart met below one folder.
struct Level {
  int64_t seen = 0;
  int64_t without = 0;
  bool troubled = false;  // something below was left alone: no rd for it
};

// A target folder the walk is in: its path (ending with a backslash, ""
// when the Base folder has no counterpart) and its object when entered.
struct TargetFolder {
  std::string path;
  plat::ObjectId id;
};

// A Base folder the walk is in: its counterpart and what was met below it.
struct Frame {
  TargetFolder target;
  Level level;
};

struct Walker {
  Walker(const RemoverInput& input, JobControl& control, RemoverReport* shown)
      : in(input), job(control), report(shown) {}
  const RemoverInput& in;
  JobControl& job;
  RemoverReport* report;
  std::string baseRoot;  // the Base folder without its final backslash
  std::string targetRoot;  // the target folder, ending with a backslash
  std::string firstTrouble;
  RemoverCounts counts;
  RemoverBatch batch;
  RemoverLog log;
  std::vector<Frame> frames;  // from the Base folder down to the one walked
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
  void Trouble(Level& level, const std::string& path, TreeTrouble kind, uint32_t error = 0) {
    level.troubled = true;
    const std::string told = TroubleLine(path, kind, error);
    if (counts.troubles++ == 0) firstTrouble = told;
    if (report && report->trouble) report->trouble(path, kind, error);
  }

  void Show() {
    if (!report) return;
    if (report->counts) report->counts(counts);
    if (report->total.setPosition) report->total.setPosition(static_cast<int>(counts.processed / scale.step));
  }
};

bool Delete(const std::string& path, bool silent) {
  const uint32_t flags = plat::kShellNoConfirmation | plat::kShellNoErrorBox | plat::QuietShellFlags(silent);
  return plat::ShellFileOperation(plat::ShellOp::Delete, path, "", flags) == 0 &&
         !plat::PathExists(path);
}

// A Base file and its counterpart: compared, the target deleted when the
// two are proven the same, and logged. False when the walk must end.
bool DoPair(Walker& w, const std::string& basePath, const std::string& targetPath,
            const TargetFolder& folder) {
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
  if (identical && w.report && w.report->proven) w.report->proven(targetPath);
  if (identical &&
      (w.in.simulate || (Unchanged(basePath, base) && StillTheFolder(w.targetRoot, folder.path, folder.id) &&
                         Unchanged(targetPath, target) && Delete(targetPath, w.in.silent)))) {
    ++w.counts.removed;
    pair.notDeleted = false;
  }
  if (w.in.log && !WriteRemoverLog(w.log, RemoverLogEntry(pair))) {
    w.Tell(kTextLogWriteHeading, kTextLogWrite);
    return false;
  }
  return true;
}

bool AddToBatch(Walker& w, const std::string& basePath, bool folder) {
  if (AddToRemoverBatch(w.batch, basePath.substr(w.baseRoot.size()), folder)) return true;
  w.Tell(kTextBatchHeading, kTextBatchWrite);
  return false;
}

// The counterpart folder of Base subfolder name: entered when it lists,
// none when it is not there (its Base files then go to the batch). False
// when it is left alone: a link, unreadable, or too long a path.
bool TargetSubfolder(Walker& w, const TargetFolder& target, const std::string& name, Level& level,
                     TargetFolder* sub) {
  if (target.path.empty()) return true;
  const std::string path = target.path + name;
  const uint32_t a = plat::GetAttributes(path);
  const uint32_t error = plat::LastError();
  if (a == plat::kAttrInvalid) {
    if (Absent(error)) return true;
    w.Trouble(level, path + "\\", TreeTrouble::Unreadable, error);
    return false;
  }
  if (Has(a, plat::kAttrReparsePoint)) {
    w.Trouble(level, path, TreeTrouble::Link);
    return false;
  }
  if (!Has(a, plat::kAttrDirectory)) return true;
  std::vector<plat::FindEntry> entries;
  uint32_t listError = 0;
  if (!ListFolder(path + "\\", &entries, &listError) || !plat::ObjectIdOf(path, &sub->id)) {
    w.Trouble(level, path + "\\", TreeTrouble::Unreadable, listError ? listError : plat::LastError());
    return false;
  }
  sub->path = path + "\\";
  return true;
}

// Base subfolder name of folder, about to be walked, and its counterpart:
// false when it is left alone (too deep, or its counterpart a link,
// unreadable or too long a path).
bool EnterFolder(Walker& w, const std::string& folder, const std::string& name) {
  const std::string basePath = folder + name;
  const int depth = static_cast<int>(w.frames.size()) - 1;
  Frame& frame = w.frames.back();
  if (depth + 1 >= kWalkDepthLimit || basePath.size() + 1 >= kPathWidth - 1 ||
      (!frame.target.path.empty() && frame.target.path.size() + name.size() + 1 >= kPathWidth - 1)) {
    w.Trouble(frame.level, basePath + "\\", TreeTrouble::TooDeep);
    return false;
  }
  TargetFolder targetSub;
  if (!TargetSubfolder(w, frame.target, name, frame.level, &targetSub)) return false;
  w.frames.push_back(Frame{targetSub, {}});
  return true;
}

// A Base subfolder walked: a folder none of whose files has a counterpart
// goes too. False when the walk must end.
bool LeaveFolder(Walker& w, const std::string& basePath) {
  const Level sub = w.frames.back().level;
  w.frames.pop_back();
  if (!sub.troubled && sub.seen == sub.without && !AddToBatch(w, basePath, true)) return false;
  Level& level = w.frames.back().level;
  level.seen += sub.seen;
  level.without += sub.without;
  level.troubled = level.troubled || sub.troubled;
  return true;
}

// A Base file against its counterpart in the target folder walked. False
// when the walk must end.
bool DoFile(Walker& w, const std::string& baseFolder, const plat::FindEntry& e) {
  const TargetFolder& target = w.frames.back().target;
  Level& level = w.frames.back().level;
  const std::string basePath = baseFolder + e.name;
  ++level.seen;
  const std::string targetPath = target.path.empty() ? "" : target.path + e.name;
  const uint32_t a = targetPath.empty() ? plat::kAttrInvalid : plat::GetAttributes(targetPath);
  const uint32_t targetError = targetPath.empty() ? plat::kErrFileNotFound : plat::LastError();
  if (Has(e.attributes, plat::kAttrReparsePoint) ||
      (a != plat::kAttrInvalid && Has(a, plat::kAttrReparsePoint))) {
    // Wine's del follows a link: neither side's link goes into the batch.
    w.Trouble(level, Has(e.attributes, plat::kAttrReparsePoint) ? basePath : targetPath, TreeTrouble::Link);
  } else if (a == plat::kAttrInvalid && !Absent(targetError)) {
    w.Trouble(level, targetPath, TreeTrouble::Unreadable, targetError);
  } else if (!PlainFile(a)) {
    ++level.without;
    ++w.counts.unmatched;
    w.counts.unmatchedBytes += static_cast<int64_t>(e.size);
    if (!AddToBatch(w, basePath, false)) return false;
  } else if (!DoPair(w, basePath, targetPath, target)) {
    return false;
  }
  // A Base file passed over (no counterpart, another size, a difference
  // found early) is done all the same: the time left comes down to 0.
  // Only the bytes compared count for the speed.
  w.passedBytes += static_cast<int64_t>(e.size);
  Clock(kClockExcessRemover).done.store(w.passedBytes, std::memory_order_relaxed);
  ++w.counts.processed;
  w.Show();
  return CheckPoint(w.job);
}

// The Base folder (ending with a backslash) against the target folder top,
// file by file; a name Windows cannot hold is never made into a path nor a
// batch line: "x\..\..\f" would name a file elsewhere, a quote end the
// batch's quoting.
void Walk(Walker& w, const std::string& baseFolder, const TargetFolder& top) {
  w.frames.assign(1, Frame{top, {}});
  FolderVisitors folders;
  folders.enter = [&w](const std::string& in, const plat::FindEntry& e) { return EnterFolder(w, in, e.name); };
  folders.leave = [&w](const std::string& in, const plat::FindEntry& e) { return LeaveFolder(w, in + e.name); };
  WalkTree(
      baseFolder, w.in.pattern, w.in.recurse,
      [&w](const std::string& in, const plat::FindEntry& e) { return DoFile(w, in, e); },
      [&w](const std::string& path, TreeTrouble kind, uint32_t error) {
        // The remover names a folder whose name is refused without its backslash.
        const bool bare = kind == TreeTrouble::BadName && path.back() == '\\';
        w.Trouble(w.frames.back().level, bare ? path.substr(0, path.size() - 1) : path, kind, error);
      },
      folders);
}

}  // namespace

int64_t CountRemoverFiles(const std::string& folder, const std::string& pattern, bool recurse,
                          JobControl* job) {
  const std::string plain = PlainFolder(folder);
  int64_t files = 0, bytes = 0;
  if (!plain.empty()) CountFiles(FolderWithSlash(plain), pattern, recurse, job, &files, &bytes);
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

  // The log is opened first, as it is: an existing one is cut only when
  // the count finds it is none of the files the run reads or deletes.
  if (input.log && !StartRemoverLog(w.log, input.logPath))
    w.Tell(kTextLogOpenHeading, kTextLogOpen, input.logPath + ": " + OutputRefusalText(w.log.opened));
  std::vector<plat::ObjectId> outputs;
  if (w.log.handle != plat::kNoFile && w.log.opened.existed) outputs.push_back(w.log.opened.id);
  bool isOutput = false;
  int64_t baseBytes = 0, targetBytes = 0;
  w.targetRoot = FolderWithSlash(target);
  CountFiles(FolderWithSlash(base), input.pattern, input.recurse, &job, &w.counts.insideBase, &baseBytes,
             &outputs, &isOutput);
  CountFiles(w.targetRoot, input.pattern, input.recurse, &job, &w.counts.insideTarget, &targetBytes, &outputs,
             &isOutput);
  if (w.log.handle != plat::kNoFile) {
    if (isOutput) DropOutput(w.log.opened, OutputRefusal::Input);
    if (!isOutput) CutOutput(w.log.opened);
    w.log.handle = w.log.opened.handle;
    if (w.log.handle == plat::kNoFile) {
      w.log.failed = true;
      w.Tell(kTextLogOpenHeading, kTextLogOpen, input.logPath + ": " + OutputRefusalText(w.log.opened));
    }
  }
  ClockStart(Clock(kClockExcessRemover), baseBytes);
  w.scale = ScaleProgress(w.counts.insideBase);
  if (report && report->total.setRange) report->total.setRange(w.scale.range);
  w.Show();

  if (job.keepGoing) {
    if (!StartRemoverBatch(w.batch, result.batchPath, Trimmed(GetText(kTextBatchChoice)))) {
      w.Tell(kTextBatchHeading, kTextBatchCreate,
             result.batchPath + (w.batch.error ? ": " + plat::ErrorText(w.batch.error) : std::string()));
    } else {
      plat::ObjectIdOf(PartialNameOf(result.batchPath), &w.batchId);
      TargetFolder top{w.targetRoot, {}};
      Level level;
      std::vector<plat::FindEntry> entries;
      uint32_t error = 0;
      if (!ListFolder(w.targetRoot, &entries, &error) || !plat::ObjectIdOf(Unslashed(w.targetRoot), &top.id))
        w.Trouble(level, w.targetRoot, TreeTrouble::Unreadable, error ? error : plat::LastError());
      else
        Walk(w, FolderWithSlash(base), top);
    }
  }
  // Written when it was started, even after a stop: what it lists so far
  // is true.
  if (w.batch.handle != plat::kNoFile && !EndRemoverBatch(w.batch) && !w.failed)
    w.Tell(kTextBatchHeading, kTextBatchWrite,
           w.batch.error ? result.batchPath + ": " + plat::ErrorText(w.batch.error) : "");
  if (w.log.handle != plat::kNoFile) {
    if (!w.log.failed) {
      RemoverTotals totals{w.counts.removed, w.counts.insideBase, w.counts.insideTarget};
      result.logWritten = WriteRemoverLog(w.log, RemoverLogTotals(totals));
      if (!result.logWritten) w.Tell(kTextLogWriteHeading, kTextLogWrite);
    }
    // A write the system finishes only on the close fails there.
    if (!CloseRemoverLog(w.log) && result.logWritten) {
      result.logWritten = false;
      w.Tell(kTextLogWriteHeading, kTextLogWrite, plat::ErrorText(plat::LastError()));
    }
  }
  result.firstTrouble = w.firstTrouble;
  w.Show();
  result.counts = w.counts;
  result.outcome = job.keepGoing && !w.failed ? RemoverOutcome::Done : RemoverOutcome::Stopped;
  return result;
}

}  // namespace kst
