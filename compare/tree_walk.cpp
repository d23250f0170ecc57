#include "compare/tree_walk.h"

#include <vector>

#include "frame/file_info.h"

namespace kst {

namespace {

std::vector<plat::FindEntry> ListFolder(const std::string& folder) {
  std::vector<plat::FindEntry> entries;
  plat::FindEntry entry;
  plat::FindHandle h = plat::FindFirst(folder + "*.*", &entry);
  if (h == plat::kNoFind) return entries;
  do {
    if (!entry.name.empty() && entry.name[0] != '.') entries.push_back(entry);
  } while (plat::FindNext(h, &entry));
  plat::FindClose(h);
  return entries;
}

bool Walk(const std::string& folder, const std::string& pattern, bool recurse, int depth,
          const TreeVisitor& visit) {
  for (const plat::FindEntry& entry : ListFolder(folder)) {
    if (entry.attributes & plat::kAttrVolume) continue;
    if (entry.attributes & plat::kAttrDirectory) {
      if (!recurse || (entry.attributes & plat::kAttrReparsePoint)) continue;
      const std::string sub = folder + entry.name + "\\";
      if (depth >= kWalkDepthLimit || sub.size() >= kPathWidth - 1) continue;
      if (!Walk(sub, pattern, recurse, depth + 1, visit)) return false;
    } else if (plat::MatchesPattern(entry.name, pattern)) {
      if (!visit(folder, entry)) return false;
    }
  }
  return true;
}

}  // namespace

bool WalkTree(const std::string& folder, const std::string& pattern, bool recurse,
              const TreeVisitor& visit) {
  return Walk(folder, pattern.empty() ? "*.*" : pattern, recurse, 0, visit);
}

bool HasWildcard(const std::string& pattern) {
  return pattern.find_first_of("*?") != std::string::npos;
}

}  // namespace kst
