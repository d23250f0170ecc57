// The platform layer on Linux: an emulation of Windows drives over host
// folders (see emulation.h). Paths come in Windows form and are mapped to
// the host; names are found without regard to case, as Windows does. This
// file holds the mapping, the current folder and the error codes.
#include <dirent.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "frame/platform/emulation_internal.h"

namespace plat {
namespace emu {

thread_local uint32_t t_lastError = 0;
std::atomic<bool> g_exactNames{false};

uint32_t Fail(uint32_t code) {
  t_lastError = code;
  return code;
}

uint32_t ErrnoToCode(int e) {
  switch (e) {
    case ENOENT: return kErrFileNotFound;
    case ENOTDIR: return kErrPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return kErrAccessDenied;
    case EEXIST: return kErrAlreadyExists;
    case ENOSPC: return kErrDiskFull;
    case EFBIG: return kErrFileTooLarge;
    case ENAMETOOLONG: return kErrInvalidName;
    case ENOTEMPTY: return kErrDirNotEmpty;
    default: return 1117;  // an I/O device error
  }
}

// ---- drives and paths ------------------------------------------------------

DriveTable& Drives() {
  static DriveTable* table = [] {
    auto* t = new DriveTable;
    EmulatedDrive root;
    root.hostFolder = "/";
    t->drives['Z'] = root;
    char buf[4096];
    t->currentFolder = getcwd(buf, sizeof buf) ? EmuWindowsPath(buf) : "Z:\\";
    return t;
  }();
  return *table;
}

bool LookUpDrive(char letter, EmulatedDrive* drive) {
  DriveTable& t = Drives();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.drives.find(static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
  if (it == t.drives.end()) return false;
  *drive = it->second;
  return true;
}

bool ParseWinPath(const std::string& input, WinPath* out) {
  std::string p = input;
  if (!g_exactNames)
    while (!p.empty() && p.back() == ' ') p.pop_back();  // trailing blanks are ignored
  std::replace(p.begin(), p.end(), '/', '\\');
  if (p.empty()) return false;
  std::string full;
  if (p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0]))) {
    if (p.size() > 2 && p[2] != '\\') {
      // "A:name" is relative to the current folder of that drive: take the root.
      full = p.substr(0, 2) + "\\" + p.substr(2);
    } else {
      full = p;
    }
  } else if (p[0] == '\\') {
    if (p.size() > 1 && p[1] == '\\') return false;  // network paths are not emulated
    std::lock_guard<std::mutex> lock(Drives().mutex);
    full = Drives().currentFolder.substr(0, 2) + p;
  } else {
    std::lock_guard<std::mutex> lock(Drives().mutex);
    full = Drives().currentFolder + "\\" + p;
  }
  out->drive = static_cast<char>(std::toupper(static_cast<unsigned char>(full[0])));
  out->parts.clear();
  size_t i = 2;
  while (i < full.size()) {
    while (i < full.size() && full[i] == '\\') ++i;
    size_t j = full.find('\\', i);
    if (j == std::string::npos) j = full.size();
    std::string part = full.substr(i, j - i);
    if (part == "..") {
      if (!out->parts.empty()) out->parts.pop_back();
    } else if (!part.empty() && part != ".") {
      out->parts.push_back(part);
    }
    i = j;
  }
  return true;
}

