// The walk over the files of a folder tree that File(s) Comparing and the
// Excess Remover make: the pattern picks files only (every subfolder is
// entered, whatever its name), names starting with "." are left out, and a
// folder that is a junction or symbolic link is never entered, so that a
// link cannot lead the walk into another tree or round a loop.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "frame/platform/platform.h"

namespace kst {

// Gets each file met: its folder (ending with a backslash) and its entry.
// Returns false to stop the walk.
using TreeVisitor = std::function<bool(const std::string& folder, const plat::FindEntry& entry)>;

// What the walk could not look at. Nothing of it counts as compared,
// equal or missing: it is told, and the run ends in trouble.
enum class TreeTrouble {
  Unreadable,  // the folder would not list (error kept)
  TooDeep,     // deeper than 128 levels, or its path too long for the platform
  BadName,     // a name Windows cannot hold (a "\" or a quote in a Linux name)
  Link,        // a link where a file or folder was expected (the remover)
};
// Gets each part left out: its path (a folder ends with a backslash), the
// kind and the system's error code (0 when there is none).
using TroubleVisitor =
    std::function<void(const std::string& path, TreeTrouble kind, uint32_t error)>;
// The words for a part left out, with its path as it is given (a name
// Windows cannot hold is shown as it is): "Unable to read the folder
// 'C:\\x\\': Access is denied", ...
std::string TroubleLine(const std::string& path, TreeTrouble kind, uint32_t error);

// Hands every plain file of folder (ending with a backslash) whose name
// matches pattern to visit, in the order the file system lists them; with
// recurse, every subfolder is walked the same way where it is met. A
// folder is listed whole before its entries are visited. A folder that will
// not list, whose path would be too long for the platform or that lies
// deeper than 128 levels, and a matching name Windows cannot hold, go to
// trouble instead. Returns false when visit stopped the walk.
// With folders, each subfolder about to be walked goes to folders.enter
// first (false leaves it out; it tells why itself), and once walked to
// folders.leave (false stops the walk); both get its folder and entry.
struct FolderVisitors {
  TreeVisitor enter, leave;
};
bool WalkTree(const std::string& folder, const std::string& pattern, bool recurse,
              const TreeVisitor& visit, const TroubleVisitor& trouble = nullptr,
              const FolderVisitors& folders = {});

// The entries of folder (ending with a backslash) but those beginning
// with "."; false with the error in *error when it would not list.
bool ListFolder(const std::string& folder, std::vector<plat::FindEntry>* entries, uint32_t* error);

// True when pattern holds a wildcard ("*" or "?").
bool HasWildcard(const std::string& pattern);

}  // namespace kst
