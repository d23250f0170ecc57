#include <algorithm>

#include "cli/host_path.h"
#include "frame/platform/platform.h"

namespace kst {

std::string ProgramPath(const std::string& arg) {
  std::string path = arg;
  std::replace(path.begin(), path.end(), '/', '\\');
  bool hasDrive = path.size() >= 2 && path[1] == ':';
  bool fromRoot = !path.empty() && path[0] == '\\';
  if (hasDrive || fromRoot) return path;
  std::string here = plat::CurrentFolder();
  return here.empty() || here.back() == '\\' ? here + path : here + "\\" + path;
}

std::string ShownPath(const std::string& path) { return path; }

}  // namespace kst
