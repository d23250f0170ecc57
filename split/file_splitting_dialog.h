// The File Splitting window (template 106, record 3): run by FileSplit
// Main, its splitting done by FileSplit Second.
#pragma once

namespace kst {

// Fills File Splitting's set-up, work and idle hooks and registers the
// window's texts; called once at start, before the window can be shown.
void InstallFileSplitting();

}  // namespace kst
