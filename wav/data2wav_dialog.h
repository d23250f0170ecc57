// The Data2Wav & Wav2Data window (template 167, record 42): run by its
// Main thread; conversions done by its Second thread, extractions by its
// Third, and both may run at once.
#pragma once

namespace kst {

// Fills the subprogram's set-up, work, extra work and idle hooks and
// registers the window's texts; called once at start.
void InstallData2Wav();

}  // namespace kst
