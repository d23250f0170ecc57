// kestrova-cli: File Splitting's split, and the join its batch does, from a
// terminal. Every rule, name and byte comes from the same core as the
// program's window; this file only reads the command line and reports.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/host_path.h"
#include "cli/terminal_person.h"
#include "frame/ask.h"
#include "frame/folders.h"
#include "frame/job_control.h"
#include "frame/language_files.h"
#include "frame/platform/platform.h"
#include "frame/settings.h"
#include "frame/text_numbers.h"
#include "frame/texts.h"
#include "split/file_splitting.h"
#include "split/join_splits.h"
#include "split/split_sizes.h"

namespace {

using namespace kst;

enum ExitCode { kExitOk = 0, kExitRefused = 1, kExitError = 2 };

constexpr uint32_t kBuffSize = kBuffSizeDefault;  // the cli reads no settings file

const char kUsage[] =
    "usage: kestrova-cli split FILE [--size N[B|kB|MB|GB|TB]] [--folder DIR] [--no-batch] [--yes]\n"
    "       kestrova-cli join NAME.BAT|NAME.001 [--delete] [--yes]\n"
    "\n"
    "split  cuts FILE into NAME.001, NAME.002, ... of the given size (default\n"
    "       1457664 bytes, a 1.44 MB floppy) in DIR (default: FILE's folder) and\n"
    "       writes NAME.BAT, which joins them again with the system's copy command.\n"
    "       A split that exists already is replaced only when you say so (--yes: always).\n"
    "join   rebuilds NAME from its splits, in number order, as NAME.BAT would;\n"
    "       --delete then removes the splits and the batch.\n"
    "\n"
    "exit status: 0 done, 1 refused (nothing to do, or a No to a question), 2 error\n";

int Error(const std::string& line) {
  plat::WriteStandardError("kestrova-cli: " + line + "\n");
  return kExitError;
}

int Refused(const std::string& line) {
  plat::WriteStandardError("kestrova-cli: " + line + "\n");
  return kExitRefused;
}

void Say(const std::string& line) { plat::WriteStandardError("kestrova-cli: " + line + "\n"); }

std::string Number(int64_t value) { return std::to_string(static_cast<long long>(value)); }

// "1423.5kB" into bytes by the size field's rules; false for anything else.
bool ParseSize(const std::string& text, int64_t* bytes) {
  size_t end = 0;
  int points = 0, digits = 0;
  while (end < text.size() && ((text[end] >= '0' && text[end] <= '9') || text[end] == '.')) {
    if (text[end] == '.') ++points;
    else ++digits;
    ++end;
  }
  if (digits == 0 || points > 1) return false;
  const std::string unitText = text.substr(end);
  int unit = 0;
  if (!unitText.empty()) {
    unit = SizeUnitOf(unitText);
    if (!SameText(unitText, SizeUnitText(unit))) return false;
  }
  *bytes = SizeFieldBytes(text.substr(0, end), unit);
  return true;
}

struct Options {
  std::vector<std::string> paths;
  std::string size;
  std::string folder;
  bool noBatch = false;
  bool yes = false;
  bool remove = false;
};

// Reads the arguments after the command; false (with a line said) on an
// unknown option or a missing value.
bool ParseOptions(const std::vector<std::string>& args, bool split, Options* options) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    bool hasValue = i + 1 < args.size();
    if (split && a == "--size" && hasValue) {
      options->size = args[++i];
    } else if (split && a == "--folder" && hasValue) {
      options->folder = args[++i];
    } else if (split && a == "--no-batch") {
      options->noBatch = true;
    } else if (a == "--yes") {
      options->yes = true;
    } else if (!split && a == "--delete") {
      options->remove = true;
    } else if (a.size() > 1 && a[0] == '-') {
      Error("unknown option or missing value: " + a + " (see --help)");
      return false;
    } else {
      options->paths.push_back(a);
    }
  }
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

