#include "cli/test_disk_command.h"

#include "backup/run_settings.h"
#include "cli/backup_terminal.h"
#include "cli/host_path.h"
#include "cli/option_argument.h"
#include "cli/size_argument.h"
#include "cli/terminal_person.h"
#include "disktest/disk_test.h"
#include "frame/dialogs/ask.h"
#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "frame/threads/job_control.h"

namespace kst {

namespace {

constexpr int kExitFlaws = kExitRefused;

struct TestDiskOptions {
  std::vector<std::string> drives;
  std::string diskSize, command;
};

bool ParseTestDiskOptions(const std::vector<std::string>& args, TestDiskOptions* o) {
  const std::string problem = ReadOptions(
      args, {{"--disk-size", nullptr, &o->diskSize}, {"--new-disk-command", nullptr, &o->command}}, &o->drives);
  if (!problem.empty()) return Line(0, problem), false;
  if (o->drives.size() == 1) return true;
  return Line(0, "give exactly one drive or folder to test (see --help)"), false;
}

// Why the test cannot start, as one line; "" when it can.
std::string StartProblem(const DiskTestSettings& settings) {
  const std::string root = TestRoot(settings);
  if (settings.diskSize > 0) {
    const uint32_t attributes = plat::GetAttributes(root);
    if (attributes == plat::kAttrInvalid || !(attributes & plat::kAttrDirectory))
      return ShownPath(settings.drive) + ": no such folder";
    return "";
  }
  if (root.empty() || WithOneBackslash(settings.drive) != root)
    return settings.drive + ": not a drive; a folder stands for a disk only with --disk-size N";
  if (plat::DriveType(root) != plat::kDriveRemovable)
    return settings.drive +
           ": not a removable drive; a fixed disk's free space is never filled "
           "(a folder stands for a disk of N bytes with --disk-size N)";
  return "";
}

}  // namespace

int TestDiskCommand(const std::vector<std::string>& args) {
  TestDiskOptions o;
  if (!ParseTestDiskOptions(args, &o)) return kExitError;
  DiskTestSettings settings;
  settings.drive = ProgramPath(o.drives[0]);
  if (settings.drive.size() == 2 && settings.drive[1] == ':') settings.drive += '\\';
  if (!o.diskSize.empty() && !ParseSize(o.diskSize, &settings.diskSize))
    return Line(kExitError, "not a disk size: " + o.diskSize +
                                " (a number of at least 1 byte, then B, kB, MB, GB or TB)");
  settings.temporary = plat::TempFolder();
  settings.silent = true;
  const std::string problem = StartProblem(settings);
  if (!problem.empty()) return Line(kExitError, problem);

  // The messages of the run, each on one line; no question is asked.
  SetAskHandler([](const AskRequest& request) {
    plat::WriteStandardError("kestrova-cli: " + Trimmed(request.heading) + ": " +
                             ShownMessage(request.message) + "\n");
    return static_cast<int>(request.style == kAskOk ? kAnswerOk : kAnswerNo);
  });
  TerminalDisks disks;
  disks.command = o.command;
  disks.folder = o.drives[0];
  const BackupPerson terminal = TerminalBackupPerson(&disks);
  DiskTestRun run;
  run.settings = settings;
  run.person.insertDisk = terminal.insertDisk;
  // Nothing is erased from the terminal: a disk that holds files is refused.
  run.person.diskNotEmpty = [&disks](const NotEmptyPrompt& busy, bool* autoErase) {
    *autoErase = false;
    disks.stopped = disks.folder + " holds " + std::to_string(busy.files) +
                    (busy.files == 1 ? " file" : " files") + "; a disk to test must be empty: stopped";
    return PromptAnswer::Closed;
  };
  run.person.status = [](const std::string& text) {
    plat::WriteStandardError("kestrova-cli: " + text + "\n");
  };
  JobControl job;
  job.running = true;
  job.keepGoing = true;
  run.job = &job;
  const DiskTestResult result = RunDiskTest(run);
  // Files left behind are trouble whatever the verdict; they were listed above.
  const std::string leftBehind = result.undeleted.empty() ? std::string()
                                 : "; " + std::to_string(result.undeleted.size()) +
                                       " file(s) of the test could not be deleted";

  switch (result.outcome) {
    case DiskTestOutcome::NoFlaws:
      return Line(leftBehind.empty() ? kExitOk : kExitError,
                  "both disks read back equal (" + std::to_string(result.sizes[0]) + " and " +
                      std::to_string(result.sizes[1]) + " bytes)" + leftBehind);
    case DiskTestOutcome::Flaws: {
      std::string line = "flaws found:";
      for (int k = 0; k < 2; ++k) {
        const CompareResult& c = result.compared[k];
        line += " disk " + std::to_string(k + 1) +
                (c.outcome == CompareOutcome::Equal       ? std::string(" read back equal")
                 : c.outcome == CompareOutcome::Different ? " differs at byte " + std::to_string(c.position)
                                                          : std::string(" could not be read back whole"));
        line += k == 0 ? ";" : "";
      }
      return Line(leftBehind.empty() ? kExitFlaws : kExitError, line + leftBehind);
    }
    case DiskTestOutcome::Stopped:
      break;
  }
  return Line(kExitError,
              (disks.stopped.empty() ? std::string("the test stopped before its end") : disks.stopped) + leftBehind);
}

}  // namespace kst
