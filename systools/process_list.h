// The Program Master's process list: one record per running program with
// its threads and windows, the names of priority classes and thread
// priorities, and the lines the window (and kestrova-cli ps) shows.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "systools/perf_data.h"

namespace kst {

struct ThreadEntry {
  uint32_t id = 0;
  int32_t delta = 0;  // priority relative to the process's class
};

struct WindowEntry {
  uint64_t handle = 0;
  uint32_t threadId = 0;  // the thread that owns the window
  std::string title;      // at most kWindowTitleLength characters
};

struct ProcessRecord {
  uint32_t processId = 0;
  uint32_t priorityClass = 0;  // 0 when the process could not be opened
  uint32_t ownerId = 0;        // the parent, when the source tells it
  // When the process started (system time units), 0 when unknown: a
  // process id can be reused, the pair of id and start cannot.
  uint64_t creationTime = 0;
  std::string name;  // the program's file name
  std::string path;
  std::vector<ThreadEntry> threads;
  std::vector<WindowEntry> windows;
};

constexpr size_t kWindowTitleLength = 100;
constexpr size_t kProgramNameLength = 260;
// A performance-data process id of 0 is listed as this.
constexpr uint32_t kZeroProcessId = 0xFFFFFFFE;

// The priority classes the four radio buttons stand for.
constexpr uint32_t kIdleClass = 64, kNormalClass = 32, kHighClass = 128, kRealTimeClass = 256;

// "IDLE", "NORMAL", "HIGH", "REAL TIME" or "Unknown".
std::string PriorityClassName(uint32_t priorityClass);
// "(IDLE)" ... "(TIME CRITICAL)", "" for a delta without a name.
std::string DeltaName(int32_t delta);
// Eight uppercase hexadecimal digits.
std::string Hex8(uint32_t value);

// ID -- parent ID -- program -- priority -- threads -- windows -- path.
std::string ProcessLine(const ProcessRecord& record);
// ID -- priority name, and " -- " and the worker slot's name when
// slotName knows the thread (this program's own threads).
std::string ThreadLine(const ThreadEntry& thread, const std::function<std::string(uint32_t)>& slotName);
// Owner thread -- handle -- title.
std::string WindowLine(const WindowEntry& window);
// The name of Kestrova's worker slot whose thread is threadId, "" for none.
std::string SlotNameOfThread(uint32_t threadId);

// The records of the performance data's instances: all but the first
// (the idle count) and the last (the total); the name gets ".exe" when it
// fits; an id of 0 becomes kZeroProcessId. narrow converts a name to the
// system's code page, "" when it cannot.
std::vector<ProcessRecord> RecordsFromPerf(const std::vector<PerfInstance>& instances,
                                           const std::function<std::string(const std::u16string&)>& narrow);
// ASCII kept, anything else '?': the conversion where there is no code page.
std::string NarrowAscii(const std::u16string& name);

// Processes that are never ended: the idle and system ids, and the
// session's critical programs, which take the whole system down with them.
bool IsProtectedProcess(uint32_t processId, const std::string& name);

}  // namespace kst