int SplitCommand(const std::vector<std::string>& args) {
  Options options;
  if (!ParseOptions(args, true, &options)) return kExitError;

  FileSplittingInput input;
  input.file = ProgramPath(options.paths[0]);
  input.buffSize = kBuffSize;
  input.joinBatch = !options.noBatch;
  if (!options.size.empty() && !ParseSize(options.size, &input.splitSize))
    return Error("not a size: " + options.size + " (a number, then B, kB, MB, GB or TB)");

  FileCheck file = CheckFileToSplit(input.file);
  if (!file.ok) return Error(options.paths[0] + ": no file to split (missing, empty or a folder)");
  input.folder = options.folder.empty() ? FolderOf(input.file) : ProgramPath(options.folder);
  if (input.folder.size() > 2 && input.folder.back() == '\\') input.folder.pop_back();
  if (!CheckSplitFolder(input.folder))
    return Error(ShownPath(input.folder) + ": no such folder for the splits");

  SplitPlan plan = PlanSplits(file.size, input.splitSize);
  if (plan.count < 2)
    return Refused(options.paths[0] + " fits one split of " + Number(plan.splitSize) +
                   " bytes: nothing to split");
  if (plan.count > kMostSplits)
    return Refused(options.paths[0] + " would need " + std::to_string(plan.count) +
                   " splits; at most 999 can be named");

  AnswerOnTerminal(options.yes);
  std::vector<std::string> names;
  for (int k = 1; k <= plan.count; ++k)
    names.push_back(SplitName(input.folder, SplitBaseName(input.file), k));
  ProgressSink report = SplitsReport(names, plan.count);
  JobControl job;
  job.running = true;
  job.keepGoing = true;
  FileSplittingResult result = RunFileSplitting(input, job, &report);

  if (result.outcome == SplitOutcome::Done) {
    std::string line = std::to_string(plan.count) + " splits of " + Number(plan.splitSize) +
                       " bytes (the last " + Number(plan.lastSize) + ") in " +
                       ShownPath(input.folder);
    if (!result.batchPath.empty()) line += ", joined again by " + ShownPath(result.batchPath);
    Say(line);
    return kExitOk;
  }
  if (result.failure == SplitFailure::Refused)
    return Refused(ShownPath(result.failedPath) +
                   " was not replaced; the splits made before it were deleted");
  std::string what = "could not write " + ShownPath(result.failedPath);
  if (result.failure == SplitFailure::ShortRead || result.failure == SplitFailure::SourceOpen)
    what = "could not read " + options.paths[0];
  return Error(what + "; the splits of this run were deleted");
}

int JoinCommand(const std::vector<std::string>& args) {
  Options options;
  if (!ParseOptions(args, false, &options)) return kExitError;

  JoinSet set;
  std::string missing;
  switch (FindJoinSet(ProgramPath(options.paths[0]), &set, &missing)) {
    case JoinProblem::None: break;
    case JoinProblem::NotASplit:
      return Error(options.paths[0] + ": not a join batch (NAME.BAT) or a split (NAME.001)");
    case JoinProblem::NoSplits: return Error("no splits found: " + ShownPath(missing) + " is missing");
    case JoinProblem::MissingSplit:
      return Error(ShownPath(missing) + " is missing; the batch names " +
                   std::to_string(set.count) + " splits");
  }

  AnswerOnTerminal(options.yes);
  const std::string target = JoinTarget(set);
  if (plat::SizeOfPath(target) > 0) {
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
  if (!JoinSplits(set, kBuffSize, job, &report))
    return Error("could not join into " + ShownPath(target) + "; the splits are kept");
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
  LoadBuiltInTexts();
  const std::string command = args[0];
  args.erase(args.begin());
  if (command == "split") return SplitCommand(args);
  if (command == "join") return JoinCommand(args);
  return Error("unknown command: " + command + " (split or join; see --help)");
}
