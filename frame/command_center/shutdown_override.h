// Stopping a system shutdown that is counting down (NT/2000/XP).
#pragma once

#include "frame/dialogs/ask.h"

namespace kst {

// Enables the shutdown privilege, asks the system to abort the shutdown and
// disables the privilege again; every failure is told to the user.
void OverrideShutdown(WindowRef owner);

}  // namespace kst
