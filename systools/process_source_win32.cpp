#include "systools/process_source.h"

#include <windows.h>
#include <tlhelp32.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "frame/platform/privileges.h"
#include "frame/threads/process_state.h"
#include "systools/perf_data.h"

namespace kst {

namespace {

// The performance data comes in a buffer that grows while the system says
// "more data"; past this it is not data of a sane system.
constexpr DWORD kFirstPerfBytes = 51200, kMorePerfBytes = 25600, kMostPerfBytes = 8u << 20;
constexpr DWORD kMostCountersBytes = 16u << 20;

struct OwnedHandle {
  HANDLE handle = nullptr;
  explicit OwnedHandle(HANDLE h) : handle(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  ~OwnedHandle() {
    if (handle) CloseHandle(handle);
  }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
};

// Opens a process for reading its class and times: the limited right is
// all that newer systems give for protected processes.
HANDLE OpenForQuery(DWORD id) {
  HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, id);
  if (!h) h = OpenProcess(0x1000 /* PROCESS_QUERY_LIMITED_INFORMATION */, FALSE, id);
  return h;
}

uint64_t CreationOf(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return static_cast<uint64_t>(created.dwHighDateTime) << 32 | created.dwLowDateTime;
}

void ReadClassAndStart(ProcessRecord& r) {
  OwnedHandle process(OpenForQuery(r.processId));
  if (!process.handle) return;
  r.priorityClass = GetPriorityClass(process.handle);
  r.creationTime = CreationOf(process.handle);
}

std::string Narrow(const std::u16string& name) {
  if (name.empty()) return "";
  std::wstring wide(name.begin(), name.end());
  char text[kProgramNameLength + 1];
  int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), text, kProgramNameLength,
                              nullptr, nullptr);
  return n > 0 ? std::string(text, static_cast<size_t>(n)) : std::string();
}

// ---- the performance data ---------------------------------------------------

bool ReadCounterNames(PerfIndexes* indexes) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\microsoft\\windows nt\\currentversion\\perflib\\009", 0,
                    KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  DWORD size = 0;
  bool ok = RegQueryValueExA(key, "Counters", nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS &&
            size > 0 && size <= kMostCountersBytes;
  std::vector<char> names(ok ? size : 0);
  if (ok) ok = RegQueryValueExA(key, "Counters", nullptr, nullptr, reinterpret_cast<BYTE*>(names.data()), &size) ==
               ERROR_SUCCESS;
  RegCloseKey(key);
  if (!ok) return false;
  *indexes = FindProcessIndexes(names.data(), size < names.size() ? size : names.size());
  return indexes->found;
}

std::vector<ProcessRecord> ReadPerfRecords() {
  PerfIndexes indexes;
  if (!ReadCounterNames(&indexes)) return {};
  std::string object = std::to_string(indexes.processObject);
  std::vector<uint8_t> blob(kFirstPerfBytes);
  DWORD got = 0;
  LONG answer = ERROR_MORE_DATA;
  while (answer == ERROR_MORE_DATA && blob.size() <= kMostPerfBytes) {
    got = static_cast<DWORD>(blob.size());  // the call overwrites it every time
    answer = RegQueryValueExA(HKEY_PERFORMANCE_DATA, object.c_str(), nullptr, nullptr, blob.data(), &got);
    if (answer == ERROR_MORE_DATA) blob.resize(blob.size() + kMorePerfBytes);
  }
  RegCloseKey(HKEY_PERFORMANCE_DATA);
  if (answer != ERROR_SUCCESS) return {};
  if (got > blob.size()) got = static_cast<DWORD>(blob.size());
  PerfProcesses perf = ParsePerfProcesses(blob.data(), got, indexes);
  std::vector<ProcessRecord> records = RecordsFromPerf(perf.instances, Narrow);
  for (ProcessRecord& r : records) ReadClassAndStart(r);
  return records;
}

// ---- the snapshot functions -------------------------------------------------

using SnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using ProcessWalkFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);
using ThreadWalkFn = BOOL(WINAPI*)(HANDLE, THREADENTRY32*);

struct Snapshots {
  SnapshotFn snapshot = nullptr;
  ProcessWalkFn processFirst = nullptr, processNext = nullptr;
  ThreadWalkFn threadFirst = nullptr, threadNext = nullptr;
  bool loaded = false;
};

