#include "cli/backup_command.h"

#include <algorithm>
#include <cstdio>

#include "backup/backup_worker.h"
#include "backup/run_settings.h"
#include "backup/save_list.h"
#include "backup/transport_list.h"
#include "cli/backup_terminal.h"
#include "cli/host_path.h"
#include "cli/option_argument.h"
#include "cli/size_argument.h"
#include "cli/terminal_person.h"
#include "frame/dialogs/ask.h"
#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "frame/threads/job_control.h"

namespace kst {

namespace {

struct BackupOptions {
  std::vector<std::string> files;
  std::string to, diskSize, margin, temp, load, command;
  std::vector<std::string> saveLists;
  bool noBatch = false, noCheckFile = false, verify = false, yes = false;
};

// The program's messages and questions at the terminal: the verification
// question is answered by --verify, the rest as split and join answer them.
void AnswerBackupQuestions(bool verify, bool yes) {
  const std::string verifyHeading = Trimmed(GetText(221));
  SetAskHandler([=](const AskRequest& request) {
    if (Trimmed(request.heading) == verifyHeading) {
      plat::WriteStandardError("kestrova-cli: " + request.heading + ": " +
                               GetText(222).substr(0, GetText(222).find('\r')) +
                               (verify ? " yes\n" : " no\n"));
      return static_cast<int>(verify ? kAnswerYes : kAnswerNo);
    }
    return AskOnOneLine(request, yes);
  });
}

// Loads a save list; false with the load message, after the file's name,
// said as one line.
bool LoadOneLine(TransportList& list, const std::string& typed) {
  std::string why;
  SetAskHandler([&why](const AskRequest& request) {
    why = Trimmed(request.heading) + ": " + ShownMessage(request.message);
    return static_cast<int>(kAnswerOk);
  });
  SaveListFiles files;
  files.names[0] = ProgramPath(typed);
  const bool loaded = LoadList(list, files, 1, false, MessageOwner{});
  if (!loaded) Line(0, typed + ": " + why);
  return loaded;
}

// Adds FILE arguments to the list; "" or why one cannot be listed.
std::string AddFiles(TransportList& list, const std::vector<std::string>& files) {
  for (const std::string& typed : files) {
    const std::string path = ProgramPath(typed);
    const uint32_t attributes = plat::GetAttributes(path);
    if (attributes == plat::kAttrInvalid) return typed + ": no such file";
    if (attributes & (plat::kAttrDirectory | plat::kAttrVolume)) return typed + ": a folder, not a file";
    bool listed = false;
    {
      std::lock_guard<std::mutex> lock(list.mutex);
      for (const FileEntry& e : list.image.entries) listed = listed || SameText(Trimmed(e.path), path);
    }
    if (!listed && !AddToTransportList(list, path, plat::SizeOfPath(path)))
      return typed + ": cannot be listed (the list holds at most " + std::to_string(list.capacity) +
             " files and paths of at most 259 characters)";
  }
  return "";
}

// A save list does not hold the size a folder disk stood for. A loaded
// list with nothing left to carry is only read back, which needs no size:
// its largest split stands for it. Else "" and --disk-size is needed again.
bool FolderDiskOfLoadedList(TransportList& list, RunSettings* settings) {
  const uint32_t type = plat::DriveType(DriveRoot(settings->destination));
  if (type == plat::kDriveRemovable || type == plat::kDriveCdRom) return true;  // a real disk
  int64_t largest = 1;
  const ListImage image = Snapshot(list);
  for (const FileEntry& e : image.entries) {
    if (!e.copied) return false;
    for (const SplitEntry& split : e.splits) largest = std::max(largest, split.size);
  }
  settings->folderDisk = true;
  settings->maxSizeToCopy = 0;
  settings->diskSize = largest;
  return true;
}

// Why the run cannot start, as one line; "" when it can.
std::string GoProblem(const RunSettings& settings, TransportList& list) {
  if (settings.folderDisk && WithOneBackslash(settings.destination) == DriveRoot(settings.destination))
    return ShownPath(settings.destination) + ": a drive's root cannot stand for a disk; give a folder";
  const GoRefusal refusal = CheckAtGo(settings, Snapshot(list));
  if (!refusal) return "";
  std::string line = Trimmed(GetText(refusal.heading)) + ": " + Trimmed(GetText(refusal.message));
  if (!refusal.detail.empty())
    line += " " + (DriveRoot(refusal.detail).empty() ? refusal.detail : ShownPath(refusal.detail));
  if (refusal.message == 160 && !settings.folderDisk)
    line += " (--disk-size N lets a folder on any drive stand for a disk of N bytes)";
  return line;
}

// Reads the options; "" or why they cannot be used.
std::string ReadBackupOptions(const std::vector<std::string>& args, BackupOptions* o) {
  const std::string problem =
      ReadOptions(args,
                  {{"--to", nullptr, &o->to},
                   {"--disk-size", nullptr, &o->diskSize},
                   {"--margin", nullptr, &o->margin},
                   {"--temp", nullptr, &o->temp},
                   {"--load", nullptr, &o->load},
                   {"--new-disk-command", nullptr, &o->command},
                   {"--save-lists", nullptr, nullptr, &o->saveLists, 2, "two file names"},
                   {"--no-batch", &o->noBatch},
                   {"--no-check-file", &o->noCheckFile},
                   {"--verify", &o->verify},
                   {"--yes", &o->yes}},
                  &o->files);
  if (!problem.empty()) return problem;
  if (o->files.empty() && o->load.empty()) return "give the files to carry, or --load F (see --help)";
  return "";
}

// The disk size and margin of the options; "" or why one is not a size.
std::string ReadSizes(const BackupOptions& o, RunSettings* settings) {
  settings->diskSize = 1457664;
  if (!o.diskSize.empty()) {
    if (!ParseSize(o.diskSize, &settings->diskSize))
      return "not a disk size: " + o.diskSize + " (a number of at least 1 byte, then B, kB, MB, GB or TB)";
    // A folder disk is written directly and read back where it lies: a
    // copy through the temporary folder would only read everything twice.
    settings->folderDisk = true;
    settings->maxSizeToCopy = 0;
  }
  if (!o.margin.empty() && o.margin != "0" && !ParseSize(o.margin, &settings->margin))
    return "not a margin: " + o.margin + " (0, or a number of bytes, then B, kB, MB, GB or TB)";
  return "";
}

// The folders and choices of the run, from the options and the loaded
// list; "" or why the run has no destination or disk size.
std::string ReadFolders(const BackupOptions& o, TransportList& list, RunSettings* settings) {
  const ListImage loaded = Snapshot(list);
  settings->destination = o.to.empty() ? Trimmed(loaded.destination) : ProgramPath(o.to);
  settings->temporary = !o.temp.empty()                      ? ProgramPath(o.temp)
                        : !Trimmed(loaded.temporary).empty() ? Trimmed(loaded.temporary)
                                                             : plat::TempFolder();
  if (settings->destination.empty()) return "--to DIR is needed (see --help)";
  settings->joinBatch = !o.noBatch;
  settings->checkFile = !o.noCheckFile;
  if (!o.load.empty() && o.diskSize.empty() && !FolderDiskOfLoadedList(list, settings))
    return o.load + ": files are left to carry onto " + ShownPath(settings->destination) +
           ", a folder: give the disk size it stands for again with --disk-size N"
           " (a save list does not hold it)";
  return "";
}

// The run's outcome as the command's exit code and one line.
int TellBackupResult(const BackupResult& result, const BackupOptions& o, const TerminalDisks& disks) {
  const std::string saved =
      o.saveLists.empty() ? "" : "; the list is saved in " + o.saveLists[0] + " and " + o.saveLists[1];
  switch (result.outcome) {
    case BackupOutcome::Refused:
      return Line(kExitRefused, "nothing was carried");
    case BackupOutcome::Failed:
      return Line(kExitError, "the run stopped before its end" + saved);
    case BackupOutcome::Aborted:
      return Line(kExitError, (disks.stopped.empty() ? "stopped" : disks.stopped) + saved);
    case BackupOutcome::Done:
      break;
  }
  const int64_t disksDone = result.figures.disksDone;
  std::string line = disksDone == 0 ? std::string("nothing was left to carry")
                                    : "carried " + std::to_string(result.carried) + " bytes onto " +
                                          std::to_string(disksDone) + (disksDone == 1 ? " disk" : " disks");
  if (result.redo > 0)
    return Line(kExitRefused,
                line + "; the verification found " + std::to_string(result.redo) +
                    " split(s) to carry again" +
                    (result.newTemporary.empty() ? "" : ", in " + ShownPath(CutAgainFolder(result.newTemporary))) +
                    saved);
  if (o.verify) line += "; every split read back equal";
  return Line(kExitOk, line + saved);
}

}  // namespace

int BackupCommand(const std::vector<std::string>& args) {
  BackupOptions o;
  const std::string problem = ReadBackupOptions(args, &o);
  if (!problem.empty()) return Line(kExitError, problem);
  RunSettings settings;
  const std::string badSize = ReadSizes(o, &settings);
  if (!badSize.empty()) return Line(kExitError, badSize);

  TransportList list;
  if (!o.load.empty() && !LoadOneLine(list, o.load)) return kExitError;
  AnswerBackupQuestions(o.verify, o.yes);
  const std::string unlisted = AddFiles(list, o.files);
  if (!unlisted.empty()) return Line(kExitError, unlisted);
  const std::string noFolder = ReadFolders(o, list, &settings);
  if (!noFolder.empty()) return Line(kExitError, noFolder);

  SaveListFiles saveFiles;
  if (!o.saveLists.empty()) {
    saveFiles.names[0] = ProgramPath(o.saveLists[0]);
    saveFiles.names[1] = ProgramPath(o.saveLists[1]);
    if (!MayTurnOnAutoSave(saveFiles, MessageOwner{})) return kExitRefused;
    saveFiles.autoSave = true;
  }
  const std::string goProblem = GoProblem(settings, list);
  if (!goProblem.empty()) return Line(kExitRefused, goProblem);

  TerminalDisks disks;
  disks.command = o.command;
  disks.folder = o.to.empty() ? ShownPath(settings.destination) : o.to;
  disks.diskFolder = settings.destination;
  disks.yes = o.yes;
  JobControl job;
  job.running = true;
  job.keepGoing = true;
  BackupRun run;
  run.settings = settings;
  run.list = &list;
  run.saveFiles = o.saveLists.empty() ? nullptr : &saveFiles;
  run.job = &job;
  run.person = TerminalBackupPerson(&disks);
  return TellBackupResult(RunBackup(run), o, disks);
}

int SaveListCommand(const std::vector<std::string>& args) {
  if (args.size() != 1 || (args[0].size() > 1 && args[0][0] == '-'))
    return Line(kExitError, "give exactly one save list file (see --help)");
  TransportList list;
  if (!LoadOneLine(list, args[0])) return kExitError;
  const ListImage image = Snapshot(list);
  std::string out = Trimmed(image.destination) + "\n" + Trimmed(image.temporary) + "\n";
  const std::vector<std::string> rows = FileRows(list);
  for (size_t i = 0; i < rows.size(); ++i) {
    out += rows[i] + "\n";
    for (const std::string& split : SplitRows(list, i)) out += "    " + split + "\n";
  }
  std::fputs(out.c_str(), stdout);
  return kExitOk;
}

}  // namespace kst
