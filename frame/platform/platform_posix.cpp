// The platform layer on Linux: an emulation of Windows drives over host
// folders (see emulation.h). Paths come in Windows form and are mapped to
// the host; names are found without regard to case, as Windows does.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "frame/platform/emulation.h"
#include "frame/platform/platform.h"

namespace plat {

namespace {

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

// ---- drives and paths ------------------------------------------------------

struct DriveTable {
  std::mutex mutex;
  std::map<char, EmulatedDrive> drives;
  std::string currentFolder;  // Windows form
};

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

// A Windows path made absolute and split: drive letter and components,
// with "." and ".." resolved.
struct WinPath {
  char drive = 0;
  std::vector<std::string> parts;
};

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

// Host path of a Windows path; false when the drive is not mapped.
bool ToHost(const std::string& windowsPath, std::string* host, char* driveLetter = nullptr) {
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

// Bytes in use on an emulated drive, counted in whole clusters.
uint64_t ClustersInUse(const std::string& folder, uint64_t clusterBytes) {
  uint64_t clusters = 0;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return 0;
  while (dirent* e = readdir(dir)) {
    if (!strcmp(e->d_name, ".") || !strcmp(e->d_name, "..")) continue;
    std::string path = JoinHost(folder, e->d_name);
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode))
      clusters += ClustersInUse(path, clusterBytes);
    else
      clusters += (static_cast<uint64_t>(st.st_size) + clusterBytes - 1) / clusterBytes;
  }
  closedir(dir);
  return clusters;
}

// ---- faults ------------------------------------------------------------------

struct ArmedFault {
  Fault fault;
  int skip;
  std::string pathPart;
};

std::mutex g_faultMutex;
std::vector<ArmedFault> g_faults;
std::atomic<bool> g_anyFault{false};

bool ContainsNoCase(const std::string& text, const std::string& part) {
  if (part.empty()) return true;
  auto it = std::search(text.begin(), text.end(), part.begin(), part.end(), [](char a, char b) {
    return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
  });
  return it != text.end();
}

// True when an armed fault of this kind fires for this call.
bool FaultFires(Fault fault, const std::string& windowsPath) {
  if (!g_anyFault.load(std::memory_order_relaxed)) return false;
  std::lock_guard<std::mutex> lock(g_faultMutex);
  for (size_t i = 0; i < g_faults.size(); ++i) {
    ArmedFault& f = g_faults[i];
    if (f.fault != fault || !ContainsNoCase(windowsPath, f.pathPart)) continue;
    if (f.skip > 0) {
      --f.skip;
      return false;
    }
    g_faults.erase(g_faults.begin() + static_cast<long>(i));
    g_anyFault = !g_faults.empty();
    return true;
  }
  return false;
}

// ---- open files ----------------------------------------------------------------

struct OpenFile {
  int fd = -1;
  char drive = 0;
  std::string windowsPath;
  std::string hostPath;
  uint32_t access = 0;
  uint32_t share = 0;
  // The size seen at open, for a file opened for reading that shares no
  // writing: while it is open nothing may write to it, so its size holds.
  // -1 for every other open file.
  int64_t heldSize = -1;
};

// The table holds each record once; a call borrows it without copying
// its paths.
using OpenFileRef = std::shared_ptr<const OpenFile>;

std::mutex g_filesMutex;
std::map<FileHandle, OpenFileRef> g_files;
FileHandle g_nextHandle = 100;

bool GetOpenFile(FileHandle h, OpenFileRef* file) {
  std::lock_guard<std::mutex> lock(g_filesMutex);
  auto it = g_files.find(h);
  if (it == g_files.end()) return false;
  *file = it->second;
  return true;
}

// True when an open with this access and share may join the handles
// already open on hostPath, as Windows share modes decide.
bool ShareAllows(const std::string& hostPath, uint32_t access, uint32_t share) {
  std::lock_guard<std::mutex> lock(g_filesMutex);
  for (const auto& [h, f] : g_files) {
    if (f->hostPath != hostPath) continue;
    if ((access & kWrite) && !(f->share & kShareWrite)) return false;
    if ((access & kRead) && !(f->share & kShareRead)) return false;
    if ((f->access & kWrite) && !(share & kShareWrite)) return false;
    if ((f->access & kRead) && !(share & kShareRead)) return false;
  }
  return true;
}

// ---- listings ------------------------------------------------------------------

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

// ---- shell helpers ----------------------------------------------------------------

std::string ParentOf(const std::string& windowsPath) {
  size_t k = windowsPath.find_last_of('\\');
  return k == std::string::npos ? std::string() : windowsPath.substr(0, k);
}

std::string LastPart(const std::string& windowsPath) {
  size_t k = windowsPath.find_last_of('\\');
  return k == std::string::npos ? windowsPath : windowsPath.substr(k + 1);
}

bool HasWildcard(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

bool IsFolder(const std::string& windowsPath) {
  uint32_t a = GetAttributes(windowsPath);
  return a != kAttrInvalid && (a & kAttrDirectory);
}

uint32_t CopyOneFile(const std::string& from, const std::string& to) {
  FileHandle in = FileOpen(from, kRead, Disposition::OpenExisting, kShareRead);
  if (in == kNoFile) return kErrShellNoSource;
  FileHandle out = FileOpen(to, kWrite, Disposition::CreateAlways, kShareNone);
  if (out == kNoFile) {
    uint32_t code = LastError();
    FileClose(in);
    return code;
  }
  std::vector<char> buffer(1 << 20);
  uint32_t result = 0;
  for (;;) {
    uint32_t got = 0;
    if (!FileRead(in, buffer.data(), static_cast<uint32_t>(buffer.size()), &got)) {
      result = LastError();
      break;
    }
    if (got == 0) break;
    uint32_t done = 0;
    if (!FileWrite(out, buffer.data(), got, &done) || done != got) {
      result = kErrDiskFull;
      break;
    }
  }
  FileTimes times;
  if (result == 0 && FileGetTimes(in, &times)) FileSetTimes(out, times);
  FileClose(in);
  FileClose(out);
  return result;
}

uint32_t DeleteTree(const std::string& windowsPath) {
  // A link to a folder goes itself, as the shell deletes a junction.
  if (!IsFolder(windowsPath) || (GetAttributes(windowsPath) & kAttrReparsePoint)) {
    if (!DeleteOneFile(windowsPath)) return LastError();
    return 0;
  }
  FindEntry e;
  FindHandle h = FindFirst(windowsPath + "\\*.*", &e);
  if (h != kNoFind) {
    do {
      if (e.name == "." || e.name == "..") continue;
      if (uint32_t code = DeleteTree(windowsPath + "\\" + e.name)) {
        FindClose(h);
        return code;
      }
    } while (FindNext(h, &e));
    FindClose(h);
  }
  return RemoveFolder(windowsPath) ? 0 : LastError();
}

uint32_t CopyTree(const std::string& from, const std::string& to) {
  if (!IsFolder(from)) return CopyOneFile(from, to);
  if (!CreateFolder(to) && LastError() != kErrAlreadyExists) return LastError();
  FindEntry e;
  FindHandle h = FindFirst(from + "\\*.*", &e);
  if (h == kNoFind) return 0;
  uint32_t code = 0;
  do {
    if (e.name == "." || e.name == "..") continue;
    code = CopyTree(from + "\\" + e.name, to + "\\" + e.name);
  } while (code == 0 && FindNext(h, &e));
  FindClose(h);
  return code;
}

}  // namespace

// ---- emulation control ------------------------------------------------------------

void EmuMapDrive(char letter, const EmulatedDrive& drive) {
  DriveTable& t = Drives();
  std::lock_guard<std::mutex> lock(t.mutex);
  t.drives[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] = drive;
}

void EmuUnmapDrive(char letter) {
  DriveTable& t = Drives();
  std::lock_guard<std::mutex> lock(t.mutex);
  t.drives.erase(static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
}

EmulatedDrive EmuFloppy(const std::string& hostFolder) {
  EmulatedDrive d;
  d.hostFolder = hostFolder;
  d.type = kDriveRemovable;
  d.capacity = 1457664;
  d.bytesPerSector = 512;
  d.sectorsPerCluster = 1;
  return d;
}

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

void EmuInjectFault(Fault fault, int skip, const std::string& pathPart) {
  std::lock_guard<std::mutex> lock(g_faultMutex);
  g_faults.push_back({fault, skip, pathPart});
  g_anyFault = true;
}

std::mutex g_questionMutex;
std::function<bool(const std::string&)> g_replaceQuestion;

void EmuSetShellReplaceQuestion(std::function<bool(const std::string& target)> question) {
  std::lock_guard<std::mutex> lock(g_questionMutex);
  g_replaceQuestion = std::move(question);
}

// The shell's replace question for a file target; Yes when none is set.
bool ShellMayReplace(const std::string& target) {
  std::function<bool(const std::string&)> question;
  {
    std::lock_guard<std::mutex> lock(g_questionMutex);
    question = g_replaceQuestion;
  }
  return !question || question(target);
}

void EmuClearFaults() {
  std::lock_guard<std::mutex> lock(g_faultMutex);
  g_faults.clear();
  g_anyFault = false;
}

// ---- errors -------------------------------------------------------------------------

uint32_t LastError() { return t_lastError; }
void SetLastErrorCode(uint32_t code) { t_lastError = code; }

std::string ErrorText(uint32_t code) {
  if (code == kErrNone) return std::strerror(0);
  return std::strerror(ErrnoOf(code));
}

// ---- files ----------------------------------------------------------------------------

namespace {

// The code a failed open reports, worked out from the path once the open
// has failed (so a successful open never looks the path up): a missing
// file in an existing folder is 2, a missing folder 3, a folder or a
// read-only file asked for writing 5, another file that is there 80.
uint32_t OpenFailure(const std::string& host, int error, uint32_t access, bool creating) {
  struct stat st;
  if (error == EEXIST) {
    if (stat(host.c_str(), &st) == 0 &&
        (S_ISDIR(st.st_mode) || ((access & kWrite) && !(st.st_mode & S_IWUSR))))
      return kErrAccessDenied;
    return kErrFileExists;
  }
  if (error != ENOENT) return ErrnoToCode(error);
  if (creating) return kErrPathNotFound;  // the file would be made: its folder is missing
  const std::string folder = host.substr(0, host.find_last_of('/') + 1);
  return stat(folder.c_str(), &st) == 0 ? kErrFileNotFound : kErrPathNotFound;
}

}  // namespace

// Opens first and then looks at what it opened, so that a successful open
// costs one look-up of the path: a folder, or anything else that is not a
// plain file, is refused as CreateFile refuses a folder. Truncation waits
// until every check has passed, so a refused open never cuts a file short.
FileHandle FileOpen(const std::string& path, uint32_t access, Disposition disposition,
                    uint32_t share, bool /*sequential*/) {
  std::string host;
  char letter = 0;
  if (!ToHost(path, &host, &letter)) {
    Fail(kErrPathNotFound);
    return kNoFile;
  }
  if (FaultFires(Fault::OpenFails, path)) {
    Fail(kErrAccessDenied);
    return kNoFile;
  }
  const bool truncate =
      disposition == Disposition::CreateAlways || disposition == Disposition::TruncateExisting;
  const bool creates = disposition == Disposition::OpenAlways ||
                       disposition == Disposition::CreateAlways ||
                       disposition == Disposition::CreateNew;
  int mode = (access & kWrite) ? ((access & kRead) ? O_RDWR : O_WRONLY) : O_RDONLY;
  if (truncate && mode == O_RDONLY) mode = O_RDWR;
  // Without O_NONBLOCK opening a pipe would wait for its other end; a
  // plain file reads and writes the same with it.
  const int flags = mode | O_CLOEXEC | O_NONBLOCK;
  bool existed = false;
  int fd = -1;
  // An open-always finds the file, or makes it when it is not there (and
  // looks again should another make it in between).
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (disposition != Disposition::CreateNew) {
      fd = open(host.c_str(), flags);
      existed = fd >= 0;
      if (fd >= 0 || errno != ENOENT || !creates) break;
    }
    fd = open(host.c_str(), flags | O_CREAT | O_EXCL, 0666);
    if (fd >= 0 || errno != EEXIST || disposition == Disposition::CreateNew) break;
  }
  if (fd < 0) {
    Fail(OpenFailure(host, errno, access, creates));
    return kNoFile;
  }
  struct stat st;
  uint32_t refused = kErrNone;
  if (fstat(fd, &st) != 0) refused = ErrnoToCode(errno);
  else if (!S_ISREG(st.st_mode)) refused = kErrAccessDenied;
  else if (existed && ((access & kWrite) || truncate) && !(st.st_mode & S_IWUSR))
    refused = kErrAccessDenied;  // a read-only file
  else if (!ShareAllows(host, access, share)) refused = kErrSharingViolation;
  else if (truncate && existed && ftruncate(fd, 0) != 0) refused = ErrnoToCode(errno);
  if (refused != kErrNone) {
    close(fd);
    if (!existed) unlink(host.c_str());
    Fail(refused);
    return kNoFile;
  }
  OpenFile f;
  f.fd = fd;
  f.drive = letter;
  f.windowsPath = path;
  f.hostPath = host;
  f.access = access;
  f.share = share;
  if (!(access & kWrite) && !(share & kShareWrite)) f.heldSize = static_cast<int64_t>(st.st_size);
  FileHandle h;
  {
    std::lock_guard<std::mutex> lock(g_filesMutex);
    h = g_nextHandle++;
    g_files[h] = std::make_shared<const OpenFile>(std::move(f));
  }
  bool reportsExisting = existed && (disposition == Disposition::OpenAlways ||
                                     disposition == Disposition::CreateAlways);
  t_lastError = reportsExisting ? kErrAlreadyExists : kErrNone;
  return h;
}

bool FileRead(FileHandle h, void* buffer, uint32_t size, uint32_t* done) {
  *done = 0;
  OpenFileRef f;
  if (!GetOpenFile(h, &f)) return Fail(kErrInvalidHandle), false;
  if (size > 1 && FaultFires(Fault::ShortRead, f->windowsPath)) size /= 2;
  char* p = static_cast<char*>(buffer);
  while (*done < size) {
    ssize_t n = read(f->fd, p + *done, size - *done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Fail(ErrnoToCode(errno)), false;
    }
    if (n == 0) break;
    *done += static_cast<uint32_t>(n);
  }
  t_lastError = 0;
  return true;
}

bool FileWrite(FileHandle h, const void* buffer, uint32_t size, uint32_t* done) {
  *done = 0;
  OpenFileRef f;
  if (!GetOpenFile(h, &f)) return Fail(kErrInvalidHandle), false;
  if (FaultFires(Fault::DiskFull, f->windowsPath)) return Fail(kErrDiskFull), false;
  if (size > 1 && FaultFires(Fault::ShortWrite, f->windowsPath)) size /= 2;
  EmulatedDrive drive;
  if (LookUpDrive(f->drive, &drive) && drive.capacity > 0 && size > 0) {
    // Only whole clusters that are still free can take new bytes.
    uint64_t cluster = static_cast<uint64_t>(drive.bytesPerSector) * drive.sectorsPerCluster;
    uint64_t total = static_cast<uint64_t>(drive.capacity) / cluster;
    uint64_t used = ClustersInUse(drive.hostFolder, cluster);
    uint64_t free = used < total ? total - used : 0;
    struct stat st;
    fstat(f->fd, &st);
    uint64_t pos = static_cast<uint64_t>(lseek(f->fd, 0, SEEK_CUR));
    uint64_t sizeNow = static_cast<uint64_t>(st.st_size);
    uint64_t endAllowed = ((sizeNow + cluster - 1) / cluster + free) * cluster;
    if (pos + size > endAllowed) {
      if (pos >= endAllowed) return Fail(kErrDiskFull), false;
      size = static_cast<uint32_t>(endAllowed - pos);
    }
  }
  const char* p = static_cast<const char*>(buffer);
  while (*done < size) {
    ssize_t n = write(f->fd, p + *done, size - *done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Fail(ErrnoToCode(errno)), false;
    }
    *done += static_cast<uint32_t>(n);
  }
  t_lastError = 0;
  return true;
}

namespace {

// A drive with an emulated capacity counts its clusters on every write.
bool HasCapacity(char letter) {
  EmulatedDrive drive;
  return LookUpDrive(letter, &drive) && drive.capacity > 0;
}

}  // namespace

bool FileCopy(FileHandle from, FileHandle to, uint64_t size, void* buffer, uint32_t bufferBytes,
              uint64_t* read, uint64_t* written) {
  *read = *written = 0;
  OpenFileRef in, out;
  if (!GetOpenFile(from, &in) || !GetOpenFile(to, &out)) return Fail(kErrInvalidHandle), false;
  // The floppy's cluster count and an armed fault both act on FileRead and
  // FileWrite: those copies take the buffered path.
  if (!g_anyFault.load(std::memory_order_relaxed) && !HasCapacity(in->drive) && !HasCapacity(out->drive)) {
    while (*read < size) {
      ssize_t n = copy_file_range(in->fd, nullptr, out->fd, nullptr, size - *read, 0);
      if (n < 0) {
        if (errno == EINTR) continue;
        // Nothing moved yet and the system cannot copy between these two:
        // the buffer does it.
        if (*read == 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                           errno == EOPNOTSUPP || errno == EBADF))
          break;
        return Fail(ErrnoToCode(errno)), false;
      }
      if (n == 0) break;
      *read += static_cast<uint64_t>(n);
      *written = *read;
    }
    if (*read > 0 || size == 0) return t_lastError = 0, true;
    // The end of the file and a refused copy look alike here: the buffered
    // path settles which.
  }
  return CopyThroughBuffer(from, to, size, buffer, bufferBytes, read, written);
}

