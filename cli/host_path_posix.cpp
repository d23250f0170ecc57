#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include "cli/host_path.h"
#include "frame/platform/emulation.h"

namespace kst {

namespace {

// The real path of an existing folder or file, or the path as it is.
std::string Resolved(const std::string& host) {
  char* resolved = realpath(host.c_str(), nullptr);
  if (!resolved) return host;
  std::string real = resolved;
  free(resolved);
  return real;
}

}  // namespace

void UseHostNames() { plat::EmuExactNames(true); }

std::string ProgramPath(const std::string& arg) {
  std::string host = arg;
  if (host.empty() || host[0] != '/') {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd)) host = std::string(cwd) + "/" + host;
  }
  // The folder is resolved when it exists, so that "dir/../x" names its
  // real folder; the name stays the one typed (a link keeps its own name).
  const std::string name = TypedName(host);
  if (name.empty() || name == "." || name == "..") return plat::EmuWindowsPath(Resolved(host));
  std::string folder = Resolved(host.substr(0, host.size() - name.size()));
  if (folder.empty() || folder.back() != '/') folder += '/';
  return plat::EmuWindowsPath(folder + name);
}

std::string ShownPath(const std::string& path) {
  std::string host = plat::EmuHostPath(path);
  return host.empty() ? path : host;
}

std::string TypedName(const std::string& arg) {
  const size_t slash = arg.find_last_of('/');
  return slash == std::string::npos ? arg : arg.substr(slash + 1);
}

int LostArgument() { return -1; }

}  // namespace kst
