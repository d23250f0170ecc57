// The registry's performance data of the NT family, read without trusting
// it: the counter names list that gives the process object's number and
// its "ID Process" counter, and the data blob with the process instances.
// Every offset and length in a blob is checked against the blob, so a cut
// or hostile blob gives fewer instances, never a read outside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kst {

struct PerfIndexes {
  uint32_t processObject = 0;     // the object number asked for
  uint32_t processIdCounter = 0;  // the counter holding a process's id
  bool found = false;             // both were named in the list
};

// From the "Counters" value: zero-terminated strings, an index then its
// name, over and over. Names are compared without regard to case.
PerfIndexes FindProcessIndexes(const char* data, size_t size);

struct PerfInstance {
  std::u16string name;  // as the blob carries it, without its terminating zero
  uint32_t processId = 0;
};

struct PerfProcesses {
  bool valid = false;  // the blob is performance data ("PERF")
  std::vector<PerfInstance> instances;
};

// More instances than this are not read.
constexpr size_t kMostPerfInstances = 65535;

// The instances of the process object in blob. A bad instance ends the
// reading; the ones read before it are kept.
PerfProcesses ParsePerfProcesses(const uint8_t* blob, size_t size, const PerfIndexes& indexes);

}  // namespace kst
