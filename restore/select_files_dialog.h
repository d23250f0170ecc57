// The file selection of a restore run (template 121): the disk's files,
// of which the person picks those to copy. Runs on the Second thread.
#pragma once

#include <vector>

#include "restore/restore_worker.h"

namespace kst {

// Marks the picked files selected; false when the person aborted the run.
bool RunSelectFiles(std::vector<OriginFile>* files, int record, int ownerRecord);

}  // namespace kst