// A function of KERNEL32 by name; through void(*)() a FARPROC may become
// any function type.
template <typename Fn>
Fn Lookup(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// Looked up once by name: 95/98/Me and NT 4 differ in what KERNEL32 holds.
const Snapshots& SnapshotFunctions() {
  static const Snapshots functions = [] {
    Snapshots s;
    HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    if (!kernel) return s;
    s.snapshot = Lookup<SnapshotFn>(kernel, "CreateToolhelp32Snapshot");
    s.processFirst = Lookup<ProcessWalkFn>(kernel, "Process32First");
    s.processNext = Lookup<ProcessWalkFn>(kernel, "Process32Next");
    s.threadFirst = Lookup<ThreadWalkFn>(kernel, "Thread32First");
    s.threadNext = Lookup<ThreadWalkFn>(kernel, "Thread32Next");
    s.loaded = s.snapshot && s.processFirst && s.processNext && s.threadFirst && s.threadNext;
    return s;
  }();
  return functions;
}

std::string BareName(const char* path) {
  std::string p = path;
  size_t slash = p.find_last_of("\\/");
  return slash == std::string::npos ? p : p.substr(slash + 1);
}

bool ReadSnapshotRecords(std::vector<ProcessRecord>* records) {
  const Snapshots& fn = SnapshotFunctions();
  if (!fn.loaded) return false;
  OwnedHandle snapshot(fn.snapshot(TH32CS_SNAPPROCESS | TH32CS_SNAPTHREAD, 0));
  if (!snapshot.handle) return false;
  std::map<DWORD, size_t> byId;
  PROCESSENTRY32 process = {};
  process.dwSize = sizeof process;
  for (BOOL more = fn.processFirst(snapshot.handle, &process); more; more = fn.processNext(snapshot.handle, &process)) {
    ProcessRecord r;
    r.processId = process.th32ProcessID;
    r.ownerId = process.th32ParentProcessID;
    r.name = BareName(process.szExeFile);
    r.path = r.name;  // the snapshot names the program, not always its folder
    ReadClassAndStart(r);
    byId[r.processId] = records->size();
    records->push_back(std::move(r));
    process.dwSize = sizeof process;
  }
  THREADENTRY32 thread = {};
  thread.dwSize = sizeof thread;
  for (BOOL more = fn.threadFirst(snapshot.handle, &thread); more; more = fn.threadNext(snapshot.handle, &thread)) {
    auto owner = byId.find(thread.th32OwnerProcessID);
    if (owner != byId.end())
      (*records)[owner->second].threads.push_back(ThreadEntry{thread.th32ThreadID, thread.tpDeltaPri});
    thread.dwSize = sizeof thread;
  }
  return !records->empty();
}

// ---- windows ----------------------------------------------------------------

struct FoundWindow {
  HWND window;
  DWORD processId, threadId;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM found) {
  DWORD processId = 0;
  DWORD threadId = GetWindowThreadProcessId(window, &processId);
  reinterpret_cast<std::vector<FoundWindow>*>(found)->push_back(FoundWindow{window, processId, threadId});
  return TRUE;
}

// One pass over the top-level windows: a window made meanwhile is simply
// in the list or not.
void GatherWindows(std::vector<ProcessRecord>* records) {
  std::vector<FoundWindow> found;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&found));
  std::map<DWORD, size_t> byId;
  for (size_t i = 0; i < records->size(); ++i) byId[(*records)[i].processId] = i;
  for (const FoundWindow& f : found) {
    auto owner = byId.find(f.processId);
    if (owner == byId.end()) continue;
    char title[261] = "";
    GetWindowTextA(f.window, title, sizeof title);
    std::string text = title;
    if (text.size() > kWindowTitleLength) text.resize(kWindowTitleLength);
    (*records)[owner->second].windows.push_back(
        WindowEntry{static_cast<uint64_t>(reinterpret_cast<uintptr_t>(f.window)), f.threadId, text});
  }
}

bool ListProcesses(int family, bool withWindows, std::vector<ProcessRecord>* list) {
  std::vector<ProcessRecord> records;
  if (family == kWindowsNt) records = ReadPerfRecords();
  // The performance data may list nothing (Wine gives an empty block): the
  // snapshot functions are there on 2000/XP and later too.
  if (records.empty() && !ReadSnapshotRecords(&records)) return false;
  if (withWindows) GatherWindows(&records);
  list->swap(records);
  return true;
}

}  // namespace

ProcessSource SystemProcessSource(int family) {
  ProcessSource source;
  source.list = [family](bool withWindows, std::vector<ProcessRecord>* list) {
    return ListProcesses(family, withWindows, list);
  };
  source.creationTime = [](uint32_t id) -> uint64_t {
    OwnedHandle process(OpenForQuery(id));
    return process.handle ? CreationOf(process.handle) : 0;
  };
  source.setPriority = [](uint32_t id, uint32_t priorityClass) -> uint32_t {
    OwnedHandle process(OpenProcess(PROCESS_SET_INFORMATION | PROCESS_QUERY_INFORMATION, FALSE, id));
    if (!process.handle) return 0;
    SetPriorityClass(process.handle, priorityClass);
    return GetPriorityClass(process.handle);
  };
  source.terminate = [](uint32_t id) {
    OwnedHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, id));
    return process.handle && TerminateProcess(process.handle, 1);
  };
  source.postClose = [](uint64_t handle, uint32_t id) {
    HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(handle));
    DWORD owner = 0;
    if (!IsWindow(window) || !GetWindowThreadProcessId(window, &owner) || owner != id) return false;
    return PostMessageA(window, WM_CLOSE, 0, 0) != 0;
  };
  return source;
}

uint32_t OwnProcessId() { return GetCurrentProcessId(); }

bool HoldDebugPrivilege() { return SetOwnPrivilege("SeDebugPrivilege", true); }

}  // namespace kst
