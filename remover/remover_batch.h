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

// The batch file as a run writes it: under its partial name, made new, one
// write per entry, ":END" at the end; only then does it replace the batch
// of an earlier run. Nothing is ever written into an existing file, so a
// batch name that is a link or another name of a Base file changes
// nothing there. A failure is kept in failed; later writes are skipped.
struct RemoverBatch {
  plat::FileHandle handle = plat::kNoFile;
  std::string path;  // the batch's real name
  bool failed = false;
  uint32_t error = 0;  // the system's code of the failure, when it has one
};
// False when the file cannot be created or its first lines not written,
// or when the real name is a link or a folder.
bool StartRemoverBatch(RemoverBatch& batch, const std::string& path, const std::string& choice);
bool AddToRemoverBatch(RemoverBatch& batch, const std::string& relative, bool folder);
// Writes ":END", closes, and gives the file its real name; false when any
// of that failed (the partial file is then removed).
bool EndRemoverBatch(RemoverBatch& batch);

}  // namespace kst
