#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include "cli/host_path.h"
#include "frame/platform/emulation.h"

namespace kst {

std::string ProgramPath(const std::string& arg) {
  std::string host = arg;
  if (host.empty() || host[0] != '/') {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd)) host = std::string(cwd) + "/" + host;
  }
  // Resolved when it exists, so that "dir/../x" names its real folder.
  if (char* resolved = realpath(host.c_str(), nullptr)) {
    host = resolved;
    free(resolved);
  }
  return plat::EmuWindowsPath(host);
}

std::string ShownPath(const std::string& path) {
  std::string host = plat::EmuHostPath(path);
  return host.empty() ? path : host;
}

}  // namespace kst
