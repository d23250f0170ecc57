// The File(s) Comparing window (template 122, record 16): run by Compare
// Main, its comparing done by Compare Second.
#pragma once

namespace kst {

// Fills File(s) Comparing's set-up, work and idle hooks and registers the
// window's texts; called once at start, before the window can be shown.
void InstallFileComparing();

}  // namespace kst
