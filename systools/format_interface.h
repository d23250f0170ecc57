// What the Format Interface does apart from its window: the removable
// drives it offers, the checks before the system's format dialog is
// started for one of them, one format at a time, and the result messages.
// The system is reached through a FormatSystem, the person through AskUser
// and the system's own message box, so that every path runs in tests.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "frame/dialogs/ask.h"
#include "systools/systools_records.h"

namespace kst {

struct FormatDrive {
  std::string name;  // "A:"
  int number = 0;    // 0 for A:
  bool available = true;
};

struct FormatSystem {
  // The drive type of a root ("A:\").
  std::function<uint32_t(const std::string& root)> driveType;
  // Runs the system's format dialog for drive number; its answer.
  std::function<uint32_t(int driveNumber)> format;
  // The system's message box: exclamation icon, brought to the front.
  std::function<void(const std::string& title, const std::string& text)> systemBox;
  // Whether a running backup, restore or disk test uses the drive.
  std::function<bool(const std::string& name)> inUse;
  // Runs while the format dialog is open (on) and after it (off).
  std::function<void(bool formatting)> formatting;
  // Folders on the drives that are never formatted.
  std::string windowsFolder;
  std::string startFolder;
};

// The answers of the system's format call.
constexpr uint32_t kFormatError = 0xFFFFFFFF;
constexpr uint32_t kFormatCancelled = 0xFFFFFFFE;
constexpr uint32_t kFormatImpossible = 0xFFFFFFFD;

struct FormatInterface {
  std::vector<FormatDrive> drives;
  int selected = -1;
  bool formatting = false;
  int boxRecord = kFormatBoxRecord;
  int ownerRecord = kFormatRecord;
  WindowRef owner = nullptr;
};

// The drives from their roots ("A:\"), the first selected.
void LoadDrives(FormatInterface& fi, const std::vector<std::string>& roots);

// Selects entry index. A drive that is busy asks first: true when Format
// may be pressed for it.
bool ChooseDrive(FormatInterface& fi, const FormatSystem& system, int index);

enum class FormatOutcome {
  NoDrive,        // nothing to format
  Declined,       // a busy drive, and the person answered No
  OneAtATime,     // a format is open already
  Refused,        // not removable now, or the drive of Windows or of the program
  Impossible,     // the system says the drive cannot be formatted
  Failed,         // the system's format failed
  Done,           // formatted, or cancelled in the system's dialog
};

// "&Format Selected Drive".
FormatOutcome FormatSelected(FormatInterface& fi, const FormatSystem& system);
// Whether the window may close now; asks the person to close the format
// dialog first when one is open.
bool MayClose(FormatInterface& fi);
// Whether the drive's content may be shown now: asks first during a format.
bool MayView(FormatInterface& fi);

}  // namespace kst
