#include <stdlib.h>

#include <string>

#include "frame/platform/platform.h"
#include "tests/support/test_env.h"

namespace testenv {

// The test harness maps A: to a folder and, when it could mount a
// floppy-sized file system there, says so in KESTROVA_A_CAPACITY.
Floppy PrepareFloppy() {
  plat::ShellFileOperation(plat::ShellOp::Delete, "A:\\*.*", "",
                           plat::kShellSilent | plat::kShellNoConfirmation);
  Floppy f;
  const char* capacity = getenv("KESTROVA_A_CAPACITY");
  if (capacity && *capacity) {
    f.sized = true;
    f.totalBytes = atoll(capacity);
  }
  return f;
}

void ReleaseFloppy() {
  plat::ShellFileOperation(plat::ShellOp::Delete, "A:\\*.*", "",
                           plat::kShellSilent | plat::kShellNoConfirmation);
}

}  // namespace testenv
