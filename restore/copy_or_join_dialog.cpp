#include "restore/copy_or_join_dialog.h"

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "backup/run_settings.h"
#include "frame/clock/clock_system.h"
#include "frame/clock/clock_windows.h"
#include "frame/dialogs/about_this_dialog.h"
#include "frame/dialogs/ask.h"
#include "frame/dialogs/dialog.h"
#include "frame/dialogs/dialog_win32.h"
#include "frame/dialogs/file_dialogs_win32.h"
#include "frame/files/folders.h"
#include "frame/files/typed_path.h"
#include "frame/platform/platform.h"
#include "frame/settings/remembered_list.h"
#include "frame/settings/settings.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "frame/texts/times.h"
#include "frame/threads/subprograms.h"
#include "resources/resource_ids.h"
#include "restore/join_queue.h"
#include "restore/join_splits_dialog.h"
#include "restore/restore_list.h"
#include "restore/restore_texts.h"
#include "restore/restore_worker.h"
#include "restore/select_files_dialog.h"
#include "split/file_splitting_form.h"

namespace kst {

namespace {

constexpr int kRecord = 13;
// About This, the split list and the disk prompt: the Command Center
// finds whatever is open on these.
constexpr int kAboutRecord = 14;
constexpr int kSplitListRecord = 15;
constexpr int kPromptRecord = 15;
// Each thread asks through a message-box record of its own.
constexpr int kMainBoxRecord = 26;
constexpr int kSecondBoxRecord = 27;
constexpr int kJoinBoxRecord = 28;
// The choice of "A&dd Splits" comes back in one buffer of this size.
constexpr DWORD kAddBufferSize = 66820;
// How long leaving the window, or the program, waits for a stopped join
// to roll back.
constexpr int kRollbackWaitMs = 30000;
constexpr int kExitWaitMs = 8000;

using Args = const std::vector<std::string>&;

// The list and the queue live from start to exit; the window, the worker
// and the joining thread share them under their own locks.
RestoreList& List() {
  static RestoreList* list = new RestoreList;
  return *list;
}
JoinQueue& Queue() {
  static JoinQueue* queue = new JoinQueue;
  return *queue;
}

// The fields of the window; copied into the run at "Feed &Me".
RestoreSettings g_settings;
RestoreSettings g_run;
std::atomic<bool> g_runActive{false};
bool g_childOpen = false;

enum class Phase { Idle, Running, Paused };

// What the buttons show: the run's phase and the join's. The window, the
// restore worker and the joining thread switch them; one lock keeps each
// switch and the texts it shows together, so that the buttons always
// belong to the jobs that run.
struct Phases {
  std::mutex mutex;
  Phase run = Phase::Idle;
  Phase join = Phase::Idle;
};
Phases g_phases;

const int kEditing[] = {IDC_CJ_DEST,     IDC_CJ_CREATE,     IDC_CJ_DEST_BROWSE, IDC_CJ_ORIGIN,
                        IDC_CJ_ORIGIN_BROWSE, IDC_CJ_DISKS, IDC_CJ_AUTO_JOIN,   IDC_CJ_AUTO_DELETE,
                        IDC_CJ_COPY_ALL, IDC_CJ_KEEP,       IDC_CJ_DELETE_ORIGIN, IDC_CJ_AUTO_NAME};

Subprogram& Self() { return GetSubprogram(kCopyOrJoin); }
DialogState& State() { return Self().state; }
HWND WindowOf(DialogState& state) { return static_cast<HWND>(state.window.load()); }
MessageOwner MainOwner(DialogState& state) { return MessageOwner{state.window.load(), kMainBoxRecord, kRecord}; }

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
  SetRecordTexts(kRecord, std::move(texts));
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

std::string Number(int64_t value) { return std::to_string(value); }

std::string TimeOfDay(int64_t seconds) {
  seconds %= 86400;
  if (seconds < 0) seconds += 86400;
  char text[16];
  snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(seconds / 3600),
           static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
  return text;
}

void ShowList(DialogState& state) {
  DialogSetItems(state, IDC_CJ_LIST, RecordRows(List()));
  const RestoreTotals totals = Totals(List());
  DialogSet(state, IDC_CJ_TOTAL, Number(totals.grandTotal));
  DialogSet(state, IDC_CJ_FILES, Number(totals.fileCount));
  DialogFlush(state);
  if (HWND list = GetDlgItem(WindowOf(state), IDC_CJ_LIST)) {
    PostMessageA(list, LB_SETHORIZONTALEXTENT, 0, 0);
    PostMessageA(list, LB_SETHORIZONTALEXTENT, 4000, 0);
  }
}

void ShowFigures(DialogState& state, const RestoreFigures& f) {
  DialogSet(state, IDC_CJ_START, TimeOfDay(f.startTime + WatchOffsetNow()));
  DialogSet(state, IDC_CJ_ETA, TimeOfDay(f.eta + WatchOffsetNow()));
  DialogSet(state, IDC_CJ_LEFT, FormatDuration(f.timeLeft));
  DialogSet(state, IDC_CJ_DONE, Number(f.disksDone));
  DialogSet(state, IDC_CJ_DLEFT, Number(f.disksLeft));
  DialogSet(state, IDC_CJ_SIZE, Number(f.totalSize));
  DialogFlush(state);
}

// The ids of the records selected in the list, read on the window's thread.
std::vector<int> SelectedIds(DialogState& state) {
  std::vector<int> ids;
  HWND box = GetDlgItem(WindowOf(state), IDC_CJ_LIST);
  int count = box ? static_cast<int>(SendMessageA(box, LB_GETSELCOUNT, 0, 0)) : 0;
  if (count <= 0) return ids;
  std::vector<int> rows(static_cast<size_t>(count));
  count = static_cast<int>(SendMessageA(box, LB_GETSELITEMS, count, reinterpret_cast<LPARAM>(rows.data())));
  RestoreList& list = List();
  std::lock_guard<std::mutex> lock(list.mutex);
  for (int i = 0; i < count; ++i) {
    const size_t row = static_cast<size_t>(rows[static_cast<size_t>(i)]);
    if (row < list.records.size()) ids.push_back(list.records[row].id);
  }
  return ids;
}

// ---- the joining thread -------------------------------------------------------

// Starts the joining thread when something waits and no joiner is active;
// an active one takes the queue as it comes (the queue decides under its
// own lock, so a thread that is stopping never leaves a request behind).
void WakeJoining(DialogState& state) {
  std::lock_guard<std::mutex> lock(g_phases.mutex);
  if (!ClaimJoiner(Queue())) return;
  g_phases.join = Phase::Running;
  ShowPhasesLocked(state);
  StartExtraWork(kCopyOrJoin);
}

// Asks for the join target: a save-file dialog in the proposed folder.
bool NameTarget(const std::string& proposed, std::string* chosen) {
  std::vector<char> name(MAX_PATH * 4, '\0');
  const std::string file = FileNameOf(proposed), folder = FolderOf(proposed);
  strncpy(name.data(), file.c_str(), name.size() - 1);
  const std::string title = Trimmed(GetText(319));
  OPENFILENAMEA request;
  InitFileDialog(State().window.load(), request, nullptr, name.data(), static_cast<DWORD>(name.size()),
                 folder.c_str(), title.c_str(), OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST);
  if (!GetSaveFileNameA(&request)) return false;
  *chosen = name.data();
  return true;
}

// The joining thread: the queued joins, one after another.
void JoinWork(Subprogram& self) {
  DialogState& state = self.state;
  self.extraJob.onHold = [&state] { DialogFlush(state); };
  ProgressSink bar = ProgressBarSink(state, IDC_CJ_JOIN_PROGRESS);
  JoinContext context;
  context.list = &List();
  context.job = &self.extraJob;
  context.progress = &bar;
  context.buffSize = static_cast<uint32_t>(AppSettings().buffSize);
  context.autoName = AppSettings().rAutoName;
  context.silent = AppSettings().silentP;
  context.nameTarget = NameTarget;
  context.owner = MessageOwner{state.window.load(), kJoinBoxRecord, kRecord};
  {
    // A pause shown for the join stands for this turn too.
    std::lock_guard<std::mutex> lock(g_phases.mutex);
    if (g_phases.join == Phase::Paused && !self.extraJob.paused.load()) PauseJob(self.extraJob);
  }
  bool troubled = false;
  for (;;) {
    RunQueuedJoins(Queue(), context, &troubled);
    // Joins that all went well leave the bar full and "Done!" in the time field.
    const bool well = !troubled && self.extraJob.keepGoing.load();
    if (well) DialogSetRange(state, IDC_CJ_JOIN_PROGRESS, 0, 1);
    DialogSetValue(state, IDC_CJ_JOIN_PROGRESS, well ? 1 : 0);
    ShowList(state);
    std::lock_guard<std::mutex> lock(g_phases.mutex);
    if (ReleaseJoiner(Queue(), !self.extraJob.keepGoing.load())) {
      self.extraJob.endedWell = well;
      g_phases.join = Phase::Idle;
      ShowPhasesLocked(state);
      return;
    }
  }
}

// ---- adding by hand -------------------------------------------------------------

void Add(DialogState& state, const std::vector<std::string>& paths) {
  const AutoJoinOptions options{AppSettings().rAutoJoin, AppSettings().rAutoJoinDel};
  for (const std::string& path : CheckFilesFirst(paths)) {  // sums read before a join
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const int64_t size = (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (size <= 0) continue;
    const AddResult added = AddToRestoreList(List(), {path, "", size, AddSource::User}, options, MainOwner(state));
    if (added.full) break;
    if (added.joinNow) RequestJoin(Queue(), {added.recordId, added.deleteSplits, false});
  }
  ShowList(state);
  WakeJoining(state);
}

void OnAdd(DialogState& state, int, int, Args) {
  {
    std::lock_guard<std::mutex> lock(g_phases.mutex);
    if (g_phases.join != Phase::Idle) {  // the join's pause button
      g_phases.join = TogglePause(Self().extraJob) ? Phase::Paused : Phase::Running;
      ShowPhasesLocked(state);
      return;
    }
  }
  const std::string title = Trimmed(GetText(290));
  std::vector<char> names(kAddBufferSize, '\0');
  OPENFILENAMEA request;
  InitFileDialog(state.window.load(), request, nullptr, names.data(), kAddBufferSize, nullptr, title.c_str(),
                 OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                     OFN_NOCHANGEDIR);
  if (!GetOpenFileNameA(&request)) {
    if (CommDlgExtendedError() != 0) {
      PlayAlert();
      AskUser(kAskOk, state.window.load(), GetText(291), GetText(292), kMainBoxRecord, kRecord);
    }
    return;
  }
  // One file: its full path; several: the folder, then the names.
  std::vector<std::string> parts;
  for (const char* p = names.data(); *p; p += strlen(p) + 1) parts.emplace_back(p);
  std::vector<std::string> paths;
  if (parts.size() == 1) {
    paths = parts;
  } else if (!parts.empty()) {
    const std::string folder = OneBackslash(parts.front());
    for (size_t i = 1; i < parts.size(); ++i) paths.push_back(folder + parts[i]);
  }
  Add(state, paths);
}

void TakeFolder(DialogState& state, bool origin, const std::string& folder);

// Whether the drop being handled (the cursor where the shell posted it)
// landed on the group of control id.
bool DroppedOn(DialogState& state, int id) {
  HWND group = GetDlgItem(WindowOf(state), id);
  RECT area;
  const DWORD at = GetMessagePos();
  const POINT point{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
  return group && GetWindowRect(group, &area) && PtInRect(&area, point);
}

// A dropped folder, or the folder of a dropped file.
std::string FolderOfDrop(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return "";
  return OneBackslash((attributes & FILE_ATTRIBUTE_DIRECTORY) ? path : FolderOf(path));
}

void OnDrop(DialogState& state, int, int notification, Args dropped) {
  if (notification != kDropped || JoinShown() || dropped.empty()) return;
  for (int group : {IDC_CJ_DEST_GROUP, IDC_CJ_ORIGIN_GROUP}) {
    if (!DroppedOn(state, group)) continue;
    const std::string folder = FolderOfDrop(dropped.front());
    if (!folder.empty()) TakeFolder(state, group == IDC_CJ_ORIGIN_GROUP, folder);
    return;
  }
  Add(state, dropped);
}

void OnRemove(DialogState& state, int, int, Args) {
  for (int id : SelectedIds(state)) RemoveRecord(List(), id, MainOwner(state));
  ShowList(state);
}

void OnView(DialogState& state, int, int, Args) {
  if (JoinShown()) {  // the join's Abort
    AskToAbort(Self().extraJob, state.window.load(), 34, kMainBoxRecord, kRecord);
    return;
  }
  if (g_childOpen) return;
  const std::vector<int> ids = SelectedIds(state);
  if (ids.empty()) return;
  g_childOpen = true;
  const bool queued = RunJoinSplits(List(), Queue(), ids.front(), kSplitListRecord, MainOwner(state));
  g_childOpen = false;
  ShowList(state);
  if (queued) WakeJoining(state);
}

// ---- the folders and options ----------------------------------------------------

void ShowPath(DialogState& state, int id, const RememberedList& list, const std::string& value) {
  ShownHistory shown = HistoryShowing(list, value);
  DialogSetItems(state, id, shown.entries);
  DialogSet(state, id, value);
  DialogSetValue(state, id, shown.selected);
}

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
            kMainBoxRecord, kRecord);
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
    AskUser(kAskOk, state.window.load(), GetText(288), message, kMainBoxRecord, kRecord);
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
  DialogSet(state, id, Number(g_settings.disksToRead));
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

// ---- Feed Me, Pause, Hide and Abort ---------------------------------------------

void StartRun(DialogState& state) {
  const Settings& s = AppSettings();
  RestoreSettings run = g_settings;
  run.origin = OneBackslash(run.origin);
  run.destination = OneBackslash(run.destination);
  run.copyAll = s.rCopyAll;
  run.keepStructure = s.rKeepStruct;
  run.autoJoin = s.rAutoJoin;
  run.autoJoinDelete = s.rAutoJoinDel;
  run.autoName = s.rAutoName;
  run.deleteOrigin = s.rDeleteEnd;
  run.silent = s.silentP;
  run.maxSizeToCopy = s.maxSizeToCopy;
  run.buffSize = s.buffSize;
  if (const RestoreRefusal refusal = CheckRestoreAtGo(run)) {
    PlayAlert();
    TellRestore(refusal.heading, refusal.message, refusal.detail, MainOwner(state));
    return;
  }
  Settings& kept = AppSettings();
  RememberInList(kept.rDestFolderList, run.destination);
  RememberInList(kept.rOrigFolderList, run.origin);
  kept.rDestFolder = run.destination;
  ShowPath(state, IDC_CJ_DEST, kept.rDestFolderList, run.destination);
  ShowPath(state, IDC_CJ_ORIGIN, kept.rOrigFolderList, run.origin);
  g_run = run;
  g_runActive = true;
  ShowRunPhase(state, Phase::Running);
  EnableOptions(state, true);
  DialogSetValue(state, IDC_CJ_COPY_PROGRESS, 0);
  DialogFlush(state);
  StartWork(kCopyOrJoin);
}

void OnGo(DialogState& state, int, int, Args) {
  JobControl& job = Self().job;
  if (!g_runActive) {
    StartRun(state);
    return;
  }
  if (!job.running) return;
  PauseRun(state);
}

void ClosePrompt();

// A join stopped here rolls back before the window goes: its splits must
// be whole again under their names.
void StopJoining(int waitMs) {
  JobControl& join = Self().extraJob;
  if (!join.running.load()) return;
  AbortJob(join);
  for (int waited = 0; join.running.load() && waited < waitMs; waited += 20)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

void OnHide(DialogState& state, int, int, Args) {
  if (g_runActive) {
    if (AskToAbort(Self().job, state.window.load(), 33, kMainBoxRecord, kRecord)) ClosePrompt();
    return;
  }
  StopJoining(kRollbackWaitMs);
  DialogExit(state);
}

void OnAbout(DialogState&, int, int, Args) {
  if (g_childOpen) return;
  RunAboutThis(kAboutRecord, kRecord, AboutThisTexts{696, 254, 295, 4});
}

// ---- the disk prompt --------------------------------------------------------------

DialogState g_promptState;
std::atomic<bool> g_promptOpen{false};

void ClosePrompt() {
  if (g_promptOpen.load()) DialogExit(g_promptState, 0);
}

// Split &/Or Copy's new-disk prompt, with the box "Copy All files ...".
DiskAnswer InsertDisk(const RestoreDiskPrompt& prompt, bool* copyAll) {
  DialogState& state = g_promptState;
  if (!DialogInit(IDD_NEW_DISK, state)) {
    ShowDialogNotFound();
    return DiskAnswer::Closed;
  }
  BindRecord(kPromptRecord, state);
  DressLikeOwner(kPromptRecord, kRecord);
  SetRecordTexts(kPromptRecord, DialogTexts{207,
                                            {{IDC_ND_ERASE, 325, 708},
                                             {IDC_PR_GO, 1017, 0},
                                             {IDC_PR_ABORT, 1018, 0}}});
  DialogPrepare(kPromptRecord);
  ApplyTexts(kPromptRecord);
  static bool all = true;
  all = *copyAll;
  DialogSet(state, IDC_ND_TEXT, prompt.message);
  DialogSetValue(state, IDC_ND_ERASE, all ? 1 : 0);
  DialogSetCallback(state, IDC_ND_ERASE, [](DialogState& s, int id, int, Args) { all = DialogGetValue(s, id) != 0; });
  DialogSetCallback(state, IDC_PR_GO, [](DialogState& s, int, int, Args) { DialogExit(s, 100); });
  DialogSetCallback(state, IDC_PR_ABORT, [](DialogState& s, int, int, Args) { DialogExit(s, 101); });
  DialogSetCallback(state, IDC_PR_CLOSE, [](DialogState& s, int, int, Args) { DialogExit(s, 0); });
  g_promptOpen = true;
  const int value = DialogRunModal(state, kPromptRecord);
  g_promptOpen = false;
  DialogUninit(state);
  DialogRelease(kPromptRecord);
  *copyAll = all;
  AppSettings().rCopyAll = all;
  if (value == 100) return DiskAnswer::Go;
  return value == 101 ? DiskAnswer::Abort : DiskAnswer::Closed;
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
  Record(kRecord).dropTarget = IDC_CJ_LIST;
  {
    std::lock_guard<std::mutex> lock(List().mutex);
    List().capacity = settings.listSizes > 0 ? settings.listSizes : kListSizesDefault;
  }
  AttachRoutines(state);
  g_settings.destination = settings.rDestFolder;
  if (g_settings.origin.empty() && !settings.rOrigFolderList.entries.empty())
    g_settings.origin = settings.rOrigFolderList.entries.front();
  ShowPath(state, IDC_CJ_DEST, settings.rDestFolderList, g_settings.destination);
  ShowPath(state, IDC_CJ_ORIGIN, settings.rOrigFolderList, g_settings.origin);
  DialogSet(state, IDC_CJ_DISKS, Number(g_settings.disksToRead));
  ShowOptions(state);
  AttachWatchControls(state, Watch());
  {
    std::lock_guard<std::mutex> lock(g_phases.mutex);
    ShowPhasesLocked(state);
  }
  EnableOptions(state, g_runActive);
  ShowList(state);
}

// Copy &/Or Join Second: one restore run.
void Work(Subprogram& self) {
  DialogState& state = self.state;
  self.job.onHold = [&state] { DialogFlush(state); };
  ProgressSink bar = ProgressBarSink(state, IDC_CJ_COPY_PROGRESS);
  RestoreRun run;
  run.settings = g_run;
  run.list = &List();
  run.job = &self.job;
  run.owner = MessageOwner{state.window.load(), kSecondBoxRecord, kRecord};
  run.progress = &bar;
  run.person.insertDisk = InsertDisk;
  run.person.selectFiles = [](std::string* origin, std::vector<OriginFile>* files) {
    return RunSelectFiles(origin, files, kPromptRecord, kRecord, kSecondBoxRecord);
  };
  run.person.nameTarget = NameTarget;
  run.person.figures = [&state](const RestoreFigures& f) { ShowFigures(state, f); };
  run.person.listChanged = [&state] { ShowList(state); };
  // A run that read every disk ends with its bar full and "Done!" in the
  // time field.
  self.job.endedWell = RunRestore(std::move(run)).outcome == RestoreOutcome::Done;
}

// Copy &/Or Join Second, after the run: the controls back to idle.
void Idle(Subprogram& self) {
  DialogState& state = self.state;
  ShowRunPhase(state, Phase::Idle);
  EnableOptions(state, false);
  ShowOptions(state);
  if (self.job.endedWell) {
    DialogSetRange(state, IDC_CJ_COPY_PROGRESS, 0, 1);
    DialogSetValue(state, IDC_CJ_COPY_PROGRESS, 1);
  } else {
    DialogSetValue(state, IDC_CJ_COPY_PROGRESS, 0);
  }
  ShowList(state);
  BringWindowToFront(WindowOf(state));
  g_runActive = false;
}

}  // namespace

void StopJoiningForExit() { StopJoining(kExitWaitMs); }

void InstallCopyOrJoin() {
  SetRecordTexts(kRecord, TextsOf(Phase::Idle, Phase::Idle));
  Subprogram& self = Self();
  self.setUp = SetUp;
  self.work = Work;
  self.extraWork = JoinWork;
  self.idle = Idle;
  HookClockWindow(kClockCopyJoin, kCopyOrJoin, IDC_CJ_TIME_SPEED, false, Watch());
}

}  // namespace kst
