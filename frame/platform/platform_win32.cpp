// The platform layer on Windows: thin wrappers over the Win32 "A" functions.
#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "frame/platform/platform.h"

namespace plat {

namespace {

std::string Trimmed(const std::string& s) {
  size_t end = s.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : s.substr(0, end + 1);
}

uint64_t JoinTime(const FILETIME& t) {
  return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

FILETIME SplitTime(uint64_t v) {
  FILETIME t;
  t.dwLowDateTime = static_cast<DWORD>(v);
  t.dwHighDateTime = static_cast<DWORD>(v >> 32);
  return t;
}

FindEntry EntryOf(const WIN32_FIND_DATAA& d) {
  FindEntry e;
  e.attributes = d.dwFileAttributes;
  e.times.creation = JoinTime(d.ftCreationTime);
  e.times.access = JoinTime(d.ftLastAccessTime);
  e.times.write = JoinTime(d.ftLastWriteTime);
  e.size = (static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
  e.name = d.cFileName;
  return e;
}

bool HasWildcard(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

std::string LastPart(const std::string& path) {
  size_t k = path.find_last_of('\\');
  return k == std::string::npos ? path : path.substr(k + 1);
}

// A function of a newer Windows than XP, or null where the system lacks it
// (the program is built for XP, whose loader refuses a missing import).
template <typename Fn>
Fn NewerFunction(const char* name) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

// The tick count is also the thread library's clock (see the end of this
// file), so it takes no lock and has no guarded static: its state is
// constant-initialised, and a race only looks the same function up twice.
using TickCount64 = ULONGLONG(WINAPI*)();
constexpr uintptr_t kNotLookedUp = 1;
std::atomic<uintptr_t> g_tickCount64{kNotLookedUp};  // else the function, or 0
std::atomic<uint64_t> g_lastTick{0};                  // 0: none taken yet

// Windows XP's 32-bit millisecond count, carried on past its wrap.
uint64_t WidenedTickCount() {
  uint64_t seen = g_lastTick.load();
  for (;;) {
    const DWORD now = GetTickCount();
    const uint64_t widened = seen == 0 ? now : WidenTick(seen, now);
    if (widened == seen || g_lastTick.compare_exchange_weak(seen, widened)) return widened;
  }
}

}  // namespace

uint32_t LastError() { return GetLastError(); }
void SetLastErrorCode(uint32_t code) { SetLastError(code); }

std::string ErrorText(uint32_t code) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string said = length && text ? std::string(text, length) : std::string();
  if (text) LocalFree(text);
  // One clause, as strerror gives it: no line end, no full stop.
  while (!said.empty() && (said.back() == '\r' || said.back() == '\n' || said.back() == ' ' ||
                           said.back() == '.'))
    said.pop_back();
  return said.empty() ? "error " + std::to_string(code) : said;
}

FileHandle FileOpen(const std::string& path, uint32_t access, Disposition disposition,
                    uint32_t share, bool sequential) {
  DWORD desired = ((access & kRead) ? GENERIC_READ : 0) | ((access & kWrite) ? GENERIC_WRITE : 0);
  DWORD shareMode = ((share & kShareRead) ? FILE_SHARE_READ : 0) |
                    ((share & kShareWrite) ? FILE_SHARE_WRITE : 0);
  DWORD how = OPEN_EXISTING;
  switch (disposition) {
    case Disposition::OpenAlways: how = OPEN_ALWAYS; break;
    case Disposition::CreateAlways: how = CREATE_ALWAYS; break;
    case Disposition::OpenExisting: how = OPEN_EXISTING; break;
    case Disposition::TruncateExisting: how = TRUNCATE_EXISTING; break;
    case Disposition::CreateNew: how = CREATE_NEW; break;
  }
  DWORD flags = FILE_ATTRIBUTE_NORMAL | (sequential ? FILE_FLAG_SEQUENTIAL_SCAN : 0);
  HANDLE h = CreateFileA(Trimmed(path).c_str(), desired, shareMode, nullptr, how, flags, nullptr);
  if (h == INVALID_HANDLE_VALUE) return kNoFile;
  // CreateFileA leaves 183 after open-always and create-always found the
  // file; any other success leaves the code untouched, so clear it.
  if (GetLastError() != ERROR_ALREADY_EXISTS) SetLastError(0);
  return reinterpret_cast<FileHandle>(h);
}

bool FileRead(FileHandle h, void* buffer, uint32_t size, uint32_t* done) {
  DWORD got = 0;
  BOOL ok = ReadFile(reinterpret_cast<HANDLE>(h), buffer, size, &got, nullptr);
  *done = got;
  return ok != 0;
}

bool FileWrite(FileHandle h, const void* buffer, uint32_t size, uint32_t* done) {
  DWORD put = 0;
  BOOL ok = WriteFile(reinterpret_cast<HANDLE>(h), buffer, size, &put, nullptr);
  *done = put;
  return ok != 0;
}

// Windows has no copy between two open handles: the bytes go through the
// caller's buffer.
bool FileCopy(FileHandle from, FileHandle to, uint64_t size, void* buffer, uint32_t bufferBytes,
              uint64_t* read, uint64_t* written) {
  *read = *written = 0;
  return CopyThroughBuffer(from, to, size, buffer, bufferBytes, read, written);
}

bool FileSeek(FileHandle h, int64_t offset) {
  LONG high = static_cast<LONG>(offset >> 32);
  SetLastError(0);
  DWORD low = SetFilePointer(reinterpret_cast<HANDLE>(h), static_cast<LONG>(offset & 0xFFFFFFFF),
                             &high, FILE_BEGIN);
  return !(low == INVALID_SET_FILE_POINTER && GetLastError() != 0);
}

int64_t FileSize(FileHandle h) {
  DWORD high = 0;
  SetLastError(0);
  DWORD low = GetFileSize(reinterpret_cast<HANDLE>(h), &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != 0) return -1;
  return (static_cast<int64_t>(high) << 32) | low;
}

bool FileSetEnd(FileHandle h) { return SetEndOfFile(reinterpret_cast<HANDLE>(h)) != 0; }

bool FileClose(FileHandle h) { return CloseHandle(reinterpret_cast<HANDLE>(h)) != 0; }

bool FileGetTimes(FileHandle h, FileTimes* times) {
  FILETIME c, a, w;
  if (!GetFileTime(reinterpret_cast<HANDLE>(h), &c, &a, &w)) return false;
  times->creation = JoinTime(c);
  times->access = JoinTime(a);
  times->write = JoinTime(w);
  return true;
}

bool FileSetTimes(FileHandle h, const FileTimes& times) {
  FILETIME c = SplitTime(times.creation), a = SplitTime(times.access), w = SplitTime(times.write);
  return SetFileTime(reinterpret_cast<HANDLE>(h), times.creation ? &c : nullptr,
                     times.access ? &a : nullptr, times.write ? &w : nullptr) != 0;
}

uint32_t GetAttributes(const std::string& path) {
  return GetFileAttributesA(Trimmed(path).c_str());
}

bool SetAttributes(const std::string& path, uint32_t attributes) {
  return SetFileAttributesA(Trimmed(path).c_str(), attributes) != 0;
}

bool DeleteOneFile(const std::string& path) { return DeleteFileA(Trimmed(path).c_str()) != 0; }
bool RemoveFolder(const std::string& path) {
  return RemoveDirectoryA(Trimmed(path).c_str()) != 0;
}
bool CreateFolder(const std::string& path) {
  return CreateDirectoryA(Trimmed(path).c_str(), nullptr) != 0;
}
bool PathExists(const std::string& path) { return GetAttributes(path) != kAttrInvalid; }
bool RenameFile(const std::string& from, const std::string& to) {
  // Without MOVEFILE_REPLACE_EXISTING the move fails with 183 on a taken name.
  return MoveFileExA(Trimmed(from).c_str(), Trimmed(to).c_str(), 0) != 0;
}

bool ObjectIdOf(const std::string& path, ObjectId* id) {
  // Backup semantics open folders too; no access right is needed to ask.
  HANDLE h = CreateFileA(Trimmed(path).c_str(), FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  // The 128-bit id where the system has it (Windows 8 and later); else the
  // volume serial number and the 64-bit file index. (Declared here: the
  // headers give them only to programs for newer systems than XP.)
  struct IdInfo {
    ULONGLONG volume;
    BYTE file[16];
  } full = {};
  using InfoByHandleEx = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);
  static const auto infoByHandleEx = NewerFunction<InfoByHandleEx>("GetFileInformationByHandleEx");
  const int kFileIdInfo = 18;
  bool ok = infoByHandleEx && infoByHandleEx(h, kFileIdInfo, &full, sizeof full) != 0;
  if (ok) {
    uint64_t low = 0, high = 0;
    memcpy(&low, full.file, 8);
    memcpy(&high, full.file + 8, 8);
    id->volume = full.volume;
    id->index = low ^ (high * 0x9E3779B97F4A7C15ull);
  } else {
    BY_HANDLE_FILE_INFORMATION info = {};
    ok = GetFileInformationByHandle(h, &info) != 0;
    id->volume = info.dwVolumeSerialNumber;
    id->index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  }
  const DWORD code = GetLastError();
  CloseHandle(h);
  SetLastError(code);
  return ok;
}

bool FinalPath(const std::string& path, std::string* final) {
  // Windows Vista and later name the object behind a handle; older
  // systems have no such call, and the text of the full path is all there is.
  using FinalName = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);
  static const auto finalName = NewerFunction<FinalName>("GetFinalPathNameByHandleA");
  if (!finalName) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return false;
  }
  HANDLE h = CreateFileA(Trimmed(path).c_str(), FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  std::vector<char> name(32768);
  const DWORD n = finalName(h, name.data(), static_cast<DWORD>(name.size()), 0);
  const DWORD code = GetLastError();
  CloseHandle(h);
  if (n == 0 || n >= name.size()) {
    SetLastError(code);
    return false;
  }
  std::string text(name.data(), n);
  if (text.rfind("\\\\?\\UNC\\", 0) == 0) text = "\\\\" + text.substr(8);
  else if (text.rfind("\\\\?\\", 0) == 0) text = text.substr(4);
  *final = text;
  return true;
}

int64_t SizeOfPath(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!GetFileAttributesExA(Trimmed(path).c_str(), GetFileExInfoStandard, &d)) return -1;
  if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  return (static_cast<int64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

FindHandle FindFirst(const std::string& pattern, FindEntry* entry) {
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA(Trimmed(pattern).c_str(), &d);
  if (h == INVALID_HANDLE_VALUE) return kNoFind;
  *entry = EntryOf(d);
  return reinterpret_cast<FindHandle>(h);
}

bool FindNext(FindHandle h, FindEntry* entry) {
  WIN32_FIND_DATAA d;
  if (!FindNextFileA(reinterpret_cast<HANDLE>(h), &d)) return false;
  *entry = EntryOf(d);
  return true;
}

void FindClose(FindHandle h) { ::FindClose(reinterpret_cast<HANDLE>(h)); }

uint32_t DriveType(const std::string& root) { return GetDriveTypeA(root.c_str()); }

bool DiskFreeSpace(const std::string& root, DiskGeometry* g) {
  DWORD spc = 0, bps = 0, freeC = 0, totalC = 0;
  if (!GetDiskFreeSpaceA(root.c_str(), &spc, &bps, &freeC, &totalC)) return false;
  g->sectorsPerCluster = spc;
  g->bytesPerSector = bps;
  g->freeClusters = freeC;
  g->totalClusters = totalC;
  return true;
}

uint32_t ShellFileOperation(ShellOp op, const std::string& from, const std::string& to,
                            uint32_t flags) {
  // The shell takes lists ended by two NULs.
  std::string fromList = Trimmed(from) + std::string(2, '\0');
  std::string toList = Trimmed(to) + std::string(2, '\0');
  SHFILEOPSTRUCTA s = {};
  switch (op) {
    case ShellOp::Copy: s.wFunc = FO_COPY; break;
    case ShellOp::Move: s.wFunc = FO_MOVE; break;
    case ShellOp::Delete: s.wFunc = FO_DELETE; break;
    case ShellOp::Rename: s.wFunc = FO_RENAME; break;
  }
  s.pFrom = fromList.c_str();
  s.pTo = op == ShellOp::Delete ? nullptr : toList.c_str();
  FILEOP_FLAGS f = 0;
  if (flags & kShellSilent) f |= FOF_SILENT;
  if (flags & kShellNoConfirmation) f |= FOF_NOCONFIRMATION;
  if (flags & kShellFilesOnly) f |= FOF_FILESONLY;
  if (flags & kShellNoConfirmMkdir) f |= FOF_NOCONFIRMMKDIR;
  if (flags & kShellNoErrorBox) f |= FOF_NOERRORUI;
  s.fFlags = f;
  int64_t sourceSize = -1;
  if ((op == ShellOp::Copy || op == ShellOp::Move) && !HasWildcard(LastPart(from)))
    sourceSize = SizeOfPath(from);
  int result = SHFileOperationA(&s);
  if (result != 0) return static_cast<uint32_t>(result);
  if (s.fAnyOperationsAborted) return ERROR_CANCELLED;
  if (sourceSize >= 0) {
    // The shell may report success after a copy onto a full disk and leave
    // a truncated file: only a target of the source's size is a copy.
    std::string target = Trimmed(to);
    uint32_t a = GetAttributes(target);
    if (a != kAttrInvalid && (a & kAttrDirectory)) target += "\\" + LastPart(Trimmed(from));
    if (SizeOfPath(target) != sourceSize) return kErrDiskFull;
  }
  return 0;
}

uint32_t TempFileName(const std::string& folder, const std::string& prefix, std::string* path) {
  char buffer[MAX_PATH + 1];
  UINT unique = GetTempFileNameA(Trimmed(folder).c_str(), prefix.c_str(), 0, buffer);
  if (unique == 0) return 0;
  *path = buffer;
  return unique;
}

std::string TempFolder() {
  char buffer[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof buffer, buffer);
  if (n == 0 || n > MAX_PATH) return "C:\\";
  return std::string(buffer, n);
}

std::string CurrentFolder() {
  char buffer[MAX_PATH + 1];
  DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
  if (n == 0 || n > MAX_PATH) return std::string();
  return std::string(buffer, n);
}

bool SetCurrentFolder(const std::string& path) {
  return SetCurrentDirectoryA(Trimmed(path).c_str()) != 0;
}

bool OemName(const std::string& name, std::string* oem) {
  oem->clear();
  if (name.empty()) return true;
  const int length = static_cast<int>(name.size());
  int wide = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name.data(), length, nullptr, 0);
  if (wide <= 0) return false;
  std::vector<wchar_t> text(static_cast<size_t>(wide));
  MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name.data(), length, text.data(), wide);
  // No best fit: "é" must not quietly become "e", which names another file.
  // UTF-8 holds every character and takes neither the flag nor the check.
  const bool utf8 = GetOEMCP() == CP_UTF8;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* check = utf8 ? nullptr : &usedDefault;
  int bytes = WideCharToMultiByte(CP_OEMCP, flags, text.data(), wide, nullptr, 0, nullptr, check);
  if (bytes <= 0 || usedDefault) return false;
  oem->resize(static_cast<size_t>(bytes));
  WideCharToMultiByte(CP_OEMCP, flags, text.data(), wide, oem->data(), bytes, nullptr, check);
  if (usedDefault) oem->clear();
  return !usedDefault;
}

void WriteStandardError(const std::string& text) {
  // In text mode the C runtime writes "\n" as "\r\n".
  std::string bytes;
  bytes.reserve(text.size() + 8);
  for (char c : text) {
    if (c == '\n') bytes += '\r';
    bytes += c;
  }
  HANDLE h = GetStdHandle(STD_ERROR_HANDLE);
  DWORD done = 0;
  for (size_t at = 0; at < bytes.size(); at += done)
    if (!WriteFile(h, bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &done, nullptr) ||
        done == 0)
      return;
}

LocalTime Now() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  LocalTime lt;
  lt.year = t.wYear;
  lt.month = t.wMonth;
  lt.dayOfWeek = t.wDayOfWeek;
  lt.day = t.wDay;
  lt.hour = t.wHour;
  lt.minute = t.wMinute;
  lt.second = t.wSecond;
  lt.milliseconds = t.wMilliseconds;
  return lt;
}

