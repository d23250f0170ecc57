// The Linux emulation's open files: opening as CreateFile decides (share
// modes, dispositions, the codes of a failed open), reads and writes within
// an emulated drive's clusters, and the faults a test arms against them.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <memory>

#include "frame/platform/emulation_internal.h"

namespace plat {

using namespace emu;

// ---- faults ------------------------------------------------------------------

namespace {

struct ArmedFault {
  Fault fault;
  int skip;
  std::string pathPart;
};

std::mutex g_faultMutex;
std::vector<ArmedFault> g_faults;

bool ContainsNoCase(const std::string& text, const std::string& part) {
  if (part.empty()) return true;
  auto it = std::search(text.begin(), text.end(), part.begin(), part.end(), [](char a, char b) {
    return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
  });
  return it != text.end();
}

}  // namespace

std::atomic<bool> emu::g_anyFault{false};

bool emu::FaultFires(Fault fault, const std::string& windowsPath) {
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

void EmuInjectFault(Fault fault, int skip, const std::string& pathPart) {
  std::lock_guard<std::mutex> lock(g_faultMutex);
  g_faults.push_back({fault, skip, pathPart});
  g_anyFault = true;
}

void EmuClearFaults() {
  std::lock_guard<std::mutex> lock(g_faultMutex);
  g_faults.clear();
  g_anyFault = false;
}

// ---- open files ----------------------------------------------------------------

namespace {

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

}  // namespace

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

}  // namespace plat
