#include "cli/compare_command.h"

#include <cstdio>

#include "cli/host_path.h"
#include "cli/option_argument.h"
#include "compare/file_comparing.h"
#include "frame/job_control.h"
#include "frame/platform/platform.h"

namespace kst {

namespace {

enum ExitCode { kExitEqual = 0, kExitDifferent = 1, kExitTrouble = 2 };

int Say(const std::string& line, int code) {
  plat::WriteStandardError("kestrova-cli: " + line + "\n");
  return code;
}

struct CompareOptions {
  std::vector<std::string> paths;
  std::string pattern, clonePattern, info;
  bool recursive = false;
};

bool ParseCompareOptions(const std::vector<std::string>& args, CompareOptions* options) {
  for (size_t i = 0; i < args.size(); ++i) {
    std::string option = args[i], value;
    const bool joined = SplitJoinedOption(&option, &value);
    std::string* into = option == "--pattern"         ? &options->pattern
                        : option == "--clone-pattern" ? &options->clonePattern
                        : option == "--info"          ? &options->info
                                                      : nullptr;
    if (into) {
      if (!joined && i + 1 >= args.size()) return Say(option + " needs a value (see --help)", 0), false;
      *into = joined ? value : args[++i];
    } else if (!joined && option == "--recursive") {
      options->recursive = true;
    } else if (option.size() > 1 && option[0] == '-') {
      return Say("unknown option: " + args[i] + " (see --help)", 0), false;
    } else {
      options->paths.push_back(args[i]);
    }
  }
  if (options->paths.size() != 2) return Say("give the original and the clone (see --help)", 0), false;
  return true;
}

bool IsFolder(const std::string& path) {
  const uint32_t a = plat::GetAttributes(path);
  return a != plat::kAttrInvalid && (a & plat::kAttrDirectory);
}

// A folder with the pattern for its files; a file (or a typed pattern) as it is.
bool SidePath(const std::string& typed, const std::string& pattern, std::string* path) {
  *path = ProgramPath(typed);
  if (!IsFolder(*path)) return pattern.empty();
  if (path->back() != '\\') *path += "\\";
  *path += pattern.empty() ? "*.*" : pattern;
  return true;
}

std::string Refusal(CompareRefusal refusal, const CompareOptions& o) {
  switch (refusal) {
    case CompareRefusal::BlankOriginal: return "no original given";
    case CompareRefusal::BlankClone: return "no clone given";
    case CompareRefusal::MissingOriginal: return o.paths[0] + ": no such file or folder";
    case CompareRefusal::MissingClone: return o.paths[1] + ": no such file or folder";
    case CompareRefusal::SamePath: return "the original and the clone are the same files";
    case CompareRefusal::BlankInfo: return o.info + ": not a file name for the information";
    case CompareRefusal::InfoIsCompared:
      return o.info + " is one of the files compared: choose another information file";
    case CompareRefusal::None: break;
  }
  return "";
}

// One line on stdout for each pair that is not equal.
void Report(const PairOutcome& pair, bool* unreadable) {
  std::string line;
  const std::string both = ShownPath(pair.originalPath) + " " + ShownPath(pair.clonePath);
  if (pair.unmatched) line = "unmatched: " + ShownPath(pair.originalPath);
  else if (pair.differentContent && pair.position == -2) line = "unreadable: " + both, *unreadable = true;
  else if (pair.differentContent) line = "differ: " + both + " at byte " + std::to_string(pair.position);
  else if (pair.differentSizes)
    line = "sizes differ: " + both + " (" + std::to_string(pair.originalSize) + " vs " +
           std::to_string(pair.cloneSize) + " bytes, equal as far as the shorter goes)";
  if (!line.empty()) std::printf("%s\n", line.c_str());
}

}  // namespace

int CompareCommand(const std::vector<std::string>& args) {
  CompareOptions options;
  if (!ParseCompareOptions(args, &options)) return kExitTrouble;
  ComparingInput input;
  if (!SidePath(options.paths[0], options.pattern, &input.original))
    return Say("--pattern goes with a folder: " + options.paths[0] + " is not one", kExitTrouble);
  const std::string clonePattern = options.clonePattern.empty() ? options.pattern : options.clonePattern;
  if (!SidePath(options.paths[1], clonePattern, &input.clone) && !options.clonePattern.empty())
    return Say("--clone-pattern goes with a folder: " + options.paths[1] + " is not one", kExitTrouble);
  input.recursive = options.recursive;
  input.saveInfo = !options.info.empty();
  if (input.saveInfo) input.infoPath = ProgramPath(options.info);
  input.messages = false;  // this command says what went wrong, in its own words

  bool unreadable = false;
  ComparingScreen screen;
  screen.pair = [&unreadable](const PairOutcome& pair) { Report(pair, &unreadable); };
  JobControl job;
  job.running = true;
  job.keepGoing = true;
  const ComparingResult result = RunComparing(input, job, screen);
  std::fflush(stdout);
  switch (result.end) {
    case ComparingEnd::Refused: {
      const bool missing = result.refusal == CompareRefusal::MissingOriginal ||
                           result.refusal == CompareRefusal::MissingClone;
      return Say(Refusal(result.refusal, options), missing ? kExitTrouble : kExitDifferent);
    }
    case ComparingEnd::InfoOpenFailed:
      return Say("could not create " + ShownPath(input.infoPath) + ": nothing was compared", kExitTrouble);
    case ComparingEnd::InfoWriteFailed:
      return Say("could not write " + ShownPath(input.infoPath) + ": the comparison stopped", kExitTrouble);
    case ComparingEnd::Aborted: return Say("the comparison stopped before its end", kExitTrouble);
    case ComparingEnd::Done: break;
  }
  const ComparingCounts& c = result.counts;
  Say("compared " + std::to_string(c.compared) + ", unmatched " + std::to_string(c.unmatched) +
          ", different contents " + std::to_string(c.differentContents) + ", different sizes " +
          std::to_string(c.differentSizes) +
          (input.saveInfo ? "; details in " + ShownPath(input.infoPath) : std::string()),
      0);
  if (unreadable) return kExitTrouble;
  if (c.compared == 0 && c.unmatched == 0) return Say("no original file found", kExitDifferent);
  return c.unmatched || c.differentContents || c.differentSizes ? kExitDifferent : kExitEqual;
}

}  // namespace kst
