// The join batch file "<name>.BAT": written beside the splits, it joins them
// with the command interpreter's "copy /b", asks whether the splits and the
// batch shall go, and deletes them on the first choice letter. The restore
// subprogram reads it back, so its bytes are a file format.
#pragma once

#include <string>

namespace kst {

// folder\name.BAT, without doubling a backslash that folder ends with.
std::string JoinBatchPath(const std::string& folder, const std::string& sourcePath);
// A file name as the batch writes it: in the code page the interpreter
// reads batch files in, with every "%" doubled (the interpreter expands "%"
// even inside quotes). False when a character of name has no form in that
// code page: such a file cannot be joined by a batch.
bool NameInBatch(const std::string& name, std::string* written);
// The whole content of the batch for count splits of sourcePath's file;
// "" when NameInBatch refuses the file's name.
std::string JoinBatchText(const std::string& sourcePath, int count);

// Writes the batch for count (1 to 999) splits of sourcePath into folder,
// replacing any file of that name; *batchPath gets its full name. False when
// the name cannot be written in a batch, or the file cannot be created or is
// not written in full; a file that was created but not written in full is
// deleted again, so that no half batch is left to join a file wrongly.
bool WriteJoinBatch(const std::string& folder, const std::string& sourcePath, int count,
                    std::string* batchPath);

}  // namespace kst
