#include "remover/remover_folders.h"

#include <vector>

#include "frame/dialogs/ask.h"
#include "frame/files/folders.h"
#include "frame/files/typed_path.h"
#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "remover/remover_texts.h"

namespace kst {

namespace {

FolderRefusal CheckPair(const std::string& base, const std::string& target, bool recurse) {
  if (plat::SameObject(base, target)) return FolderRefusal::Same;
  if (recurse && (IsWithinFolder(base, target) || IsWithinFolder(target, base)))
    return FolderRefusal::Nested;
  return FolderRefusal::None;
}

}  // namespace

std::string PlainFolder(const std::string& text) {
  std::string path = TypedPath(Trimmed(text));
  if (path.size() < 2 || path[1] != ':') {
    while (path.size() > 1 && path.back() == '\\') path.pop_back();
    return path;
  }
  const std::vector<std::string> parts = ResolvedNames(path, 2, 0);
  std::string plain = path.substr(0, 2);
  if (parts.empty()) return plain + "\\";
  for (const std::string& part : parts) plain += "\\" + part;
  return plain;
}

std::string FolderWithSlash(const std::string& folder) {
  return !folder.empty() && folder.back() == '\\' ? folder : folder + "\\";
}

FolderRefusal CheckRemoverFolders(const std::string& base, const std::string& target, bool recurse) {
  const std::string b = PlainFolder(base), t = PlainFolder(target);
  if (b.empty() || t.empty()) return FolderRefusal::Blank;
  if (!IsFolder(b) || !IsFolder(t)) return FolderRefusal::Missing;
  return CheckPair(b, t, recurse);
}

FolderRefusal CheckFolderChoice(const std::string& base, const std::string& target, bool recurse) {
  const std::string b = PlainFolder(base), t = PlainFolder(target);
  if (b.empty() || t.empty() || !IsFolder(b) || !IsFolder(t)) return FolderRefusal::None;
  return CheckPair(b, t, recurse);
}

bool IsInRemoverFolders(const std::string& path, const std::string& base,
                        const std::string& target, bool recurse) {
  const std::string file = PlainFolder(path);
  const size_t k = file.find_last_of('\\');
  if (k == std::string::npos) return false;
  const std::string folder = k == 2 ? file.substr(0, 3) : file.substr(0, k);
  for (const std::string& side : {PlainFolder(base), PlainFolder(target)}) {
    if (side.empty()) continue;
    if (recurse ? IsWithinFolder(folder, side) : plat::SameObject(folder, side)) return true;
  }
  return false;
}

bool TellFolderRefusal(FolderRefusal refusal, void* owner, int boxRecord, int ownerRecord) {
  if (refusal == FolderRefusal::None) return false;
  PlayAlert();
  int heading = kTextSameFolderHeading, message = kTextSameFolder;
  if (refusal == FolderRefusal::Blank || refusal == FolderRefusal::Missing)
    heading = kTextNoFoldersHeading, message = kTextNoFolders;
  if (refusal == FolderRefusal::Nested) message = kTextNestedFolders;
  AskUser(kAskOk, owner, GetText(heading), GetText(message), boxRecord, ownerRecord);
  return true;
}

}  // namespace kst