bool FileSeek(FileHandle h, int64_t offset) {
  OpenFileRef f;
  if (!GetOpenFile(h, &f)) return Fail(kErrInvalidHandle), false;
  if (offset < 0) return Fail(kErrInvalidParameter), false;
  if (lseek(f->fd, static_cast<off_t>(offset), SEEK_SET) < 0) return Fail(ErrnoToCode(errno)), false;
  t_lastError = 0;
  return true;
}

int64_t FileSize(FileHandle h) {
  OpenFileRef f;
  struct stat st;
  if (!GetOpenFile(h, &f)) return Fail(kErrInvalidHandle), -1;
  if (f->heldSize >= 0) return f->heldSize;
  if (fstat(f->fd, &st) != 0) return Fail(ErrnoToCode(errno)), -1;
  return static_cast<int64_t>(st.st_size);
}

bool FileSetEnd(FileHandle h) {
  OpenFileRef f;
  if (!GetOpenFile(h, &f)) return Fail(kErrInvalidHandle), false;
  const off_t at = lseek(f->fd, 0, SEEK_CUR);
  if (at < 0 || ftruncate(f->fd, at) != 0) return Fail(ErrnoToCode(errno)), false;
  t_lastError = 0;
  return true;
}

bool FileClose(FileHandle h) {
  OpenFileRef f;
  {
    std::lock_guard<std::mutex> lock(g_filesMutex);
    auto it = g_files.find(h);
    if (it == g_files.end()) return Fail(kErrInvalidHandle), false;
    f = std::move(it->second);
    g_files.erase(it);
  }
  close(f->fd);
  if (FaultFires(Fault::CloseFails, f->windowsPath)) return Fail(kErrDiskFull), false;
  return true;
}

