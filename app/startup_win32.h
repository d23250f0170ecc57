// Kestrova.exe's whole run on the calling thread (slot 1).
#pragma once

namespace kst {

// Runs the whole program; returns the exit code.
int RunKestrova();

}  // namespace kst
