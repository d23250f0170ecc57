// Start-up and exit of Kestrova.exe on slot 1: the start-up dialog on a
// thread of its own, the worker threads, the Command Center, the exit.
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <thread>

#include "frame/ask_dialog.h"
#include "frame/clock_system.h"
#include "frame/clock_windows.h"
#include "frame/colours.h"
#include "frame/command_center_dialog.h"
#include "frame/dialog_win32.h"
#include "frame/process_state.h"
#include "frame/startup.h"
#include "frame/subprograms.h"
#include "frame/text_numbers.h"
#include "frame/texts.h"
#include "resources/resource_ids.h"
#include "backup/split_or_copy_dialog.h"
#include "restore/copy_or_join_dialog.h"
#include "remover/excess_remover_dialog.h"
#include "disktest/test_disks_dialog.h"
#include "pastimes/pastimes_dialogs.h"
#include "compare/file_comparing_dialog.h"
#include "split/file_splitting_dialog.h"
#include "wav/data2wav_dialog.h"
#include "systools/format_interface_dialog.h"
#include "systools/program_master_dialog.h"

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

void ShowStartUpProgress(int step) {
  DialogSetValue(g_startUpState, IDC_START_PROGRESS, step);
  DialogFlush(g_startUpState);
}

// The Clocking System's slot: a refresh once a second.
void ClockLoop() { RunClockSystem(); }

// Exit steps 4 and 5: close every open dialog, wait for them at most ten
// seconds, write the settings when saving at exit is on.
void CloseEverything() {
  StopJoiningForExit();
  for (int n = 1; n <= kRecordCount; ++n) {
    DialogState* state = Record(n).state;
    if (state && state->templateId != -1 && state->window.load()) DialogExit(*state);
  }
  for (int i = 0; i < 10; ++i) {
    bool open = false;
    for (int n = 2; n <= kRecordCount; ++n) {
      DialogState* state = Record(n).state;
      if (state && state->templateId != -1 && state->window.load()) open = true;
    }
    if (!open) break;
    Sleep(1000);
  }
  Settings& settings = AppSettings();
  CollectFrameIntoSettings(settings);
  SaveSettingsAtExit(settings, nullptr);
}

}  // namespace

void CloseStartUpDialog() {
  // The start-up dialog may still be on its way: give it a moment to appear.
  for (int i = 0; i < 200 && !g_startUpFinished.load() && !g_startUpState.window.load(); ++i) Sleep(10);
  DialogExit(g_startUpState);
}

int RunKestrova() {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  InstallWin32Dialogs();
  InstallAskDialog();
  ClearRecords();
  SetDefaultColours();
  CopyColoursToRecords();

  std::thread(StartUpThread).detach();

  SlotHooks hooks;
  hooks.missingTemplate = [] { ShowDialogNotFound(); };
  hooks.currentThreadId = [] { return static_cast<uint32_t>(GetCurrentThreadId()); };
  SetSlotHooks(hooks);
  StartSlots(ClockLoop);
  for (int id = 0; id < kSubprogramCount; ++id) {
    Subprogram& s = GetSubprogram(id);
    BindRecord(s.record, s.state);
  }
  InstallFileSplitting();
  InstallSplitOrCopy();
  InstallCopyOrJoin();
  InstallExcessRemover();
  InstallTestDisks();
  InstallData2Wav();
  InstallProgramMaster();
  InstallFormatInterface();
  InstallTargetPractice();
  InstallHorseRacing();
  InstallFileComparing();

  Settings& settings = AppSettings();
  LoadProgramState(settings, ShowStartUpProgress);
  InstallClockSystem();
  ShowStartUpProgress(3);
  RebuildBrushes();
  if (!PrepareCommandCenter()) {
    CloseStartUpDialog();
    ShowDialogNotFound();
    return 1;
  }
  ShowStartUpProgress(4);
  ShowStartUpProgress(5);
  Sleep(500);
  CloseStartUpDialog();

  RunCommandCenter();
  CloseEverything();
  if (DialogFont()) DeleteObject(DialogFont());
  ExitProcess(0);
}

}  // namespace kst
