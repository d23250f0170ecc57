#include "backup/split_or_copy_dialog.h"

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "backup/backup_worker.h"
#include "backup/disk_prompts_dialog.h"
#include "backup/list_checks.h"
#include "backup/run_settings.h"
#include "backup/save_list.h"
#include "backup/transport_list.h"
#include "backup/transport_list_dialog.h"
#include "frame/clock/clock_system.h"
#include "frame/clock/clock_windows.h"
#include "frame/dialogs/about_this_dialog.h"
#include "frame/dialogs/ask.h"
#include "frame/dialogs/dialog.h"
#include "frame/dialogs/dialog_win32.h"
#include "frame/dialogs/file_dialogs_win32.h"
#include "frame/dialogs/path_field.h"
#include "frame/dialogs/run_figures.h"
#include "frame/dialogs/subprogram_window.h"
#include "frame/dialogs/window_runs.h"
#include "frame/files/typed_path.h"
#include "frame/settings/remembered_list.h"
#include "frame/settings/settings.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "frame/texts/times.h"
#include "frame/threads/run_buttons.h"
#include "frame/threads/subprograms.h"
#include "resources/resource_ids.h"

namespace kst {

namespace {

constexpr WindowRecords kRecords{.window = 7, .about = 8, .mainBox = 24, .secondBox = 25};
// The child records: the list dialog, the split list and the prompts
// share them so that the Command Center finds whatever is open.
constexpr int kListRecord = 9;
constexpr int kSplitListRecord = 18;
constexpr int kPromptRecord = 18;
constexpr int64_t kFloppyBytes = 1457664;

using Args = const std::vector<std::string>&;

// The list lives from start to exit; the worker and the window share it
// under its own lock.
TransportList& List() {
  static TransportList* list = new TransportList;
  return *list;
}
SaveListFiles& SaveFiles() {
  static SaveListFiles* files = new SaveListFiles;
  return *files;
}

// What the next run works with, copied at Go; the fields change it only
// while no run is going.
RunSettings g_settings;
RunSettings g_run;
// From Go until the controls are back in their idle state.
std::atomic<bool> g_runActive{false};
// A list dialog is open on the Main thread (About This shares a record).
bool g_listOpen = false;

using Phase = RunPhase;

// The controls locked while a run goes on.
const int kEditing[] = {IDC_SC_ADD,        IDC_SC_REMOVE,     IDC_SC_UP,         IDC_SC_DOWN,
                        IDC_SC_LISTS,      IDC_SC_JOIN_BATCH, IDC_SC_DISK_SIZE,  IDC_SC_MARGIN,
                        IDC_SC_DEST,       IDC_SC_DEST_BROWSE, IDC_SC_TEMP,      IDC_SC_TEMP_BROWSE,
                        IDC_SC_UDF,        IDC_SC_AUTO_ERASE, IDC_SC_AUTO_SAVE,  IDC_SC_SAVE_NAME1,
                        IDC_SC_SAVE_NAME2, IDC_SC_SAVE1,      IDC_SC_LOAD1,      IDC_SC_SAVE2,
                        IDC_SC_LOAD2,      IDC_SC_CHECK_FILE};
const int kSaveButtons[] = {IDC_SC_SAVE1, IDC_SC_LOAD1, IDC_SC_SAVE2, IDC_SC_LOAD2};

Subprogram& Self() { return GetSubprogram(kSplitOrCopy); }
DialogState& State() { return Self().state; }
MessageOwner MainOwner(DialogState& state) {
  return MessageOwner{state.window.load(), kRecords.mainBox, kRecords.window};
}

DialogTexts TextsOf(Phase phase) {
  int go = 100, goTip = 600, hide = 101, hideTip = 601;
  if (phase == Phase::Running) go = 89, goTip = 603, hide = 88, hideTip = 602;
  if (phase == Phase::Paused) go = 90, goTip = 604, hide = 88, hideTip = 602;
  return DialogTexts{99,
                     {
                         {IDC_SC_LIST_LABEL, 109, 0},
                         {IDC_SC_LIST, 0, 612},
                         {IDC_SC_ADD, 103, 607},
                         {IDC_SC_REMOVE, 104, 608},
                         {IDC_SC_UP, 105, 609},
                         {IDC_SC_DOWN, 106, 610},
                         {IDC_SC_LISTS, 107, 606},
                         {IDC_SC_JOIN_BATCH, 108, 611},
                         {IDC_SC_CHECK_FILE, 1400, 0},
                         {IDC_SC_NUMBERS_GROUP, 110, 0},
                         {IDC_SC_FILES_LABEL, 111, 0},
                         {IDC_SC_FILES, 0, 613},
                         {IDC_SC_TOTAL_LABEL, 112, 0},
                         {IDC_SC_TOTAL, 0, 614},
                         {IDC_SC_DISK_SIZE_LABEL, 113, 0},
                         {IDC_SC_DISK_SIZE, 0, 615},
                         {IDC_SC_MARGIN_LABEL, 114, 0},
                         {IDC_SC_MARGIN, 0, 616},
                         {IDC_SC_DISKS_LABEL, 115, 0},
                         {IDC_SC_DISKS, 0, 617},
                         {IDC_SC_DEST_GROUP, 116, 0},
                         {IDC_SC_DEST, 0, 618},
                         {IDC_SC_DEST_BROWSE, 117, 619},
                         {IDC_SC_TEMP_GROUP, 119, 0},
                         {IDC_SC_TEMP, 0, 621},
                         {IDC_SC_TEMP_BROWSE, 120, 622},
                         {IDC_SC_UDF, 1003, 1004},
                         {IDC_SC_AUTO_ERASE, 218, 662},
                         {IDC_SC_SAVE_GROUP, 137, 0},
                         {IDC_SC_AUTO_SAVE, 136, 640},
                         {IDC_SC_SAVE_NAME1_LABEL, 138, 0},
                         {IDC_SC_SAVE_NAME1, 0, 641},
                         {IDC_SC_SAVE1, 140, 643},
                         {IDC_SC_LOAD1, 141, 644},
                         {IDC_SC_SAVE_NAME2_LABEL, 142, 0},
                         {IDC_SC_SAVE_NAME2, 0, 645},
                         {IDC_SC_SAVE2, 144, 647},
                         {IDC_SC_LOAD2, 145, 648},
                         {IDC_SC_STATUS_GROUP, 122, 0},
                         {IDC_SC_START_LABEL, 123, 0},
                         {IDC_SC_START, 0, 624},
                         {IDC_SC_ETA_LABEL, 124, 0},
                         {IDC_SC_ETA, 0, 625},
                         {IDC_SC_LEFT_LABEL, 125, 0},
                         {IDC_SC_LEFT, 0, 626},
                         {IDC_SC_DONE_LABEL, 126, 0},
                         {IDC_SC_DONE, 0, 627},
                         {IDC_SC_DLEFT_LABEL, 127, 0},
                         {IDC_SC_DLEFT, 0, 628},
                         {IDC_SC_TOTAL_PROGRESS_LABEL, 128, 0},
                         {IDC_SC_TOTAL_PROGRESS, 0, 629},
                         {IDC_SC_SPLIT_PROGRESS_LABEL, 129, 0},
                         {IDC_SC_SPLIT_PROGRESS, 0, 630},
                         {IDC_SC_STATUS, 0, 0},
                         {IDC_SC_TIME_SPEED, 0, 631},
                         {IDC_SC_WATCH_GROUP, 130, 0},
                         {IDC_SC_COMPUTER_LABEL, 131, 0},
                         {IDC_SC_COMPUTER_CLOCK, 0, 633},
                         {IDC_SC_WATCH_LABEL, 132, 0},
                         {IDC_SC_WATCH, 0, 632},
                         {IDC_SC_WATCH_DIFFERENCE, 0, 634},
                         {IDC_SC_ADJUST, 133, 635},
                         {IDC_SC_RESET, 134, 636},
                         {IDC_SC_GO, go, goTip},
                         {IDC_SC_HIDE, hide, hideTip},
                         {IDC_SC_ABOUT, 102, 605},
                     }};
}

const RunButtons kButtons{.record = kRecords.window, .boxRecord = kRecords.mainBox,
                          .go = IDC_SC_GO, .hide = IDC_SC_HIDE,
                          .abortQuestion = 33, .textsOf = TextsOf};

void ShowPhase(DialogState& state, Phase phase) { ShowRunPhase(state, kButtons, phase); }

std::string Number(int64_t value) { return std::to_string(value); }

// Rows are longer than the list is wide: it scrolls sideways. Filling the
// list anew hides the scroll bar, so it is set again behind every flush
// (posted: the window takes it after the flush).
void ScrollSideways(DialogState& state) {
  HWND window = WindowOf(state);
  HWND list = window ? GetDlgItem(window, IDC_SC_LIST) : nullptr;
  if (!list) return;
  PostMessageA(list, LB_SETHORIZONTALEXTENT, 0, 0);
  PostMessageA(list, LB_SETHORIZONTALEXTENT, 4000, 0);
}

// The rows of the list and the figures that follow from them.
void ShowList(DialogState& state) {
  TransportList& list = List();
  DialogSetItems(state, IDC_SC_LIST, FileRows(list));
  int64_t files, total;
  {
    std::lock_guard<std::mutex> lock(list.mutex);
    files = static_cast<int64_t>(list.image.entries.size());
    total = list.totalSize;
  }
  DialogSet(state, IDC_SC_FILES, Number(files));
  DialogSet(state, IDC_SC_TOTAL, Number(total));
  DialogSet(state, IDC_SC_DISKS, Number(NumberOfDisks(total, g_settings.diskSize, g_settings.margin)));
  DialogFlush(state);
  ScrollSideways(state);
}

void ShowFigures(DialogState& state, const BackupFigures& f) {
  ShowDiskRunFigures(state, {IDC_SC_START, IDC_SC_ETA, IDC_SC_LEFT, IDC_SC_DONE, IDC_SC_DLEFT},
                     {f.startTime, f.eta, f.timeLeft, f.disksDone, f.disksLeft});
  const int permille = f.totalSize > 0 ? static_cast<int>(f.totalDone * 1000 / f.totalSize) : 0;
  DialogSetValue(state, IDC_SC_TOTAL_PROGRESS, permille < 0 ? 0 : permille > 1000 ? 1000 : permille);
  DialogSetItems(state, IDC_SC_LIST, FileRows(List()));
  DialogFlush(state);
  ScrollSideways(state);
}

// ---- the list ---------------------------------------------------------------

int64_t SizeOfFile(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void Add(DialogState& state, const std::vector<std::string>& paths) {
  std::vector<FileToAdd> files;
  for (const std::string& path : paths) {
    const int64_t size = SizeOfFile(path);
    if (size >= 0) files.push_back(FileToAdd{path, size});
  }
  if (files.empty()) return;
  AddFiles(List(), files, WithOneBackslash(g_settings.temporary), MainOwner(state));
  ShowList(state);
}

void OnAdd(DialogState& state, int, int, Args) {
  if (g_runActive || SaveFiles().saving) return;
  std::vector<std::string> paths;
  if (!ChooseFilesToOpen(state.window.load(), Trimmed(GetText(1125)), 65536, WithOneBackslash, &paths)) {
    if (CommDlgExtendedError() != 0) TellTooManySelected(MainOwner(state));
    return;
  }
  Add(state, paths);
}

void OnDrop(DialogState& state, int, int notification, Args dropped) {
  if (notification != kDropped || g_runActive || SaveFiles().saving) return;
  Add(state, dropped);
}

void OnRemove(DialogState& state, int, int, Args) {
  if (!ListMayChange(g_runActive, MainOwner(state))) return;
  std::vector<size_t> rows = SelectedRows(state, IDC_SC_LIST);
  if (!SomethingSelected(rows, MainOwner(state))) return;
  std::vector<FileEntry> removed = RemoveEntries(List(), rows);
  ShowList(state);
  // A temporary entry is a split file of its own: the shell asks before it goes.
  std::string title = Trimmed(GetText(1126));
  for (const FileEntry& entry : removed) {
    if (!entry.temporary) continue;
    std::string from = Trimmed(entry.path);
    from.push_back('\0');
    SHFILEOPSTRUCTA op = {};
    op.hwnd = WindowOf(state);
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_SIMPLEPROGRESS;
    op.lpszProgressTitle = title.c_str();
    SHFileOperationA(&op);
  }
}

void OnMove(DialogState& state, int id, int, Args) {
  if (!ListMayChange(g_runActive, MainOwner(state))) return;
  std::vector<size_t> rows = SelectedRows(state, IDC_SC_LIST);
  if (!SomethingSelected(rows, MainOwner(state))) return;
  if (id == IDC_SC_UP)
    MoveToTop(List(), rows);
  else
    MoveToBottom(List(), rows);
  ShowList(state);
}

void OnLists(DialogState& state, int, int, Args) {
  if (g_runActive || g_listOpen) return;
  g_listOpen = true;
  RunListDialog(List(), g_runActive, MainOwner(state), kListRecord, kSplitListRecord);
  g_listOpen = false;
  ShowList(state);
}

// ---- the folders ------------------------------------------------------------

void OnDestination(DialogState& state, int id, int notification, Args) {
  if (g_runActive) return;
  if (notification == kTextChanged || notification == kSelChanged) g_settings.destination = TypedPath(DialogGet(state, id));
}

void OnTemporary(DialogState& state, int id, int notification, Args) {
  if (g_runActive) return;
  if (notification == kTextChanged || notification == kSelChanged) g_settings.temporary = TypedPath(DialogGet(state, id));
}

void ShowSizes(DialogState& state) {
  DialogSet(state, IDC_SC_DISK_SIZE, Number(g_settings.diskSize));
  DialogSet(state, IDC_SC_MARGIN, Number(g_settings.margin));
  ShowList(state);
}

// The CD drive: CD mode with the first standard size and a margin.
void ChooseCdDrive(DialogState& state) {
  PlayAlert();
  AskUser(kAskOk, state.window.load(), GetText(962), GetText(963), kRecords.mainBox, kRecords.window);
  g_settings.diskSize = kFirstCdSize;
  g_settings.margin = 10000;
  DialogSetEnabled(state, IDC_SC_UDF, true);
  DialogSetEnabled(state, IDC_SC_MARGIN, g_settings.cdDirect);
}

void OnBrowseDestination(DialogState& state, int, int, Args) {
  if (g_runActive) return;
  std::string folder = BrowseForFolder(state.window.load(), GetText(158));
  if (folder.empty()) return;
  const std::string root = DriveRoot(folder);
  const UINT type = GetDriveTypeA(root.c_str());
  if (type == DRIVE_CDROM) {
    ChooseCdDrive(state);
  } else if (type != DRIVE_REMOVABLE) {
    PlayAlert();
    AskUser(kAskOk, state.window.load(), GetText(159), GetText(160), kRecords.mainBox, kRecords.window);
    return;
  } else {
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
      g_settings.diskSize = static_cast<int64_t>(sectorsPerCluster) * bytesPerSector * clusters;
    DialogSetEnabled(state, IDC_SC_UDF, false);
    DialogSetEnabled(state, IDC_SC_MARGIN, true);
  }
  g_settings.destination = folder;
  DialogSet(state, IDC_SC_DEST, folder);
  ShowSizes(state);
}

void OnBrowseTemporary(DialogState& state, int, int, Args) {
  if (g_runActive) return;
  std::string folder = BrowseForFolder(state.window.load(), GetText(155));
  if (folder.empty()) return;
  const UINT type = GetDriveTypeA(DriveRoot(folder).c_str());
  if (type != DRIVE_FIXED && type != DRIVE_RAMDISK) {
    PlayAlert();
    AskUser(kAskOk, state.window.load(), GetText(156), GetText(157), kRecords.mainBox, kRecords.window);
    return;
  }
  if (!TemporaryFolderAccepted(List(), folder, MainOwner(state))) return;
  g_settings.temporary = folder;
  DialogSet(state, IDC_SC_TEMP, folder);
  DialogFlush(state);
}

// ---- sizes and options ------------------------------------------------------

void OnDiskSize(DialogState& state, int id, int notification, Args) {
  if (g_runActive || notification != kFocusLost) return;
  int64_t size = TextToInt64(Trimmed(DialogGet(state, id)));
  g_settings.diskSize = size > 0 ? size : kFloppyBytes;
  if (g_settings.margin * 10 > g_settings.diskSize) g_settings.margin = 0;
  ShowSizes(state);
}

void OnMargin(DialogState& state, int id, int notification, Args) {
  if (g_runActive || notification != kFocusLost) return;
  const int64_t margin = TextToInt64(Trimmed(DialogGet(state, id)));
  if (margin < 0 || margin * 10 > g_settings.diskSize) {
    PlayAlert();
    AskUser(kAskOk, state.window.load(), GetText(163), GetText(164), kRecords.mainBox, kRecords.window);
    g_settings.margin = 0;
  } else {
    g_settings.margin = margin;
  }
  AppSettings().safeSpace = g_settings.margin;
  ShowSizes(state);
}

void OnOption(DialogState& state, int id, int, Args) {
  if (g_runActive) return;
  const bool on = DialogGetValue(state, id) != 0;
  switch (id) {
    case IDC_SC_JOIN_BATCH: g_settings.joinBatch = on, AppSettings().bJoinLog = on; break;
    case IDC_SC_CHECK_FILE: g_settings.checkFile = on, AppSettings().checkFile = on; break;
    case IDC_SC_AUTO_ERASE: g_settings.autoErase = on; break;
    case IDC_SC_UDF:
      g_settings.cdDirect = on;
      DialogSetEnabled(state, IDC_SC_MARGIN, on);
      DialogFlush(state);
      break;
  }
}

// ---- the save lists ---------------------------------------------------------

void OnSaveName(DialogState& state, int id, int notification, Args) {
  if (notification != kTextChanged || SaveFiles().saving) return;
  const int k = id == IDC_SC_SAVE_NAME1 ? 0 : 1;
  SaveFiles().names[k] = TypedPath(DialogGet(state, id));
  AppSettings().bSaveListNames[k] = SaveFiles().names[k];
}

void OnAutoSave(DialogState& state, int id, int, Args) {
  bool on = DialogGetValue(state, id) != 0;
  if (on && !MayTurnOnAutoSave(SaveFiles(), MainOwner(state))) {
    on = false;
    DialogSetValue(state, id, 0);
    DialogFlush(state);
  }
  SaveFiles().autoSave = on;
  AppSettings().bSaveListLog = on;
}

void OnSave(DialogState& state, int id, int, Args) {
  SavePressed(List(), SaveFiles(), id == IDC_SC_SAVE1 ? 1 : 2, MainOwner(state));
}

void OnLoad(DialogState& state, int id, int, Args) {
  LoadList(List(), SaveFiles(), id == IDC_SC_LOAD1 ? 1 : 2, g_runActive, MainOwner(state));
  if (g_runActive) return;
  ListImage image = Snapshot(List());
  g_settings.destination = Trimmed(image.destination);
  g_settings.temporary = Trimmed(image.temporary);
  DialogSet(state, IDC_SC_DEST, g_settings.destination);
  DialogSet(state, IDC_SC_TEMP, g_settings.temporary);
  ShowList(state);
}

// ---- Go, Pause, Hide and Abort ----------------------------------------------

void Lock(DialogState& state, bool locked) {
  for (int id : kEditing) DialogSetEnabled(state, id, !locked);
  if (!locked) DialogSetEnabled(state, IDC_SC_MARGIN, !IsCdRun(g_settings) || g_settings.cdDirect);
  if (!locked) DialogSetEnabled(state, IDC_SC_UDF, IsCdRun(g_settings));
}

void StartRun(DialogState& state) {
  if (SaveFiles().saving) return;
  RunSettings run = g_settings;
  const Settings& settings = AppSettings();
  run.silent = settings.silentP;
  run.maxSizeToCopy = settings.maxSizeToCopy;
  run.buffSize = settings.buffSize;
  // The run refuses what it cannot carry before anything is written.
  if (const GoRefusal refusal = CheckAtGo(run, Snapshot(List()))) {
    TellRefusal(refusal, MainOwner(state));
    return;
  }
  Settings& kept = AppSettings();
  RememberPathField(state, IDC_SC_DEST, kept.bDestFolderList, Trimmed(run.destination));
  RememberPathField(state, IDC_SC_TEMP, kept.bTmpFolderList, Trimmed(run.temporary));
  kept.bTmpFolder = Trimmed(run.temporary);
  g_run = run;
  g_runActive = true;
  ShowPhase(state, Phase::Running);
  Lock(state, true);
  DialogSetRange(state, IDC_SC_TOTAL_PROGRESS, 0, 1000);
  DialogSetValue(state, IDC_SC_TOTAL_PROGRESS, 0);
  DialogSetValue(state, IDC_SC_SPLIT_PROGRESS, 0);
  DialogSet(state, IDC_SC_STATUS, "");
  DialogFlush(state);
  StartWindowRun(state, kSplitOrCopy);
}

void OnGo(DialogState& state, int, int, Args) { PressGo(state, kButtons, Self().job, g_runActive, StartRun); }

void OnHide(DialogState& state, int, int, Args) {
  // A prompt waiting for a disk would hold the run until it is answered.
  if (PressHide(state, kButtons, Self().job, g_runActive)) CloseOpenPrompt(kPromptRecord);
}

void OnAbout(DialogState&, int, int, Args) {
  if (g_listOpen) return;
  RunAboutThis(kRecords.about, kRecords.window, AboutThisTexts{605, 99, 146, 3});
}

// ---- the hooks ----------------------------------------------------------------

void AttachRoutines(DialogState& state) {
  DialogSetCallback(state, IDC_SC_LIST, OnDrop);
  DialogSetCallback(state, IDC_SC_ADD, OnAdd);
  DialogSetCallback(state, IDC_SC_REMOVE, OnRemove);
  DialogSetCallback(state, IDC_SC_UP, OnMove);
  DialogSetCallback(state, IDC_SC_DOWN, OnMove);
  DialogSetCallback(state, IDC_SC_LISTS, OnLists);
  DialogSetCallback(state, IDC_SC_DEST, OnDestination);
  DialogSetCallback(state, IDC_SC_DEST_BROWSE, OnBrowseDestination);
  DialogSetCallback(state, IDC_SC_TEMP, OnTemporary);
  DialogSetCallback(state, IDC_SC_TEMP_BROWSE, OnBrowseTemporary);
  DialogSetCallback(state, IDC_SC_DISK_SIZE, OnDiskSize);
  DialogSetCallback(state, IDC_SC_MARGIN, OnMargin);
  for (int id : {IDC_SC_JOIN_BATCH, IDC_SC_CHECK_FILE, IDC_SC_AUTO_ERASE, IDC_SC_UDF})
    DialogSetCallback(state, id, OnOption);
  DialogSetCallback(state, IDC_SC_AUTO_SAVE, OnAutoSave);
  DialogSetCallback(state, IDC_SC_SAVE_NAME1, OnSaveName);
  DialogSetCallback(state, IDC_SC_SAVE_NAME2, OnSaveName);
  DialogSetCallback(state, IDC_SC_SAVE1, OnSave);
  DialogSetCallback(state, IDC_SC_SAVE2, OnSave);
  DialogSetCallback(state, IDC_SC_LOAD1, OnLoad);
  DialogSetCallback(state, IDC_SC_LOAD2, OnLoad);
  DialogSetCallback(state, IDC_SC_GO, OnGo);
  DialogSetCallback(state, IDC_SC_HIDE, OnHide);
  DialogSetCallback(state, IDC_SC_ABOUT, OnAbout);
}

// Split &/Or Copy Main, before the window opens.
void SetUp(Subprogram& self) {
  DialogState& state = self.state;
  const Settings& settings = AppSettings();
  Record(kRecords.window).dropTarget = IDC_SC_LIST;
  AttachRoutines(state);

  SaveListFiles& files = SaveFiles();
  files.names[0] = settings.bSaveListNames[0];
  files.names[1] = settings.bSaveListNames[1];
  files.autoSave = settings.bSaveListLog && !files.names[0].empty() && files.names[0] != files.names[1];
  // Saves from either thread grey the save/load buttons and refuse drops.
  files.onSaving = [](bool saving) {
    DialogState& s = State();
    for (int id : kSaveButtons) DialogSetEnabled(s, id, !saving && !g_runActive);
    DialogFlush(s);
  };

  ListImage image = Snapshot(List());
  g_settings.destination = Trimmed(image.destination);
  if (g_settings.destination.empty() && !settings.bDestFolderList.entries.empty())
    g_settings.destination = settings.bDestFolderList.entries.front();
  g_settings.temporary = Trimmed(image.temporary);
  if (g_settings.temporary.empty()) g_settings.temporary = settings.bTmpFolder;
  g_settings.joinBatch = settings.bJoinLog;
  g_settings.checkFile = settings.checkFile;  // shared with File Splitting
  g_settings.margin = settings.safeSpace >= 0 && settings.safeSpace * 10 <= g_settings.diskSize ? settings.safeSpace : 0;

  ShowPathField(state, IDC_SC_DEST, settings.bDestFolderList, g_settings.destination);
  ShowPathField(state, IDC_SC_TEMP, settings.bTmpFolderList, g_settings.temporary);
  DialogSetValue(state, IDC_SC_JOIN_BATCH, g_settings.joinBatch ? 1 : 0);
  DialogSetValue(state, IDC_SC_CHECK_FILE, g_settings.checkFile ? 1 : 0);
  DialogSetValue(state, IDC_SC_AUTO_ERASE, g_settings.autoErase ? 1 : 0);
  DialogSetValue(state, IDC_SC_UDF, g_settings.cdDirect ? 1 : 0);
  DialogSetValue(state, IDC_SC_AUTO_SAVE, files.autoSave ? 1 : 0);
  DialogSet(state, IDC_SC_SAVE_NAME1, files.names[0]);
  DialogSet(state, IDC_SC_SAVE_NAME2, files.names[1]);
  DialogSetRange(state, IDC_SC_TOTAL_PROGRESS, 0, 1000);
  DialogSet(state, IDC_SC_STATUS, "");
  AttachWatchControls(state, SplitOrCopyWatch());
  ShowPhase(state, Phase::Idle);
  Lock(state, false);
  ShowSizes(state);
}

// Split &/Or Copy Second: one run.
void Work(Subprogram& self) {
  DialogState& state = self.state;
  self.job.onHold = [&state] { DialogFlush(state); };
  ProgressSink split = ProgressBarSink(state, IDC_SC_SPLIT_PROGRESS);
  BackupRun run;
  run.settings = g_run;
  run.list = &List();
  run.saveFiles = &SaveFiles();
  run.job = &self.job;
  run.owner = MessageOwner{state.window.load(), kRecords.secondBox, kRecords.window};
  run.progress = &split;
  run.person = DiskPromptPerson(kPromptRecord, kRecords.window);
  run.person.figures = [&state](const BackupFigures& figures) { ShowFigures(state, figures); };
  run.person.status = [&state](const std::string& text) {
    DialogSet(state, IDC_SC_STATUS, text);
    DialogFlush(state);
  };
  run.person.temporaryChosen = [&state](const std::string& folder) {
    // The window takes it over when the run is idle again.
    g_settings.temporary = folder;
    AppSettings().bTmpFolder = folder;
    DialogSet(state, IDC_SC_TEMP, folder);
    DialogFlush(state);
  };
  const BackupResult result = RunBackup(std::move(run));
  // A run that carried every file, with nothing to carry again, says so.
  self.job.endedWell = result.outcome == BackupOutcome::Done && result.redo == 0;
  if (self.job.endedWell) {
    DialogSetValue(state, IDC_SC_TOTAL_PROGRESS, 1000);
    DialogSetRange(state, IDC_SC_SPLIT_PROGRESS, 0, 1);
    DialogSetValue(state, IDC_SC_SPLIT_PROGRESS, 1);
    DialogSet(state, IDC_SC_STATUS, Trimmed(GetText(1367)));
    DialogFlush(state);
  }
}

// Split &/Or Copy Second, after the run: the controls back to idle.
void Idle(Subprogram& self) {
  DialogState& state = self.state;
  ShowPhase(state, Phase::Idle);
  Lock(state, false);
  if (!self.job.endedWell) DialogSetValue(state, IDC_SC_SPLIT_PROGRESS, 0);
  ShowList(state);
  EndWindowRun(state, g_runActive);
}

}  // namespace

void InstallSplitOrCopy() {
  InstallWindow(kSplitOrCopy, kRecords.window, TextsOf(Phase::Idle), {SetUp, Work, {}, Idle});
}

}  // namespace kst