bool FileGetTimes(FileHandle h, FileTimes* times) {
  OpenFileRef f;
  struct stat st;
  if (!GetOpenFile(h, &f)) return Fail(kErrInvalidHandle), false;
  if (fstat(f->fd, &st) != 0) return Fail(ErrnoToCode(errno)), false;
  times->creation = ToFileTime(st.st_mtim);
  times->access = ToFileTime(st.st_atim);
  times->write = ToFileTime(st.st_mtim);
  return true;
}

bool FileSetTimes(FileHandle h, const FileTimes& times) {
  OpenFileRef f;
  if (!GetOpenFile(h, &f)) return Fail(kErrInvalidHandle), false;
  timespec ts[2];
  ts[0] = times.access ? FromFileTime(times.access) : timespec{0, UTIME_OMIT};
  ts[1] = times.write ? FromFileTime(times.write) : timespec{0, UTIME_OMIT};
  if (futimens(f->fd, ts) != 0) return Fail(ErrnoToCode(errno)), false;
  return true;
}

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

// ---- drives -------------------------------------------------------------------------------

uint32_t DriveType(const std::string& root) {
  if (root.size() < 2 || root[1] != ':') return kDriveNoRoot;
  EmulatedDrive drive;
  if (!LookUpDrive(root[0], &drive)) return kDriveNoRoot;
  return drive.type;
}

