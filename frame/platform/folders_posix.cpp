// The Linux emulation's folders and names: attributes, the objects a path
// names, deleting, renaming, making folders and listing them.
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "frame/platform/emulation_internal.h"

namespace plat {

using namespace emu;

bool emu::IsFolder(const std::string& windowsPath) {
  uint32_t a = GetAttributes(windowsPath);
  return a != kAttrInvalid && (a & kAttrDirectory);
}

namespace {

struct Listing {
  std::vector<FindEntry> entries;
  size_t next = 0;
};

std::mutex g_findMutex;
std::map<FindHandle, Listing> g_listings;
FindHandle g_nextFind = 100;

FindEntry EntryOf(const std::string& name, const struct stat& st) {
  FindEntry e;
  e.name = name;
  e.attributes = AttributesOf(st);
  e.size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
  e.times.creation = ToFileTime(st.st_mtim);
  e.times.access = ToFileTime(st.st_atim);
  e.times.write = ToFileTime(st.st_mtim);
  return e;
}

}  // namespace

uint32_t GetAttributes(const std::string& path) {
  std::string host;
  struct stat st;
  if (!ToHost(path, &host)) return Fail(kErrPathNotFound), kAttrInvalid;
  if (lstat(host.c_str(), &st) != 0) return Fail(ErrnoToCode(errno)), kAttrInvalid;
  const bool link = S_ISLNK(st.st_mode);
  if (link && stat(host.c_str(), &st) != 0) return Fail(ErrnoToCode(errno)), kAttrInvalid;
  return AttributesOf(st) | (link ? uint32_t{kAttrReparsePoint} : 0u);
}

bool ObjectIdOf(const std::string& path, ObjectId* id) {
  std::string host;
  struct stat st;
  if (!ToHost(path, &host)) return Fail(kErrPathNotFound), false;
  if (stat(host.c_str(), &st) != 0) return Fail(ErrnoToCode(errno)), false;
  id->volume = static_cast<uint64_t>(st.st_dev);
  id->index = static_cast<uint64_t>(st.st_ino);
  return true;
}

bool FinalPath(const std::string& path, std::string* final) {
  std::string host;
  if (!ToHost(path, &host)) return Fail(kErrPathNotFound), false;
  char* real = realpath(host.c_str(), nullptr);
  if (!real) return Fail(ErrnoToCode(errno)), false;
  *final = EmuWindowsPath(real);
  free(real);
  return true;
}

bool SetAttributes(const std::string& path, uint32_t attributes) {
  std::string host;
  struct stat st;
  if (!ToHost(path, &host)) return Fail(kErrPathNotFound), false;
  if (stat(host.c_str(), &st) != 0) return Fail(ErrnoToCode(errno)), false;
  mode_t mode = st.st_mode & 07777;
  mode = (attributes & kAttrReadOnly) ? (mode & ~0222) : (mode | 0200);
  if (chmod(host.c_str(), mode) != 0) return Fail(ErrnoToCode(errno)), false;
  return true;
}

bool DeleteOneFile(const std::string& path) {
  std::string host;
  struct stat st;
  if (!ToHost(path, &host)) return Fail(kErrPathNotFound), false;
  if (lstat(host.c_str(), &st) != 0) return Fail(ErrnoToCode(errno)), false;
  if (S_ISDIR(st.st_mode) || !(st.st_mode & S_IWUSR)) return Fail(kErrAccessDenied), false;
  if (unlink(host.c_str()) != 0) return Fail(ErrnoToCode(errno)), false;
  return true;
}

bool RenameFile(const std::string& from, const std::string& to) {
  std::string a, b;
  if (!ToHost(from, &a) || !ToHost(to, &b)) return Fail(kErrPathNotFound), false;
  // A hard link is made only where the name is free; then the old name goes.
  if (link(a.c_str(), b.c_str()) != 0) {
    if (errno == EEXIST) return Fail(kErrAlreadyExists), false;
    if (errno != EPERM && errno != EOPNOTSUPP) return Fail(ErrnoToCode(errno)), false;
    // A file system without hard links: rename after a last look.
    if (PathExists(to)) return Fail(kErrAlreadyExists), false;
    if (rename(a.c_str(), b.c_str()) != 0) return Fail(ErrnoToCode(errno)), false;
    return true;
  }
  if (unlink(a.c_str()) != 0) {
    const int e = errno;
    unlink(b.c_str());
    return Fail(ErrnoToCode(e)), false;
  }
  return true;
}

bool RemoveFolder(const std::string& path) {
  std::string host;
  if (!ToHost(path, &host)) return Fail(kErrPathNotFound), false;
  if (rmdir(host.c_str()) != 0) return Fail(ErrnoToCode(errno)), false;
  return true;
}

bool CreateFolder(const std::string& path) {
  std::string host;
  if (!ToHost(path, &host)) return Fail(kErrPathNotFound), false;
  if (mkdir(host.c_str(), 0777) != 0) {
    uint32_t code = ErrnoToCode(errno);
    return Fail(code == kErrFileNotFound ? kErrPathNotFound : code), false;
  }
  return true;
}

bool PathExists(const std::string& path) { return GetAttributes(path) != kAttrInvalid; }

int64_t SizeOfPath(const std::string& path) {
  std::string host;
  struct stat st;
  if (!ToHost(path, &host) || stat(host.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
  return static_cast<int64_t>(st.st_size);
}

// ---- listing ----------------------------------------------------------------------------

FindHandle FindFirst(const std::string& pattern, FindEntry* entry) {
  std::string folder = ParentOf(pattern);
  std::string mask = LastPart(pattern);
  WinPath wp;
  if (folder.empty() || !ParseWinPath(folder + "\\", &wp)) return Fail(kErrPathNotFound), kNoFind;
  std::string host;
  if (!ToHost(folder + "\\", &host)) return Fail(kErrPathNotFound), kNoFind;
  if (FaultFires(Fault::ListFails, folder + "\\")) return Fail(kErrAccessDenied), kNoFind;
  DIR* dir = opendir(host.c_str());
  if (!dir) return Fail(kErrPathNotFound), kNoFind;
  Listing listing;
  while (dirent* e = readdir(dir)) {
    std::string name = e->d_name;
    bool dotEntry = name == "." || name == "..";
    if (dotEntry && wp.parts.empty()) continue;  // a drive root has no "." and ".."
    if (!MatchesPattern(name, mask)) continue;
    // Looked up in the folder already open, not again from the root.
    struct stat st;
    if (fstatat(dirfd(dir), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    const bool link = S_ISLNK(st.st_mode);
    if (link && fstatat(dirfd(dir), name.c_str(), &st, 0) != 0) continue;
    listing.entries.push_back(EntryOf(name, st));
    if (link) listing.entries.back().attributes |= kAttrReparsePoint;
  }
  closedir(dir);
  if (listing.entries.empty()) return Fail(kErrFileNotFound), kNoFind;
  // Listings come in name order, so runs repeat exactly.
  std::sort(listing.entries.begin(), listing.entries.end(),
            [](const FindEntry& a, const FindEntry& b) {
              bool ad = a.name == "." || a.name == "..";
              bool bd = b.name == "." || b.name == "..";
              if (ad != bd) return ad;
              return strcasecmp(a.name.c_str(), b.name.c_str()) < 0;
            });
  *entry = listing.entries[0];
  listing.next = 1;
  std::lock_guard<std::mutex> lock(g_findMutex);
  FindHandle h = g_nextFind++;
  g_listings[h] = std::move(listing);
  t_lastError = 0;
  return h;
}

bool FindNext(FindHandle h, FindEntry* entry) {
  std::lock_guard<std::mutex> lock(g_findMutex);
  auto it = g_listings.find(h);
  if (it == g_listings.end()) return Fail(kErrInvalidHandle), false;
  Listing& l = it->second;
  if (l.next >= l.entries.size()) return Fail(18), false;  // no more files
  *entry = l.entries[l.next++];
  return true;
}

void FindClose(FindHandle h) {
  std::lock_guard<std::mutex> lock(g_findMutex);
  g_listings.erase(h);
}

}  // namespace plat
