#include "cli/ps_command.h"

#include <cstdio>

#include "frame/command_center/windows_version.h"
#include "frame/platform/platform.h"
#include "frame/threads/process_state.h"
#include "systools/process_source.h"

namespace kst {

int PsCommand(const std::vector<std::string>& args) {
  bool threads = false, windows = false;
  for (const std::string& a : args) {
    if (a == "--threads") {
      threads = true;
    } else if (a == "--windows") {
      windows = true;
    } else {
      plat::WriteStandardError("kestrova-cli: unknown option: " + a + " (ps takes --threads and --windows)\n");
      return 2;
    }
  }
  int family = QueryWindowsVersion().platform;
  ProcessSource source = SystemProcessSource(family);
  std::vector<ProcessRecord> list;
  if (!source.list || !source.list(windows, &list) || list.empty()) {
    plat::WriteStandardError("kestrova-cli: no running program could be listed: the system gave no process list\n");
    return 2;
  }
  std::string out;
  for (const ProcessRecord& r : list) {
    out += ProcessLine(r) + "\n";
    if (threads)
      for (const ThreadEntry& t : r.threads) out += "    " + ThreadLine(t, nullptr) + "\n";
    if (windows)
      for (const WindowEntry& w : r.windows) out += "    " + WindowLine(w) + "\n";
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
  return 0;
}

}  // namespace kst
