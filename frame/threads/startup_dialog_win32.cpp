// The start-up dialog (record 2): shown on a thread of its own while the
// program loads, its bar told each step, closed when the Command Center
// shows or the exit comes first.
#include <windows.h>

#include <atomic>
#include <thread>

#include "frame/dialogs/dialog.h"
#include "frame/dialogs/dialog_win32.h"
#include "frame/threads/startup.h"
#include "resources/resource_ids.h"

namespace kst {

namespace {

DialogState g_startUpState;
std::atomic<bool> g_startUpFinished{false};  // the start-up thread is done with its dialog

void StartUpThread() {
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
  BindRecord(2, g_startUpState);
  Record(2).alwaysOnTop = true;
  if (DialogInit(IDD_START_UP, g_startUpState)) {
    DialogSetRange(g_startUpState, IDC_START_PROGRESS, 0, 5);
    DialogSetValue(g_startUpState, IDC_START_PROGRESS, 0);
    DialogRunModal(g_startUpState, 2);
    DialogUninit(g_startUpState);
    DialogRelease(2);
  }
  Record(2).alwaysOnTop = false;
  g_startUpFinished = true;
}

}  // namespace

void ShowStartUpProgress(int step) {
  DialogSetValue(g_startUpState, IDC_START_PROGRESS, step);
  DialogFlush(g_startUpState);
}

void ShowStartUpDialog() { std::thread(StartUpThread).detach(); }

void CloseStartUpDialog() {
  // The start-up dialog may still be on its way: give it a moment to appear.
  for (int i = 0; i < 200 && !g_startUpFinished.load() && !g_startUpState.window.load(); ++i) Sleep(10);
  DialogExit(g_startUpState);
}

}  // namespace kst
