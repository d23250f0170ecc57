// Opening a file the comparing and removing runs write (the information
// file, the remover's log): an existing file is opened as it is, never
// cut on opening, so that a link, a folder or a file the run reads under
// another name is refused before a byte of it changes; only then is it cut.
#pragma once

#include <string>

#include "frame/platform/platform.h"

namespace kst {

enum class OutputRefusal {
  None,
  Link,        // a symbolic link or junction: writing would go elsewhere
  NotAFile,    // a folder, a device, or a name Windows cannot hold
  Input,       // one of the files the run reads or deletes
  OpenFailed,  // the system would not open or create it (error kept)
  CutFailed,
};

struct CheckedOutput {
  plat::FileHandle handle = plat::kNoFile;
  bool existed = false;
  plat::ObjectId id;  // the file's object, to be told apart from the inputs
  OutputRefusal refusal = OutputRefusal::None;
  uint32_t error = 0;  // the system's code when the open or the cut failed
};

// Opens path for writing, creating it when missing; an existing file is
// left whole. A link or anything but a plain file is refused.
CheckedOutput OpenOutputUncut(const std::string& path);
// Empties the file opened by OpenOutputUncut; closes it and sets the
// refusal when that fails.
bool CutOutput(CheckedOutput& output);
// Closes the file unwritten (a refusal found after the open).
void DropOutput(CheckedOutput& output, OutputRefusal refusal);
// The refusal in a few words, with the system's reason where there is one.
std::string OutputRefusalText(const CheckedOutput& output);

}  // namespace kst
