#include "frame/files/tree_walk.h"

#include <vector>

#include "frame/files/file_info.h"
#include "frame/files/typed_path.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"

namespace kst {

namespace {

void Tell(const TroubleVisitor& trouble, const std::string& path, TreeTrouble kind, uint32_t error) {
  if (trouble) trouble(path, kind, error);
}

struct Walk {
  const std::string& pattern;
  bool recurse;
  const TreeVisitor& visit;
  const TroubleVisitor& trouble;
  const FolderVisitors& folders;
};

bool WalkFolder(const Walk& w, const std::string& folder, int depth) {
  std::vector<plat::FindEntry> entries;
  uint32_t error = 0;
  if (!ListFolder(folder, &entries, &error)) {
    Tell(w.trouble, folder, TreeTrouble::Unreadable, error);
    return true;
  }
  for (const plat::FindEntry& entry : entries) {
    if (entry.attributes & plat::kAttrVolume) continue;
    const bool isFolder = entry.attributes & plat::kAttrDirectory;
    if (isFolder && (!w.recurse || (entry.attributes & plat::kAttrReparsePoint))) continue;
    if (!isFolder && !plat::MatchesPattern(entry.name, w.pattern)) continue;
    // Never joined into a path: "x\..\..\f" would name another file.
    if (CheckWindowsName(entry.name) != NameFault::None) {
      Tell(w.trouble, folder + entry.name + (isFolder ? "\\" : ""), TreeTrouble::BadName, 0);
      continue;
    }
    if (isFolder) {
      const std::string sub = folder + entry.name + "\\";
      if (depth >= kWalkDepthLimit || sub.size() >= kPathWidth - 1) {
        Tell(w.trouble, sub, TreeTrouble::TooDeep, 0);
        continue;
      }
      if (w.folders.enter && !w.folders.enter(folder, entry)) continue;
      if (!WalkFolder(w, sub, depth + 1)) return false;
      if (w.folders.leave && !w.folders.leave(folder, entry)) return false;
    } else if (!w.visit(folder, entry)) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool ListFolder(const std::string& folder, std::vector<plat::FindEntry>* entries, uint32_t* error) {
  entries->clear();
  plat::FindEntry entry;
  plat::FindHandle h = plat::FindFirst(folder + "*.*", &entry);
  if (h == plat::kNoFind) {
    // Only an empty drive root lists nothing at all.
    *error = plat::LastError();
    return *error == plat::kErrFileNotFound;
  }
  do {
    if (!entry.name.empty() && entry.name[0] != '.') entries->push_back(entry);
  } while (plat::FindNext(h, &entry));
  plat::FindClose(h);
  return true;
}

std::string TroubleLine(const std::string& path, TreeTrouble kind, uint32_t error) {
  int text = 1207;
  if (kind == TreeTrouble::TooDeep) text = 1208;
  if (kind == TreeTrouble::BadName) text = 1209;
  if (kind == TreeTrouble::Link) text = 1234;
  return Trimmed(GetText(text)) + " '" + path + "'" + (error ? ": " + plat::ErrorText(error) : std::string());
}

bool WalkTree(const std::string& folder, const std::string& pattern, bool recurse,
              const TreeVisitor& visit, const TroubleVisitor& trouble, const FolderVisitors& folders) {
  const std::string files = pattern.empty() ? "*.*" : pattern;
  return WalkFolder(Walk{files, recurse, visit, trouble, folders}, folder, 0);
}

bool HasWildcard(const std::string& pattern) {
  return pattern.find_first_of("*?") != std::string::npos;
}

}  // namespace kst
