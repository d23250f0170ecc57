// "Override ShutDown" of the language dialog: stops a system shutdown that
// is counting down (NT family), with the shutdown privilege enabled only
// for that moment.
#include <windows.h>

#include "frame/command_center/shutdown_override.h"
#include "frame/dialogs/ask.h"
#include "frame/texts/texts.h"

namespace kst {

namespace {

bool SetShutdownPrivilege(bool enable) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
  bool ok = LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid) &&
            AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
            GetLastError() == ERROR_SUCCESS;  // not ERROR_NOT_ALL_ASSIGNED
  CloseHandle(token);
  return ok;
}

void Tell(WindowRef owner, int title, int message) {
  PlayAlert();
  AskUser(kAskOk, owner, GetText(title), GetText(message), 21, 1);
}

}  // namespace

void OverrideShutdown(WindowRef owner) {
  if (!SetShutdownPrivilege(true))
    Tell(owner, 891, 889);
  else if (!AbortSystemShutdownA(nullptr))
    Tell(owner, 888, 887);
  // Disabled again in any case.
  if (!SetShutdownPrivilege(false)) Tell(owner, 891, 890);
}

}  // namespace kst
