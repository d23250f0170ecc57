// The person a Split &/Or Copy run talks to while it works: every prompt of
// the run as a function that returns the person's choice. The window fills
// it with its dialogs, kestrova-cli with the terminal, the tests with a
// script. An empty function answers as a prompt closed by Exit: an abort.
// Messages and questions go through AskUser.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace kst {

enum class PromptAnswer {
  Go,       // Proceed / Go ahead / Next Disk / OK
  Refresh,  // disk not empty: read the disk again
  Abort,    // the abort button: the abort question decides
  Closed,   // closed by Exit: an abort without a question
};

// The new disk prompt, also asked for each disk of the verification.
struct DiskPrompt {
  bool verifying = false;
  std::string message;  // the prompt's whole text, built from the text table
  std::string drive;    // "A:"
  int disk = 1;         // new disk: the disk about to be filled; verifying: disks asked for in this pass
  int64_t toGo = 0;     // verifying: splits still to read back
  bool eraseShown = true;  // the Auto Erase box is shown (never while verifying)
};

// A disk that is not empty.
struct NotEmptyPrompt {
  std::string drive;  // "A:"
  int64_t freeBytes = 0;
  int64_t totalBytes = 0;
  int64_t files = 0;  // files at least inside
  bool eraseShown = true;
};

// The CD folder variant: a CD's files are ready to be burned.
struct FilesReadyPrompt {
  int cd = 1;
  int64_t bytesReady = 0;
  std::string folder;  // where they are
};

// The figures the window shows, updated after every step.
struct BackupFigures {
  int64_t numberOfDisks = 0;
  int64_t disksDone = 0;
  int64_t disksLeft = 0;
  int64_t startTime = 0;  // seconds after midnight
  int64_t eta = 0;        // seconds after midnight
  int64_t timeLeft = 0;   // seconds
  int64_t totalSize = 0;
  int64_t totalDone = 0;
};

struct BackupPerson {
  // Prompts (templates 115, 116, 169, 168). autoErase carries the box's
  // state in and out.
  std::function<PromptAnswer(const DiskPrompt&, bool* autoErase)> insertDisk;
  std::function<PromptAnswer(const NotEmptyPrompt&, bool* autoErase)> diskNotEmpty;
  std::function<PromptAnswer(int64_t* cdSize)> cdSize;  // in: the size shown; out: the chosen one
  std::function<PromptAnswer(const FilesReadyPrompt&)> filesReady;
  // Reports: the figures, a status line, and the new temporary folder the
  // run chose for the splits still to carry.
  std::function<void(const BackupFigures&)> figures;
  std::function<void(const std::string& text)> status;
  std::function<void(const std::string& folder)> temporaryChosen;
};

}  // namespace kst
