#include "cli/remove_excess_command.h"

#include "cli/host_path.h"
#include "cli/option_argument.h"
#include "cli/terminal_person.h"
#include "frame/dialogs/ask.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "frame/threads/job_control.h"
#include "remover/excess_removal.h"

namespace kst {

namespace {

std::string Number(int64_t n) { return std::to_string(static_cast<long long>(n)); }

struct RemoveOptions {
  std::vector<std::string> folders;
  std::string pattern = "*.*", log;
  bool recursive = false, simulate = false, yes = false;
};

}  // namespace

int RemoveExcessCommand(const std::vector<std::string>& args) {
  RemoveOptions o;
  const std::string problem = ReadOptions(args,
                                          {{"--pattern", nullptr, &o.pattern},
                                           {"--log", nullptr, &o.log},
                                           {"--recursive", &o.recursive},
                                           {"--simulate", &o.simulate},
                                           {"--yes", &o.yes}},
                                          &o.folders);
  if (!problem.empty()) return Line(kExitError, problem);
  if (o.folders.size() != 2) return Line(kExitError, "remove-excess needs BASE and TARGET (see --help)");
  if (o.pattern.empty()) return Line(kExitError, "--pattern needs a pattern such as *.txt");

  RemoverInput input;
  input.base = ProgramPath(o.folders[0]);
  input.target = ProgramPath(o.folders[1]);
  input.pattern = o.pattern;
  input.recurse = o.recursive;
  input.simulate = o.simulate;
  input.log = !o.log.empty();
  if (input.log) input.logPath = ProgramPath(o.log);
  input.silent = true;

  AnswerOnTerminal(o.yes);
  if (RefuseRemoverInput(input)) return Line(kExitRefused, "nothing was read, deleted or written");
  if (!o.simulate) {
    const std::string question = "Delete from " + ShownPath(input.target) +
                                 " every file that is byte for byte the same as its namesake in " +
                                 ShownPath(input.base) + "?";
    if (AskUser(kAskYesNo, nullptr, Trimmed(GetText(816)), question, 0, 0) != kAnswerYes)
      return Line(kExitRefused, "nothing was deleted");
  }

  JobControl job;
  job.running = true;
  job.keepGoing = true;
  RemoverReport report;
  report.trouble = [](const std::string& path, TreeTrouble kind, uint32_t error) {
    // A name Windows cannot hold is shown as it is, never made into a path.
    Line(0, TroubleLine(kind == TreeTrouble::BadName ? path : ShownPath(path), kind, error));
  };
  const RemoverResult result = RunExcessRemoval(input, job, &report);
  if (result.outcome == RemoverOutcome::Refused) return kExitRefused;
  const RemoverCounts& c = result.counts;
  Line(0, std::string(o.simulate ? "would remove " : "removed ") + Number(c.removed) + " of " +
              Number(c.insideTarget) + " files in " + ShownPath(input.target) + "; " +
              Number(c.unmatched) + " of " + Number(c.insideBase) +
              " Base files have no counterpart there, listed in " + ShownPath(result.batchPath) +
              (result.logWritten ? "; log in " + ShownPath(input.logPath) : ""));
  if (result.outcome != RemoverOutcome::Done) return Line(kExitError, "the run stopped before its end");
  if (c.troubles > 0)
    return Line(kExitError, Number(c.troubles) +
                                " part(s) could not be read, reached or named, or are links: left alone and out of the batch");
  return kExitOk;
}

}  // namespace kst
