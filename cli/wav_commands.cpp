#include "cli/wav_commands.h"

#include "cli/host_path.h"
#include "cli/option_argument.h"
#include "cli/terminal_person.h"
#include "frame/files/folders.h"
#include "frame/platform/platform.h"
#include "frame/settings/settings.h"
#include "frame/threads/job_control.h"
#include "wav/data2wav.h"
#include "wav/wav2data.h"

namespace kst {

namespace {

std::string Count(uint64_t n) { return std::to_string(static_cast<unsigned long long>(n)); }

// The paths and the one or two names a command takes; with --yes the
// terminal answers every question with yes.
bool ParseWavArgs(const std::vector<std::string>& args, const char* what, std::vector<std::string>* names) {
  bool yes = false;
  const std::string problem = ReadOptions(args, {{"--yes", &yes}}, names);
  if (!problem.empty()) return Line(0, problem), false;
  if (names->empty() || names->size() > 2)
    return Line(0, std::string("give ") + what + " (see --help)"), false;
  AnswerOnTerminal(yes);
  return true;
}

// A run's failure as one line: the window's words, with the paths as the
// terminal knows them and the system's reason where a call failed.
int FailureLine(WavResult result) {
  if (result.fault == WavFault::Declined)
    return Line(kExitRefused, ShownPath(result.failedPath) + " was not replaced; nothing was written");
  // Refusals of what was asked: a name that could not come back, a link.
  const bool refused = result.fault == WavFault::SourceName || result.fault == WavFault::LinkTarget;
  result.failedPath = ShownPath(result.failedPath);
  std::string line = WavFaultText(result);
  if (result.fault == WavFault::OpenFailed || result.fault == WavFault::ReadFailed ||
      result.fault == WavFault::WriteFailed)
    line += " (" + result.failedPath + ")";
  if (result.error != plat::kErrNone && result.error != plat::kErrAlreadyExists)
    line += ": " + plat::ErrorText(result.error);
  return Line(refused ? kExitRefused : kExitError, line);
}

JobControl& RunningJob() {
  static JobControl job;
  job.running = job.keepGoing = true;
  return job;
}

}  // namespace

int Data2WavCommand(const std::vector<std::string>& args) {
  std::vector<std::string> names;
  if (!ParseWavArgs(args, "one file to wrap, and the .wav to make if you like", &names)) return kExitError;
  Data2WavInput input;
  input.source = ProgramPath(names[0]);
  // The target name rule applies to the file's name, never to its folders;
  // a folder given as the target gets FILE's name there.
  std::string target = ProgramPath(names.size() > 1 ? names[1] : names[0]);
  const uint32_t attributes = plat::GetAttributes(target);
  if (names.size() > 1 && attributes != plat::kAttrInvalid && (attributes & plat::kAttrDirectory))
    target = JoinPath(target, FileNameOf(input.source));
  const size_t slash = target.find_last_of('\\');
  input.target = target.substr(0, slash + 1) + WavTargetName(target.substr(slash + 1));
  input.buffSize = kBuffSizeDefault;
  const WavResult result = RunData2Wav(input, RunningJob());
  if (!result.ok()) return FailureLine(result);
  return Line(kExitOk, "wrapped " + Count(result.size) + " bytes in " + ShownPath(result.outputPath) +
                           " (" + Count(WavFileSize(result.size)) + " bytes)");
}

int Wav2DataCommand(const std::vector<std::string>& args) {
  std::vector<std::string> names;
  if (!ParseWavArgs(args, "one .wav, and the folder to restore into if you like", &names)) return kExitError;
  Wav2DataInput input;
  input.wav = ProgramPath(names[0]);
  input.folder = names.size() > 1 ? ProgramPath(names[1]) : FolderOf(input.wav);
  input.buffSize = kBuffSizeDefault;
  WavResult result = RunWav2Data(input, RunningJob());
  if (!result.ok()) return FailureLine(result);
  const std::string restored = "restored " + ShownPath(result.outputPath) + " (" + Count(result.size) + " bytes)";
  if (result.badBlocks == 0) return Line(kExitOk, restored + "; every block's sum matched");
  result.reportPath = ShownPath(result.reportPath);
  return Line(kExitRefused, restored + "; " + BadBlocksText(result));
}

}  // namespace kst