bool DiskFreeSpace(const std::string& root, DiskGeometry* g) {
  EmulatedDrive drive;
  if (root.size() < 2 || root[1] != ':' || !LookUpDrive(root[0], &drive))
    return Fail(kErrPathNotFound), false;
  if (drive.capacity > 0) {
    uint64_t cluster = static_cast<uint64_t>(drive.bytesPerSector) * drive.sectorsPerCluster;
    uint64_t total = static_cast<uint64_t>(drive.capacity) / cluster;
    uint64_t used = ClustersInUse(drive.hostFolder, cluster);
    g->bytesPerSector = drive.bytesPerSector;
    g->sectorsPerCluster = drive.sectorsPerCluster;
    g->totalClusters = static_cast<uint32_t>(total);
    g->freeClusters = static_cast<uint32_t>(used < total ? total - used : 0);
    return true;
  }
  struct statvfs vfs;
  if (statvfs(drive.hostFolder.c_str(), &vfs) != 0) return Fail(ErrnoToCode(errno)), false;
  // Report in 4096-byte clusters, capped as the 32-bit interface is.
  uint64_t unit = vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize;
  auto clusters = [&](uint64_t blocks) {
    return static_cast<uint32_t>(std::min<uint64_t>(blocks * unit / 4096, 0xFFFFFFFFULL));
  };
  g->bytesPerSector = 512;
  g->sectorsPerCluster = 8;
  g->totalClusters = clusters(vfs.f_blocks);
  g->freeClusters = clusters(vfs.f_bavail);
  return true;
}

