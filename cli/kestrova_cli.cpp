// kestrova-cli: File Splitting's split, and the join its batch does, from a
// terminal. Every rule, name and byte comes from the same core as the
// program's window; this file only reads the command line and reports.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/backup_command.h"
#include "cli/compare_command.h"
#include "cli/host_path.h"
#include "cli/option_argument.h"
#include "cli/ps_command.h"
#include "cli/remove_excess_command.h"
#include "cli/restore_command.h"
#include "cli/size_argument.h"
#include "cli/terminal_person.h"
#include "cli/test_disk_command.h"
#include "cli/wav_commands.h"
#include "frame/dialogs/ask.h"
#include "frame/files/folders.h"
#include "frame/files/typed_path.h"
#include "frame/platform/platform.h"
#include "frame/settings/settings.h"
#include "frame/texts/language_files.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "frame/threads/job_control.h"
#include "split/file_splitting.h"
#include "split/join_splits.h"
#include "split/split_sizes.h"

namespace {

using namespace kst;

constexpr uint32_t kBuffSize = kBuffSizeDefault;  // the cli reads no settings file

const char kUsage[] =
    "usage: kestrova-cli split FILE [--size[=]N[B|kB|MB|GB|TB]] [--folder[=]DIR] [--no-batch]\n"
    "                    [--no-check-file] [--yes]\n"
    "       kestrova-cli join NAME.BAT|NAME.001 [--delete] [--yes]\n"
    "       kestrova-cli backup FILE... --to DIR [--disk-size N[unit]] [--margin N[unit]]\n"
    "                    [--temp DIR] [--no-batch] [--no-check-file] [--save-lists F1 F2]\n"
    "                    [--load F] [--verify] [--new-disk-command CMD] [--yes]\n"
    "       kestrova-cli savelist F\n"
    "       kestrova-cli remove-excess BASE TARGET [--pattern P] [--recursive] [--simulate]\n"
    "                    [--log FILE] [--yes]\n"
    "       kestrova-cli test-disk DRIVE [--disk-size N[unit]] [--new-disk-command CMD]\n"
    "       kestrova-cli data2wav FILE [WAV] [--yes]\n"
    "       kestrova-cli wav2data WAV [FOLDER] [--yes]\n"
    "       kestrova-cli ps [--threads] [--windows]\n"
    "       kestrova-cli restore ORIGIN... --to DIR [--no-join] [--keep-splits]\n"
    "                    [--new-disk-command CMD] [--yes]\n"
    "       kestrova-cli scan FOLDER... [--check]\n"
    "       kestrova-cli compare ORIGINAL CLONE [--pattern P] [--clone-pattern Q] [--recursive]\n"
    "                    [--info FILE]\n"
    "\n"
    "split  cuts FILE into NAME.001, NAME.002, ... of the given size (default\n"
    "       1457664 bytes, a 1.44 MB floppy; raised when more than 999 splits\n"
    "       would be needed) in DIR (default: FILE's folder) and writes NAME.BAT,\n"
    "       which joins them again with the system's copy command, and NAME.SFV,\n"
    "       each split's CRC-32 (--no-check-file: none). When any of\n"
    "       these files exists already you are asked once; No leaves all of them\n"
    "       as they are (--yes: replace without asking). Each split is written\n"
    "       as NAME.001.~ks and named when whole; the next split of FILE removes\n"
    "       such leftovers of a run that was killed. A name that is FILE itself\n"
    "       (a link) and a name Windows cannot hold are refused (exit 1).\n"
    "join   rebuilds NAME from its splits, in number order, as NAME.BAT would;\n"
    "       with NAME.SFV beside them, a split whose CRC-32 differs is refused\n"
    "       (exit 2) and nothing is joined. --delete then removes the splits,\n"
    "       the batch and the check file.\n"
    "backup puts the files onto a stack of disks in DIR's drive, cutting them into\n"
    "       splits where they do not fit, with a join batch for each file cut\n"
    "       and its check file NAME.SFV beside it (--no-check-file: none).\n"
    "       --disk-size lets DIR, on any drive, stand for a disk of N bytes (the\n"
    "       room is the smaller of the drive's free space and N less the bytes\n"
    "       already in DIR, less the margin). At every disk change CMD runs with\n"
    "       KESTROVA_PROMPT=new-disk or verify-disk and KESTROVA_DISK=k (the disk\n"
    "       to fill, or the disks asked for so far in the verification); exit 0\n"
    "       goes on, anything else stops. Without CMD press Enter at each prompt.\n"
    "       --verify reads every disk back; --save-lists keeps the list in F1 and\n"
    "       F2 by turns; --load resumes from a saved list (its folders are\n"
    "       taken unless --to or --temp is given). A save list does not hold\n"
    "       the disk size: give --disk-size again while files are left to carry\n"
    "       onto a folder; a list that is all carried is read back without it.\n"
    "savelist prints a saved list: its two folders, then each file with its splits.\n"
    "remove-excess deletes from TARGET every file matching P (default *.*) that is\n"
    "       byte for byte the same as the file of the same name in BASE (with\n"
    "       --recursive, in the same subfolder too), after one question (--yes:\n"
    "       without it), and writes in TARGET \"Excess files and folders from base\n"
    "       to remove.bat\", which deletes the BASE files and folders that have no\n"
    "       counterpart in TARGET from the folder it is run in (meant for a copy of\n"
    "       BASE). --simulate deletes nothing; --log writes what was done to each\n"
    "       pair. One folder under two names, or one inside the other with\n"
    "       --recursive, is refused.\n"
    "test-disk fills two disks in DRIVE (a removable drive) with pseudo-random data,\n"
    "       asks for each again and reads it back: exit 0 when both read back equal,\n"
    "       1 when flaws were found. A disk to test must be empty. --disk-size lets\n"
    "       a folder on any drive stand for a disk of N bytes (a fixed disk's free\n"
    "       space is never filled). CMD swaps the disks as for backup.\n"
    "data2wav wraps FILE in a .wav audio file (default FILE.WAV; a name without\n"
    "       .WAV gets it appended, a folder gets FILE's name) with a sum for\n"
    "       every 2048-byte block.\n"
    "wav2data restores the file a .wav carries into FOLDER (default: the .wav's\n"
    "       folder) with its name, times and attributes, and lists the blocks\n"
    "       whose sums do not match in NAME.TXT; exit 1 when there are any.\n"
    "ps     lists the running programs as The Program Master does (ID -- parent --\n"
    "       program -- priority -- threads -- windows -- path), each program's\n"
    "       threads and windows below it with --threads and --windows.\n"
    "restore copies the files of each ORIGIN folder, one folder a disk, into DIR\n"
    "       and joins every file whose splits and join batch are all there,\n"
    "       deleting its splits and batch (--keep-splits keeps them; --no-join\n"
    "       joins nothing). With CMD one ORIGIN folder is refilled by CMD before\n"
    "       each disk (KESTROVA_PROMPT=restore-disk, KESTROVA_DISK=k); CMD exits\n"
    "       non-zero when no disk is left. Prints each file and whether it was\n"
    "       joined; exit 1 when a file stays unjoined. A split whose CRC-32\n"
    "       differs from its NAME.SFV check file is not joined: it is named as\n"
    "       damaged with the folder (disk) it came from, and another copy of it\n"
    "       fed later takes its place.\n"
    "scan   prints the restore list the FOLDERs would make: each main file, its\n"
    "       splits present and missing, its batch count, joinable or not (exit 1\n"
    "       when a file is not joinable). --check reads every split present and\n"
    "       compares it with its check file, naming the damaged ones (exit 1 when\n"
    "       there are any).\n"
    "compare compares every file of ORIGINAL (a file, or a folder's files matching P,\n"
    "       default *.*; --recursive: its subfolders too) with the file of the same\n"
    "       name below CLONE (matching Q, default P); two named files are compared\n"
    "       whatever their names. Each pair that is not equal, and each original\n"
    "       without a match, is listed on stdout; --info FILE writes the detailed\n"
    "       information file as the File(s) Comparing window does. Exit 0 when\n"
    "       everything is equal, 1 when anything differs or is unmatched, 2 when a\n"
    "       file cannot be read or found.\n"
    "\n"
    "exit status: 0 done, 1 refused (nothing to do, a No to a question, or a\n"
    "             verification that found differences), 2 error\n";

int Error(const std::string& line) { return Line(kExitError, line); }
int Refused(const std::string& line) { return Line(kExitRefused, line); }
void Say(const std::string& line) { Line(kExitOk, line); }

std::string Number(int64_t value) { return std::to_string(static_cast<long long>(value)); }

// A name as one line: control characters written as \n, \t or \xNN.
std::string Visible(const std::string& name) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string shown;
  for (char c : name) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '\n') shown += "\\n";
    else if (c == '\t') shown += "\\t";
    else if (u < 32) shown += std::string("\\x") + kHex[u >> 4] + kHex[u & 15];
    else shown += c;
  }
  return shown;
}

