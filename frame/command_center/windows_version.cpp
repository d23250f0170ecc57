#include "frame/command_center/windows_version.h"

#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "frame/threads/process_state.h"

namespace kst {

WindowsVersion DescribeWindowsVersion(const plat::VersionInfo& info) {
  WindowsVersion v;
  int family = kWindowsUnknown;
  if (info.ok && info.platformId == 1) family = kWindows9x;
  if (info.ok && info.platformId == 2) family = kWindowsNt;
  v.platform = family;
  int familyText = family == kWindows9x ? 942 : family == kWindowsNt ? 941 : 943;
  v.text = Trimmed(GetText(940)) + " " + Trimmed(GetText(familyText));
  std::string servicePack = Trimmed(FromCString(info.servicePack));
  if (info.ok && !servicePack.empty()) v.text += " " + servicePack;
  return v;
}

WindowsVersion QueryWindowsVersion(const VersionQuery& query) {
  WindowsVersion v = DescribeWindowsVersion(query ? query() : plat::VersionInfo{});
  g_process.windowsPlatform = v.platform;
  g_process.windowsVersionText = v.text;
  return v;
}

}  // namespace kst
