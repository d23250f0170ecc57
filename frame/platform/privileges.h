// Privileges of Kestrova's own process (Windows only: the NT family).
#pragma once

namespace kst {

// Enables (or disables) the named privilege ("SeShutdownPrivilege") in the
// process's token. False when the token cannot be had or the privilege is
// not held: AdjustTokenPrivileges succeeds without assigning it then.
bool SetOwnPrivilege(const char* name, bool enable);

}  // namespace kst
