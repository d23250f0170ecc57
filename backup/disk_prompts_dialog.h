// The disk prompts of Split &/Or Copy (and of Test Disks) as modal dialogs
// on the Second thread:
// a new disk (115), a disk that is not empty (116), a CD's files ready to
// be burned (168) and the CD size (169).
#pragma once

#include "backup/backup_person.h"

namespace kst {

// A person whose prompts are those dialogs, run on record with the look of
// ownerRecord. Its reports (figures, status, temporaryChosen) are left empty.
BackupPerson DiskPromptPerson(int record, int ownerRecord);

// Closes the prompt open on record, if any, as its close box does: the run
// stops. For an abort confirmed in the main window while a prompt waits.
void CloseOpenPrompt(int record);

}  // namespace kst
