#include "cli/restore_command.h"

#include <cstdio>

#include "cli/backup_terminal.h"
#include "cli/host_path.h"
#include "cli/option_argument.h"
#include "cli/terminal_person.h"
#include "frame/dialogs/ask.h"
#include "frame/files/file_info.h"
#include "frame/files/folders.h"
#include "frame/platform/platform.h"
#include "frame/settings/settings.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "frame/threads/job_control.h"
#include "restore/check_sums.h"
#include "restore/restore_list.h"
#include "restore/restore_texts.h"
#include "restore/restore_worker.h"

namespace kst {

namespace {

struct RestoreOptions {
  std::vector<std::string> origins;
  std::string to, command;
  bool noJoin = false, keepSplits = false, yes = false;
};

// "1-3, 5": the split numbers of slots that are there (present or
// appended), or of those that are missing.
std::string Numbers(const RestoreRecord& r, bool present) {
  std::string text;
  const int n = static_cast<int>(r.slots.size());
  for (int k = 1; k <= n; ++k) {
    const auto in = [&](int j) {
      if (j > n) return false;
      const SlotState state = r.slots[j - 1].state;
      return present ? state == SlotState::Present || state == SlotState::Appended : state == SlotState::Missing;
    };
    if (!in(k)) continue;
    int last = k;
    while (in(last + 1)) ++last;
    text += (text.empty() ? "" : ", ") + std::to_string(k) + (last > k ? "-" + std::to_string(last) : "");
    k = last;
  }
  return text.empty() ? "none" : text;
}

// " -- damaged split 2 (from stack/2/big.bin.002, disk 2)" per damaged split.
std::string DamagedSplits(const RestoreRecord& r) {
  std::string text;
  for (size_t k = 0; k < r.slots.size(); ++k) {
    const RestoreSlot& s = r.slots[k];
    if (s.state != SlotState::Damaged) continue;
    text += " -- damaged split " + std::to_string(k + 1) + " (from " + ShownPath(s.origin.empty() ? s.path : s.origin) +
            (s.disk > 0 ? ", disk " + std::to_string(s.disk) : std::string()) + ")";
  }
  return text;
}

// Sums every present split that its record's check file has a sum for and
// marks the ones that differ (or cannot be read) Damaged. The number marked.
int CheckPresentSplits(RestoreList& list) {
  std::vector<char> buffer(kBuffSizeDefault);
  int damaged = 0;
  std::lock_guard<std::mutex> lock(list.mutex);  // nothing else runs on this list
  for (RestoreRecord& r : list.records) {
    for (size_t k = 0; k < r.slots.size(); ++k) {
      RestoreSlot& s = r.slots[k];
      const uint32_t* expected = SumOf(r, static_cast<int>(k) + 1);
      uint32_t sum = 0;
      if (s.state != SlotState::Present || !expected) continue;
      if (FileCrc32(s.path, buffer.data(), static_cast<uint32_t>(buffer.size()), nullptr, &sum) && sum == *expected)
        continue;
      s.state = SlotState::Damaged;
      ++damaged;
    }
  }
  return damaged;
}

// One line per main file; true when every file is whole or can be joined.
bool PrintRecords(RestoreList& list, const std::string& prefix, bool joinedWord) {
  std::string out;
  bool allGood = true;
  std::lock_guard<std::mutex> lock(list.mutex);
  for (const RestoreRecord& r : list.records) {
    const std::string name = r.name.rfind(prefix, 0) == 0 ? r.name.substr(prefix.size()) : ShownPath(r.name);
    if (r.slots.empty() || r.joined) {
      out += name + " -- " + std::to_string(TotalSize(r)) + " bytes -- " + (joinedWord && !r.slots.empty() ? "joined" : "whole") + "\n";
      continue;
    }
    const bool ok = IsComplete(r);
    allGood = allGood && ok;
    out += name + " -- " + std::to_string(TotalSize(r)) + " bytes -- splits present " + Numbers(r, true) +
           " -- missing " + Numbers(r, false) + DamagedSplits(r) + " -- batch " +
           (r.batchName.empty() ? std::string("none") : std::to_string(r.batchCount) + " splits") + " -- " +
           (ok ? (joinedWord ? "not joined" : "joinable") : "not joinable") + "\n";
    if (joinedWord) allGood = false;
  }
  std::fputs(out.c_str(), stdout);
  return allGood;
}

}  // namespace

int RestoreCommand(const std::vector<std::string>& args) {
  RestoreOptions o;
  const std::string problem = ReadOptions(args,
                                          {{"--to", nullptr, &o.to},
                                           {"--new-disk-command", nullptr, &o.command},
                                           {"--no-join", &o.noJoin},
                                           {"--keep-splits", &o.keepSplits},
                                           {"--yes", &o.yes}},
                                          &o.origins);
  if (!problem.empty()) return Line(kExitError, problem);
  if (o.origins.empty()) return Line(kExitError, "give the origin folders (see --help)");
  if (o.to.empty()) return Line(kExitError, "--to DIR is needed (see --help)");
  if (!o.command.empty() && o.origins.size() != 1)
    return Line(kExitError, "--new-disk-command refills one origin folder: give exactly one");
  SetAskHandler([&o](const AskRequest& request) { return AskOnOneLine(request, o.yes); });

  RestoreList list;
  list.capacity = kListSizesMax;
  JobControl job;
  job.running = true;
  job.keepGoing = true;
  RestoreRun run;
  run.settings.anyOriginDrive = true;
  run.settings.destination = OneBackslash(ProgramPath(o.to));
  if (!MakeFolderPath(run.settings.destination)) return Line(kExitError, o.to + ": cannot be made a folder");
  run.settings.autoJoin = !o.noJoin;
  run.settings.autoJoinDelete = !o.keepSplits;
  run.list = &list;
  run.job = &job;
  // A file of the destination is replaced only on a yes (stdin closed: no).
  run.person.replaceFile = [](const std::string& target) {
    return AskUser(kAskYesNo, nullptr, Trimmed(GetText(kTextReplaceHeading)),
                   Trimmed(GetText(kTextReplaceFile)) + " " + ShownPath(target), MessageOwner{}.boxRecord,
                   MessageOwner{}.ownerRecord) == kAnswerYes;
  };
  std::string stopped;
  std::vector<std::string> kept;
  int fed = 0;
  int64_t disks = 0, files = 0;
  for (size_t i = 0; i < o.origins.size(); ++i) {
    const std::string& origin = o.origins[i];
    run.settings.origin = ProgramPath(origin);
    run.settings.disksBefore = static_cast<int>(i);  // one folder a disk
    if (o.command.empty() && plat::GetAttributes(run.settings.origin) == plat::kAttrInvalid)
      return Line(kExitError, origin + ": no such folder");
    // Each origin folder is one disk: it is taken once, and asked for again
    // only when nothing on it was new.
    int asked = 0;
    run.person.insertDisk = [&](const RestoreDiskPrompt&, bool*) {
      if (o.command.empty()) return ++asked == 1 ? DiskAnswer::Go : DiskAnswer::Closed;
      const int status = RunDiskCommand(o.command, "restore-disk", ++fed);
      if (status == 0) return DiskAnswer::Go;
      if (status < 0) stopped = "the new-disk command could not be run or was killed";
      return DiskAnswer::Closed;
    };
    if (const RestoreRefusal refusal = CheckRestoreAtGo(run.settings)) {
      std::string line = Trimmed(GetText(refusal.heading)) + ": " + Trimmed(GetText(refusal.message));
      return Line(kExitRefused, refusal.detail.empty() ? line : line + " " + ShownPath(refusal.detail));
    }
    const RestoreResult result = RunRestore(run);
    disks += result.figures.disksDone;
    files += result.filesTaken;
    kept.insert(kept.end(), result.kept.begin(), result.kept.end());
    if (result.outcome == RestoreOutcome::GaveUp)
      return Line(kExitError, "stopped: the same disk came three times in a row with nothing new on it");
    if (result.outcome == RestoreOutcome::Failed) return Line(kExitError, "the run stopped before its end");
    if (result.outcome == RestoreOutcome::Aborted) return Line(kExitError, "stopped");
    if (result.outcome == RestoreOutcome::Refused) return kExitRefused;
  }
  if (!stopped.empty()) return Line(kExitError, stopped);
  const bool allJoined = PrintRecords(list, run.settings.destination, true);
  for (const std::string& path : kept)
    std::printf("%s -- not taken: the file in the destination was kept\n",
                path.substr(run.settings.destination.size()).c_str());
  const std::string line = "took " + std::to_string(files) + " files from " + std::to_string(disks) +
                           (disks == 1 ? " disk" : " disks") + " into " + ShownPath(run.settings.destination);
  if (!kept.empty())
    return Line(kExitRefused, line + "; " + std::to_string(kept.size()) + " kept in the destination, not taken");
  if (!allJoined && !o.noJoin) return Line(kExitRefused, line + "; not every file could be joined");
  return Line(kExitOk, line);
}

int ScanCommand(const std::vector<std::string>& args) {
  std::vector<std::string> folders;
  bool check = false;
  const std::string problem = ReadOptions(args, {{"--check", &check}}, &folders);
  if (!problem.empty()) return Line(kExitError, problem);
  if (folders.empty()) return Line(kExitError, "give the folders to scan (see --help)");
  // Nothing is asked: an incompatible batch is said and left off the list.
  SetAskHandler([](const AskRequest& request) {
    plat::WriteStandardError("kestrova-cli: " + request.heading + ": " + ShownMessage(request.message) + "\n");
    return static_cast<int>(request.style == kAskOk ? kAnswerOk : kAnswerNo);
  });
  RestoreList list;
  list.capacity = kListSizesMax;
  // Files are listed as they would lie in one destination: by their path
  // below the folder given, whichever folder they are in.
  const std::string prefix = "?:\\";
  for (const std::string& typed : folders) {
    const std::string folder = ProgramPath(typed);
    const uint32_t attributes = plat::GetAttributes(folder);
    if (attributes == plat::kAttrInvalid || !(attributes & plat::kAttrDirectory))
      return Line(kExitError, typed + ": no such folder");
    const std::string root = folder.back() == '\\' ? folder : folder + "\\";
    WalkFolder(root, "*.*", true, [&](const std::string& in, const FileInfo& info) {
      const std::string path = in + info.name;
      AddToRestoreList(list, {path, prefix + path.substr(root.size()), info.size, AddSource::Copied},
                       {false, false}, MessageOwner{});
      return true;
    });
  }
  const int damaged = check ? CheckPresentSplits(list) : 0;
  const bool allGood = PrintRecords(list, prefix, false);
  if (damaged > 0)
    return Line(kExitRefused, std::to_string(damaged) + (damaged == 1 ? " split differs" : " splits differ") +
                                  " from the sum its check file holds");
  return allGood ? kExitOk : kExitRefused;
}

}  // namespace kst
