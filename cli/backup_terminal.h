// The person of a backup run at the terminal: each disk change runs the
// user's command or waits for Enter, and the program's messages become
// single stderr lines with host paths.
#pragma once

#include <string>

#include "backup/backup_person.h"
#include "frame/threads/prompt_repeats.h"

namespace kst {

struct TerminalDisks {
  std::string command;     // run at each disk change; "" = ask on the terminal
  std::string folder;      // the destination as the user typed it, for the prompts
  std::string diskFolder;  // the destination as the program knows it
  bool yes = false;        // a disk that holds files is used as it is without asking
  std::string stopped;     // why a prompt stopped the run ("" when none did)
  // A disk the run keeps refusing (full, not writable, not the one asked
  // for) must not be asked for for ever: each prompt notes what the disk
  // folder held after its answer.
  PromptRepeats diskAsked, notEmpty, filesReady;
};

// The prompts of a run, answered by the command or on the terminal.
BackupPerson TerminalBackupPerson(TerminalDisks* disks);
// Runs command with KESTROVA_PROMPT and KESTROVA_DISK set; its exit status
// (-1 when it could not be run or was killed).
int RunDiskCommand(const std::string& command, const std::string& prompt, int disk);
// Where the verification cut the splits to carry again: the folder that
// holds the run's new temporary folder (with its backslash).
std::string CutAgainFolder(const std::string& newTemporary);
// message with its program paths as the user knows them, on one line.
std::string ShownMessage(const std::string& message);

}  // namespace kst
