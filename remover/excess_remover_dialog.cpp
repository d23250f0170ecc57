#include "remover/excess_remover_dialog.h"

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <atomic>
#include <string>
#include <vector>

#include "frame/clock/clock_windows.h"
#include "frame/dialogs/about_this_dialog.h"
#include "frame/dialogs/ask.h"
#include "frame/dialogs/dialog.h"
#include "frame/dialogs/dialog_win32.h"
#include "frame/dialogs/file_dialogs_win32.h"
#include "frame/dialogs/subprogram_window.h"
#include "frame/dialogs/window_runs.h"
#include "frame/files/folders.h"
#include "frame/platform/platform.h"
#include "frame/settings/settings.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "frame/threads/run_buttons.h"
#include "frame/threads/subprograms.h"
#include "remover/excess_removal.h"
#include "remover/remover_folders.h"
#include "remover/remover_texts.h"
#include "resources/resource_ids.h"

namespace kst {

namespace {

constexpr WindowRecords kRecords{.window = 35, .about = 36, .mainBox = 37, .secondBox = 38};

using Args = const std::vector<std::string>&;

// The chosen folders (not kept in the settings); changed only by
// ExFilesRemover Main while no run goes on.
std::string g_base, g_target;
// What the run works on, set by "&Do It" before the Second thread is woken.
RemoverInput g_input;
std::atomic<bool> g_runActive{false};

using Phase = RunPhase;

const int kEditing[] = {IDC_ER_BROWSE_BASE, IDC_ER_BROWSE_TARGET, IDC_ER_RECURSIVE,
                        IDC_ER_SAVE_LOG,    IDC_ER_LOG_FILE,      IDC_ER_SIMULATION,
                        IDC_ER_ABOUT};

Subprogram& Self() { return GetSubprogram(kExcessRemover); }

// The log button tells whether the file is there: the word in capitals is
// what choosing it does.
int LogButtonText() {
  const std::string path = Trimmed(AppSettings().esFile);
  if (path.empty()) return 414;
  return plat::SizeOfPath(path) >= 0 ? 751 : 752;
}

DialogTexts TextsOf(Phase phase) {
  int go = 819, goTip = 822, hide = 821, hideTip = 823;
  if (phase == Phase::Running) go = 88, goTip = 824, hide = 89, hideTip = 825;
  if (phase == Phase::Paused) go = 88, goTip = 824, hide = 90, hideTip = 826;
  return DialogTexts{816,
                     {
                         {IDC_ER_BASE_GROUP, 829, 0},
                         {IDC_ER_BASE, 0, 840},
                         {IDC_ER_BROWSE_BASE, 830, 841},
                         {IDC_ER_TARGET_GROUP, 831, 0},
                         {IDC_ER_TARGET, 0, 842},
                         {IDC_ER_BROWSE_TARGET, 832, 843},
                         {IDC_ER_RECURSIVE, 828, 839},
                         {IDC_ER_SIMULATION, 892, 893},
                         {IDC_ER_SAVE_LOG, 833, 844},
                         {IDC_ER_LOG_FILE, LogButtonText(), 845},
                         {IDC_ER_LOG_PATH, 0, 834},
                         {IDC_ER_COUNT_GROUP, 835, 0},
                         {IDC_ER_BASE_LABEL, 837, 0},
                         {IDC_ER_BASE_COUNT, 0, 847},
                         {IDC_ER_TARGET_LABEL, 838, 0},
                         {IDC_ER_TARGET_COUNT, 0, 847},
                         // A simulation removes nothing: it counts what it would.
                         {IDC_ER_REMOVED_LABEL, AppSettings().esSimulation ? kTextWouldRemove : 836, 0},
                         {IDC_ER_REMOVED, 0, 846},
                         {IDC_ER_TOTAL_LABEL, 868, 0},
                         {IDC_ER_FILE_LABEL, 869, 0},
                         {IDC_ER_TIME_SPEED, 0, 957},
                         {IDC_ER_DO_IT, go, goTip},
                         {IDC_ER_HIDE, hide, hideTip},
                         {IDC_ER_ABOUT, 827, 848},
                     }};
}

// "&Do It" is Abort during a run and "&Hide" its pause button; the log
// file's button changes with the file, the removed counter's label with
// "Simulation only".
const RunButtons kButtons{.record = kRecords.window, .boxRecord = kRecords.mainBox,
                          .go = IDC_ER_DO_IT, .hide = IDC_ER_HIDE,
                          .relabelled = {IDC_ER_LOG_FILE, IDC_ER_REMOVED_LABEL},
                          .abortQuestion = kTextAbortQuestion, .textsOf = TextsOf};

void ShowPhase(DialogState& state, Phase phase) { ShowRunPhase(state, kButtons, phase); }

void Lock(DialogState& state, bool locked) {
  for (int id : kEditing) DialogSetEnabled(state, id, !locked);
}

void ShowStatus(DialogState& state, int text) {
  DialogSet(state, IDC_ER_STATUS, text ? Trimmed(GetText(text)) : std::string());
  DialogFlush(state);
}

std::string Count(int64_t n) { return std::to_string(static_cast<long long>(n)); }

// Counts the files of one folder for its counter, saying so meanwhile.
void Recount(DialogState& state, const std::string& folder, int counter, int saying) {
  if (folder.empty()) {
    DialogSet(state, counter, "");
    return;
  }
  ShowStatus(state, saying);
  DialogSet(state, counter, Count(CountRemoverFiles(folder, "*.*", AppSettings().eRecur)));
  ShowStatus(state, 0);
}

// A folder chosen, dropped or browsed for: refused (and the old choice
// kept) when the two would be one folder, or nested with recursion.
void Choose(DialogState& state, bool base, const std::string& chosen) {
  const std::string folder = PlainFolder(chosen);
  if (folder.empty()) return;
  const std::string& other = base ? g_target : g_base;
  FolderRefusal refusal = base ? CheckFolderChoice(folder, other, AppSettings().eRecur)
                               : CheckFolderChoice(other, folder, AppSettings().eRecur);
  if (TellFolderRefusal(refusal, state.window.load(), kRecords.mainBox, kRecords.window)) return;
  (base ? g_base : g_target) = folder;
  Recount(state, folder, base ? IDC_ER_BASE_COUNT : IDC_ER_TARGET_COUNT, base ? 853 : 857);
  DialogSet(state, base ? IDC_ER_BASE : IDC_ER_TARGET, folder);
  DialogFlush(state);
}

void OnBrowseBase(DialogState& state, int, int, Args) {
  if (g_runActive) return;
  std::string folder = BrowseForFolder(state.window.load(), GetText(852));
  if (!folder.empty()) Choose(state, true, folder);
}

void OnBrowseTarget(DialogState& state, int, int, Args) {
  if (g_runActive) return;
  std::string folder = BrowseForFolder(state.window.load(), GetText(856));
  if (!folder.empty()) Choose(state, false, folder);
}

// Whether the drop being handled landed on the control: the message being
// handled was posted where the mouse let go.
bool DroppedOn(DialogState& state, int id) {
  HWND window = WindowOf(state);
  HWND control = window ? GetDlgItem(window, id) : nullptr;
  RECT area;
  if (!control || !GetWindowRect(control, &area)) return false;
  DWORD position = GetMessagePos();
  POINT point = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
  return PtInRect(&area, point) != 0;
}

// Only the first dropped item counts; a file stands for its folder.
void OnDrop(DialogState& state, int, int notification, Args dropped) {
  if (notification != kDropped || dropped.empty() || g_runActive) return;
  const bool base = !DroppedOn(state, IDC_ER_TARGET_GROUP);
  if (!base || DroppedOn(state, IDC_ER_BASE_GROUP)) Choose(state, base, FolderOf(dropped.front()));
}

void OnRecursive(DialogState& state, int id, int, Args) {
  if (g_runActive) return;
  AppSettings().eRecur = DialogGetValue(state, id) != 0;
  Recount(state, g_base, IDC_ER_BASE_COUNT, 853);
  Recount(state, g_target, IDC_ER_TARGET_COUNT, 857);
  DialogFlush(state);
}

void OnSaveLog(DialogState& state, int id, int, Args) {
  if (!g_runActive) AppSettings().eSave = DialogGetValue(state, id) != 0;
}

void OnSimulation(DialogState& state, int id, int, Args) {
  if (g_runActive) return;
  AppSettings().esSimulation = DialogGetValue(state, id) != 0;
  ShowPhase(state, Phase::Idle);
  DialogFlush(state);
}

void OnLogFile(DialogState& state, int, int, Args) {
  if (g_runActive) return;
  Settings& settings = AppSettings();
  std::string title = Trimmed(GetText(432));
  char file[MAX_PATH] = "";
  const std::string current = Trimmed(settings.esFile);
  if (current.size() < sizeof file) current.copy(file, current.size());
  OPENFILENAMEA request;
  InitFileDialog(state.window.load(), request, nullptr, file, sizeof file, nullptr, title.c_str(),
                 OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR);
  if (!GetSaveFileNameA(&request)) {
    ReportDialogError();
    return;
  }
  settings.esFile = file;
  DialogSet(state, IDC_ER_LOG_PATH, file);
  ShowPhase(state, Phase::Idle);
  DialogFlush(state);
}

void StartRun(DialogState& state) {
  const Settings& settings = AppSettings();
  g_input = RemoverInput{};
  g_input.base = g_base;
  g_input.target = g_target;
  g_input.recurse = settings.eRecur;
  g_input.simulate = settings.esSimulation;
  g_input.log = settings.eSave;
  g_input.logPath = Trimmed(settings.esFile);
  g_input.buffSize = settings.buffSize;
  g_input.silent = settings.silentP;
  g_input.owner = state.window.load();
  g_input.boxRecord = kRecords.mainBox;
  g_input.ownerRecord = kRecords.window;
  if (RefuseRemoverInput(g_input)) return;
  g_input.boxRecord = kRecords.secondBox;
  g_runActive = true;
  ShowStatus(state, kTextStarting);
  ShowPhase(state, Phase::Running);
  Lock(state, true);
  DialogSet(state, IDC_ER_REMOVED, "0");
  DialogSetValue(state, IDC_ER_TOTAL_PROGRESS, 0);
  DialogSetValue(state, IDC_ER_FILE_PROGRESS, 0);
  DialogFlush(state);
  StartWindowRun(state, kExcessRemover);
}

// "&Do It", or "Abort" during a run.
void OnDoIt(DialogState& state, int, int, Args) {
  if (g_runActive)
    AbortRun(state, kButtons, Self().job);
  else
    StartRun(state);
}

// "&Hide", or the pause button during a run.
void OnHide(DialogState& state, int, int, Args) {
  if (g_runActive)
    PauseOrContinue(state, kButtons, Self().job);
  else
    DialogExit(state);
}

void OnAbout(DialogState&, int, int, Args) {
  RunAboutThis(kRecords.about, kRecords.window, AboutThisTexts{850, 850, 851, 849});
}

void SetUp(Subprogram& self) {
  DialogState& state = self.state;
  const Settings& settings = AppSettings();
  Record(kRecords.window).dropTarget = IDC_ER_BASE_GROUP;
  DialogSetCallback(state, IDC_ER_BROWSE_BASE, OnBrowseBase);
  DialogSetCallback(state, IDC_ER_BROWSE_TARGET, OnBrowseTarget);
  DialogSetCallback(state, IDC_ER_BASE_GROUP, OnDrop);
  DialogSetCallback(state, IDC_ER_RECURSIVE, OnRecursive);
  DialogSetCallback(state, IDC_ER_SAVE_LOG, OnSaveLog);
  DialogSetCallback(state, IDC_ER_SIMULATION, OnSimulation);
  DialogSetCallback(state, IDC_ER_LOG_FILE, OnLogFile);
  DialogSetCallback(state, IDC_ER_DO_IT, OnDoIt);
  DialogSetCallback(state, IDC_ER_HIDE, OnHide);
  DialogSetCallback(state, IDC_ER_ABOUT, OnAbout);
  DialogSetValue(state, IDC_ER_RECURSIVE, settings.eRecur ? 1 : 0);
  DialogSetValue(state, IDC_ER_SAVE_LOG, settings.eSave ? 1 : 0);
  DialogSetValue(state, IDC_ER_SIMULATION, settings.esSimulation ? 1 : 0);
  DialogSet(state, IDC_ER_LOG_PATH, Trimmed(settings.esFile));
  DialogSet(state, IDC_ER_BASE, g_base);
  DialogSet(state, IDC_ER_TARGET, g_target);
  DialogSet(state, IDC_ER_STATUS, "");
  ShowPhase(state, Phase::Idle);
  Lock(state, false);
}

void Work(Subprogram& self) {
  DialogState& state = self.state;
  self.job.onHold = [&self] { DialogFlush(self.state); };
  RemoverReport report;
  report.total = ProgressBarSink(state, IDC_ER_TOTAL_PROGRESS);
  report.file = ProgressBarSink(state, IDC_ER_FILE_PROGRESS);
  report.status = [&state](const std::string& text) {
    DialogSet(state, IDC_ER_STATUS, text);
    DialogFlush(state);
  };
  report.counts = [&state](const RemoverCounts& c) {
    DialogSet(state, IDC_ER_BASE_COUNT, Count(c.insideBase));
    DialogSet(state, IDC_ER_TARGET_COUNT, Count(c.insideTarget));
    DialogSet(state, IDC_ER_REMOVED, Count(c.removed));
    DialogFlush(state);
  };
  const RemoverResult result = RunExcessRemoval(g_input, self.job, &report);
  if (result.outcome == RemoverOutcome::Refused) return;
  ShowStatus(state, result.outcome != RemoverOutcome::Done ? kTextRemovalAborted
                   : g_input.simulate                      ? kTextRemovalSimulated
                                                           : kTextRemovalDone);
  if (result.counts.troubles > 0) {
    PlayAlert();
    AskUser(kAskOk, state.window.load(), GetText(kTextTroublesHeading),
            Count(result.counts.troubles) + " " + Trimmed(GetText(kTextTroubles)) + " " + result.firstTrouble,
            kRecords.secondBox, kRecords.window);
  }
  if (!result.logWritten) return;
  if (AskUser(kAskYesNo, state.window.load(), GetText(kTextSavedHeading), GetText(kTextSavedQuestion),
              kRecords.secondBox, kRecords.window) == kAnswerYes)
    ShellExecuteA(WindowOf(state), "open", "notepad.exe", g_input.logPath.c_str(), nullptr,
                  SW_SHOWMAXIMIZED);
}

void Idle(Subprogram& self) {
  DialogState& state = self.state;
  ShowPhase(state, Phase::Idle);
  Lock(state, false);
  DialogSetValue(state, IDC_ER_FILE_PROGRESS, 0);
  DialogFlush(state);
  EndWindowRun(state, g_runActive);
}

}  // namespace

void InstallExcessRemover() {
  InstallWindow(kExcessRemover, kRecords.window, TextsOf(Phase::Idle), {SetUp, Work, {}, Idle});
  HookClockWindow(kClockExcessRemover, kExcessRemover, IDC_ER_TIME_SPEED);
}

}  // namespace kst
