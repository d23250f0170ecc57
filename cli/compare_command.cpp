#include "cli/compare_command.h"

#include <cstdio>

#include "cli/host_path.h"
#include "cli/option_argument.h"
#include "cli/terminal_person.h"
#include "compare/file_comparing.h"
#include "frame/files/folders.h"
#include "frame/platform/platform.h"
#include "frame/threads/job_control.h"

namespace kst {

namespace {

enum ExitCode { kExitEqual = 0, kExitDifferent = 1, kExitTrouble = 2 };

struct CompareOptions {
  std::vector<std::string> paths;
  std::string pattern, clonePattern, info;
  bool recursive = false;
};

bool ParseCompareOptions(const std::vector<std::string>& args, CompareOptions* options) {
  const std::string problem = ReadOptions(args,
                                          {{"--pattern", nullptr, &options->pattern},
                                           {"--clone-pattern", nullptr, &options->clonePattern},
                                           {"--info", nullptr, &options->info},
                                           {"--recursive", &options->recursive}},
                                          &options->paths);
  if (!problem.empty()) return Line(0, problem), false;
  if (options->paths.size() != 2) return Line(0, "give the original and the clone (see --help)"), false;
  return true;
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
    return Line(kExitTrouble, "--pattern goes with a folder: " + options.paths[0] + " is not one");
  const std::string clonePattern = options.clonePattern.empty() ? options.pattern : options.clonePattern;
  if (!SidePath(options.paths[1], clonePattern, &input.clone) && !options.clonePattern.empty())
    return Line(kExitTrouble, "--clone-pattern goes with a folder: " + options.paths[1] + " is not one");
  input.recursive = options.recursive;
  input.saveInfo = !options.info.empty();
  if (input.saveInfo) input.infoPath = ProgramPath(options.info);
  input.messages = false;  // this command says what went wrong, in its own words

  bool unreadable = false;
  ComparingScreen screen;
  screen.pair = [&unreadable](const PairOutcome& pair) { Report(pair, &unreadable); };
  screen.trouble = [](const std::string& path, TreeTrouble kind, uint32_t error) {
    // A name Windows cannot hold is shown as it is, never made into a path.
    Line(0, TroubleLine(kind == TreeTrouble::BadName ? path : ShownPath(path), kind, error));
  };
  JobControl job;
  job.running = true;
  job.keepGoing = true;
  const ComparingResult result = RunComparing(input, job, screen);
  std::fflush(stdout);
  switch (result.end) {
    case ComparingEnd::Refused: {
      const bool missing = result.refusal == CompareRefusal::MissingOriginal ||
                           result.refusal == CompareRefusal::MissingClone;
      return Line(missing ? kExitTrouble : kExitDifferent, Refusal(result.refusal, options));
    }
    case ComparingEnd::InfoOpenFailed:
      return Line(kExitTrouble, "could not create " + ShownPath(input.infoPath) + " (" + result.infoProblem +
                                    "): nothing was compared");
    case ComparingEnd::InfoWriteFailed:
      return Line(kExitTrouble, "could not write " + ShownPath(input.infoPath) +
                                    (result.infoProblem.empty() ? "" : " (" + result.infoProblem + ")") +
                                    ": the comparison stopped");
    case ComparingEnd::Aborted: return Line(kExitTrouble, "the comparison stopped before its end");
    case ComparingEnd::Done: break;
  }
  const ComparingCounts& c = result.counts;
  Line(0, "compared " + std::to_string(c.compared) + ", unmatched " + std::to_string(c.unmatched) +
              ", different contents " + std::to_string(c.differentContents) + ", different sizes " +
              std::to_string(c.differentSizes) +
              (input.saveInfo ? "; details in " + ShownPath(input.infoPath) : std::string()));
  if (result.troubles > 0)
    return Line(kExitTrouble, std::to_string(result.troubles) +
                                  " part(s) could not be read, reached or named: nothing there counts as equal");
  if (unreadable) return kExitTrouble;
  if (c.compared == 0 && c.unmatched == 0) return Line(kExitDifferent, "no original file found");
  return c.unmatched || c.differentContents || c.differentSizes ? kExitDifferent : kExitEqual;
}

}  // namespace kst
