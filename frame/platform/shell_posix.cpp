// The Linux emulation's shell operations (copy, move, rename and delete of
// files and folders, with the shell's replace question), temporary names,
// the clock and the system's version.
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>

#include "frame/platform/emulation_internal.h"

namespace plat {

using namespace emu;

namespace {

bool HasWildcard(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

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

std::mutex g_questionMutex;
std::function<bool(const std::string&)> g_replaceQuestion;

// The shell's replace question for a file target; Yes when none is set.
bool ShellMayReplace(const std::string& target) {
  std::function<bool(const std::string&)> question;
  {
    std::lock_guard<std::mutex> lock(g_questionMutex);
    question = g_replaceQuestion;
  }
  return !question || question(target);
}

}  // namespace

void EmuSetShellReplaceQuestion(std::function<bool(const std::string& target)> question) {
  std::lock_guard<std::mutex> lock(g_questionMutex);
  g_replaceQuestion = std::move(question);
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

bool OemName(const std::string& name, std::string* oem) {
  *oem = name;
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
