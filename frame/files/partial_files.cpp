#include "frame/files/partial_files.h"

#include <vector>

#include "frame/files/folders.h"
#include "frame/platform/platform.h"

namespace kst {

std::string PartialNameOf(const std::string& path) { return path + kPartialEnding; }

bool IsPartialName(const std::string& name) {
  const std::string ending = kPartialEnding;
  if (name.size() <= ending.size()) return false;
  const std::string tail = name.substr(name.size() - ending.size());
  for (size_t i = 0; i < tail.size(); ++i)
    if ((tail[i] | 0x20) != (ending[i] | 0x20)) return false;
  return true;
}

bool CommitPartial(const std::string& partial, const std::string& path) {
  return plat::RenameFile(partial, path);
}

int RemovePartialLeftovers(const std::string& folder, const std::string& pattern) {
  std::vector<std::string> names;
  plat::FindEntry e;
  plat::FindHandle h = plat::FindFirst(JoinPath(folder, pattern + kPartialEnding), &e);
  if (h == plat::kNoFind) return 0;
  do {
    if (!(e.attributes & plat::kAttrDirectory) && IsPartialName(e.name)) names.push_back(e.name);
  } while (plat::FindNext(h, &e));
  plat::FindClose(h);
  int removed = 0;
  for (const std::string& name : names)
    if (plat::DeleteOneFile(JoinPath(folder, name))) ++removed;
  return removed;
}

}  // namespace kst
