// Starts screen savers: the system's own by the window's "screen save"
// command, a ".scr" file as a process of its own.
#include <windows.h>

#include "frame/command_center/screen_saver.h"

namespace kst {

namespace {

void StartProcess(const std::string& path, std::string command) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (CreateProcessA(path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}

// The path inside a command made by ScreenSaverCommand.
std::string PathOf(const std::string& command) {
  size_t end = command.find('"', 1);
  return end == std::string::npos ? std::string() : command.substr(1, end - 1);
}

}  // namespace

void LaunchScreenSaver(ScreenSaverStart start, const std::string& command, WindowRef window) {
  if (start == ScreenSaverStart::System) {
    // Posted: a worker must not wait for the dialog's thread.
    if (window) PostMessageA(static_cast<HWND>(window), WM_SYSCOMMAND, SC_SCREENSAVE, 0);
  } else if (start == ScreenSaverStart::File) {
    StartProcess(PathOf(command), command);
  }
}

void ConfigureScreenSaver(const std::string& path) {
  std::string command = ScreenSaverCommand(path, "/c");
  StartProcess(PathOf(command), command);
}

}  // namespace kst
