#include "frame/platform/privileges.h"

#include <windows.h>

namespace kst {

bool SetOwnPrivilege(const char* name, bool enable) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
  bool ok = LookupPrivilegeValueA(nullptr, name, &privileges.Privileges[0].Luid) &&
            AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
            GetLastError() != ERROR_NOT_ALL_ASSIGNED;  // success that assigned nothing
  CloseHandle(token);
  return ok;
}

}  // namespace kst