// Why Windows cannot hold a name, in a few words.
std::string NameFaultWords(NameFault fault) {
  switch (fault) {
    case NameFault::Empty: return "no file name";
    case NameFault::Control: return "a control character in the name";
    case NameFault::Reserved: return "one of \" < > | * ? : in the name";
    case NameFault::Separator: return "a backslash in the name";
    case NameFault::TrailingBlank: return "a blank at the end of the name";
    case NameFault::TrailingDot: return "a dot at the end of the name";
    case NameFault::None: break;
  }
  return "";
}

// ": <the system's words>" for a failed call's code; "" when none failed
// (183, "already exists", is what a successful open leaves).
std::string Because(uint32_t error) {
  if (error == plat::kErrNone || error == plat::kErrAlreadyExists) return std::string();
  return ": " + plat::ErrorText(error);
}

struct Options {
  std::vector<std::string> paths;
  std::string size;
  std::string folder;
  bool noBatch = false;
  bool noCheckFile = false;
  bool yes = false;
  bool remove = false;
};

// Reads the arguments after the command ("--size 5" and "--size=5" alike);
// false (with a line said) on an unknown option or a missing value.
bool ParseOptions(const std::vector<std::string>& args, bool split, Options* options) {
  std::vector<OptionRecord> records = {{"--yes", &options->yes}};
  if (split) {
    records.insert(records.end(), {{"--size", nullptr, &options->size},
                                   {"--folder", nullptr, &options->folder},
                                   {"--no-batch", &options->noBatch},
                                   {"--no-check-file", &options->noCheckFile}});
  } else {
    records.push_back({"--delete", &options->remove});
  }
  const std::string problem = ReadOptions(args, records, &options->paths);
  if (!problem.empty()) return Error(problem), false;
  if (options->paths.size() != 1) {
    Error(std::string("give exactly one ") + (split ? "file to split" : "batch or split") +
          " (see --help)");
    return false;
  }
  return true;
}

