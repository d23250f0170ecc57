// The runs of the Copy &/Or Join window: "Feed &Me", Pause, Hide and
// Abort, the worker's figures, the disk prompt and the joining thread.
#include <windows.h>
#include <commdlg.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "frame/dialogs/ask.h"
#include "frame/dialogs/child_dialog.h"
#include "frame/dialogs/dialog.h"
#include "frame/dialogs/dialog_win32.h"
#include "frame/dialogs/file_dialogs_win32.h"
#include "frame/dialogs/path_field.h"
#include "frame/dialogs/run_figures.h"
#include "frame/files/folders.h"
#include "frame/settings/settings.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "resources/resource_ids.h"
#include "restore/copy_or_join_window.h"
#include "restore/restore_list.h"
#include "restore/select_files_dialog.h"

namespace kst::copy_join {

namespace {

void ShowFigures(DialogState& state, const RestoreFigures& f) {
  ShowDiskRunFigures(state, {IDC_CJ_START, IDC_CJ_ETA, IDC_CJ_LEFT, IDC_CJ_DONE, IDC_CJ_DLEFT},
                     {f.startTime, f.eta, f.timeLeft, f.disksDone, f.disksLeft});
  DialogSet(state, IDC_CJ_SIZE, std::to_string(f.totalSize));
  DialogFlush(state);
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
  const DialogTexts texts{207, {{IDC_ND_ERASE, 325, 708}, {IDC_PR_GO, 1017, 0}, {IDC_PR_ABORT, 1018, 0}}};
  if (!OpenChildDialog(state, IDD_NEW_DISK, kPromptRecord, kRecords.window, texts)) return DiskAnswer::Closed;
  static bool all = true;
  all = *copyAll;
  DialogSet(state, IDC_ND_TEXT, prompt.message);
  DialogSetValue(state, IDC_ND_ERASE, all ? 1 : 0);
  DialogSetCallback(state, IDC_ND_ERASE, [](DialogState& s, int id, int, Args) { all = DialogGetValue(s, id) != 0; });
  CloseOnPress(state, IDC_PR_GO, 100);
  CloseOnPress(state, IDC_PR_ABORT, 101);
  CloseOnPress(state, IDC_PR_CLOSE, 0);
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

}  // namespace

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
  context.owner = MessageOwner{state.window.load(), kJoinBoxRecord, kRecords.window};
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

// ---- Feed Me, Pause, Hide and Abort ---------------------------------------------

namespace {

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
  RememberPathField(state, IDC_CJ_DEST, kept.rDestFolderList, run.destination);
  RememberPathField(state, IDC_CJ_ORIGIN, kept.rOrigFolderList, run.origin);
  kept.rDestFolder = run.destination;
  g_run = run;
  g_runActive = true;
  ShowRunPhase(state, Phase::Running);
  EnableOptions(state, true);
  DialogSetValue(state, IDC_CJ_COPY_PROGRESS, 0);
  DialogFlush(state);
  StartWork(kCopyOrJoin);
}

}  // namespace

void OnGo(DialogState& state, int, int, Args) {
  JobControl& job = Self().job;
  if (!g_runActive) {
    StartRun(state);
    return;
  }
  if (!job.running) return;
  PauseRun(state);
}

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
    if (AskToAbort(Self().job, state.window.load(), 33, kRecords.mainBox, kRecords.window)) ClosePrompt();
    return;
  }
  StopJoining(kRollbackWaitMs);
  DialogExit(state);
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
  run.owner = MessageOwner{state.window.load(), kRecords.secondBox, kRecords.window};
  run.progress = &bar;
  run.person.insertDisk = InsertDisk;
  run.person.selectFiles = [](std::string* origin, std::vector<OriginFile>* files) {
    return RunSelectFiles(origin, files, kPromptRecord, kRecords.window, kRecords.secondBox);
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

}  // namespace kst::copy_join
