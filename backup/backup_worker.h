// The Split &/Or Copy run, as its Second thread does it: fills disk after
// disk with the files of the transport list, cutting them into splits where
// they do not fit, carries a join batch for every file that was cut, saves
// the list after every step, then offers the verification.
#pragma once

#include <cstdint>
#include <string>

#include "backup/backup_person.h"
#include "backup/run_settings.h"
#include "backup/save_list.h"
#include "backup/transport_list.h"
#include "frame/threads/job_control.h"
#include "split/split_writer.h"

namespace kst {

enum class BackupOutcome {
  Done,     // every file carried (and the end questions answered)
  Refused,  // a check at Go failed: nothing was written
  Aborted,  // the person stopped it; the list holds how far it came
  Failed,   // a split or a batch could not be made; told to the person
};

struct BackupResult {
  BackupOutcome outcome = BackupOutcome::Refused;
  int64_t redo = 0;           // splits the verification found to carry again
  std::string newTemporary;   // the temporary folder chosen for them ("" when none)
  int64_t carried = 0;        // bytes this run put onto disks
  BackupFigures figures;
};

// Everything a run works with. The settings are the run's own copy.
struct BackupRun {
  RunSettings settings;
  TransportList* list = nullptr;
  SaveListFiles* saveFiles = nullptr;  // may be null: no automatic saves
  JobControl* job = nullptr;
  BackupPerson person;
  MessageOwner owner;
  ProgressSink* progress = nullptr;  // "Verify/Create Split Progress"
};

// One run, on the caller's thread (the window's Second thread, or
// kestrova-cli's own), with keep-going set by the caller at Go. Checks at
// Go first and tells the first refusal. The list's busy flags are clear
// when it ends, whichever way.
BackupResult RunBackup(BackupRun run);

}  // namespace kst
