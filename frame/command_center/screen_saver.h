// Starting a screen saver while long jobs run: the system's own, or a
// ".scr" file chosen in the Command Center's screen-saver dialog.
#pragma once

#include <functional>
#include <string>

#include "frame/dialogs/ask.h"
#include "frame/settings/settings.h"

namespace kst {

// Who asks for the screen saver: the dialog's Test button, or the worker
// of one of the subprograms that may show one.
enum ScreenSaverCaller {
  kScreenSaverTest = 0,
  kScreenSaverSplitOrCopy = 1,
  kScreenSaverCopyOrJoin = 2,
  kScreenSaverTestDisks = 3,
  kScreenSaverComparing = 4,
  kScreenSaverExcessRemover = 5,
};

// The choices of the dialog, as ScrSaverI keeps them.
enum ScreenSaverChoice { kNoScreenSaver = 0, kSystemScreenSaver = 1, kScreenSaverFile = 2 };

enum class ScreenSaverStart { None, System, File };

// What caller may start: nothing unless the master switch is on; the Test
// button always, a worker only when its flag is on and it is running.
// "No Screen Saver", and a file choice without a file, start nothing.
ScreenSaverStart ScreenSaverToStart(const Settings& settings, int caller, bool workerRunning);

// The command line that starts a screen-saver file: the quoted path, a
// blank and the argument ("/s" to run it, "/c" to configure it).
std::string ScreenSaverCommand(const std::string& path, const std::string& argument);

// Whether path names a screen-saver file (".scr", in any case).
bool HasScreenSaverName(const std::string& path);

// Starts the chosen screen saver for caller, as ScreenSaverToStart says.
void RunScreenSaver(int caller);

// Starts it for real: the system's own through window, a file as a new
// process with command. Tests replace it.
using ScreenSaverLauncher =
    std::function<void(ScreenSaverStart start, const std::string& command, WindowRef window)>;
void SetScreenSaverLauncher(ScreenSaverLauncher launcher);
// The platform's launcher (screen_saver_win32.cpp; nothing natively).
void LaunchScreenSaver(ScreenSaverStart start, const std::string& command, WindowRef window);
// Starts a screen-saver file with "/c" so that the user can configure it.
void ConfigureScreenSaver(const std::string& path);

}  // namespace kst
