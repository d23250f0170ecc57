// What a person types into a path field, made into a path; and the check
// that a file name is one Windows can hold, made before a name is written
// into split names or a join batch.
#pragma once

#include <string>
#include <vector>

namespace kst {

// The path a path field's text names: blanks around it and one pair of
// surrounding double quotes (what "Copy as path" gives) taken off, and
// forward slashes turned into backslashes.
std::string TypedPath(const std::string& text);

// The names of path from position from on, split at backslashes: empty
// names and "." left out, and ".." taking away the name before it (never
// one of the first keep names). Paths are compared and shown so.
std::vector<std::string> ResolvedNames(const std::string& path, size_t from, size_t keep);

enum class NameFault {
  None,
  Empty,
  Control,        // a character below 32
  Reserved,       // one of " < > | * ? :
  Separator,      // a backslash or slash inside the name
  TrailingBlank,  // Windows drops a blank or dot at the end of a name
  TrailingDot,
};
// Why Windows cannot hold name (a file name without its folder), or None.
NameFault CheckWindowsName(const std::string& name);

}  // namespace kst
