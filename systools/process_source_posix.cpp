// The Linux process folder, for kestrova-cli ps on a Linux machine: ids,
// parents, names, threads and start times. Linux has no priority classes
// or windows here: every program is shown NORMAL, without windows.
#include "systools/process_source.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

namespace kst {

namespace {

bool IsNumber(const char* name) {
  if (!*name) return false;
  for (; *name; ++name)
    if (*name < '0' || *name > '9') return false;
  return true;
}

// The parent and start time from a stat line: the name in parentheses
// may hold blanks and parentheses itself, so fields count from the last ')'.
bool ReadStat(const std::string& path, uint32_t* parent, uint64_t* start, std::string* name) {
  std::ifstream in(path);
  std::string line;
  if (!std::getline(in, line)) return false;
  size_t open = line.find('('), close = line.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return false;
  if (name) *name = line.substr(open + 1, close - open - 1);
  std::istringstream fields(line.substr(close + 1));
  std::string field;
  for (int k = 3; fields >> field; ++k) {
    if (k == 4 && parent) *parent = static_cast<uint32_t>(std::stoul(field));
    if (k == 22) {
      if (start) *start = std::stoull(field);
      return true;
    }
  }
  return false;
}

std::vector<ThreadEntry> ReadThreads(const std::string& folder) {
  std::vector<ThreadEntry> threads;
  DIR* dir = opendir((folder + "/task").c_str());
  if (!dir) return threads;
  while (dirent* entry = readdir(dir))
    if (IsNumber(entry->d_name)) threads.push_back(ThreadEntry{static_cast<uint32_t>(std::stoul(entry->d_name)), 0});
  closedir(dir);
  return threads;
}

bool ListProcesses(std::vector<ProcessRecord>* list) {
  DIR* dir = opendir("/proc");
  if (!dir) return false;
  std::vector<ProcessRecord> records;
  while (dirent* entry = readdir(dir)) {
    if (!IsNumber(entry->d_name)) continue;
    std::string folder = std::string("/proc/") + entry->d_name;
    ProcessRecord r;
    r.processId = static_cast<uint32_t>(std::stoul(entry->d_name));
    try {
      if (!ReadStat(folder + "/stat", &r.ownerId, &r.creationTime, &r.name)) continue;
    } catch (const std::exception&) {
      continue;
    }
    char target[4096];
    ssize_t n = readlink((folder + "/exe").c_str(), target, sizeof target - 1);
    r.path = n > 0 ? std::string(target, static_cast<size_t>(n)) : r.name;
    r.priorityClass = kNormalClass;
    r.threads = ReadThreads(folder);
    records.push_back(std::move(r));
  }
  closedir(dir);
  list->swap(records);
  return !list->empty();
}

uint64_t StartOf(uint32_t id) {
  uint64_t start = 0;
  try {
    ReadStat("/proc/" + std::to_string(id) + "/stat", nullptr, &start, nullptr);
  } catch (const std::exception&) {
    return 0;
  }
  return start;
}

}  // namespace

ProcessSource SystemProcessSource(int) {
  ProcessSource source;
  source.list = [](bool, std::vector<ProcessRecord>* list) { return ListProcesses(list); };
  source.creationTime = StartOf;
  source.setPriority = [](uint32_t, uint32_t) -> uint32_t { return 0; };
  source.terminate = [](uint32_t id) { return kill(static_cast<pid_t>(id), SIGKILL) == 0; };
  source.postClose = [](uint64_t, uint32_t) { return false; };
  return source;
}

uint32_t OwnProcessId() { return static_cast<uint32_t>(getpid()); }

bool HoldDebugPrivilege() { return true; }

}  // namespace kst
