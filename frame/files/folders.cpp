#include "frame/files/folders.h"

#include <cctype>

#include "frame/files/file_info.h"
#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"

namespace kst {

namespace {

// "C:" or "C:\".
bool IsDriveRoot(const std::string& path) {
  return (path.size() == 2 || (path.size() == 3 && path[2] == '\\')) && path[1] == ':' &&
         std::isalpha(static_cast<unsigned char>(path[0]));
}

// A folder as typed: "C:" stands for its root, and a path longer than the
// platform takes is none.
bool IsTypedFolder(const std::string& path) {
  if (path.empty() || path.size() >= kPathWidth) return false;
  return IsFolder(IsDriveRoot(path) ? path.substr(0, 2) + "\\" : path);
}

std::string WithoutTrailingBackslash(std::string path) {
  while (!path.empty() && path.back() == '\\' && !IsDriveRoot(path)) path.pop_back();
  return path;
}

bool Make(const std::string& path) {
  if (IsDriveRoot(path)) return IsTypedFolder(path);
  uint32_t a = plat::GetAttributes(path);
  if (a != plat::kAttrInvalid) return (a & plat::kAttrDirectory) != 0;
  size_t k = path.find_last_of('\\');
  if (k != std::string::npos) {
    std::string parent = WithoutTrailingBackslash(path.substr(0, k));
    if (!parent.empty() && !IsDriveRoot(parent) && !Make(parent)) return false;
  }
  if (plat::CreateFolder(path)) return true;
  // Someone else may have made it in the meantime.
  return plat::LastError() == plat::kErrAlreadyExists && IsTypedFolder(path);
}

}  // namespace

bool IsFolder(const std::string& path) {
  const uint32_t a = plat::GetAttributes(path);
  return a != plat::kAttrInvalid && (a & plat::kAttrDirectory);
}

std::string FolderOfFile(const std::string& path) {
  std::string trimmed = Trimmed(path);
  size_t slash = trimmed.rfind('\\');
  return slash == std::string::npos ? std::string() : trimmed.substr(0, slash);
}

std::string BareFolder(const std::string& folder) {
  std::string bare = Trimmed(folder);
  while (!bare.empty() && bare.back() == '\\') bare.pop_back();
  return bare;
}

bool MakeFolderPath(const std::string& path) {
  std::string p = WithoutTrailingBackslash(Trimmed(path));
  if (p.empty() || p.size() >= kPathWidth) return false;
  return Make(p);
}

std::string FileNameOf(const std::string& path) {
  std::string p = Trimmed(path);
  if (IsDriveRoot(p) || IsTypedFolder(p)) return std::string();
  size_t k = p.find_last_of('\\');
  return k == std::string::npos ? p : p.substr(k + 1);
}

std::string FolderOf(const std::string& path) {
  std::string p = Trimmed(path);
  if (IsDriveRoot(p)) return p.substr(0, 2) + "\\";
  if (IsTypedFolder(p)) return WithoutTrailingBackslash(p);
  size_t k = p.find_last_of('\\');
  if (k == std::string::npos) return std::string();
  std::string folder = p.substr(0, k);
  if (IsDriveRoot(folder)) return folder.substr(0, 2) + "\\";
  return WithoutTrailingBackslash(folder);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  std::string f = Trimmed(folder);
  if (f.empty()) return name;
  return f.back() == '\\' ? f + name : f + "\\" + name;
}

std::vector<std::string> ListRemovableDrives() {
  std::vector<std::string> roots;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    std::string root = std::string(1, letter) + ":\\";
    if (plat::DriveType(root) == plat::kDriveRemovable) roots.push_back(root);
  }
  return roots;
}

int64_t CountEntries(const std::string& folder) {
  int64_t count = 0;
  plat::FindEntry e;
  plat::FindHandle h = plat::FindFirst(folder + "*.*", &e);
  if (h == plat::kNoFind) return 0;
  do {
    if (e.name != "." && e.name != "..") ++count;
  } while (plat::FindNext(h, &e));
  plat::FindClose(h);
  return count;
}

namespace {

// The path and every folder above it, innermost first, as text.
std::vector<std::string> PathAndParents(std::string path) {
  std::vector<std::string> chain;
  while (!path.empty() && path.back() == '\\' && path.size() > 3) path.pop_back();
  while (!path.empty()) {
    chain.push_back(path);
    const size_t k = path.find_last_of('\\');
    if (k == std::string::npos || path.size() <= 3) break;
    path = k == 2 ? path.substr(0, 3) : path.substr(0, k);
  }
  return chain;
}

bool AnyIs(const std::vector<std::string>& paths, const plat::ObjectId& target) {
  for (const std::string& p : paths) {
    plat::ObjectId id;
    if (plat::ObjectIdOf(p, &id) && id == target) return true;
  }
  return false;
}

}  // namespace

bool IsWithinFolder(const std::string& inner, const std::string& outer) {
  plat::ObjectId target;
  if (!plat::ObjectIdOf(outer, &target)) return false;
  if (AnyIs(PathAndParents(inner), target)) return true;
  // A link on the way: the folders above the object itself.
  std::string final;
  return plat::FinalPath(inner, &final) && AnyIs(PathAndParents(final), target);
}

}  // namespace kst