// ---- shell ---------------------------------------------------------------------------------

uint32_t ShellFileOperation(ShellOp op, const std::string& from, const std::string& to,
                            uint32_t flags) {
  std::vector<std::string> sources;
  std::string folder = ParentOf(from);
  if (HasWildcard(LastPart(from))) {
    FindEntry e;
    FindHandle h = FindFirst(from, &e);
    if (h != kNoFind) {
      do {
        if (e.name == "." || e.name == "..") continue;
        if ((flags & kShellFilesOnly) && (e.attributes & kAttrDirectory)) continue;
        sources.push_back(folder + "\\" + e.name);
      } while (FindNext(h, &e));
      FindClose(h);
    }
    if (sources.empty()) return 0;
  } else {
    if (!PathExists(from)) return kErrShellNoSource;
    sources.push_back(from);
  }

  if (op == ShellOp::Delete) {
    for (const std::string& s : sources)
      if (uint32_t code = DeleteTree(s)) return code;
    return 0;
  }
  if (op == ShellOp::Rename) {
    std::string a, b;
    if (!ToHost(from, &a) || !ToHost(to, &b)) return kErrPathNotFound;
    if (PathExists(to)) return kErrAlreadyExists;
    return rename(a.c_str(), b.c_str()) == 0 ? 0 : ErrnoToCode(errno);
  }
  // Copy or move: into the target folder, or onto the target name.
  bool intoFolder = sources.size() > 1 || HasWildcard(LastPart(from)) || IsFolder(to);
  if (intoFolder && !IsFolder(to) && !CreateFolder(to)) return LastError();
  for (const std::string& s : sources) {
    std::string target = intoFolder ? to + "\\" + LastPart(s) : to;
    if (!(flags & kShellNoConfirmation) && !IsFolder(s) && PathExists(target) && !IsFolder(target) &&
        !ShellMayReplace(target))
      return kErrCancelled;
    if (op == ShellOp::Move) {
      std::string a, b;
      if (ToHost(s, &a) && ToHost(target, &b) && rename(a.c_str(), b.c_str()) == 0) continue;
    }
    if (uint32_t code = CopyTree(s, target)) return code;
    std::string host;
    if (!IsFolder(s) && FaultFires(Fault::ShellCopyCutShort, target) && ToHost(target, &host)) {
      if (truncate(host.c_str(), static_cast<off_t>(SizeOfPath(target) / 2)) != 0) return ErrnoToCode(errno);
      continue;  // as if it went well
    }
    if (!IsFolder(s) && SizeOfPath(target) != SizeOfPath(s)) return kErrDiskFull;
    if (op == ShellOp::Move)
      if (uint32_t code = DeleteTree(s)) return code;
  }
  return 0;
}

