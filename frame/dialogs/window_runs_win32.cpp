#include "frame/dialogs/window_runs.h"

#include <windows.h>
#include <shellapi.h>

#include "frame/dialogs/dialog_win32.h"
#include "frame/threads/subprograms.h"

namespace kst {

void StartWindowRun(DialogState& state, int subprogram) {
  if (HWND window = WindowOf(state)) DragAcceptFiles(window, FALSE);
  StartWork(subprogram);
}

void EndWindowRun(DialogState& state, std::atomic<bool>& runActive, bool toFront) {
  HWND window = WindowOf(state);
  if (window) DragAcceptFiles(window, TRUE);
  if (toFront) BringWindowToFront(window);
  runActive = false;
}

}  // namespace kst