std::string JoinHost(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

namespace {

// The host name in folder for name: the exact one, else one that differs
// only in case, else name itself (for a file about to be created).
std::string FindHostName(const std::string& folder, const std::string& name) {
  struct stat st;
  if (g_exactNames || lstat(JoinHost(folder, name).c_str(), &st) == 0) return name;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return name;
  std::string found = name;
  while (dirent* e = readdir(dir)) {
    if (strcasecmp(e->d_name, name.c_str()) == 0) {
      found = e->d_name;
      break;
    }
  }
  closedir(dir);
  return found;
}

}  // namespace

bool ToHost(const std::string& windowsPath, std::string* host, char* driveLetter) {
  WinPath wp;
  if (!ParseWinPath(windowsPath, &wp)) return false;
  EmulatedDrive drive;
  if (!LookUpDrive(wp.drive, &drive)) return false;
  std::string& h = *host;
  h = drive.hostFolder;
  for (const std::string& part : wp.parts) {
    if (h.empty() || h.back() != '/') h += '/';
    if (g_exactNames) h += part;
    else h += FindHostName(h, part);
  }
  if (driveLetter) *driveLetter = wp.drive;
  return true;
}

uint64_t ToFileTime(const timespec& ts) {
  return (static_cast<uint64_t>(ts.tv_sec) + 11644473600ULL) * 10000000ULL +
         static_cast<uint64_t>(ts.tv_nsec) / 100;
}

timespec FromFileTime(uint64_t ft) {
  timespec ts;
  uint64_t units = ft - 11644473600ULL * 10000000ULL;
  ts.tv_sec = static_cast<time_t>(units / 10000000ULL);
  ts.tv_nsec = static_cast<long>((units % 10000000ULL) * 100);
  return ts;
}

uint32_t AttributesOf(const struct stat& st) {
  uint32_t a = S_ISDIR(st.st_mode) ? kAttrDirectory : kAttrArchive;
  if (!(st.st_mode & S_IWUSR)) a |= kAttrReadOnly;
  return a;
}

std::string ParentOf(const std::string& windowsPath) {
  size_t k = windowsPath.find_last_of('\\');
  return k == std::string::npos ? std::string() : windowsPath.substr(0, k);
}

std::string LastPart(const std::string& windowsPath) {
  size_t k = windowsPath.find_last_of('\\');
  return k == std::string::npos ? windowsPath : windowsPath.substr(k + 1);
}

}  // namespace emu

using namespace emu;

namespace {

// The errno that says what a Win32 code says, for the system's own text.
int ErrnoOf(uint32_t code) {
  switch (code) {
    case kErrFileNotFound: return ENOENT;
    case kErrPathNotFound: return ENOENT;
    case kErrAccessDenied: return EACCES;
    case kErrInvalidHandle: return EBADF;
    case kErrSharingViolation: return EBUSY;
    case kErrHandleDiskFull:
    case kErrDiskFull: return ENOSPC;
    case kErrFileExists:
    case kErrAlreadyExists: return EEXIST;
    case kErrInvalidParameter: return EINVAL;
    case kErrInvalidName: return ENAMETOOLONG;
    case kErrDirNotEmpty: return ENOTEMPTY;
    case kErrFileTooLarge: return EFBIG;
    case kErrDirectory: return ENOTDIR;
    default: return EIO;
  }
}

}  // namespace

std::string EmuHostPath(const std::string& windowsPath) {
  std::string host;
  return ToHost(windowsPath, &host) ? host : std::string();
}

std::string EmuWindowsPath(const std::string& hostPath) {
  std::string w = "Z:";
  if (hostPath.empty() || hostPath[0] != '/') w += "\\";
  for (char c : hostPath) w += (c == '/') ? '\\' : c;
  if (w.size() > 3 && w.back() == '\\') w.pop_back();
  return w;
}

void EmuExactNames(bool on) { g_exactNames = on; }

// ---- errors -------------------------------------------------------------------------

uint32_t LastError() { return t_lastError; }
void SetLastErrorCode(uint32_t code) { t_lastError = code; }

std::string ErrorText(uint32_t code) {
  if (code == kErrNone) return std::strerror(0);
  return std::strerror(ErrnoOf(code));
}

// ---- the current folder ---------------------------------------------------------

std::string CurrentFolder() {
  std::lock_guard<std::mutex> lock(Drives().mutex);
  return Drives().currentFolder;
}

bool SetCurrentFolder(const std::string& path) {
  WinPath wp;
  if (!ParseWinPath(path, &wp) || !IsFolder(path)) return Fail(kErrPathNotFound), false;
  std::string w(1, wp.drive);
  w += ":";
  for (const std::string& part : wp.parts) w += "\\" + part;
  if (wp.parts.empty()) w += "\\";
  std::lock_guard<std::mutex> lock(Drives().mutex);
  Drives().currentFolder = w;
  return true;
}

}  // namespace plat