// ---- names, folders and time ----------------------------------------------------------------

uint32_t TempFileName(const std::string& folder, const std::string& prefix, std::string* path) {
  static std::atomic<uint32_t> counter{static_cast<uint32_t>(time(nullptr))};
  if (!IsFolder(folder)) return Fail(kErrDirectory), 0;
  std::string base = folder;
  if (base.empty() || base.back() != '\\') base += '\\';
  base += prefix.substr(0, 3);
  for (int tries = 0; tries < 65535; ++tries) {
    uint32_t unique = (counter++ & 0xFFFF);
    if (unique == 0) continue;
    char hex[8];
    snprintf(hex, sizeof hex, "%X", unique);
    std::string candidate = base + hex + ".tmp";
    FileHandle h = FileOpen(candidate, kWrite, Disposition::CreateNew, kShareNone);
    if (h == kNoFile) {
      if (LastError() == kErrFileExists) continue;
      return 0;
    }
    FileClose(h);
    *path = candidate;
    return unique;
  }
  return Fail(kErrFileExists), 0;
}

std::string TempFolder() {
  const char* tmp = getenv("TMPDIR");
  std::string w = EmuWindowsPath(tmp && *tmp ? tmp : "/tmp");
  if (w.back() != '\\') w += '\\';
  return w;
}

