#include "cli/backup_terminal.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "cli/host_path.h"
#include "cli/terminal_person.h"
#include "frame/files/folders.h"
#include "frame/platform/platform.h"

namespace kst {

namespace {

void Say(const std::string& line) { Line(kExitOk, line); }

// One line from the terminal; false at the end of input.
bool ReadLine(std::string* line) {
  std::fflush(stderr);
  return static_cast<bool>(std::getline(std::cin, *line));
}

// Waits for Enter; false (with why) when the user typed a or input ended.
PromptAnswer WaitForEnter(TerminalDisks* disks, const std::string& what) {
  plat::WriteStandardError("kestrova-cli: " + what + ": press Enter to go on, or a and Enter to stop ");
  std::string line;
  if (!ReadLine(&line)) {
    plat::WriteStandardError("\n");
    disks->stopped = "no answer at the prompt (end of input): stopped";
    return PromptAnswer::Closed;
  }
  if (!line.empty() && (line[0] == 'a' || line[0] == 'A')) {
    disks->stopped = "stopped at the prompt";
    return PromptAnswer::Closed;
  }
  return PromptAnswer::Go;
}

// What the disk folder holds (names, sizes, times), or why it cannot be listed.
std::string Listing(const std::string& folder) {
  plat::FindEntry entry;
  const plat::FindHandle find = plat::FindFirst(JoinPath(folder, "*.*"), &entry);
  if (find == plat::kNoFind) return "not listed: " + plat::ErrorText(plat::LastError());
  std::string listing;
  do {
    listing += entry.name + "|" + std::to_string(entry.size) + "|" + std::to_string(entry.times.write) + "\n";
  } while (plat::FindNext(find, &entry));
  plat::FindClose(find);
  return listing;
}

// An answer given: Go, unless it is the third in a row that left the disk
// folder (and what the prompt says) as it was; then the run stops, saying why.
PromptAnswer GoUnlessStuck(TerminalDisks* disks, PromptRepeats* repeats, const std::string& prompt,
                           const std::string& why, const std::string& hint = "") {
  if (!GivesUp(repeats, prompt + "\n" + Listing(disks->diskFolder))) return PromptAnswer::Go;
  disks->stopped = why + " " + std::to_string(kSameAnswersAtMost) + " times in a row and nothing changed in " +
                   disks->folder + hint + ": stopped";
  return PromptAnswer::Closed;
}

PromptAnswer DiskChange(TerminalDisks* disks, const DiskPrompt& prompt) {
  const char* kind = prompt.verifying ? "verify-disk" : "new-disk";
  const std::string which = "disk " + std::to_string(prompt.disk);
  // Verifying, the disks asked for are counted, not named: what is still
  // to read tells one answer from the next.
  const std::string state = prompt.verifying ? "verify " + std::to_string(prompt.toGo) : "new " + which;
  const std::string why =
      prompt.verifying ? "a disk to verify (" + std::to_string(prompt.toGo) + " split(s) still unread) was asked for"
                       : which + " was asked for";
  const std::string hint = prompt.verifying ? "" : " (full, not writable or not there)";
  if (disks->command.empty()) {
    const PromptAnswer answer = WaitForEnter(disks, ShownMessage(prompt.message) + " (" +
                                                        (prompt.verifying ? "verifying, " : "") + which + " in " +
                                                        disks->folder + ")");
    return answer == PromptAnswer::Go ? GoUnlessStuck(disks, &disks->diskAsked, state, why, hint) : answer;
  }
  const int status = RunDiskCommand(disks->command, kind, prompt.disk);
  if (status == 0) return GoUnlessStuck(disks, &disks->diskAsked, state, why, hint);
  disks->stopped = "the new-disk command " +
                   (status < 0 ? std::string("could not be run or was killed")
                               : "exited with status " + std::to_string(status)) +
                   " at the " + kind + " prompt for " + which + ": stopped";
  return PromptAnswer::Closed;
}

}  // namespace

int RunDiskCommand(const std::string& command, const std::string& prompt, int disk) {
  std::fflush(stdout);
  std::fflush(stderr);
#ifdef _WIN32
  // _putenv copies its text; XP's C runtime has no _putenv_s.
  _putenv(("KESTROVA_PROMPT=" + prompt).c_str());
  _putenv(("KESTROVA_DISK=" + std::to_string(disk)).c_str());
  return std::system(command.c_str());
#else
  setenv("KESTROVA_PROMPT", prompt.c_str(), 1);
  setenv("KESTROVA_DISK", std::to_string(disk).c_str(), 1);
  const int status = std::system(command.c_str());
  return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

std::string CutAgainFolder(const std::string& newTemporary) {
  std::string folder = newTemporary;
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  const size_t slash = folder.rfind('\\');
  return slash == std::string::npos ? newTemporary : folder.substr(0, slash + 1);
}

std::string ShownMessage(const std::string& message) {
  std::string flat;
  for (size_t i = 0; i < message.size(); ++i) {
    // A program path ("Z:\...") runs to the end of its line or to ", ".
    const bool pathStart = i + 2 < message.size() && std::isalpha(static_cast<unsigned char>(message[i])) &&
                           message[i + 1] == ':' && message[i + 2] == '\\' &&
                           (i == 0 || message[i - 1] == ' ' || message[i - 1] == '\n');
    if (pathStart) {
      size_t end = message.find_first_of("\r\n", i);
      if (end == std::string::npos) end = message.size();
      const size_t comma = message.find(", ", i);
      if (comma != std::string::npos && comma < end) end = comma;
      flat += ShownPath(message.substr(i, end - i));
      i = end - 1;
      continue;
    }
    if (message[i] == '\r') continue;
    if (message[i] == '\n') {
      if (!flat.empty() && flat.back() != ' ') flat += ' ';
      continue;
    }
    flat += message[i];
  }
  while (!flat.empty() && flat.back() == ' ') flat.pop_back();
  return flat;
}

BackupPerson TerminalBackupPerson(TerminalDisks* disks) {
  BackupPerson person;
  person.insertDisk = [disks](const DiskPrompt& prompt, bool* autoErase) {
    *autoErase = false;  // nothing is erased from the terminal
    return DiskChange(disks, prompt);
  };
  person.diskNotEmpty = [disks](const NotEmptyPrompt& busy, bool* autoErase) {
    *autoErase = false;
    const std::string what = disks->folder + " holds " + std::to_string(busy.files) +
                             (busy.files == 1 ? " file" : " files") + "; only the room left is used";
    PromptAnswer answer = PromptAnswer::Go;
    if (disks->yes || !disks->command.empty()) Say(what);
    else answer = WaitForEnter(disks, what);
    return answer == PromptAnswer::Go
               ? GoUnlessStuck(disks, &disks->notEmpty, std::to_string(busy.freeBytes), disks->folder + " was found not empty")
               : answer;
  };
  person.cdSize = [](int64_t*) { return PromptAnswer::Go; };
  person.filesReady = [disks](const FilesReadyPrompt& ready) {
    const std::string what = "the files of CD " + std::to_string(ready.cd) + " (" +
                             std::to_string(ready.bytesReady) + " bytes) are ready in " + ShownPath(ready.folder);
    const PromptAnswer answer = WaitForEnter(disks, what + "; burn them");
    return answer == PromptAnswer::Go ? GoUnlessStuck(disks, &disks->filesReady, what, what + "; this was answered")
                                      : answer;
  };
  // The splits cut again stay where they were cut, in the folder that
  // holds the new one; the new one is for the next run's own.
  person.temporaryChosen = [](const std::string& folder) {
    Say("the splits to carry again are in " + ShownPath(CutAgainFolder(folder)) +
        "; the list's temporary folder is now " + ShownPath(folder));
  };
  return person;
}

}  // namespace kst