// Says each split as it is done.
ProgressSink SplitsReport(const std::vector<std::string>& names, int count) {
  ProgressSink sink;
  sink.setPosition = [&names, count](int k) {
    if (k > 0) Say("wrote " + ShownPath(names[static_cast<size_t>(k - 1)]) + " (" +
                   std::to_string(k) + "/" + std::to_string(count) + ")");
  };
  return sink;
}

// Why the file cannot be split, or "" when it can be; *refused tells a
// file with nothing to split (exit 1) from one that is not there (exit 2).
std::string FileProblem(const std::string& typed, const std::string& path, bool* refused) {
  *refused = false;
  const uint32_t attributes = plat::GetAttributes(path);
  if (attributes == plat::kAttrInvalid) return typed + ": no such file";
  if (attributes & (plat::kAttrDirectory | plat::kAttrVolume)) return typed + ": a folder, not a file";
  *refused = true;
  const NameFault fault = CheckWindowsName(TypedName(typed));
  if (fault != NameFault::None)
    return Visible(TypedName(typed)) + ": " + NameFaultWords(fault) +
           "; Windows cannot hold such a name, so no split or join batch is made of it";
  if (plat::SizeOfPath(path) == 0) return typed + " is empty (0 bytes): nothing to split";
  return "";
}

