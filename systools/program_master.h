// What The Program Master does with its list, apart from its window:
// refreshing it, changing a program's priority class and ending a program.
// The system is reached through a ProcessSource, the person through
// AskUser, so that every decision runs in tests with a fake system.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "frame/dialogs/ask.h"
#include "systools/process_list.h"
#include "systools/systools_records.h"

namespace kst {

struct ProcessSource {
  // Builds a whole new list (windows too when withWindows); false when no
  // source could list anything.
  std::function<bool(bool withWindows, std::vector<ProcessRecord>* list)> list;
  // When process id started now, 0 when it is gone or cannot be read.
  std::function<uint64_t(uint32_t processId)> creationTime;
  // Sets the class and returns the class the process has afterwards (0
  // when it could not be opened).
  std::function<uint32_t(uint32_t processId, uint32_t priorityClass)> setPriority;
  std::function<bool(uint32_t processId)> terminate;
  // Asks window to close when it still belongs to processId.
  std::function<bool(uint64_t window, uint32_t processId)> postClose;
};

struct ProgramMaster {
  std::vector<ProcessRecord> list;
  int selected = -1;        // index into list, -1 none
  uint32_t ownId = 0;       // this program's process id
  bool withWindows = true;  // "Get: Windows"
  int boxRecord = kProgramMasterBoxRecord;  // the record its message boxes run on
  int ownerRecord = kProgramMasterRecord;   // whose look they take
  WindowRef owner = nullptr;
};

// Builds a new list and takes it only when that worked; the selection
// follows its process (id and start) or goes. False keeps the old list.
bool RefreshList(ProgramMaster& pm, const ProcessSource& source);

enum class ActionResult {
  Done,         // the action was taken: refresh in kRefreshAfterActionMs
  NoSelection,  // nothing is selected
  Refused,      // this program or a protected one: told so
  Declined,     // the person answered No
  Stale,        // the selected process is not the one listed: the list was refreshed
  Failed,       // the system refused (the process could not be opened)
};

constexpr int kRefreshAfterActionMs = 1000;

// Sets the selected program's priority class; the record takes the class
// read back (the system may give another than asked). Real Time or Idle
// for this program or a critical one is asked about first.
ActionResult ChangePriority(ProgramMaster& pm, const ProcessSource& source, uint32_t priorityClass);
// Ends the selected program: friendly asks each of its windows to close,
// unfriendly terminates it after a Yes.
ActionResult EndSelected(ProgramMaster& pm, const ProcessSource& source, bool friendly);

}  // namespace kst
