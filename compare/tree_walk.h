// The walk over the files of a folder tree that File(s) Comparing makes:
// the pattern picks files only (every subfolder is entered, whatever its
// name), names starting with "." are left out, and a folder that is a
// junction or symbolic link is never entered, so that a link cannot lead
// the walk into another tree or round a loop.
#pragma once

#include <functional>
#include <string>

#include "frame/platform/platform.h"

namespace kst {

// Gets each file met: its folder (ending with a backslash) and its entry.
// Returns false to stop the walk.
using TreeVisitor = std::function<bool(const std::string& folder, const plat::FindEntry& entry)>;

// Hands every plain file of folder (ending with a backslash) whose name
// matches pattern to visit, in the order the file system lists them; with
// recurse, every subfolder is walked the same way where it is met. A
// folder is listed whole before its entries are visited. Folders whose
// path would be too long for the platform, or deeper than 128 levels, are
// left out. Returns false when visit stopped the walk.
bool WalkTree(const std::string& folder, const std::string& pattern, bool recurse,
              const TreeVisitor& visit);

// True when pattern holds a wildcard ("*" or "?").
bool HasWildcard(const std::string& pattern);

}  // namespace kst