// What a failed run left, said exactly: the completed splits are deleted;
// the split being written never stood under its name.
std::string FailureLine(const std::string& typed, const FileSplittingResult& result) {
  const std::string failed = ShownPath(result.failedPath);
  const std::string why = Because(result.error);
  std::string line;
  switch (result.failure) {
    case SplitFailure::SourceOpen: line = "could not read " + typed + why; break;
    case SplitFailure::ShortRead:
      line = "could not read " + typed + (why.empty() ? ": it ended before its size" : why);
      break;
    case SplitFailure::SplitOpen: line = "could not create " + failed + why; break;
    case SplitFailure::NoMemory: line = "no memory for the file buffer"; break;
    case SplitFailure::BatchName:
      return typed + ": the command interpreter reads join batches in its own code page, which "
             "cannot hold a character of this name; rename the file, or split it with --no-batch";
    default: line = "could not write " + failed + why; break;
  }
  const bool batchFailed = result.completed == result.plan.count;
  if (result.completed > 0)
    line += "; deleted the " + std::to_string(result.completed) +
            (result.completed == 1 ? " split" : " splits") +
            (batchFailed ? " of this run" : " written before it");
  else
    line += "; nothing was written";
  return line;
}

int SplitCommand(const std::vector<std::string>& args) {
  Options options;
  if (!ParseOptions(args, true, &options)) return kExitError;
  const std::string& typed = options.paths[0];

  FileSplittingInput input;
  input.file = ProgramPath(typed);
  input.buffSize = kBuffSize;
  input.joinBatch = !options.noBatch;
  input.checkFile = !options.noCheckFile;
  input.messages = false;  // this file says what went wrong, in its own words
  if (!options.size.empty() && !ParseSize(options.size, &input.splitSize))
    return Error("not a size: " + options.size +
                 " (a number of at least 1 byte, then B, kB, MB, GB or TB)");

  bool refused = false;
  const std::string problem = FileProblem(typed, input.file, &refused);
  if (!problem.empty()) return refused ? Refused(problem) : Error(problem);
  const int64_t fileSize = plat::SizeOfPath(input.file);
  input.folder = options.folder.empty() ? FolderOf(input.file) : ProgramPath(options.folder);
  if (input.folder.size() > 2 && input.folder.back() == '\\') input.folder.pop_back();
  if (!input.folder.empty() && input.folder.back() == ' ')
    return Error(options.folder + ": a folder whose name ends with a blank cannot hold the splits");
  if (!CheckSplitFolder(input.folder))
    return Error(ShownPath(input.folder) + ": no such folder for the splits");

  SplitPlan plan = PlanSplits(fileSize, input.splitSize);
  if (plan.count < 2)
    return Refused(typed + " (" + Number(fileSize) + (fileSize == 1 ? " byte" : " bytes") +
                   ") fits in one split: nothing to split");
  if (plan.count > kMostSplits)
    return Refused(typed + " would need " + std::to_string(plan.count) +
                   " splits; at most 999 can be named");
  if (plan.splitSize > input.splitSize)
    Say("the split size was raised from " + Number(input.splitSize) + " to " + Number(plan.splitSize) +
        " bytes, so that at most 999 splits are needed");
  else if (input.splitSize > kLargestSplit)
    Say("a split holds at most " + Number(kLargestSplit) + " bytes: the split size was lowered to it");

  AnswerOnTerminal(options.yes);
  std::vector<std::string> names;
  for (int k = 1; k <= plan.count; ++k)
    names.push_back(SplitName(input.folder, SplitBaseName(input.file), k));
  ProgressSink report = SplitsReport(names, plan.count);
  JobControl job;
  job.running = true;
  job.keepGoing = true;
  FileSplittingResult result = RunFileSplitting(input, job, &report);

  switch (result.outcome) {
    case SplitOutcome::Done: {
      std::string line = std::to_string(plan.count) + " splits of " + Number(plan.splitSize) +
                         " bytes (the last " + Number(plan.lastSize) + ") in " +
                         ShownPath(input.folder);
      if (!result.batchPath.empty()) line += ", joined again by " + ShownPath(result.batchPath);
      if (!result.checkPath.empty()) line += ", their sums in " + ShownPath(result.checkPath);
      Say(line);
      return kExitOk;
    }
    case SplitOutcome::Declined:
      return Refused(ShownPath(result.failedPath) + " was not replaced; nothing was written");
    case SplitOutcome::Failed:
      if (result.failure == SplitFailure::IsSource)
        return Refused(ShownPath(result.failedPath) + " is " + typed +
                       " itself (a link or another name of it); nothing was written");
      return Error(FailureLine(typed, result));
    case SplitOutcome::Stopped:
    case SplitOutcome::NotStarted: break;
  }
  return Error("the split stopped before its end");
}

