// Which Windows the program runs on, as a family number and the text that
// The Program Master shows.
#pragma once

#include <functional>
#include <string>

#include "frame/platform/platform.h"

namespace kst {

struct WindowsVersion {
  int platform = -1;  // kWindows9x, kWindowsNt or kWindowsUnknown (process_state.h)
  std::string text;   // "Current Windows Version:" (940), the family and the service pack
};

// The family and text for what the version query returned: family 1 gives
// "95/98/Me" (942), family 2 "NT/2K/XP" (941), anything else or a failed
// query -1 and "Unknown Windows Version" (943). Parts are joined by a blank;
// the service pack follows only when the query succeeded and named one.
WindowsVersion DescribeWindowsVersion(const plat::VersionInfo& info);

// Asks the platform (or, in tests, query) for the version, stores the
// family and text in g_process and returns them.
using VersionQuery = std::function<plat::VersionInfo()>;
WindowsVersion QueryWindowsVersion(const VersionQuery& query = plat::QueryVersion);

}  // namespace kst
