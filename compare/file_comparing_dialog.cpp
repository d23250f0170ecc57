#include "compare/file_comparing_dialog.h"

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <atomic>
#include <string>
#include <vector>

#include "compare/file_comparing.h"
#include "frame/clock/clock_counters.h"
#include "frame/clock/clock_windows.h"
#include "frame/dialogs/about_this_dialog.h"
#include "frame/dialogs/ask.h"
#include "frame/dialogs/dialog.h"
#include "frame/dialogs/dialog_win32.h"
#include "frame/dialogs/file_dialogs_win32.h"
#include "frame/dialogs/path_field.h"
#include "frame/dialogs/subprogram_window.h"
#include "frame/dialogs/window_runs.h"
#include "frame/files/folders.h"
#include "frame/files/typed_path.h"
#include "frame/settings/remembered_list.h"
#include "frame/settings/settings.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "frame/threads/run_buttons.h"
#include "frame/threads/subprograms.h"
#include "resources/resource_ids.h"

namespace kst {

namespace {

constexpr WindowRecords kRecords{.window = 16, .about = 17, .mainBox = 31, .secondBox = 32};

using Args = const std::vector<std::string>&;

// What the run works on, set by Compare before Compare Second is woken.
ComparingInput g_input;
// From Compare until the controls are back in their idle state.
std::atomic<bool> g_runActive{false};

using Phase = RunPhase;

const int kEditing[] = {IDC_FC_ORIGINAL,      IDC_FC_ORIGINAL_FILE, IDC_FC_ORIGINAL_FOLDER, IDC_FC_CLONE,
                        IDC_FC_CLONE_FILE,    IDC_FC_CLONE_FOLDER,  IDC_FC_RECURSIVE,       IDC_FC_SAVE,
                        IDC_FC_INFO,          IDC_FC_INFO_BROWSE,   IDC_FC_SHOW_COMPARED,   IDC_FC_SHOW_UNMATCHED,
                        IDC_FC_ABOUT};

Subprogram& Self() { return GetSubprogram(kComparing); }


// The information file's button tells by its capitals whether the file
// is there to be overwritten or will be created.
int InfoButtonText(const std::string& path) {
  const std::string file = Trimmed(TypedPath(path));
  if (file.empty()) return 414;
  const uint32_t a = plat::GetAttributes(file);
  return a != plat::kAttrInvalid && !(a & plat::kAttrDirectory) ? 751 : 752;
}

DialogTexts TextsOf(Phase phase, int infoButton) {
  int compare = 390, compareTip = 726, pause = 89, pauseTip = 728;
  if (phase != Phase::Idle) compare = 88, compareTip = 730;
  if (phase == Phase::Paused) pause = 90, pauseTip = 729;
  return DialogTexts{389,
                     {
                         {IDC_FC_ORIGINAL_GROUP, 395, 0},
                         {IDC_FC_ORIGINAL, 0, 734},
                         {IDC_FC_ORIGINAL_FILE, 396, 735},
                         {IDC_FC_ORIGINAL_FOLDER, 397, 736},
                         {IDC_FC_CLONE_GROUP, 398, 0},
                         {IDC_FC_CLONE, 0, 737},
                         {IDC_FC_CLONE_FILE, 399, 738},
                         {IDC_FC_CLONE_FOLDER, 400, 739},
                         {IDC_FC_FOUND_LABEL, 411, 0},
                         {IDC_FC_ORIGINAL_COUNT_LABEL, 408, 0},
                         {IDC_FC_ORIGINAL_COUNT, 0, 744},
                         {IDC_FC_CLONE_COUNT_LABEL, 409, 0},
                         {IDC_FC_CLONE_COUNT, 0, 745},
                         {IDC_FC_RECURSIVE, 393, 732},
                         {IDC_FC_SAVE, 394, 733},
                         {IDC_FC_INFO_GROUP, 413, 0},
                         {IDC_FC_INFO_LABEL, 412, 0},
                         {IDC_FC_INFO, 0, 746},
                         {IDC_FC_INFO_BROWSE, infoButton, 1200},
                         {IDC_FC_SHOW_LABEL, 804, 0},
                         {IDC_FC_SHOW_COMPARED, 806, 808},
                         {IDC_FC_SHOW_UNMATCHED, 807, 809},
                         {IDC_FC_ALWAYS_LABEL, 805, 0},
                         {IDC_FC_RESULTS_GROUP, 401, 0},
                         {IDC_FC_COMPARED_LABEL, 404, 0},
                         {IDC_FC_COMPARED, 0, 740},
                         {IDC_FC_UNMATCHED_LABEL, 405, 0},
                         {IDC_FC_UNMATCHED, 0, 741},
                         {IDC_FC_CONTENTS_LABEL, 406, 0},
                         {IDC_FC_CONTENTS, 0, 742},
                         {IDC_FC_SIZES_LABEL, 407, 0},
                         {IDC_FC_SIZES, 0, 743},
                         {IDC_FC_FILE_LABEL, 402, 748},
                         {IDC_FC_TOTAL_LABEL, 403, 749},
                         {IDC_FC_STATUS, 0, 750},
                         {IDC_FC_TIME_SPEED, 0, 957},
                         {IDC_FC_COMPARE, compare, compareTip},
                         {IDC_FC_PAUSE, pause, pauseTip},
                         {IDC_FC_HIDE, 391, 727},
                         {IDC_FC_ABOUT, 392, 731},
                     }};
}

DialogTexts PhaseTexts(Phase phase) { return TextsOf(phase, InfoButtonText(AppSettings().csFile)); }

// Compare is Abort during a run; Pause has a button of its own, and the
// information file's button changes with the file.
const RunButtons kButtons{.record = kRecords.window, .boxRecord = kRecords.mainBox,
                          .go = IDC_FC_COMPARE, .hide = IDC_FC_HIDE,
                          .relabelled = {IDC_FC_PAUSE, IDC_FC_INFO_BROWSE},
                          .abortQuestion = 36, .textsOf = PhaseTexts};

void ShowPhase(DialogState& state, Phase phase) {
  ShowRunPhase(state, kButtons, phase);
  DialogSetEnabled(state, IDC_FC_PAUSE, phase != Phase::Idle);
}

void ShowStatus(DialogState& state, int text) { DialogSet(state, IDC_FC_STATUS, Trimmed(GetText(text))); }

void ShowCounts(DialogState& state, const ComparingCounts& c) {
  DialogSet(state, IDC_FC_COMPARED, std::to_string(c.compared));
  DialogSet(state, IDC_FC_UNMATCHED, std::to_string(c.unmatched));
  DialogSet(state, IDC_FC_CONTENTS, std::to_string(c.differentContents));
  DialogSet(state, IDC_FC_SIZES, std::to_string(c.differentSizes));
}

// ---- choosing the two sides -------------------------------------------------

struct Side {
  int field, count, counting, sameTitle, sameText;
};
const Side kOriginal = {IDC_FC_ORIGINAL, IDC_FC_ORIGINAL_COUNT, 422, 423, 424};
const Side kClone = {IDC_FC_CLONE, IDC_FC_CLONE_COUNT, 427, 428, 429};

// After a side is chosen: the files it covers are counted, and the same
// path on both sides is refused at once (the choice is taken back).
void Chosen(DialogState& state, const Side& side, const std::string& path) {
  ShowStatus(state, side.counting);
  DialogFlush(state);
  const bool recursive = DialogGetValue(state, IDC_FC_RECURSIVE) != 0;
  DialogSet(state, side.count, std::to_string(CountCovered(path, recursive)));
  ShowStatus(state, 418);
  DialogFlush(state);
  const std::string other = DialogGet(state, side.field == IDC_FC_ORIGINAL ? IDC_FC_CLONE : IDC_FC_ORIGINAL);
  const ComparePath a = SplitComparePath(path), b = SplitComparePath(other);
  if (a.folder.empty() || b.folder.empty() || NormalPath(a.folder + a.pattern) != NormalPath(b.folder + b.pattern))
    return;
  PlayAlert();
  AskUser(kAskOk, state.window.load(), GetText(side.sameTitle), GetText(side.sameText), kRecords.mainBox,
          kRecords.window);
  DialogSet(state, side.field, "");
  DialogSet(state, side.count, "");
  DialogFlush(state);
}

void OnPath(DialogState& state, int id, int notification, Args) {
  if (g_runActive) return;
  const Side& side = id == IDC_FC_ORIGINAL ? kOriginal : kClone;
  if (notification == kSelChanged) Chosen(state, side, DialogGet(state, id));
  if (notification == kTextChanged) {
    DialogSet(state, side.count, "");
    DialogFlush(state);
  }
}

void BrowseFile(DialogState& state, const Side& side, int title) {
  const std::string heading = Trimmed(GetText(title));
  const std::string folder = FolderOf(TypedPath(DialogGet(state, side.field)));
  char file[MAX_PATH] = "";
  OPENFILENAMEA request;
  InitFileDialog(state.window.load(), request, nullptr, file, sizeof file, folder.empty() ? nullptr : folder.c_str(),
                 heading.c_str(), OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR);
  if (!GetOpenFileNameA(&request)) {
    ReportDialogError();
    return;
  }
  DialogSet(state, side.field, file);
  Chosen(state, side, file);
}

// A folder chosen stands for all its files.
void BrowseFolder(DialogState& state, const Side& side, int title) {
  std::string folder = BrowseForFolder(state.window.load(), GetText(title));
  if (folder.empty()) return;
  folder = JoinPath(folder, "*.*");
  DialogSet(state, side.field, folder);
  Chosen(state, side, folder);
}

void OnOriginalFile(DialogState& state, int, int, Args) {
  if (!g_runActive) BrowseFile(state, kOriginal, 420);
}
void OnOriginalFolder(DialogState& state, int, int, Args) {
  if (!g_runActive) BrowseFolder(state, kOriginal, 421);
}
void OnCloneFile(DialogState& state, int, int, Args) {
  if (!g_runActive) BrowseFile(state, kClone, 425);
}
void OnCloneFolder(DialogState& state, int, int, Args) {
  if (!g_runActive) BrowseFolder(state, kClone, 426);
}

// Whether the drop being handled landed on the clone's group: the message
// being handled was posted where the mouse let go.
bool DroppedOnClone(DialogState& state) {
  HWND window = WindowOf(state);
  HWND group = window ? GetDlgItem(window, IDC_FC_CLONE_GROUP) : nullptr;
  RECT area;
  if (!group || !GetWindowRect(group, &area)) return false;
  DWORD position = GetMessagePos();
  POINT point = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
  return PtInRect(&area, point) != 0;
}

void OnDrop(DialogState& state, int, int notification, Args dropped) {
  if (notification != kDropped || dropped.empty() || g_runActive) return;
  const Side& side = DroppedOnClone(state) ? kClone : kOriginal;
  std::string path = dropped.front();
  const uint32_t a = plat::GetAttributes(path);
  if (a != plat::kAttrInvalid && (a & plat::kAttrDirectory)) path = JoinPath(path, "*.*");
  DialogSet(state, side.field, path);
  Chosen(state, side, path);
}

// ---- the options and the information file -------------------------------------

void OnOption(DialogState& state, int id, int, Args) {
  if (g_runActive) return;
  const bool on = DialogGetValue(state, id) != 0;
  Settings& settings = AppSettings();
  if (id == IDC_FC_RECURSIVE) settings.cRecur = on;
  if (id == IDC_FC_SAVE) settings.cSave = on;
  if (id == IDC_FC_SHOW_COMPARED) settings.csShowComp = on;
  if (id == IDC_FC_SHOW_UNMATCHED) settings.csShowUnM = on;
}

void OnInfo(DialogState& state, int id, int notification, Args) {
  if (g_runActive || notification != kTextChanged) return;
  AppSettings().csFile = Trimmed(TypedPath(DialogGet(state, id)));
  ShowPhase(state, Phase::Idle);
  DialogFlush(state);
}

void OnInfoBrowse(DialogState& state, int, int, Args) {
  if (g_runActive) return;
  const std::string title = Trimmed(GetText(432));
  const std::string current = Trimmed(TypedPath(DialogGet(state, IDC_FC_INFO)));
  const std::string folder = FolderOf(current);
  char file[MAX_PATH] = "";
  const std::string name = FileNameOf(current);
  if (name.size() < sizeof file) name.copy(file, name.size());
  OPENFILENAMEA request;
  InitFileDialog(state.window.load(), request, nullptr, file, sizeof file, folder.empty() ? nullptr : folder.c_str(),
                 title.c_str(), OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR);
  if (!GetSaveFileNameA(&request)) {
    ReportDialogError();
    return;
  }
  DialogSet(state, IDC_FC_INFO, file);
  AppSettings().csFile = file;
  ShowPhase(state, Phase::Idle);
  DialogFlush(state);
}

// ---- Compare, Pause, Hide and Abort -------------------------------------------

void Lock(DialogState& state, bool locked) {
  for (int id : kEditing) DialogSetEnabled(state, id, !locked);
}

void StartRun(DialogState& state) {
  Settings& settings = AppSettings();
  ComparingInput input;
  input.original = Trimmed(TypedPath(DialogGet(state, IDC_FC_ORIGINAL)));
  input.clone = Trimmed(TypedPath(DialogGet(state, IDC_FC_CLONE)));
  input.recursive = DialogGetValue(state, IDC_FC_RECURSIVE) != 0;
  input.saveInfo = DialogGetValue(state, IDC_FC_SAVE) != 0;
  input.infoPath = Trimmed(TypedPath(DialogGet(state, IDC_FC_INFO)));
  input.showCompared = DialogGetValue(state, IDC_FC_SHOW_COMPARED) != 0;
  input.showUnmatched = DialogGetValue(state, IDC_FC_SHOW_UNMATCHED) != 0;
  input.buffSize = settings.buffSize;
  input.boxRecord = kRecords.secondBox;
  input.ownerRecord = kRecords.window;
  const CompareRefusal refusal = CheckComparing(input);
  if (refusal != CompareRefusal::None) {
    TellRefusal(refusal, state.window.load(), kRecords.mainBox, kRecords.window);
    return;
  }
  RememberPathField(state, IDC_FC_ORIGINAL, settings.cOrigFileList, input.original);
  RememberPathField(state, IDC_FC_CLONE, settings.cCloneFileList, input.clone);
  g_input = input;
  g_runActive = true;
  ShowPhase(state, Phase::Running);
  Lock(state, true);
  ShowStatus(state, 410);
  ShowCounts(state, ComparingCounts{});
  DialogFlush(state);
  StartWindowRun(state, kComparing);
}

void OnCompare(DialogState& state, int, int, Args) {
  if (g_runActive)
    AbortRun(state, kButtons, Self().job);
  else
    StartRun(state);
}

void OnPause(DialogState& state, int, int, Args) {
  if (g_runActive) PauseOrContinue(state, kButtons, Self().job);
}

void OnHide(DialogState& state, int, int, Args) { PressHide(state, kButtons, Self().job, g_runActive); }

void OnAbout(DialogState&, int, int, Args) {
  RunAboutThis(kRecords.about, kRecords.window, AboutThisTexts{415, 416, 417, 6});
}

// ---- the hooks ----------------------------------------------------------------

void AttachRoutines(DialogState& state) {
  DialogSetCallback(state, IDC_FC_ORIGINAL, OnPath);
  DialogSetCallback(state, IDC_FC_CLONE, OnPath);
  DialogSetCallback(state, IDC_FC_ORIGINAL_FILE, OnOriginalFile);
  DialogSetCallback(state, IDC_FC_ORIGINAL_FOLDER, OnOriginalFolder);
  DialogSetCallback(state, IDC_FC_CLONE_FILE, OnCloneFile);
  DialogSetCallback(state, IDC_FC_CLONE_FOLDER, OnCloneFolder);
  DialogSetCallback(state, IDC_FC_ORIGINAL_GROUP, OnDrop);
  for (int id : {IDC_FC_RECURSIVE, IDC_FC_SAVE, IDC_FC_SHOW_COMPARED, IDC_FC_SHOW_UNMATCHED})
    DialogSetCallback(state, id, OnOption);
  DialogSetCallback(state, IDC_FC_INFO, OnInfo);
  DialogSetCallback(state, IDC_FC_INFO_BROWSE, OnInfoBrowse);
  DialogSetCallback(state, IDC_FC_COMPARE, OnCompare);
  DialogSetCallback(state, IDC_FC_PAUSE, OnPause);
  DialogSetCallback(state, IDC_FC_HIDE, OnHide);
  DialogSetCallback(state, IDC_FC_ABOUT, OnAbout);
}

// Compare Main, before the window opens: routines, histories and the
// values of the settings.
void SetUp(Subprogram& self) {
  DialogState& state = self.state;
  const Settings& settings = AppSettings();
  Record(kRecords.window).dropTarget = IDC_FC_ORIGINAL_GROUP;
  AttachRoutines(state);
  const auto first = [](const RememberedList& list) { return list.entries.empty() ? "" : list.entries.front(); };
  ShowPathField(state, IDC_FC_ORIGINAL, settings.cOrigFileList, first(settings.cOrigFileList));
  ShowPathField(state, IDC_FC_CLONE, settings.cCloneFileList, first(settings.cCloneFileList));
  DialogSetValue(state, IDC_FC_RECURSIVE, settings.cRecur ? 1 : 0);
  DialogSetValue(state, IDC_FC_SAVE, settings.cSave ? 1 : 0);
  DialogSetValue(state, IDC_FC_SHOW_COMPARED, settings.csShowComp ? 1 : 0);
  DialogSetValue(state, IDC_FC_SHOW_UNMATCHED, settings.csShowUnM ? 1 : 0);
  DialogSet(state, IDC_FC_INFO, settings.csFile);
  DialogSet(state, IDC_FC_ORIGINAL_COUNT, "");
  DialogSet(state, IDC_FC_CLONE_COUNT, "");
  ShowCounts(state, ComparingCounts{});
  ShowStatus(state, 418);
  ShowPhase(state, Phase::Idle);
  Lock(state, false);
}

// Compare Second: one run, then the closing word and, when asked for,
// the information file in Notepad.
void Work(Subprogram& self) {
  DialogState& state = self.state;
  self.job.onHold = [&self] { DialogFlush(self.state); };
  ProgressSink file = ProgressBarSink(state, IDC_FC_FILE_PROGRESS);
  ProgressSink total = ProgressBarSink(state, IDC_FC_TOTAL_PROGRESS);
  ComparingScreen screen;
  screen.fileBar = &file;
  screen.totalBar = &total;
  screen.counts = [&state](const ComparingCounts& counts) {
    ShowCounts(state, counts);
    DialogFlush(state);
  };
  ShowStatus(state, 433);
  DialogFlush(state);
  const ComparingResult result = RunComparing(g_input, self.job, screen);
  ShowCounts(state, result.counts);
  ShowStatus(state, result.end == ComparingEnd::Done ? 439 : 438);
  ShowPhase(state, Phase::Idle);
  DialogFlush(state);
  BringWindowToFront(WindowOf(state));
  if (TellRunEnd(g_input, result, state.window.load()))
    ShellExecuteA(nullptr, "open", "notepad.exe", g_input.infoPath.c_str(), nullptr, SW_SHOWMAXIMIZED);
}

// Compare Second, after the run: the controls back to idle.
void Idle(Subprogram& self) {
  DialogState& state = self.state;
  ShowPhase(state, Phase::Idle);
  Lock(state, false);
  DialogSetValue(state, IDC_FC_FILE_PROGRESS, 0);
  DialogFlush(state);
  EndWindowRun(state, g_runActive, false);
}

}  // namespace

void InstallFileComparing() {
  InstallWindow(kComparing, kRecords.window, TextsOf(Phase::Idle, 414), {SetUp, Work, {}, Idle});
  HookClockWindow(kClockComparing, kComparing, IDC_FC_TIME_SPEED);
}

}  // namespace kst