uint64_t TickCount() {
  uintptr_t f = g_tickCount64.load(std::memory_order_relaxed);
  if (f == kNotLookedUp) {
    f = reinterpret_cast<uintptr_t>(NewerFunction<TickCount64>("GetTickCount64"));
    g_tickCount64.store(f, std::memory_order_relaxed);
  }
  return f ? reinterpret_cast<TickCount64>(f)() : WidenedTickCount();
}
void SleepMs(uint32_t ms) { Sleep(ms); }

VersionInfo QueryVersion() {
  VersionInfo v;
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) return v;
  v.ok = true;
  v.platformId = info.dwPlatformId;
  v.major = info.dwMajorVersion;
  v.minor = info.dwMinorVersion;
  v.build = info.dwBuildNumber;
  v.servicePack = info.szCSDVersion;
  return v;
}

}  // namespace plat

#if defined(__i386__)
// The thread library linked into the 32-bit program times its waits with
// GetTickCount64, which XP's kernel32 lacks. Its import slot is filled here
// instead, so that the loader is never asked for the function.
extern "C" {
static ULONGLONG WINAPI TickCount64OnAnySystem() { return plat::TickCount(); }
ULONGLONG(WINAPI* tickCount64Import)() __asm__("__imp__GetTickCount64@0") = TickCount64OnAnySystem;
}
#endif