int JoinCommand(const std::vector<std::string>& args) {
  Options options;
  if (!ParseOptions(args, false, &options)) return kExitError;

  JoinSet set;
  std::string fault;
  switch (FindJoinSet(ProgramPath(options.paths[0]), &set, &fault)) {
    case JoinProblem::None: break;
    case JoinProblem::NotASplit:
      return Error(options.paths[0] + ": not a join batch (NAME.BAT) or a split (NAME.001)");
    case JoinProblem::NoSplits: return Error("no splits found: " + ShownPath(fault) + " is missing");
    case JoinProblem::MissingSplit:
      return Error(ShownPath(fault) + " is missing; " +
                   (set.batchPath.empty() ? std::string("a file has two splits at least")
                                          : "the batch names " + std::to_string(set.count) + " splits") +
                   "; nothing was joined");
    case JoinProblem::OddSplit:
      return Error(ShownPath(fault) + " (" + Number(plat::SizeOfPath(fault)) + " bytes) breaks the set of " +
                   std::to_string(set.count) + " splits: all but the last have one size, the last " +
                   "is no larger, none is empty; nothing was joined");
  }

  AnswerOnTerminal(options.yes);
  const std::string target = JoinTarget(set);
  if (plat::PathExists(target)) {
    PlayAlert();
    std::string question = Trimmed(GetText(320)) + " " + ShownPath(target) + Trimmed(GetText(321));
    if (AskUser(kAskYesNo, nullptr, GetText(322), question, 0, 0) != kAnswerYes)
      return Refused(ShownPath(target) + " was left as it was");
  }

  ProgressSink report;
  report.setPosition = [&set](int k) {
    if (k > 0) Say("joined " + ShownPath(SplitName(set.folder, set.name, k)) + " (" +
                   std::to_string(k) + "/" + std::to_string(set.count) + ")");
  };
  JobControl job;
  job.running = true;
  job.keepGoing = true;
  std::string damaged;
  if (!JoinSplits(set, kBuffSize, job, &report, &damaged)) {
    if (!damaged.empty())
      return Error(ShownPath(damaged) + " is damaged: its CRC-32 differs from the one in " +
                   ShownPath(set.checkPath) + "; nothing was joined, the splits are kept");
    return Error("could not join into " + ShownPath(target) + Because(plat::LastError()) +
                 "; the splits are kept");
  }
  if (options.remove && !DeleteJoinSet(set))
    return Error("joined " + ShownPath(target) + ", but not every split could be deleted");
  Say("joined " + std::to_string(set.count) + " splits into " + ShownPath(target) +
      (options.remove ? "; splits and batch deleted" : ""));
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return kExitOk;
    }
  }
  if (args.empty()) {
    std::fputs(kUsage, stderr);
    return kExitError;
  }
  UseHostNames();
  LoadBuiltInTexts();
  const int lost = LostArgument();
  if (lost >= 0 && lost < static_cast<int>(args.size()))
    return Error(args[static_cast<size_t>(lost)] +
                 ": this name holds a character the system's code page cannot represent (shown as ?)");
  const std::string command = args[0];
  args.erase(args.begin());
  const struct {
    const char* name;
    int (*run)(const std::vector<std::string>& args);
  } kCommands[] = {{"split", SplitCommand}, {"join", JoinCommand}, {"backup", BackupCommand},
                   {"savelist", SaveListCommand}, {"remove-excess", RemoveExcessCommand},
                   {"test-disk", TestDiskCommand}, {"data2wav", Data2WavCommand},
                   {"wav2data", Wav2DataCommand}, {"ps", PsCommand}, {"restore", RestoreCommand},
                   {"scan", ScanCommand}, {"compare", CompareCommand}};
  for (const auto& known : kCommands)
    if (command == known.name) return known.run(args);
  return Error("unknown command: " + command +
               " (split, join, backup, savelist, restore, scan, compare, remove-excess, test-disk,"
               " data2wav, wav2data or ps; see --help)");
}
