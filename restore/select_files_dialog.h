// The file selection of a restore run (template 121): the disk's files,
// of which the person picks those to copy. Runs on the Second thread.
#pragma once

#include <string>
#include <vector>

#include "restore/restore_worker.h"

namespace kst {

// Marks the picked files selected; false when the person aborted the run.
// "&Refresh" lists the origin again and "Bro&wse" chooses another origin
// (on a removable disk or a CD): files and origin then come back changed.
// Questions go through boxRecord.
bool RunSelectFiles(std::string* origin, std::vector<OriginFile>* files, int record, int ownerRecord,
                    int boxRecord);

}  // namespace kst
