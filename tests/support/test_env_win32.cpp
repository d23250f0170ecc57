#include <stdlib.h>

#include <string>

#include "frame/platform/platform.h"
#include "tests/support/test_env.h"

namespace testenv {

// The test harness maps A: to a folder and, when it could mount a
// floppy-sized file system there, says so in KESTROVA_A_CAPACITY.
Floppy PrepareFloppy() {
  ReleaseFloppy();
  const char* capacity = getenv("KESTROVA_A_CAPACITY");
  return capacity && *capacity ? Floppy{true, atoll(capacity)} : Floppy{};
}

void ReleaseFloppy() {
  plat::ShellFileOperation(plat::ShellOp::Delete, "A:\\*.*", "", plat::kShellSilent | plat::kShellNoConfirmation);
}

}  // namespace testenv
