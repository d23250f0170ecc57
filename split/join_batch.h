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
// even inside quotes). False for a name Windows cannot hold (a quote in
// it would end the quoted name in the batch's lines, and the rest would run
// as commands), and when a character of name has no form in that code
// page: such a file cannot be joined by a batch.
bool NameInBatch(const std::string& name, std::string* written);
// The whole content of the batch for count splits of sourcePath's file;
// "" when NameInBatch refuses the file's name.
std::string JoinBatchText(const std::string& sourcePath, int count);

// Writes the batch for count (1 to 999) splits of sourcePath into folder;
// *batchPath gets its full name. A file of that name is replaced only when
// the caller asked the person already (replaceAgreed); otherwise the call
// fails with 183. The batch is written under its partial name and named
// when whole. False (plat::LastError() saying why: 123 for a name a batch
// cannot hold) when the name cannot be written in a batch, or the batch
// cannot be created, written in full or named; no half batch is left to
// join a file wrongly.
bool WriteJoinBatch(const std::string& folder, const std::string& sourcePath, int count,
                    std::string* batchPath, bool replaceAgreed = false);

}  // namespace kst
