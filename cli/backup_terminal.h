// The person of a backup run at the terminal: each disk change runs the
// user's command or waits for Enter, and the program's messages become
// single stderr lines with host paths.
#pragma once

#include <string>

#include "backup/backup_person.h"

namespace kst {

struct TerminalDisks {
  std::string command;  // run at each disk change; "" = ask on the terminal
  std::string folder;   // the destination as the user typed it, for the prompts
  bool yes = false;     // a disk that holds files is used as it is without asking
  std::string stopped;  // why a prompt stopped the run ("" when none did)
  // The last disk the command was run for, and how often in a row: a disk
  // the run keeps refusing (full, or not writable) must not loop for ever.
  std::string lastPrompt;
  int repeats = 0;
};

// A command run this often in a row for the same disk stops the run.
constexpr int kMostTriesPerDisk = 3;

// The prompts of a run, answered by the command or on the terminal.
BackupPerson TerminalBackupPerson(TerminalDisks* disks);
// Runs command with KESTROVA_PROMPT and KESTROVA_DISK set; its exit status
// (-1 when it could not be run or was killed).
int RunDiskCommand(const std::string& command, const std::string& prompt, int disk);
// message with its program paths as the user knows them, on one line.
std::string ShownMessage(const std::string& message);

}  // namespace kst
