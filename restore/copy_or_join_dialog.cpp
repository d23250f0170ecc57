// The Copy &/Or Join window: its texts, the folders and options, and the
// routines of its controls. The list is in copy_or_join_lists_win32.cpp,
// the run and the joins in copy_or_join_run_win32.cpp.
#include "restore/copy_or_join_dialog.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "backup/run_settings.h"
#include "frame/clock/clock_system.h"
#include "frame/clock/clock_windows.h"
#include "frame/dialogs/about_this_dialog.h"
#include "frame/dialogs/ask.h"
#include "frame/dialogs/dialog.h"
#include "frame/dialogs/file_dialogs_win32.h"
#include "frame/dialogs/path_field.h"
#include "frame/dialogs/subprogram_window.h"
#include "frame/files/folders.h"
#include "frame/files/typed_path.h"
#include "frame/platform/platform.h"
#include "frame/settings/remembered_list.h"
#include "frame/settings/settings.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "frame/threads/subprograms.h"
#include "resources/resource_ids.h"
#include "restore/copy_or_join_window.h"
#include "restore/restore_texts.h"

namespace kst {

namespace copy_join {

RestoreList& List() {
  static RestoreList* list = new RestoreList;
  return *list;
}
JoinQueue& Queue() {
  static JoinQueue* queue = new JoinQueue;
  return *queue;
}

RestoreSettings g_settings;
RestoreSettings g_run;
std::atomic<bool> g_runActive{false};
bool g_childOpen = false;
Phases g_phases;

Subprogram& Self() { return GetSubprogram(kCopyOrJoin); }
DialogState& State() { return Self().state; }
MessageOwner MainOwner(DialogState& state) {
  return MessageOwner{state.window.load(), kRecords.mainBox, kRecords.window};
}

namespace {

const int kEditing[] = {IDC_CJ_DEST,     IDC_CJ_CREATE,     IDC_CJ_DEST_BROWSE, IDC_CJ_ORIGIN,
                        IDC_CJ_ORIGIN_BROWSE, IDC_CJ_DISKS, IDC_CJ_AUTO_JOIN,   IDC_CJ_AUTO_DELETE,
                        IDC_CJ_COPY_ALL, IDC_CJ_KEEP,       IDC_CJ_DELETE_ORIGIN, IDC_CJ_AUTO_NAME};

DialogTexts TextsOf(Phase run, Phase join) {
  int go = 255, goTip = 692, hide = 256, hideTip = 693;
  if (run == Phase::Running) go = 89, goTip = 694, hide = 88, hideTip = 700;
  if (run == Phase::Paused) go = 90, goTip = 695, hide = 88, hideTip = 700;
  int add = 258, addTip = 697, view = 260, viewTip = 699;
  if (join == Phase::Running) add = 89, addTip = 986, view = 88, viewTip = 987;
  if (join == Phase::Paused) add = 90, addTip = 988, view = 88, viewTip = 987;
  return DialogTexts{254,
                     {
                         {IDC_CJ_LIST_LABEL, 273, 0},
                         {IDC_CJ_LIST, 0, 710},
                         {IDC_CJ_ADD, add, addTip},
                         {IDC_CJ_REMOVE, 259, 698},
                         {IDC_CJ_VIEW, view, viewTip},
                         {IDC_CJ_TOTAL_LABEL, 271, 0},
                         {IDC_CJ_TOTAL, 0, 711},
                         {IDC_CJ_FILES_LABEL, 272, 0},
                         {IDC_CJ_FILES, 0, 712},
                         {IDC_CJ_DEST_GROUP, 261, 0},
                         {IDC_CJ_DEST, 0, 701},
                         {IDC_CJ_CREATE, 262, 702},
                         {IDC_CJ_DEST_BROWSE, 263, 703},
                         {IDC_CJ_ORIGIN_GROUP, 264, 0},
                         {IDC_CJ_ORIGIN, 0, 704},
                         {IDC_CJ_ORIGIN_BROWSE, 265, 705},
                         {IDC_CJ_DISKS_LABEL, 266, 0},
                         {IDC_CJ_AUTO_JOIN, 267, 706},
                         {IDC_CJ_AUTO_DELETE, 268, 707},
                         {IDC_CJ_COPY_ALL, 269, 708},
                         {IDC_CJ_KEEP, 270, 709},
                         {IDC_CJ_DELETE_ORIGIN, 753, 754},
                         {IDC_CJ_AUTO_NAME, 811, 812},
                         {IDC_CJ_STATUS_GROUP, 275, 0},
                         {IDC_CJ_START_LABEL, 276, 0},
                         {IDC_CJ_ETA_LABEL, 277, 0},
                         {IDC_CJ_LEFT_LABEL, 278, 0},
                         {IDC_CJ_DONE_LABEL, 279, 0},
                         {IDC_CJ_DLEFT_LABEL, 280, 0},
                         {IDC_CJ_SIZE_LABEL, 281, 0},
                         {IDC_CJ_COPY_PROGRESS_LABEL, 283, 0},
                         {IDC_CJ_JOIN_PROGRESS_LABEL, 282, 0},
                         {IDC_CJ_SPEED_LABEL, kTextSpeedLabel, 0},
                         {IDC_CJ_TIME_SPEED, 0, 631},
                         {IDC_CJ_WATCH_GROUP, 274, 0},
                         {IDC_CJ_COMPUTER_LABEL, 131, 0},
                         {IDC_CJ_COMPUTER_CLOCK, 0, 633},
                         {IDC_CJ_WATCH_LABEL, 132, 0},
                         {IDC_CJ_WATCH, 0, 632},
                         {IDC_CJ_WATCH_DIFFERENCE, 0, 634},
                         {IDC_CJ_ADJUST, 133, 635},
                         {IDC_CJ_RESET, 134, 636},
                         {IDC_CJ_GO, go, goTip},
                         {IDC_CJ_HIDE, hide, hideTip},
                         {IDC_CJ_ABOUT, 257, 696},
                     }};
}

WatchControls Watch() {
  return WatchControls{IDC_CJ_COMPUTER_CLOCK, IDC_CJ_WATCH, IDC_CJ_WATCH_DIFFERENCE, IDC_CJ_ADJUST, IDC_CJ_RESET};
}

}  // namespace

// The buttons that change with the run and the join take their texts;
// drops are taken only while no join runs. The caller holds the lock.
void ShowPhasesLocked(DialogState& state) {
  DialogTexts texts = TextsOf(g_phases.run, g_phases.join);
  for (const ControlTexts& t : texts.controls) {
    if (t.controlId != IDC_CJ_GO && t.controlId != IDC_CJ_HIDE && t.controlId != IDC_CJ_ADD &&
        t.controlId != IDC_CJ_VIEW)
      continue;
    DialogSet(state, t.controlId, Trimmed(GetText(t.labelText)));
    DialogSetTooltip(state, t.controlId, Trimmed(GetText(t.tooltipText)));
  }
  SetRecordTexts(kRecords.window, std::move(texts));
  // The window stays a drop target: OnDrop ignores drops while a join runs.
  // Switching DragAcceptFiles here would send the window a style change from
  // the joining thread while it holds the lock the window's thread may be
  // waiting for.
  DialogFlush(state);
}

void ShowRunPhase(DialogState& state, Phase run) {
  std::lock_guard<std::mutex> lock(g_phases.mutex);
  g_phases.run = run;
  ShowPhasesLocked(state);
}

// Go pressed during a run: pauses or releases the worker.
void PauseRun(DialogState& state) {
  std::lock_guard<std::mutex> lock(g_phases.mutex);
  if (g_phases.run == Phase::Idle) return;  // the run has just ended
  g_phases.run = TogglePause(Self().job) ? Phase::Paused : Phase::Running;
  ShowPhasesLocked(state);
}

// Whether "A&dd Splits" and "View Split &List" are the join's buttons now.
bool JoinShown() {
  std::lock_guard<std::mutex> lock(g_phases.mutex);
  return g_phases.join != Phase::Idle;
}

// ---- the folders and options ----------------------------------------------------

void OnFolder(DialogState& state, int id, int notification, Args) {
  if (g_runActive || (notification != kTextChanged && notification != kSelChanged)) return;
  const std::string typed = TypedPath(DialogGet(state, id));
  if (id == IDC_CJ_DEST) {
    g_settings.destination = typed;
    AppSettings().rDestFolder = typed;
  } else {
    g_settings.origin = typed;
  }
}

// A folder dropped on either box becomes that folder.
void OnFolderDrop(DialogState& state, int id, const std::string& folder) {
  if (g_runActive) return;
  DialogSet(state, id, folder);
  DialogFlush(state);
  OnFolder(state, id, kTextChanged, {});
}

// A folder browsed for or dropped: the origin must be on a removable disk
// or a CD, the destination on a fixed disk or a RAM disk.
void TakeFolder(DialogState& state, bool origin, const std::string& folder) {
  if (g_runActive) return;
  const UINT type = GetDriveTypeA(DriveRoot(folder).c_str());
  const bool fits = origin ? (type == DRIVE_REMOVABLE || type == DRIVE_CDROM)
                           : (type == DRIVE_FIXED || type == DRIVE_RAMDISK);
  if (!fits) {
    PlayAlert();
    AskUser(kAskOk, state.window.load(), GetText(origin ? 285 : 288), GetText(origin ? 286 : 289),
            kRecords.mainBox, kRecords.window);
    return;
  }
  OnFolderDrop(state, origin ? IDC_CJ_ORIGIN : IDC_CJ_DEST, OneBackslash(folder));
}

void OnBrowse(DialogState& state, int id, int, Args) {
  if (g_runActive) return;
  const bool origin = id == IDC_CJ_ORIGIN_BROWSE;
  const std::string folder = BrowseForFolder(state.window.load(), GetText(origin ? 284 : 287));
  if (!folder.empty()) TakeFolder(state, origin, folder);
}

void OnCreate(DialogState& state, int, int, Args) {
  if (g_runActive || Trimmed(g_settings.destination).empty()) return;
  if (!MakeFolderPath(OneBackslash(g_settings.destination))) {
    const uint32_t code = plat::LastError();
    PlayAlert();
    std::string message = Trimmed(GetText(289)) + " " + OneBackslash(g_settings.destination);
    if (code != plat::kErrNone) message += " " + Trimmed(GetText(kTextSystemSays)) + " " + plat::ErrorText(code);
    AskUser(kAskOk, state.window.load(), GetText(288), message, kRecords.mainBox, kRecords.window);
  }
}

// The options that depend on another follow it.
void EnableOptions(DialogState& state, bool locked) {
  for (int id : kEditing) DialogSetEnabled(state, id, !locked);
  if (locked) return;
  const Settings& s = AppSettings();
  DialogSetEnabled(state, IDC_CJ_AUTO_DELETE, s.rAutoJoin);
  DialogSetEnabled(state, IDC_CJ_AUTO_NAME, s.rAutoJoin);
  DialogSetEnabled(state, IDC_CJ_DELETE_ORIGIN, s.rCopyAll);
}

void OnOption(DialogState& state, int id, int, Args) {
  if (g_runActive) return;
  const bool on = DialogGetValue(state, id) != 0;
  Settings& s = AppSettings();
  switch (id) {
    case IDC_CJ_AUTO_JOIN: s.rAutoJoin = on; break;
    case IDC_CJ_AUTO_DELETE: s.rAutoJoinDel = on; break;
    case IDC_CJ_COPY_ALL: s.rCopyAll = on; break;
    case IDC_CJ_KEEP: s.rKeepStruct = on; break;
    case IDC_CJ_DELETE_ORIGIN: s.rDeleteEnd = on; break;
    case IDC_CJ_AUTO_NAME: s.rAutoName = on; break;
  }
  EnableOptions(state, false);
  DialogFlush(state);
}

void OnDisks(DialogState& state, int id, int notification, Args) {
  if (g_runActive || notification != kFocusLost) return;
  const int64_t disks = TextToInt64(Trimmed(DialogGet(state, id)));
  g_settings.disksToRead = disks > 0 && disks < 100000 ? static_cast<int>(disks) : 0;
  DialogSet(state, id, std::to_string(g_settings.disksToRead));
  DialogFlush(state);
}

void ShowOptions(DialogState& state) {
  const Settings& s = AppSettings();
  DialogSetValue(state, IDC_CJ_AUTO_JOIN, s.rAutoJoin ? 1 : 0);
  DialogSetValue(state, IDC_CJ_AUTO_DELETE, s.rAutoJoinDel ? 1 : 0);
  DialogSetValue(state, IDC_CJ_COPY_ALL, s.rCopyAll ? 1 : 0);
  DialogSetValue(state, IDC_CJ_KEEP, s.rKeepStruct ? 1 : 0);
  DialogSetValue(state, IDC_CJ_DELETE_ORIGIN, s.rDeleteEnd ? 1 : 0);
  DialogSetValue(state, IDC_CJ_AUTO_NAME, s.rAutoName ? 1 : 0);
}

namespace {

void OnAbout(DialogState&, int, int, Args) {
  if (g_childOpen) return;
  RunAboutThis(kRecords.about, kRecords.window, AboutThisTexts{696, 254, 295, 4});
}

// ---- the hooks ----------------------------------------------------------------------

void AttachRoutines(DialogState& state) {
  DialogSetCallback(state, IDC_CJ_LIST, OnDrop);
  DialogSetCallback(state, IDC_CJ_ADD, OnAdd);
  DialogSetCallback(state, IDC_CJ_REMOVE, OnRemove);
  DialogSetCallback(state, IDC_CJ_VIEW, OnView);
  DialogSetCallback(state, IDC_CJ_DEST, OnFolder);
  DialogSetCallback(state, IDC_CJ_ORIGIN, OnFolder);
  DialogSetCallback(state, IDC_CJ_DEST_BROWSE, OnBrowse);
  DialogSetCallback(state, IDC_CJ_ORIGIN_BROWSE, OnBrowse);
  DialogSetCallback(state, IDC_CJ_CREATE, OnCreate);
  DialogSetCallback(state, IDC_CJ_DISKS, OnDisks);
  for (int id : {IDC_CJ_AUTO_JOIN, IDC_CJ_AUTO_DELETE, IDC_CJ_COPY_ALL, IDC_CJ_KEEP, IDC_CJ_DELETE_ORIGIN,
                 IDC_CJ_AUTO_NAME})
    DialogSetCallback(state, id, OnOption);
  DialogSetCallback(state, IDC_CJ_GO, OnGo);
  DialogSetCallback(state, IDC_CJ_HIDE, OnHide);
  DialogSetCallback(state, IDC_CJ_ABOUT, OnAbout);
}

// Copy &/Or Join Main, before the window opens.
void SetUp(Subprogram& self) {
  DialogState& state = self.state;
  const Settings& settings = AppSettings();
  Record(kRecords.window).dropTarget = IDC_CJ_LIST;
  {
    std::lock_guard<std::mutex> lock(List().mutex);
    List().capacity = settings.listSizes > 0 ? settings.listSizes : kListSizesDefault;
  }
  AttachRoutines(state);
  g_settings.destination = settings.rDestFolder;
  if (g_settings.origin.empty() && !settings.rOrigFolderList.entries.empty())
    g_settings.origin = settings.rOrigFolderList.entries.front();
  ShowPathField(state, IDC_CJ_DEST, settings.rDestFolderList, g_settings.destination);
  ShowPathField(state, IDC_CJ_ORIGIN, settings.rOrigFolderList, g_settings.origin);
  DialogSet(state, IDC_CJ_DISKS, std::to_string(g_settings.disksToRead));
  ShowOptions(state);
  AttachWatchControls(state, Watch());
  {
    std::lock_guard<std::mutex> lock(g_phases.mutex);
    ShowPhasesLocked(state);
  }
  EnableOptions(state, g_runActive);
  ShowList(state);
}

}  // namespace

}  // namespace copy_join

void StopJoiningForExit() { copy_join::StopJoining(copy_join::kExitWaitMs); }

void InstallCopyOrJoin() {
  using namespace copy_join;
  InstallWindow(kCopyOrJoin, kRecords.window, TextsOf(Phase::Idle, Phase::Idle), {SetUp, Work, JoinWork, Idle});
  HookClockWindow(kClockCopyJoin, kCopyOrJoin, IDC_CJ_TIME_SPEED, false, Watch());
}

}  // namespace kst
