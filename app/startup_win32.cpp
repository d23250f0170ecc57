// Kestrova.exe's composition root, on slot 1: installs every subprogram
// into the frame, then the start-up, the Command Center and the exit.
#include <windows.h>
#include <commctrl.h>

#include "app/startup_win32.h"
#include "backup/split_or_copy_dialog.h"
#include "compare/file_comparing_dialog.h"
#include "disktest/test_disks_dialog.h"
#include "frame/clock/clock_system.h"
#include "frame/clock/clock_windows.h"
#include "frame/command_center/colours.h"
#include "frame/command_center/command_center_dialog.h"
#include "frame/dialogs/ask_dialog.h"
#include "frame/dialogs/dialog_win32.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "frame/threads/process_state.h"
#include "frame/threads/startup.h"
#include "frame/threads/subprograms.h"
#include "pastimes/pastimes_dialogs.h"
#include "remover/excess_remover_dialog.h"
#include "resources/resource_ids.h"
#include "restore/copy_or_join_dialog.h"
#include "split/file_splitting_dialog.h"
#include "systools/format_interface_dialog.h"
#include "systools/program_master_dialog.h"
#include "wav/data2wav_dialog.h"

namespace kst {

namespace {

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

int RunKestrova() {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  InstallWin32Dialogs();
  InstallAskDialog();
  ClearRecords();
  SetDefaultColours();
  CopyColoursToRecords();

  ShowStartUpDialog();

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
