#include "systools/process_list.h"

#include <cstdio>

#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "frame/threads/subprograms.h"

namespace kst {

namespace {

struct Named {
  int32_t value;
  int text;
};

const Named kClasses[] = {{64, 944}, {32, 945}, {128, 946}, {256, 947}};
const Named kDeltas[] = {{-15, 948}, {-2, 949}, {-1, 950}, {0, 951}, {1, 952}, {2, 953}, {15, 954}};

const char* const kCritical[] = {"idle", "system", "smss", "csrss", "wininit", "winlogon", "services", "lsass"};

std::string Lower(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

}  // namespace

std::string PriorityClassName(uint32_t priorityClass) {
  for (const Named& n : kClasses)
    if (static_cast<uint32_t>(n.value) == priorityClass) return Trimmed(GetText(n.text));
  return Trimmed(GetText(955));
}

std::string DeltaName(int32_t delta) {
  for (const Named& n : kDeltas)
    if (n.value == delta) return Trimmed(GetText(n.text));
  return "";
}

std::string Hex8(uint32_t value) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", value);
  return text;
}

std::string ProcessLine(const ProcessRecord& r) {
  const std::string dash = " -- ";
  return Hex8(r.processId) + dash + Hex8(r.ownerId) + dash + r.name + dash + PriorityClassName(r.priorityClass) +
         dash + std::to_string(r.threads.size()) + dash + std::to_string(r.windows.size()) + dash + r.path;
}

std::string ThreadLine(const ThreadEntry& thread, const std::function<std::string(uint32_t)>& slotName) {
  std::string line = Hex8(thread.id) + " -- " + DeltaName(thread.delta);
  std::string slot = slotName ? slotName(thread.id) : std::string();
  if (!slot.empty()) line += " -- " + slot;
  return line;
}

std::string WindowLine(const WindowEntry& window) {
  return Hex8(window.threadId) + " -- " + Hex8(static_cast<uint32_t>(window.handle)) + " -- " + window.title;
}

std::string SlotNameOfThread(uint32_t threadId) {
  if (threadId == 0) return "";
  for (int n = 1; n <= kSlotCount; ++n)
    if (Slot(n).threadId.load() == threadId) return Trimmed(Slot(n).name);
  return "";
}

std::vector<ProcessRecord> RecordsFromPerf(const std::vector<PerfInstance>& instances,
                                           const std::function<std::string(const std::u16string&)>& narrow) {
  std::vector<ProcessRecord> records;
  if (instances.size() < 3) return records;
  for (size_t k = 1; k + 1 < instances.size(); ++k) {
    ProcessRecord r;
    r.processId = instances[k].processId ? instances[k].processId : kZeroProcessId;
    std::string name = narrow ? narrow(instances[k].name) : NarrowAscii(instances[k].name);
    if (name.empty()) name = "unknown";
    if (name.size() > kProgramNameLength) name.resize(kProgramNameLength);
    if (name.size() + 4 <= kProgramNameLength) name += ".exe";
    r.name = name;
    records.push_back(std::move(r));
  }
  return records;
}

std::string NarrowAscii(const std::u16string& name) {
  std::string out;
  for (char16_t c : name) out += c >= 32 && c < 127 ? static_cast<char>(c) : '?';
  return out;
}

bool IsProtectedProcess(uint32_t processId, const std::string& name) {
  if (processId == 0 || processId == 4 || processId == kZeroProcessId) return true;
  std::string base = Lower(name);
  size_t slash = base.find_last_of("\\/");
  if (slash != std::string::npos) base = base.substr(slash + 1);
  if (base.size() > 4 && base.compare(base.size() - 4, 4, ".exe") == 0) base.resize(base.size() - 4);
  for (const char* critical : kCritical)
    if (base == critical) return true;
  return false;
}

}  // namespace kst
