#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "frame/platform/emulation.h"
#include "tests/support/test_env.h"

namespace testenv {

static std::string g_floppyHost;

Floppy PrepareFloppy() {
  ReleaseFloppy();
  const char* tmp = getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kst_floppy_XXXXXX";
  if (!mkdtemp(pattern.data())) return Floppy{};
  g_floppyHost = pattern;
  plat::EmuMapDrive('A', plat::EmuFloppy(g_floppyHost));
  return Floppy{true, 1457664};
}

void ReleaseFloppy() {
  if (g_floppyHost.empty()) return;
  plat::ShellFileOperation(plat::ShellOp::Delete, "A:\\*.*", "", plat::kShellSilent | plat::kShellNoConfirmation);
  plat::EmuUnmapDrive('A');
  rmdir(g_floppyHost.c_str());
  g_floppyHost.clear();
}

}  // namespace testenv
