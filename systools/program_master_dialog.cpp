#include "systools/program_master_dialog.h"

#include <windows.h>

#include <string>
#include <vector>

#include "frame/dialogs/about_this_dialog.h"
#include "frame/dialogs/ask.h"
#include "frame/dialogs/child_dialog.h"
#include "frame/dialogs/dialog.h"
#include "frame/dialogs/dialog_win32.h"
#include "frame/dialogs/subprogram_window.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "frame/threads/process_state.h"
#include "frame/threads/subprograms.h"
#include "resources/resource_ids.h"
#include "systools/process_source.h"
#include "systools/program_master.h"

namespace kst {

namespace {

using Args = const std::vector<std::string>&;

constexpr UINT_PTR kRefreshTimer = 1;

// Touched by Program Master Main only.
ProgramMaster g_master;
ProcessSource g_source;
bool g_privilegeAsked = false;

struct PriorityButton {
  int id;
  uint32_t priorityClass;
};
const PriorityButton kPriorityButtons[] = {{IDC_PM_IDLE, kIdleClass},
                                           {IDC_PM_NORMAL, kNormalClass},
                                           {IDC_PM_HIGH, kHighClass},
                                           {IDC_PM_REAL_TIME, kRealTimeClass}};

Subprogram& Self() { return GetSubprogram(kProgramMaster); }

DialogTexts Texts() {
  return DialogTexts{894,
                     {
                         {IDC_PM_REFRESH, 898, 912},
                         {IDC_PM_HIDE, 899, 913},
                         {IDC_PM_ABOUT, 900, 914},
                         {IDC_PM_LIST_LABEL, 901, 0},
                         {IDC_PM_LIST, 0, 915},
                         {IDC_PM_COUNT, 0, 956},
                         {IDC_PM_PRIORITY_GROUP, 902, 0},
                         {IDC_PM_IDLE, 903, 918},
                         {IDC_PM_NORMAL, 904, 919},
                         {IDC_PM_HIGH, 905, 920},
                         {IDC_PM_REAL_TIME, 906, 921},
                         {IDC_PM_END_LABEL, 907, 0},
                         {IDC_PM_FRIENDLY, 908, 922},
                         {IDC_PM_UNFRIENDLY, 909, 923},
                         {IDC_PM_THREADS_LABEL, 910, 0},
                         {IDC_PM_THREADS, 0, 916},
                         {IDC_PM_WINDOWS_LABEL, 911, 0},
                         {IDC_PM_WINDOWS, 0, 917},
                         {IDC_PM_GET_LABEL, 933, 0},
                         {IDC_PM_GET_WINDOWS, 934, 935},
                         {IDC_PM_VERSION, 0, 924},
                     }};
}

// The threads and windows of the selected program, and its class.
void ShowSelected(DialogState& state) {
  std::vector<std::string> threads, windows;
  uint32_t priorityClass = 0;
  if (g_master.selected >= 0 && g_master.selected < static_cast<int>(g_master.list.size())) {
    const ProcessRecord& r = g_master.list[g_master.selected];
    // Only this program's threads are the worker slots.
    std::function<std::string(uint32_t)> slotName;
    if (r.processId == g_master.ownId) slotName = SlotNameOfThread;
    for (const ThreadEntry& t : r.threads) threads.push_back(ThreadLine(t, slotName));
    for (const WindowEntry& w : r.windows) windows.push_back(WindowLine(w));
    priorityClass = r.priorityClass;
  }
  DialogSetItems(state, IDC_PM_THREADS, threads);
  DialogSetItems(state, IDC_PM_WINDOWS, windows);
  for (const PriorityButton& b : kPriorityButtons) DialogSetValue(state, b.id, b.priorityClass == priorityClass);
  DialogFlush(state);
}

void ShowList(DialogState& state) {
  std::vector<std::string> lines;
  for (const ProcessRecord& r : g_master.list) lines.push_back(ProcessLine(r));
  DialogSetItems(state, IDC_PM_LIST, lines);
  DialogSetValue(state, IDC_PM_LIST, g_master.selected);
  DialogSet(state, IDC_PM_COUNT, std::to_string(lines.size()));
  ShowSelected(state);
}

// Builds the list anew; the button says so meanwhile. A person's press
// hears of a failure; the refresh after an action keeps the old list quietly.
void Refresh(DialogState& state, bool tellFailure) {
  g_master.owner = state.window.load();
  DialogSet(state, IDC_PM_REFRESH, Trimmed(GetText(930)));
  DialogFlush(state);
  bool ok = RefreshList(g_master, g_source);
  DialogSet(state, IDC_PM_REFRESH, Trimmed(GetText(898)));
  if (ok) ShowList(state);
  DialogFlush(state);
  if (!ok && tellFailure) {
    PlayAlert();
    AskUser(kAskOk, state.window.load(), GetText(928), GetText(929), g_master.boxRecord, g_master.ownerRecord);
  }
}

void CALLBACK RefreshLater(HWND window, UINT, UINT_PTR timer, DWORD) {
  KillTimer(window, timer);
  DialogState& state = Self().state;
  if (state.window.load() == window) Refresh(state, false);
}

// What an action did to the list.
void AfterAction(DialogState& state, ActionResult result) {
  if (result == ActionResult::Done) {
    if (HWND window = WindowOf(state))
      SetTimer(window, kRefreshTimer, kRefreshAfterActionMs, RefreshLater);
  }
  // A stale selection refreshed the list; a refused or failed one shows
  // the class the program really has.
  ShowList(state);
}

void OnRefresh(DialogState& state, int, int, Args) { Refresh(state, true); }


void OnAbout(DialogState&, int, int, Args) {
  RunAboutThis(kProgramMasterAboutRecord, kProgramMasterRecord, AboutThisTexts{926, 894, 925, 927});
}

void OnList(DialogState& state, int id, int notification, Args) {
  if (notification != kSelChanged) return;
  g_master.selected = DialogGetValue(state, id);
  ShowSelected(state);
}

void OnPriority(DialogState& state, int id, int notification, Args) {
  if (notification != kClicked) return;
  for (const PriorityButton& b : kPriorityButtons) {
    if (b.id != id) continue;
    g_master.owner = state.window.load();
    // The list shows the class the program has now, whatever was asked.
    ChangePriority(g_master, g_source, b.priorityClass);
    ShowList(state);
  }
}

void OnEnd(DialogState& state, int id, int, Args) {
  g_master.owner = state.window.load();
  AfterAction(state, EndSelected(g_master, g_source, id == IDC_PM_FRIENDLY));
}

void OnGetWindows(DialogState& state, int id, int, Args) { g_master.withWindows = DialogGetValue(state, id) != 0; }

// Before the window: a Windows the list can be read on, and the right to
// see other programs (asked for once per run).
bool MayOpen(Subprogram&) {
  const int family = g_process.windowsPlatform.load();
  if (family != kWindows9x && family != kWindowsNt) {
    PlayAlert();
    AskUser(kAskOk, nullptr, GetText(937), GetText(936), kProgramMasterBoxRecord, kProgramMasterRecord);
    return false;
  }
  if (family == kWindowsNt && !g_privilegeAsked && !HoldDebugPrivilege()) {
    PlayAlert();
    if (AskUser(kAskYesNo, nullptr, GetText(939), GetText(938), kProgramMasterBoxRecord, kProgramMasterRecord) !=
        kAnswerYes)
      return false;
  }
  g_privilegeAsked = true;
  return true;
}

void SetUp(Subprogram& self) {
  DialogState& state = self.state;
  g_source = SystemProcessSource(g_process.windowsPlatform.load());
  g_master.ownId = OwnProcessId();
  DialogSetCallback(state, IDC_PM_REFRESH, OnRefresh);
  CloseOnPress(state, IDC_PM_HIDE);
  DialogSetCallback(state, IDC_PM_ABOUT, OnAbout);
  DialogSetCallback(state, IDC_PM_LIST, OnList);
  for (const PriorityButton& b : kPriorityButtons) DialogSetCallback(state, b.id, OnPriority);
  DialogSetCallback(state, IDC_PM_FRIENDLY, OnEnd);
  DialogSetCallback(state, IDC_PM_UNFRIENDLY, OnEnd);
  DialogSetCallback(state, IDC_PM_GET_WINDOWS, OnGetWindows);
  DialogSetValue(state, IDC_PM_GET_WINDOWS, g_master.withWindows ? 1 : 0);
  DialogSet(state, IDC_PM_VERSION, g_process.windowsVersionText);
  // Ids are reused while the window is closed: the list is made anew.
  if (!RefreshList(g_master, g_source)) g_master.list.clear();
  ShowList(state);
}

}  // namespace

void InstallProgramMaster() {
  InstallWindow(kProgramMaster, kProgramMasterRecord, Texts(), {.setUp = SetUp});
  Self().mayOpen = MayOpen;
}

}  // namespace kst
