// The running programs as this machine's system tells them: on Windows
// the registry's performance data (NT family) or the snapshot functions
// (95/98/Me, and whenever the performance data lists no process, as under
// Wine); natively the Linux process folder, for kestrova-cli ps.
#pragma once

#include <cstdint>

#include "systools/program_master.h"

namespace kst {

// The source for a Windows family (kWindows9x or kWindowsNt).
ProcessSource SystemProcessSource(int family);
// This process's id.
uint32_t OwnProcessId();
// Holds the debug privilege for this process, which lets the list see
// every program; false when it was not given.
bool HoldDebugPrivilege();

}  // namespace kst
