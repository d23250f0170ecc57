#include "disktest/test_disks_dialog.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "backup/disk_prompts_dialog.h"
#include "backup/run_settings.h"
#include "disktest/disk_test.h"
#include "frame/dialogs/about_this_dialog.h"
#include "frame/dialogs/ask.h"
#include "frame/dialogs/dialog.h"
#include "frame/dialogs/dialog_win32.h"
#include "frame/dialogs/file_dialogs_win32.h"
#include "frame/dialogs/subprogram_window.h"
#include "frame/files/folders.h"
#include "frame/platform/platform.h"
#include "frame/settings/settings.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "frame/threads/run_buttons.h"
#include "frame/threads/subprograms.h"
#include "resources/resource_ids.h"

namespace kst {

namespace {

constexpr WindowRecords kRecords{.window = 10, .about = 11, .mainBox = 29, .secondBox = 30};
constexpr int kPromptRecord = 12;
constexpr int kHelpPage = 5;  // Test Disks' help page

using Args = const std::vector<std::string>&;

// What the next run works with, copied at Go.
DiskTestSettings g_run;
// From Go until the controls are back in their idle state.
std::atomic<bool> g_runActive{false};

using Phase = RunPhase;

const int kEditing[] = {IDC_TD_TEMP, IDC_TD_BROWSE, IDC_TD_DRIVE};

Subprogram& Self() { return GetSubprogram(kTestDisks); }

DialogTexts TextsOf(Phase phase) {
  // Abort has no tooltip of its own: Hide's would say the wrong thing.
  int go = 359, goTip = 667, hide = 360, hideTip = 668;
  if (phase == Phase::Running) go = 89, goTip = 670, hide = 88, hideTip = 0;
  if (phase == Phase::Paused) go = 90, goTip = 671, hide = 88, hideTip = 0;
  return DialogTexts{354,
                     {
                         {IDC_TD_TEMP_LABEL, 355, 0},
                         {IDC_TD_TEMP, 0, 673},
                         {IDC_TD_CREATE, 356, 672},
                         {IDC_TD_BROWSE, 357, 674},
                         {IDC_TD_DRIVE_LABEL, 358, 0},
                         {IDC_TD_DRIVE, 0, 675},
                         {IDC_TD_GO, go, goTip},
                         {IDC_TD_HIDE, hide, hideTip},
                         {IDC_TD_ABOUT, 361, 669},
                     }};
}

const RunButtons kButtons{.record = kRecords.window, .boxRecord = kRecords.mainBox,
                          .go = IDC_TD_GO, .hide = IDC_TD_HIDE,
                          .abortQuestion = 35, .textsOf = TextsOf};

void ShowPhase(DialogState& state, Phase phase) { ShowRunPhase(state, kButtons, phase); }

// A folder that exists on a fixed or RAM drive.
bool ValidTemporary(const std::string& folder) {
  const uint32_t attributes = plat::GetAttributes(folder);
  if (attributes == plat::kAttrInvalid || !(attributes & plat::kAttrDirectory)) return false;
  const uint32_t type = plat::DriveType(DriveRoot(folder));
  return type == plat::kDriveFixed || type == plat::kDriveRamDisk;
}

std::string ChosenDrive(DialogState& state) {
  const int pick = DialogGetValue(state, IDC_TD_DRIVE);
  const std::vector<std::string> drives = DialogGetItems(state, IDC_TD_DRIVE);
  return pick >= 0 && pick < static_cast<int>(drives.size()) ? drives[static_cast<size_t>(pick)] : "";
}

// Go and Create as the folder and the drive allow.
void ShowChoices(DialogState& state) {
  if (g_runActive) return;
  const std::string folder = Trimmed(DialogGet(state, IDC_TD_TEMP));
  const bool valid = ValidTemporary(folder);
  DialogSetEnabled(state, IDC_TD_CREATE, !valid && folder.size() > 2);
  DialogSetEnabled(state, IDC_TD_GO, valid && !ChosenDrive(state).empty());
  DialogFlush(state);
}

void OnTemp(DialogState& state, int, int notification, Args) {
  if (notification == kTextChanged) ShowChoices(state);
}

void OnDrive(DialogState& state, int, int notification, Args) {
  if (notification == kSelChanged) ShowChoices(state);
}

void OnBrowse(DialogState& state, int, int, Args) {
  if (g_runActive) return;
  std::string folder = BrowseForFolder(state.window.load(), GetText(362));
  if (folder.empty()) return;
  DialogSet(state, IDC_TD_TEMP, folder);
  ShowChoices(state);
}

void OnCreate(DialogState& state, int, int, Args) {
  if (g_runActive) return;
  MakeFolderPath(Trimmed(DialogGet(state, IDC_TD_TEMP)));
  ShowChoices(state);
}

void Lock(DialogState& state, bool locked) {
  for (int id : kEditing) DialogSetEnabled(state, id, !locked);
  if (locked) DialogSetEnabled(state, IDC_TD_CREATE, false);
}

void StartRun(DialogState& state) {
  const std::string folder = Trimmed(DialogGet(state, IDC_TD_TEMP));
  const std::string drive = ChosenDrive(state);
  if (!ValidTemporary(folder) || drive.empty()) return;
  Settings& settings = AppSettings();
  settings.tdTmpFolder = folder;
  g_run = DiskTestSettings{};
  g_run.temporary = folder;
  g_run.drive = drive;
  g_run.buffSize = settings.buffSize;
  g_run.silent = settings.silentP;
  g_runActive = true;
  ShowPhase(state, Phase::Running);
  Lock(state, true);
  DialogSetValue(state, IDC_TD_PROGRESS, 0);
  DialogFlush(state);
  StartWork(kTestDisks);
}

void OnGo(DialogState& state, int, int, Args) { PressGo(state, kButtons, Self().job, g_runActive, StartRun); }

void OnHide(DialogState& state, int, int, Args) {
  if (!PressHide(state, kButtons, Self().job, g_runActive)) return;
  DialogSet(state, IDC_TD_STATUS, Trimmed(GetText(363)));
  DialogFlush(state);
  // A prompt waiting for a disk would hold the run until it is answered.
  CloseOpenPrompt(kPromptRecord);
}

void OnAbout(DialogState&, int, int, Args) {
  RunAboutThis(kRecords.about, kRecords.window, AboutThisTexts{364, 366, 365, kHelpPage});
}

// Test Disks Main, before the window opens.
void SetUp(Subprogram& self) {
  DialogState& state = self.state;
  DialogSetCallback(state, IDC_TD_TEMP, OnTemp);
  DialogSetCallback(state, IDC_TD_DRIVE, OnDrive);
  DialogSetCallback(state, IDC_TD_BROWSE, OnBrowse);
  DialogSetCallback(state, IDC_TD_CREATE, OnCreate);
  DialogSetCallback(state, IDC_TD_GO, OnGo);
  DialogSetCallback(state, IDC_TD_HIDE, OnHide);
  DialogSetCallback(state, IDC_TD_ABOUT, OnAbout);
  const std::vector<std::string> drives = ListRemovableDrives();
  DialogSetItems(state, IDC_TD_DRIVE, drives);
  if (!drives.empty()) DialogSet(state, IDC_TD_DRIVE, drives.front());
  DialogSetValue(state, IDC_TD_DRIVE, drives.empty() ? -1 : 0);
  DialogSet(state, IDC_TD_TEMP, AppSettings().tdTmpFolder);
  DialogSet(state, IDC_TD_STATUS, Trimmed(GetText(353)));
  DialogSetRange(state, IDC_TD_PROGRESS, 0, 1);
  DialogSetValue(state, IDC_TD_PROGRESS, 0);
  ShowPhase(state, Phase::Idle);
  Lock(state, false);
  ShowChoices(state);
}

// Test Disks Second: one test.
void Work(Subprogram& self) {
  DialogState& state = self.state;
  self.job.onHold = [&state] { DialogFlush(state); };
  ProgressSink bar = ProgressBarSink(state, IDC_TD_PROGRESS);
  const BackupPerson prompts = DiskPromptPerson(kPromptRecord, kRecords.window);
  DiskTestRun run;
  run.settings = g_run;
  run.person.insertDisk = prompts.insertDisk;
  run.person.diskNotEmpty = prompts.diskNotEmpty;
  run.person.status = [&state](const std::string& text) {
    DialogSet(state, IDC_TD_STATUS, text);
    DialogFlush(state);
  };
  run.owner = MessageOwner{state.window.load(), kRecords.secondBox, kRecords.window};
  run.job = &self.job;
  run.progress = &bar;
  RunDiskTest(run);
}

// Test Disks Second, after the test: the controls back to idle, the
// verdict left in the status line.
void Idle(Subprogram& self) {
  DialogState& state = self.state;
  g_runActive = false;
  ShowPhase(state, Phase::Idle);
  Lock(state, false);
  DialogSetValue(state, IDC_TD_PROGRESS, 0);
  ShowChoices(state);
  HWND window = WindowOf(state);
  BringWindowToFront(window);
  if (window)
    PostMessageA(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(window, IDC_TD_GO)), TRUE);
}

}  // namespace

void InstallTestDisks() {
  InstallWindow(kTestDisks, kRecords.window, TextsOf(Phase::Idle), {SetUp, Work, {}, Idle});
}

}  // namespace kst
