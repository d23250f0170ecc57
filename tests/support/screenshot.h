// A picture of the whole screen, for tests that show windows (Windows only).
#pragma once

#include <string>

namespace testenv {

// Saves the screen as <KESTROVA_SHOTS or the current folder>\<name>.bmp
// (name made file-safe) and returns the path. Waits a moment first, since
// a window just shown may not have painted its controls yet.
std::string SaveScreenshot(const std::string& name);

}  // namespace testenv
