#include "frame/threads/subprograms.h"

#include <thread>

#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "frame/threads/drives_in_use.h"
#include "frame/threads/process_state.h"

namespace kst {

namespace {

struct Layout {
  int mainSlot, work0, work1, templateId, record, icon, toggleId, showId;
  int children[3];
  AbortKind abortKind;
  int abortQuestion;
  int nameText;  // the toggle's label, the subprogram's name in questions
};

// One row per subprogram, in SubprogramId order.
const Layout kLayouts[kSubprogramCount] = {
    {2, 3, 0, 106, 3, 114, 1000, 1074, {4, 0, 0}, AbortKind::Question, 32, 12},
    {4, 5, 0, 111, 7, 0, 1001, 1075, {8, 9, 18}, AbortKind::Question, 33, 13},
    {6, 7, 20, 119, 13, 0, 1002, 1076, {14, 15, 0}, AbortKind::Question, 33, 14},
    {8, 9, 0, 117, 10, 0, 1003, 1077, {11, 12, 0}, AbortKind::Question, 35, 15},
    {10, 11, 0, 122, 16, 0, 1005, 1081, {17, 0, 0}, AbortKind::Question, 36, 16},
    {12, 13, 0, 144, 35, 0, 1006, 1084, {36, 0, 0}, AbortKind::Question, 36, 817},
    {21, 22, 23, 167, 42, 0, 1007, 1085, {43, 0, 0}, AbortKind::Question, 1076, 1066},
    {16, 0, 0, 127, 19, 0, 1004, 1078, {20, 0, 0}, AbortKind::FormatNotice, 0, 17},
    {19, 0, 0, 163, 39, 0, 1017, 1180, {40, 0, 0}, AbortKind::Silent, 0, 895},
    {14, 0, 0, 104, 5, 102, 1015, 1178, {6, 0, 0}, AbortKind::None, 0, 18},
    {17, 18, 0, 140, 33, 0, 1016, 1179, {34, 0, 0}, AbortKind::Silent, 0, 19},
};

// Thread names by slot (text ids).
const int kSlotNames[kSlotCount + 1] = {0,   966, 967, 968, 969, 970, 971, 972,  973,  974,  975, 976,
                                        977, 978, 979, 980, 981, 982, 983, 984, 985, 1037, 1038, 1039};

Subprogram* Table() {
  static Subprogram* table = [] {
    auto* t = new Subprogram[kSubprogramCount];
    for (int i = 0; i < kSubprogramCount; ++i) {
      const Layout& l = kLayouts[i];
      Subprogram& s = t[i];
      s.mainSlot = l.mainSlot;
      s.workSlots[0] = l.work0;
      s.workSlots[1] = l.work1;
      s.templateId = l.templateId;
      s.record = l.record;
      s.icon = l.icon;
      s.toggleId = l.toggleId;
      s.showId = l.showId;
      for (int k = 0; k < 3; ++k) s.childRecords[k] = l.children[k];
      s.abortKind = l.abortKind;
      s.abortQuestion = l.abortQuestion;
      s.nameText = l.nameText;
    }
    return t;
  }();
  return table;
}

WorkerSlot* Slots() {
  static WorkerSlot* slots = new WorkerSlot[kSlotCount + 1];
  return slots;
}

std::mutex g_hooksMutex;
SlotHooks g_hooks;

SlotHooks Hooks() {
  std::lock_guard<std::mutex> lock(g_hooksMutex);
  return g_hooks;
}

uint32_t ThisThreadId() {
  SlotHooks h = Hooks();
  if (h.currentThreadId) return h.currentThreadId();
  return static_cast<uint32_t>(std::hash<std::thread::id>()(std::this_thread::get_id()));
}

// Which subprogram a slot belongs to, and whether it is its Main thread,
// its Second thread (0) or its extra thread (1).
struct SlotOwner {
  int subprogram = -1;
  int role = -1;  // -1 Main, 0 Second, 1 extra
};

SlotOwner OwnerOf(int slot) {
  for (int i = 0; i < kSubprogramCount; ++i) {
    const Layout& l = kLayouts[i];
    if (l.mainSlot == slot) return {i, -1};
    if (l.work0 == slot) return {i, 0};
    if (l.work1 == slot) return {i, 1};
  }
  return {};
}

void ParkForever(WorkerSlot& slot) {
  for (;;) plat::ParkSelf(slot.park);
}

// The dialog is gone: the next press on the toggle shows it again.
void Hidden(Subprogram& s, int id) {
  {
    std::lock_guard<std::recursive_mutex> lock(ToggleMutex());
    s.mainAwake = false;
    s.job.shown = false;
  }
  SlotHooks h = Hooks();
  if (h.dialogClosed) h.dialogClosed(id);
}

void MainLoop(int slotNumber, Subprogram& s, int id) {
  WorkerSlot& slot = Slot(slotNumber);
  for (;;) {
    s.job.running = false;
    s.job.keepGoing = false;
    s.job.paused = false;
    plat::ParkSelf(slot.park);
    if (g_process.exiting.load()) ParkForever(slot);
    if (s.mayOpen && !s.mayOpen(s)) {
      Hidden(s, id);
      continue;
    }
    if (!DialogInit(s.templateId, s.state)) {
      // The toggle stays on until it is switched off, which finds no dialog.
      s.mainAwake = false;
      SlotHooks h = Hooks();
      if (h.missingTemplate) h.missingTemplate();
      continue;
    }
    Record(s.record).icon = s.icon;
    DialogPrepare(s.record);
    ApplyTexts(s.record);
    if (s.setUp) s.setUp(s);
    DialogRunModal(s.state, s.record);
    DialogUninit(s.state);
    DialogRelease(s.record);
    if (g_process.exiting.load()) ParkForever(slot);
    Hidden(s, id);
  }
}

void WorkLoop(int slotNumber, Subprogram& s, int id, int role) {
  WorkerSlot& slot = Slot(slotNumber);
  JobControl& job = role == 0 ? s.job : s.extraJob;
  auto& work = role == 0 ? s.work : s.extraWork;
  for (;;) {
    plat::ParkSelf(slot.park);
    if (g_process.exiting.load()) ParkForever(slot);
    // A start asked for while the last turn was ending woke the park
    // already; its flags are left as it set them.
    const uint64_t turn = TurnNumber(job);
    if (work) work(s);
    if (role == 0) ClearDriveInUse(id);
    EndTurn(job, turn);
    if (role == 0 && s.idle && !g_process.exiting.load()) s.idle(s);
  }
}

}  // namespace

Subprogram& GetSubprogram(int id) { return Table()[id >= 0 && id < kSubprogramCount ? id : 0]; }

int SubprogramOfToggle(int controlId) {
  for (int i = 0; i < kSubprogramCount; ++i)
    if (kLayouts[i].toggleId == controlId) return i;
  return -1;
}

int SubprogramOfShow(int controlId) {
  for (int i = 0; i < kSubprogramCount; ++i)
    if (kLayouts[i].showId == controlId) return i;
  return -1;
}

WorkerSlot& Slot(int number) { return Slots()[number >= 1 && number <= kSlotCount ? number : 0]; }

int SlotNameText(int number) { return number >= 1 && number <= kSlotCount ? kSlotNames[number] : 0; }

void LoadSlotNames() {
  for (int n = 1; n <= kSlotCount; ++n) Slot(n).name = Padded(GetText(kSlotNames[n]), 30);
}

void SetSlotHooks(SlotHooks hooks) {
  std::lock_guard<std::mutex> lock(g_hooksMutex);
  g_hooks = std::move(hooks);
}

void StartSlots(std::function<void()> clockLoop, uint32_t startDelayMs) {
  static const int kOrder[] = {2,  3,  4,  5,  6,  7,  20, 8,  9,  10, 11,
                               12, 13, 14, 15, 16, 17, 18, 19, 21, 22, 23};
  Slot(1).threadId = ThisThreadId();
  for (int number : kOrder) {
    std::thread([number, startDelayMs, clockLoop] {
      Slot(number).threadId = ThisThreadId();
      if (number == kClockSlot) {
        if (clockLoop) clockLoop();
        ParkForever(Slot(number));
      }
      plat::SleepMs(startDelayMs);
      SlotOwner owner = OwnerOf(number);
      if (owner.subprogram < 0) ParkForever(Slot(number));
      Subprogram& s = GetSubprogram(owner.subprogram);
      if (owner.role < 0)
        MainLoop(number, s, owner.subprogram);
      else
        WorkLoop(number, s, owner.subprogram, owner.role);
    }).detach();
  }
}

std::recursive_mutex& ToggleMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

bool ShowSubprogram(int id) {
  Subprogram& s = GetSubprogram(id);
  std::lock_guard<std::recursive_mutex> lock(ToggleMutex());
  if (s.job.shown.exchange(true) && s.mainAwake.load()) return false;
  s.mainAwake = true;
  plat::Wake(Slot(s.mainSlot).park);
  return true;
}

void StartWork(int id) {
  Subprogram& s = GetSubprogram(id);
  if (!s.workSlots[0]) return;
  StartTurn(s.job);
  plat::Wake(Slot(s.workSlots[0]).park);
}

void StartExtraWork(int id) {
  Subprogram& s = GetSubprogram(id);
  if (!s.workSlots[1]) return;
  StartTurn(s.extraJob);
  plat::Wake(Slot(s.workSlots[1]).park);
}

ToggleOff SwitchOff(int id) {
  Subprogram& s = GetSubprogram(id);
  for (int child : s.childRecords) {
    if (!child) continue;
    DialogState* open = Record(child).state;
    if (open && open->window.load()) {
      BringWindowToFront(open->window.load());
      return ToggleOff::ChildInFront;
    }
  }
  bool working = s.job.running.load() || s.extraJob.running.load();
  if (s.abortKind != AbortKind::None) {
    if (s.job.inQuestion.load() || s.extraJob.inQuestion.load()) {
      BringWindowToFront(s.state.window.load());
      return ToggleOff::QuestionFirst;
    }
    if (working) {
      switch (s.abortKind) {
        case AbortKind::Silent:
          AbortJob(s.job);
          AbortJob(s.extraJob);
          break;
        case AbortKind::FormatNotice:
          PlayAlert();
          AskUser(kAskOk, s.state.window.load(), GetText(37), GetText(38), 21, 1);
          break;
        case AbortKind::Question: {
          // Copy &/Or Join asks about the restore while it runs, else about
          // the joining; Data2Wav stops both of its workers. The work waits
          // at its check point until the question is answered.
          if (id == kCopyOrJoin && !s.job.running.load())
            AskAbortHolding({&s.extraJob}, s.state.window.load(), 34, 21, 1);
          else if (id == kCopyOrJoin)
            AskAbortHolding({&s.job}, s.state.window.load(), s.abortQuestion, 21, 1);
          else
            AskAbortHolding({&s.job, &s.extraJob}, s.state.window.load(), s.abortQuestion, 21, 1);
          break;
        }
        case AbortKind::None:
          break;
      }
      return ToggleOff::AbortAsked;
    }
  }
  if (!s.state.window.load()) {
    std::lock_guard<std::recursive_mutex> lock(ToggleMutex());
    if (s.mainAwake.load()) return ToggleOff::Opening;
    s.job.shown = false;  // no dialog came (a missing template)
    return ToggleOff::Closed;
  }
  DialogExit(s.state);
  return ToggleOff::Closed;
}

}  // namespace kst
