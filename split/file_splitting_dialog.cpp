#include "split/file_splitting_dialog.h"

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <atomic>
#include <string>
#include <vector>

#include "frame/clock/clock_counters.h"
#include "frame/dialogs/about_this_dialog.h"
#include "frame/dialogs/ask.h"
#include "frame/dialogs/dialog.h"
#include "frame/dialogs/dialog_win32.h"
#include "frame/dialogs/file_dialogs_win32.h"
#include "frame/dialogs/path_field.h"
#include "frame/dialogs/subprogram_window.h"
#include "frame/dialogs/window_runs.h"
#include "frame/files/folders.h"
#include "frame/settings/remembered_list.h"
#include "frame/settings/settings.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "frame/threads/run_buttons.h"
#include "frame/threads/subprograms.h"
#include "resources/resource_ids.h"
#include "split/file_splitting.h"
#include "split/file_splitting_form.h"

namespace kst {

namespace {

constexpr WindowRecords kRecords{.window = 3, .about = 4, .mainBox = 22, .secondBox = 23};

using Args = const std::vector<std::string>&;

// The window's figures; changed only by FileSplit Main, and only while
// no run is going on.
SplitForm g_form;
// What the run works on, set by Go before FileSplit Second is woken.
FileSplittingInput g_input;
// From Go until the controls are back in their idle state: the job's
// running flag goes off a moment before that.
std::atomic<bool> g_runActive{false};

using Phase = RunPhase;

// The editing controls, locked while a run goes on.
const int kEditing[] = {IDC_FS_JOIN_BATCH, IDC_FS_SAME,          IDC_FS_SIZE,   IDC_FS_UNIT,
                        IDC_FS_FILE,       IDC_FS_FOLDER,        IDC_FS_BROWSE_FILE,
                        IDC_FS_BROWSE_FOLDER, IDC_FS_CREATE, IDC_FS_CHECK_FILE};

Subprogram& Self() { return GetSubprogram(kFileSplitting); }


// The labels and tooltips of the window; Go and Hide change with the phase,
// so that a language change relabels them rightly in every phase.
DialogTexts TextsOf(Phase phase) {
  int go = 79, goTip = 572, hide = 80, hideTip = 573;
  if (phase == Phase::Running) go = 89, goTip = 574, hide = 88, hideTip = 576;
  if (phase == Phase::Paused) go = 90, goTip = 575, hide = 88, hideTip = 576;
  return DialogTexts{87,
                     {
                         {IDC_FS_FILE_GROUP, 69, 0},
                         {IDC_FS_FILE, 0, 577},
                         {IDC_FS_BROWSE_FILE, 70, 578},
                         {IDC_FS_FOLDER_GROUP, 71, 0},
                         {IDC_FS_FOLDER, 0, 579},
                         {IDC_FS_CREATE, 72, 580},
                         {IDC_FS_BROWSE_FOLDER, 73, 581},
                         {IDC_FS_SAME, 74, 582},
                         {IDC_FS_SIZE_GROUP, 75, 0},
                         {IDC_FS_SIZE, 0, 583},
                         {IDC_FS_UNIT, 0, 584},
                         {IDC_FS_BYTES_LABEL, 76, 0},
                         {IDC_FS_BYTES, 0, 1028},
                         {IDC_FS_RESULTS_GROUP, 83, 0},
                         {IDC_FS_COUNT_LABEL, 84, 0},
                         {IDC_FS_COUNT, 0, 587},
                         {IDC_FS_LAST_LABEL, 85, 0},
                         {IDC_FS_LAST, 0, 588},
                         {IDC_FS_TOTAL_LABEL, 86, 0},
                         {IDC_FS_TOTAL, 0, 589},
                         {IDC_FS_SPLIT_LABEL, 77, 0},
                         {IDC_FS_ALL_LABEL, 78, 0},
                         {IDC_FS_TIME_SPEED, 0, 590},
                         {IDC_FS_GO, go, goTip},
                         {IDC_FS_HIDE, hide, hideTip},
                         {IDC_FS_JOIN_BATCH, 81, 585},
                         {IDC_FS_CHECK_FILE, 1400, 0},
                         {IDC_FS_ABOUT, 82, 586},
                     }};
}

const RunButtons kButtons{.record = kRecords.window, .boxRecord = kRecords.mainBox,
                          .go = IDC_FS_GO, .hide = IDC_FS_HIDE,
                          .abortQuestion = 32, .textsOf = TextsOf};

void ShowPhase(DialogState& state, Phase phase) { ShowRunPhase(state, kButtons, phase); }

// Shows the form's figures and what they allow. The size field is left
// alone while the person types in it.
void ShowForm(DialogState& state, bool sizeField) {
  SplitFormTexts texts = FormTexts(g_form);
  DialogSet(state, IDC_FS_TOTAL, texts.total);
  DialogSet(state, IDC_FS_BYTES, texts.bytes);
  DialogSet(state, IDC_FS_COUNT, texts.count);
  DialogSet(state, IDC_FS_LAST, texts.lastSize);
  if (sizeField) DialogSet(state, IDC_FS_SIZE, texts.sizeField);
  DialogSetEnabled(state, IDC_FS_GO, CanGo(g_form, false));
  DialogSetEnabled(state, IDC_FS_CREATE, CanCreateFolder(g_form.folder));
  DialogFlush(state);
}

// ---- the file and the folder ----------------------------------------------

void FileChanged(DialogState& state, const std::string& path) {
  std::string folder = g_form.folder;
  SetFormFile(g_form, path);
  if (g_form.folder != folder) DialogSet(state, IDC_FS_FOLDER, g_form.folder);
  ShowForm(state, true);
}

void FolderChanged(DialogState& state, const std::string& folder) {
  const bool same = g_form.same;
  ChooseFormFolder(g_form, folder);
  if (same && !g_form.same) {
    AppSettings().fsAutoLink = false;
    DialogSetValue(state, IDC_FS_SAME, 0);
  }
  ShowForm(state, true);
}

void OnFile(DialogState& state, int id, int notification, Args) {
  if (g_runActive) return;
  if (notification == kTextChanged || notification == kSelChanged) FileChanged(state, DialogGet(state, id));
}

void OnFolder(DialogState& state, int id, int notification, Args) {
  if (g_runActive) return;
  if (notification == kTextChanged || notification == kSelChanged) FolderChanged(state, DialogGet(state, id));
}

void OnBrowseFile(DialogState& state, int, int, Args) {
  if (g_runActive) return;
  std::string title = Trimmed(GetText(94));
  std::string folder = FolderOfFile(g_form.file);
  char file[MAX_PATH] = "";
  OPENFILENAMEA request;
  InitFileDialog(state.window.load(), request, nullptr, file, sizeof file,
                 folder.empty() ? nullptr : folder.c_str(), title.c_str(),
                 OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR);
  if (!GetOpenFileNameA(&request)) {
    ReportDialogError();
    return;
  }
  DialogSet(state, IDC_FS_FILE, file);
  FileChanged(state, file);
}

void OnBrowseFolder(DialogState& state, int, int, Args) {
  if (g_runActive) return;
  std::string folder = BrowseForFolder(state.window.load(), GetText(95));
  if (folder.empty()) return;
  folder = BareFolder(folder);
  DialogSet(state, IDC_FS_FOLDER, folder);
  FolderChanged(state, folder);
}

void OnCreateFolder(DialogState& state, int, int, Args) {
  if (g_runActive) return;
  std::string folder = Trimmed(g_form.folder);
  if (!MakeFolderPath(folder)) return;
  // The button goes, so the focus goes to the folder it made.
  DialogSetEnabled(state, IDC_FS_CREATE, false);
  DialogFlush(state);
  if (HWND window = WindowOf(state)) SetFocus(GetDlgItem(window, IDC_FS_FOLDER));
  FolderChanged(state, g_form.folder);
}

void OnSame(DialogState& state, int id, int, Args) {
  if (g_runActive) return;
  std::string folder = g_form.folder;
  SetFormSame(g_form, DialogGetValue(state, id) != 0);
  AppSettings().fsAutoLink = g_form.same;
  if (g_form.folder != folder) DialogSet(state, IDC_FS_FOLDER, g_form.folder);
  ShowForm(state, true);
}

// Whether the drop being handled landed on the folder group: the message
// being handled was posted where the mouse let go.
bool DroppedOnFolderGroup(DialogState& state) {
  HWND window = WindowOf(state);
  HWND group = window ? GetDlgItem(window, IDC_FS_FOLDER_GROUP) : nullptr;
  RECT area;
  if (!group || !GetWindowRect(group, &area)) return false;
  DWORD position = GetMessagePos();
  POINT point = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
  return PtInRect(&area, point) != 0;
}

void OnDrop(DialogState& state, int, int notification, Args dropped) {
  if (notification != kDropped || dropped.empty() || g_runActive) return;
  const std::string& path = dropped.front();
  if (DroppedOnFolderGroup(state)) {
    std::string folder = BareFolder(path);
    g_form.same = false;
    AppSettings().fsAutoLink = false;
    DialogSetValue(state, IDC_FS_SAME, 0);
    DialogSet(state, IDC_FS_FOLDER, folder);
    FolderChanged(state, folder);
  } else {
    DialogSet(state, IDC_FS_FILE, path);
    FileChanged(state, path);
  }
}

// ---- the split size ---------------------------------------------------------

void OnSize(DialogState& state, int id, int notification, Args) {
  if (g_runActive) return;
  if (notification == kTextChanged) {
    SetFormSize(g_form, DialogGet(state, id));
    ShowForm(state, false);
  } else if (notification == kFocusLost) {
    ShowForm(state, true);
  }
}

void OnUnit(DialogState& state, int id, int notification, Args) {
  if (g_runActive || notification != kSelChanged) return;
  SetFormUnit(g_form, DialogGet(state, id), DialogGet(state, IDC_FS_SIZE));
  if (DialogGetValue(state, id) != g_form.unit) {
    DialogSet(state, id, SizeUnitText(g_form.unit));
    DialogSetValue(state, id, g_form.unit);
  }
  ShowForm(state, true);
}

void OnJoinBatch(DialogState& state, int id, int, Args) {
  if (g_runActive) return;
  g_form.joinBatch = DialogGetValue(state, id) != 0;
  AppSettings().fsJoinLog = g_form.joinBatch;
}

void OnCheckFile(DialogState& state, int id, int, Args) {
  if (g_runActive) return;
  g_form.checkFile = DialogGetValue(state, id) != 0;
  AppSettings().checkFile = g_form.checkFile;
}

// ---- Go, Pause, Hide and Abort ----------------------------------------------

void Lock(DialogState& state, bool locked) {
  for (int id : kEditing) DialogSetEnabled(state, id, !locked);
}

void StartRun(DialogState& state) {
  ApplyFormRules(g_form);
  if (!CanGo(g_form, false)) return;
  Settings& settings = AppSettings();
  Clock(kClockFileSplitting).done = 0;
  settings.fsFileName = Trimmed(g_form.file);
  settings.fsFolder = Trimmed(g_form.folder);
  RememberPathField(state, IDC_FS_FILE, settings.fsFileNameList, settings.fsFileName);
  RememberPathField(state, IDC_FS_FOLDER, settings.fsFolderList, settings.fsFolder);
  g_input = RunInput(g_form, static_cast<uint32_t>(settings.buffSize), kRecords.secondBox, kRecords.window);
  g_runActive = true;
  ShowPhase(state, Phase::Running);
  Lock(state, true);
  DialogSetRange(state, IDC_FS_ALL_PROGRESS, 0, g_form.plan.count);
  DialogSetValue(state, IDC_FS_ALL_PROGRESS, 0);
  DialogSetValue(state, IDC_FS_SPLIT_PROGRESS, 0);
  ShowForm(state, true);
  DialogSetEnabled(state, IDC_FS_GO, true);
  DialogSetEnabled(state, IDC_FS_CREATE, false);
  DialogFlush(state);
  StartWindowRun(state, kFileSplitting);
}

void OnGo(DialogState& state, int, int, Args) { PressGo(state, kButtons, Self().job, g_runActive, StartRun); }

void OnHide(DialogState& state, int, int, Args) { PressHide(state, kButtons, Self().job, g_runActive); }

void OnAbout(DialogState&, int, int, Args) {
  RunAboutThis(kRecords.about, kRecords.window, AboutThisTexts{91, 92, 93, 2});
}

// ---- the hooks ----------------------------------------------------------------

void AttachRoutines(DialogState& state) {
  DialogSetCallback(state, IDC_FS_FILE, OnFile);
  DialogSetCallback(state, IDC_FS_BROWSE_FILE, OnBrowseFile);
  DialogSetCallback(state, IDC_FS_FOLDER, OnFolder);
  DialogSetCallback(state, IDC_FS_BROWSE_FOLDER, OnBrowseFolder);
  DialogSetCallback(state, IDC_FS_CREATE, OnCreateFolder);
  DialogSetCallback(state, IDC_FS_SAME, OnSame);
  DialogSetCallback(state, IDC_FS_FOLDER_GROUP, OnDrop);
  DialogSetCallback(state, IDC_FS_SIZE, OnSize);
  DialogSetCallback(state, IDC_FS_UNIT, OnUnit);
  DialogSetCallback(state, IDC_FS_JOIN_BATCH, OnJoinBatch);
  DialogSetCallback(state, IDC_FS_CHECK_FILE, OnCheckFile);
  DialogSetCallback(state, IDC_FS_GO, OnGo);
  DialogSetCallback(state, IDC_FS_HIDE, OnHide);
  DialogSetCallback(state, IDC_FS_ABOUT, OnAbout);
}

// FileSplit Main, before the window opens: routines, histories and the
// values of the settings.
void SetUp(Subprogram& self) {
  DialogState& state = self.state;
  const Settings& settings = AppSettings();
  Record(kRecords.window).dropTarget = IDC_FS_FOLDER_GROUP;
  AttachRoutines(state);

  std::vector<std::string> units;
  for (int unit = 0; unit < kSizeUnitCount; ++unit) units.push_back(SizeUnitText(unit));
  DialogSetItems(state, IDC_FS_UNIT, units);
  DialogSet(state, IDC_FS_UNIT, units.front());
  DialogSetValue(state, IDC_FS_UNIT, 0);

  g_form = SplitForm{};
  g_form.same = settings.fsAutoLink;
  g_form.joinBatch = settings.fsJoinLog;
  g_form.checkFile = settings.checkFile;
  SetFormFolder(g_form, settings.fsFolder);
  SetFormFile(g_form, settings.fsFileName);
  ShowPathField(state, IDC_FS_FILE, settings.fsFileNameList, g_form.file);
  ShowPathField(state, IDC_FS_FOLDER, settings.fsFolderList, g_form.folder);
  DialogSetValue(state, IDC_FS_SAME, g_form.same ? 1 : 0);
  DialogSetValue(state, IDC_FS_JOIN_BATCH, g_form.joinBatch ? 1 : 0);
  DialogSetValue(state, IDC_FS_CHECK_FILE, g_form.checkFile ? 1 : 0);
  DialogSet(state, IDC_FS_TIME_SPEED, "");
  ShowPhase(state, Phase::Idle);
  Lock(state, false);
  ShowForm(state, true);
}

// FileSplit Second: one run.
void Work(Subprogram& self) {
  // A pause shows where the run stopped, held progress included.
  self.job.onHold = [&self] { DialogFlush(self.state); };
  ProgressSink splits = ProgressBarSink(self.state, IDC_FS_ALL_PROGRESS);
  ProgressSink split = ProgressBarSink(self.state, IDC_FS_SPLIT_PROGRESS);
  const FileSplittingResult result = RunFileSplitting(g_input, self.job, &splits, &split);
  // Read by the clock and by Idle: a run that made every split ends with
  // its bars full and "Done!" in its time field.
  self.job.endedWell = result.outcome == SplitOutcome::Done;
}

// FileSplit Second, after the run: the controls back to idle.
void Idle(Subprogram& self) {
  DialogState& state = self.state;
  ShowPhase(state, Phase::Idle);
  Lock(state, false);
  if (self.job.endedWell) {
    for (int bar : {IDC_FS_ALL_PROGRESS, IDC_FS_SPLIT_PROGRESS}) {
      DialogSetRange(state, bar, 0, 1);
      DialogSetValue(state, bar, 1);
    }
  } else {
    DialogSetValue(state, IDC_FS_ALL_PROGRESS, 0);
  }
  ShowForm(state, true);
  EndWindowRun(state, g_runActive);
}

}  // namespace

void InstallFileSplitting() {
  InstallWindow(kFileSplitting, kRecords.window, TextsOf(Phase::Idle), {SetUp, Work, {}, Idle});
}

}  // namespace kst
