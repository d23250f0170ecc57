#include "frame/command_center/screen_saver.h"

#include <mutex>

#include "frame/dialogs/dialog.h"
#include "frame/texts/text_numbers.h"
#include "frame/threads/subprograms.h"

namespace kst {

namespace {

std::mutex g_launcherMutex;
ScreenSaverLauncher g_launcher;

// The subprogram whose worker is caller, and its ScrSaverL flag.
struct CallerInfo {
  int subprogram;
  int flag;
};

CallerInfo InfoOf(int caller) {
  switch (caller) {
    case kScreenSaverSplitOrCopy: return {kSplitOrCopy, 0};
    case kScreenSaverCopyOrJoin: return {kCopyOrJoin, 1};
    case kScreenSaverTestDisks: return {kTestDisks, 2};
    case kScreenSaverComparing: return {kComparing, 3};
    case kScreenSaverExcessRemover: return {kExcessRemover, 3};
    default: return {-1, -1};
  }
}

}  // namespace

ScreenSaverStart ScreenSaverToStart(const Settings& settings, int caller, bool workerRunning) {
  if (!settings.scrSaver) return ScreenSaverStart::None;
  if (caller != kScreenSaverTest) {
    CallerInfo info = InfoOf(caller);
    if (info.flag < 0 || !settings.scrSaverL[static_cast<size_t>(info.flag)] || !workerRunning)
      return ScreenSaverStart::None;
  }
  if (settings.scrSaverI == kSystemScreenSaver) return ScreenSaverStart::System;
  if (settings.scrSaverI == kScreenSaverFile && !Trimmed(settings.scrSaverC).empty())
    return ScreenSaverStart::File;
  return ScreenSaverStart::None;
}

std::string ScreenSaverCommand(const std::string& path, const std::string& argument) {
  return "\"" + Trimmed(path) + "\" " + argument;
}

bool HasScreenSaverName(const std::string& path) {
  std::string name = UpperCase(Trimmed(path));
  return name.size() > 4 && name.compare(name.size() - 4, 4, ".SCR") == 0;
}

void RunScreenSaver(int caller) {
  const Settings& settings = AppSettings();
  CallerInfo info = InfoOf(caller);
  bool running = info.subprogram >= 0 && GetSubprogram(info.subprogram).job.running.load();
  ScreenSaverStart start = ScreenSaverToStart(settings, caller, running);
  if (start == ScreenSaverStart::None) return;
  // The system's screen saver is asked for through the caller's window.
  WindowRef window = nullptr;
  if (info.subprogram >= 0) window = GetSubprogram(info.subprogram).state.window.load();
  for (int record : {2, 1}) {
    if (!window && Record(record).state) window = Record(record).state->window.load();
  }
  std::string command =
      start == ScreenSaverStart::File ? ScreenSaverCommand(settings.scrSaverC, "/s") : std::string();
  ScreenSaverLauncher launcher;
  {
    std::lock_guard<std::mutex> lock(g_launcherMutex);
    launcher = g_launcher;
  }
  if (launcher)
    launcher(start, command, window);
  else
    LaunchScreenSaver(start, command, window);
}

void SetScreenSaverLauncher(ScreenSaverLauncher launcher) {
  std::lock_guard<std::mutex> lock(g_launcherMutex);
  g_launcher = std::move(launcher);
}

}  // namespace kst
