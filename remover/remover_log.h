// The remover's log: one entry for every pair of a Base file and its
// counterpart, then the totals. Lines end in CR LF; the last line of the
// totals has none.
#pragma once

#include <cstdint>
#include <string>

#include "compare/checked_output.h"
#include "frame/platform/platform.h"

namespace kst {

// What happened to one pair.
struct RemoverPair {
  std::string basePath;
  std::string targetPath;
  bool zeroSize = false;    // both files were empty: no byte was read
  bool notDeleted = true;   // cleared when the target was deleted (or would have been)
};

// An entry: the "Comparing" line, the zero size line when set, the deleted
// or NOT deleted line, and one empty line.
std::string RemoverLogEntry(const RemoverPair& pair);

struct RemoverTotals {
  int64_t removed = 0;
  int64_t insideBase = 0;
  int64_t insideTarget = 0;
};
// "Total Number of files that were:" and one line per count: the label, a
// blank, the count left-aligned in 11 characters; the last line without
// its trailing blanks and without a line end.
std::string RemoverLogTotals(const RemoverTotals& totals);

// The open log of one run. A failed write is kept in failed.
struct RemoverLog {
  plat::FileHandle handle = plat::kNoFile;
  bool failed = false;
  CheckedOutput opened;  // how it was opened: whether it existed, its object
};
// Opens the log as it is (see compare/checked_output.h) or creates it;
// the caller checks the file against the inputs, then cuts it.
// False when it cannot be opened or is refused.
bool StartRemoverLog(RemoverLog& log, const std::string& path);
// One write; false when it came back short (the log is then failed).
bool WriteRemoverLog(RemoverLog& log, const std::string& text);
// False when the system could not finish the file.
bool CloseRemoverLog(RemoverLog& log);

}  // namespace kst
