// The two folders of the Excess Files Remover and the checks that keep it
// from comparing a folder with itself: however the two are named (a
// trailing backslash, case, "..", a short name, another drive letter on
// the same folder, a junction), they are told apart by what they are.
#pragma once

#include <string>

namespace kst {

// A folder as typed or dropped: blanks and quotes taken off, "." and ".."
// resolved, no trailing backslash except on a drive root ("C:\").
std::string PlainFolder(const std::string& text);
// folder + "\" without doubling the backslash of a root.
std::string FolderWithSlash(const std::string& folder);

enum class FolderRefusal {
  None,
  Blank,    // a folder is not chosen
  Missing,  // a folder does not exist (or is a file)
  Same,     // both name one folder
  Nested,   // with recursion, one folder lies inside the other
};

// Whether the remover may work on base against target. Nesting matters
// only with recurse: without it no file of the inner folder is reached.
FolderRefusal CheckRemoverFolders(const std::string& base, const std::string& target, bool recurse);
// The same for a choice while the other folder may still be blank: a blank
// or missing side is no reason to refuse yet.
FolderRefusal CheckFolderChoice(const std::string& base, const std::string& target, bool recurse);

// True when path (a file) is one that a run on base and target would read
// or delete: in either folder, or below it with recurse.
bool IsInRemoverFolders(const std::string& path, const std::string& base,
                        const std::string& target, bool recurse);

// Shows the refusal to the person (through AskUser), if there is one.
// Returns true when refused.
bool TellFolderRefusal(FolderRefusal refusal, void* owner, int boxRecord, int ownerRecord);

}  // namespace kst