std::string CurrentFolder() {
  std::lock_guard<std::mutex> lock(Drives().mutex);
  return Drives().currentFolder;
}

bool OemName(const std::string& name, std::string* oem) {
  *oem = name;
  return true;
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

LocalTime Now() {
  timeval tv;
  gettimeofday(&tv, nullptr);
  tm t;
  localtime_r(&tv.tv_sec, &t);
  LocalTime lt;
  lt.year = t.tm_year + 1900;
  lt.month = t.tm_mon + 1;
  lt.dayOfWeek = t.tm_wday;
  lt.day = t.tm_mday;
  lt.hour = t.tm_hour;
  lt.minute = t.tm_min;
  lt.second = t.tm_sec;
  lt.milliseconds = static_cast<int>(tv.tv_usec / 1000);
  return lt;
}

uint64_t TickCount() {
  using namespace std::chrono;
  return static_cast<uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SleepMs(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void WriteStandardError(const std::string& text) {
  // stderr is unbuffered: one fwrite is one write.
  std::fwrite(text.data(), 1, text.size(), stderr);
}

VersionInfo QueryVersion() {
  // The emulation presents itself as the NT family.
  VersionInfo v;
  v.ok = true;
  v.platformId = 2;
  v.major = 5;
  v.minor = 1;
  v.build = 2600;
  v.servicePack = "Service Pack 3";
  return v;
}

}  // namespace plat
