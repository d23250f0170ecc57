#include "frame/subprograms.h"

#include <thread>

#include "frame/platform/platform.h"
#include "frame/process_state.h"
#include "frame/text_numbers.h"
#include "frame/texts.h"

namespace kst {

namespace {

struct Layout {
  int mainSlot, work0, work1, templateId, record, icon, toggleId, showId;
  int children[3];
  AbortKind abortKind;
  int abortQuestion;
};

// One row per subprogram, in SubprogramId order.
const Layout kLayouts[kSubprogramCount] = {
    {2, 3, 0, 106, 3, 114, 1000, 1074, {4, 0, 0}, AbortKind::Question, 32},
    {4, 5, 0, 111, 7, 0, 1001, 1075, {8, 9, 18}, AbortKind::Question, 33},
    {6, 7, 20, 119, 13, 0, 1002, 1076, {14, 15, 0}, AbortKind::Question, 33},
    {8, 9, 0, 117, 10, 0, 1003, 1077, {11, 12, 0}, AbortKind::Question, 35},
    {10, 11, 0, 122, 16, 0, 1005, 1081, {17, 0, 0}, AbortKind::Question, 36},
    {12, 13, 0, 144, 35, 0, 1006, 1084, {36, 0, 0}, AbortKind::Question, 36},
    {21, 22, 23, 167, 42, 0, 1007, 1085, {43, 0, 0}, AbortKind::Question, 1076},
    {16, 0, 0, 127, 19, 0, 1004, 1078, {20, 0, 0}, AbortKind::FormatNotice, 0},
    {19, 0, 0, 163, 39, 0, 1017, 1180, {40, 0, 0}, AbortKind::Silent, 0},
    {14, 0, 0, 104, 5, 102, 1015, 1178, {6, 0, 0}, AbortKind::None, 0},
    {17, 18, 0, 140, 33, 0, 1016, 1179, {34, 0, 0}, AbortKind::Silent, 0},
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

void MainLoop(int slotNumber, Subprogram& s, int id) {
  WorkerSlot& slot = Slot(slotNumber);
  for (;;) {
    s.job.running = false;
    s.job.keepGoing = false;
    s.job.paused = false;
    plat::ParkSelf(slot.park);
    if (g_process.exiting.load()) ParkForever(slot);
    if (s.mayOpen && !s.mayOpen(s)) {
      s.job.shown = false;
      SlotHooks h = Hooks();
      if (h.dialogClosed) h.dialogClosed(id);
      continue;
    }
    if (!DialogInit(s.templateId, s.state)) {
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
    s.job.shown = false;
    SlotHooks h = Hooks();
    if (h.dialogClosed) h.dialogClosed(id);
  }
}

void WorkLoop(int slotNumber, Subprogram& s, int role) {
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
        WorkLoop(number, s, owner.role);
    }).detach();
  }
}

void ShowSubprogram(int id) {
  Subprogram& s = GetSubprogram(id);
  s.job.shown = true;
  plat::Wake(Slot(s.mainSlot).park);
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
    if (s.job.inQuestion.load()) {
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
          // the joining; Data2Wav stops both of its workers.
          bool joiningOnly = id == kCopyOrJoin && !s.job.running.load();
          int question = joiningOnly ? 34 : s.abortQuestion;
          PlayAlert();
          int answer = AskUser(kAskYesNo, s.state.window.load(), GetText(31), GetText(question), 21, 1);
          if (answer == kAnswerYes) {
            if (id == kCopyOrJoin) {
              AbortJob(joiningOnly ? s.extraJob : s.job);
            } else {
              AbortJob(s.job);
              AbortJob(s.extraJob);
            }
          }
          break;
        }
        case AbortKind::None:
          break;
      }
      return ToggleOff::AbortAsked;
    }
  }
  DialogExit(s.state);
  return ToggleOff::Closed;
}

}  // namespace kst
