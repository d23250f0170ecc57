// The eleven subprograms and the 23 worker slots that run them. Every
// subprogram owns a Main thread that runs its dialog and, for long work, a
// Second thread (Copy &/Or Join also a joining thread, Data2Wav a Third).
// All threads are made once at start and park themselves when idle.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "frame/dialogs/dialog.h"
#include "frame/platform/park.h"
#include "frame/threads/job_control.h"

namespace kst {

constexpr int kSlotCount = 23;
constexpr int kClockSlot = 15;

enum SubprogramId {
  kFileSplitting,
  kSplitOrCopy,
  kCopyOrJoin,
  kTestDisks,
  kComparing,
  kExcessRemover,
  kData2Wav,
  kFormatInterface,
  kProgramMaster,
  kTargetPractice,
  kHorseRacing,
  kSubprogramCount,
};

// How switching the toggle off treats running work.
enum class AbortKind {
  Question,      // ask the subprogram's abort question
  FormatNotice,  // the operating system formats: tell the user to stop it
  Silent,        // clear keep-going without a question
  None,          // no work to abort
};

struct Subprogram {
  int mainSlot = 0;
  int workSlots[2] = {0, 0};  // Second (and joining or Third) thread slots
  int templateId = 0;
  int record = 0;
  int icon = 0;
  int toggleId = 0;  // Command Center toggle button
  int showId = 0;    // Command Center "Show" button
  int childRecords[3] = {0, 0, 0};  // dialogs opened from the subprogram
  AbortKind abortKind = AbortKind::None;
  int abortQuestion = 0;  // text id
  int nameText = 0;       // its toggle's label (text id)

  DialogState state;
  // The Main thread was woken for the dialog and has not parked again: a
  // window is on its way, open, or closing.
  std::atomic<bool> mainAwake{false};
  JobControl job;      // shared by the dialog and the Second thread
  JobControl extraJob; // the joining thread (Copy &/Or Join) or Third (Data2Wav)

  // Runs before the window is made: false leaves it closed (the Command
  // Center's toggle goes off again). Empty: the window always opens.
  std::function<bool(Subprogram& self)> mayOpen;
  // Installed by the subprogram's dialog module: attach routines and set
  // the initial values after ApplyTexts; the Second (and extra) thread's
  // job; put the controls back into their idle state after a job.
  std::function<void(Subprogram& self)> setUp;
  std::function<void(Subprogram& self)> work;
  std::function<void(Subprogram& self)> extraWork;
  std::function<void(Subprogram& self)> idle;
};

Subprogram& GetSubprogram(int id);
// The subprogram whose toggle or show button is controlId (-1 none).
int SubprogramOfToggle(int controlId);
int SubprogramOfShow(int controlId);

struct WorkerSlot {
  std::atomic<uint32_t> threadId{0};
  std::string name;  // 30 characters, blank-padded
  plat::ParkEvent park;
};
WorkerSlot& Slot(int number);  // 1..23
// Text ids of the slot names.
int SlotNameText(int number);
// Copies the 23 thread names from the text table into the slots.
void LoadSlotNames();

// Hooks the slot loops use to reach the Command Center and the user.
struct SlotHooks {
  // The subprogram's dialog has closed: set its toggle off in the Command
  // Center and bring the Command Center forward.
  std::function<void(int subprogram)> dialogClosed;
  // A template is missing: "Error: dialog not found" / "Big Whoops".
  std::function<void()> missingTemplate;
  // The operating system id of the calling thread.
  std::function<uint32_t()> currentThreadId;
};
void SetSlotHooks(SlotHooks hooks);

// Creates the threads of slots 2..23 in the order 2..7, 20, 8..19, 21..23
// and records slot 1 as the calling thread. Each thread sleeps startDelayMs
// once and then parks (the Clocking System's slot runs clockLoop instead).
void StartSlots(std::function<void()> clockLoop, uint32_t startDelayMs = 500);

// Wakes the Main thread of a subprogram: its dialog opens. Nothing while
// the subprogram is shown already (its dialog opening, open or closing):
// a quick second press must never queue a second opening. True when woken.
bool ShowSubprogram(int id);
// Held while a toggle's shown flag and its button are set together, so that
// a press and a closing dialog never leave them telling different things.
std::recursive_mutex& ToggleMutex();  // a press takes it around ShowSubprogram
// Starts the Second thread's job (the dialog's start button): sets running
// and keep-going, then wakes it.
void StartWork(int id);
// Starts the extra thread (joining or Third).
void StartExtraWork(int id);

// What switching a toggle off did.
enum class ToggleOff {
  ChildInFront,   // a dialog opened from the subprogram was brought forward; stays on
  QuestionFirst,  // a question is open: the dialog was brought forward; stays on
  AbortAsked,     // the work runs: the abort question was asked; stays on
  Opening,        // the dialog is on its way: stays on
  Closed,         // the dialog was closed
};
// The toggle-off rules, in their order. ask is the Command Center's box.
ToggleOff SwitchOff(int id);

}  // namespace kst
