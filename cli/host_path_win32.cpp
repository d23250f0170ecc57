#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "cli/host_path.h"
#include "frame/platform/platform.h"

namespace kst {

void UseHostNames() {}

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

std::string TypedName(const std::string& arg) {
  size_t cut = arg.find_last_of("\\/");
  if (cut == std::string::npos && arg.size() >= 2 && arg[1] == ':') cut = 1;  // "C:name"
  return cut == std::string::npos ? arg : arg.substr(cut + 1);
}

int LostArgument() {
  // A UTF-8 code page carries every character.
  if (GetACP() == CP_UTF8) return -1;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return -1;
  int lost = -1;
  for (int i = 1; i < count && lost < 0; ++i) {
    BOOL defaulted = FALSE;
    const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide[i], -1, nullptr, 0,
                                          nullptr, &defaulted);
    if (bytes == 0 || defaulted) lost = i - 1;
  }
  LocalFree(wide);
  return lost;
}

}  // namespace kst
