// What the files of the Copy &/Or Join window share: its records, the
// list and the join queue, the fields, and the phases of the run and the
// join that its buttons show.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "frame/dialogs/ask.h"
#include "frame/dialogs/dialog.h"
#include "frame/dialogs/subprogram_window.h"
#include "frame/settings/remembered_list.h"
#include "frame/threads/subprograms.h"
#include "restore/join_queue.h"
#include "restore/restore_list.h"
#include "restore/restore_worker.h"

namespace kst::copy_join {

constexpr WindowRecords kRecords{.window = 13, .about = 14, .mainBox = 26, .secondBox = 27};
// The split list and the disk prompt: the Command Center finds whatever
// is open on these.
constexpr int kSplitListRecord = 15;
constexpr int kPromptRecord = 15;
// The joining thread's message boxes.
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
RestoreList& List();
JoinQueue& Queue();

// The fields of the window; copied into the run at "Feed &Me".
extern RestoreSettings g_settings;
extern RestoreSettings g_run;
extern std::atomic<bool> g_runActive;
extern bool g_childOpen;

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
extern Phases g_phases;

Subprogram& Self();
DialogState& State();
MessageOwner MainOwner(DialogState& state);

// The window and its controls (copy_or_join_dialog.cpp).
void ShowPhasesLocked(DialogState& state);  // the caller holds g_phases.mutex
void ShowRunPhase(DialogState& state, Phase run);
void PauseRun(DialogState& state);
bool JoinShown();
void TakeFolder(DialogState& state, bool origin, const std::string& folder);
void EnableOptions(DialogState& state, bool locked);
void ShowOptions(DialogState& state);

// The main list (copy_or_join_lists_win32.cpp).
void ShowList(DialogState& state);
void OnAdd(DialogState& state, int, int, Args);
void OnDrop(DialogState& state, int, int notification, Args dropped);
void OnRemove(DialogState& state, int, int, Args);
void OnView(DialogState& state, int, int, Args);

// The run, the joins and the disk prompt (copy_or_join_run_win32.cpp).
void WakeJoining(DialogState& state);
bool NameTarget(const std::string& proposed, std::string* chosen);
void JoinWork(Subprogram& self);
void OnGo(DialogState& state, int, int, Args);
void OnHide(DialogState& state, int, int, Args);
void StopJoining(int waitMs);
void Work(Subprogram& self);
void Idle(Subprogram& self);

}  // namespace kst::copy_join
