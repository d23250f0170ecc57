// The batch file "Excess files and folders from base to remove.bat": it
// lists the Base files and folders that have no counterpart in the target,
// so that running it in a copy of the Base folder deletes them there.
// Paths in it are relative (".\sub\name"), resolved against the folder it
// is run in. Lines end in CR LF, except the last (":END").
#pragma once

#include <string>

#include "frame/platform/platform.h"

namespace kst {

constexpr char kRemoverBatchName[] = "Excess files and folders from base to remove.bat";

// The first three lines; choice is the CHOICE letters and question.
std::string RemoverBatchStart(const std::string& choice);
// The two lines of a file or folder entry for relative, a path that
// begins with a backslash ("\sub\name"). Every "%" is doubled: the
// interpreter would read it as the start of a variable.
std::string RemoverBatchEntry(const std::string& relative, bool folder);
constexpr char kRemoverBatchEnd[] = ":END";

// The batch file as a run writes it: emptied or created at the start, one
// write per entry, ":END" at the end. A failure is kept in failed; later
// writes are then skipped.
struct RemoverBatch {
  plat::FileHandle handle = plat::kNoFile;
  bool failed = false;
};
// False when the file cannot be created or its first lines not written.
bool StartRemoverBatch(RemoverBatch& batch, const std::string& path, const std::string& choice);
bool AddToRemoverBatch(RemoverBatch& batch, const std::string& relative, bool folder);
// Writes ":END" and closes; false when that write failed.
bool EndRemoverBatch(RemoverBatch& batch);

}  // namespace kst
