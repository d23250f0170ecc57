// Natively there is no screen saver to start: tests install a launcher.
#include "frame/command_center/screen_saver.h"

namespace kst {

void LaunchScreenSaver(ScreenSaverStart, const std::string&, WindowRef) {}

void ConfigureScreenSaver(const std::string&) {}

}  // namespace kst
