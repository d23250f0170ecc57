// The list dialogs' rules that speak to the user: adding files, choosing
// the temporary folder, and the operations that wait for the end of a run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "backup/transport_list.h"
#include "split/split_writer.h"

namespace kst {

struct FileToAdd {
  std::string path;
  int64_t size = 0;
};

// Same folder, case and a trailing backslash ignored, or the same folder
// object under another name (a link, a junction, another drive letter).
bool SameFolder(const std::string& a, const std::string& b);

// Adds files (button or drop). Adds nothing when one of them lies in the
// temporary folder; stops at a full list, saying how many the list takes.
// Returns how many were added (duplicates are skipped silently).
int AddFiles(TransportList& list, const std::vector<FileToAdd>& files,
             const std::string& temporaryFolder, const MessageOwner& owner);
// The open-file dialog ended with an error: nothing is added.
void TellTooManySelected(const MessageOwner& owner);
// A temporary folder is accepted unless a listed file lies in it.
bool TemporaryFolderAccepted(TransportList& list, const std::string& folder,
                             const MessageOwner& owner);
// The list dialogs' operations are refused while a run copies or verifies.
bool ListMayChange(bool runGoing, const MessageOwner& owner);
// An operation on the selection needs at least one selected row.
bool SomethingSelected(const std::vector<size_t>& rows, const MessageOwner& owner);
// Asks before the selected split and all below it are removed.
bool ConfirmKillSplits(const MessageOwner& owner);

}  // namespace kst
