#include "backup/transport_list_dialog.h"

#include <windows.h>

#include <string>
#include <vector>

#include "backup/list_checks.h"
#include "frame/dialogs/child_dialog.h"
#include "frame/dialogs/dialog.h"
#include "frame/dialogs/dialog_win32.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "resources/resource_ids.h"

namespace kst {

namespace {

using Args = const std::vector<std::string>&;

// Both dialogs run on the Main thread, one inside the other.
DialogState g_listState;
DialogState g_splitState;

// What the open dialogs work on.
struct Open {
  TransportList* list = nullptr;
  const std::atomic<bool>* runGoing = nullptr;
  MessageOwner owner;
  int record = 0, splitRecord = 0;
  size_t file = 0;  // the file whose splits the split list shows
};
Open g_open;

std::string Number(int64_t value) { return std::to_string(value); }

MessageOwner OwnerOf(DialogState& state) {
  return MessageOwner{state.window.load(), g_open.owner.boxRecord, g_open.owner.ownerRecord};
}

// Selects rows again after the list box was filled anew.
void Reselect(DialogState& state, int id, const std::vector<size_t>& rows) {
  HWND list = GetDlgItem(WindowOf(state), id);
  if (!list) return;
  for (size_t row : rows) SendMessageA(list, LB_SETSEL, TRUE, static_cast<LPARAM>(row));
}

void ShowRows(DialogState& state) {
  TransportList& list = *g_open.list;
  DialogSetItems(state, IDC_TL_LIST, FileRows(list));
  int64_t files, total, done;
  {
    std::lock_guard<std::mutex> lock(list.mutex);
    files = static_cast<int64_t>(list.image.entries.size());
    total = list.totalSize;
    done = list.totalDone;
  }
  DialogSet(state, IDC_TL_FILES, Number(files));
  DialogSet(state, IDC_TL_TOTAL, Number(total));
  DialogSet(state, IDC_TL_DONE, Number(done));
  DialogFlush(state);
}

void ShowSelected(DialogState& state) {
  DialogSet(state, IDC_TL_SELECTED, Number(SelectedTotal(*g_open.list, SelectedRows(state, IDC_TL_LIST))));
  DialogFlush(state);
}

bool MayChange(DialogState& state) { return ListMayChange(g_open.runGoing->load(), OwnerOf(state)); }

// ---- the split list ---------------------------------------------------------

void ShowSplits(DialogState& state) {
  std::vector<std::string> rows = SplitRows(*g_open.list, g_open.file);
  DialogSetItems(state, IDC_SL_LIST, rows);
  DialogSet(state, IDC_SL_COUNT, Number(static_cast<int64_t>(rows.size())));
  DialogFlush(state);
}

void OnSplitToggle(DialogState& state, int id, int, Args) {
  if (!MayChange(state)) return;
  std::vector<size_t> rows = SelectedRows(state, IDC_SL_LIST);
  if (!SomethingSelected(rows, OwnerOf(state))) return;
  if (id == IDC_SL_TOGGLE_COPIED)
    ToggleSplitCopied(*g_open.list, g_open.file, rows);
  else
    ToggleSplitSafe(*g_open.list, g_open.file, rows);
  ShowSplits(state);
  Reselect(state, IDC_SL_LIST, rows);
}

void OnKill(DialogState& state, int, int, Args) {
  if (!MayChange(state)) return;
  std::vector<size_t> rows = SelectedRows(state, IDC_SL_LIST);
  if (!SomethingSelected(rows, OwnerOf(state)) || !ConfirmKillSplits(OwnerOf(state))) return;
  KillSplitsFrom(*g_open.list, g_open.file, rows.front());
  ShowSplits(state);
}

void RunSplitList(const std::string& path) {
  DialogState& state = g_splitState;
  const int record = g_open.splitRecord;
  const DialogTexts texts{152,
                          {{IDC_SL_FILE_LABEL, 174, 0},
                           {IDC_SL_COUNT_LABEL, 175, 0},
                           {IDC_SL_HEADING, 176, 0},
                           {IDC_SL_LIST, 0, 651},
                           {IDC_SL_TOGGLE_COPIED, 177, 652},
                           {IDC_SL_TOGGLE_SAFE, 178, 653},
                           {IDC_SL_KILL, 179, 654},
                           {IDC_LD_CLOSE, 146, 649}}};
  if (!OpenChildDialog(state, IDD_SPLIT_LIST, record, g_open.record, texts)) return;
  DialogSet(state, IDC_SL_FILE, path);
  DialogSetCallback(state, IDC_SL_TOGGLE_COPIED, OnSplitToggle);
  DialogSetCallback(state, IDC_SL_TOGGLE_SAFE, OnSplitToggle);
  DialogSetCallback(state, IDC_SL_KILL, OnKill);
  CloseOnPress(state, IDC_LD_CLOSE);
  ShowSplits(state);
  RunChildDialog(state, record);
}

// ---- the list dialog --------------------------------------------------------

void OnToggleDone(DialogState& state, int, int, Args) {
  if (!MayChange(state)) return;
  std::vector<size_t> rows = SelectedRows(state, IDC_TL_LIST);
  if (!SomethingSelected(rows, OwnerOf(state))) return;
  ToggleDone(*g_open.list, rows);
  ShowRows(state);
  Reselect(state, IDC_TL_LIST, rows);
  ShowSelected(state);
}

void OnViewSplits(DialogState& state, int, int, Args) {
  if (!MayChange(state)) return;
  std::vector<size_t> rows = SelectedRows(state, IDC_TL_LIST);
  if (!SomethingSelected(rows, OwnerOf(state))) return;
  ListImage image = Snapshot(*g_open.list);
  if (rows.front() >= image.entries.size()) return;
  g_open.file = rows.front();
  RunSplitList(Trimmed(image.entries[rows.front()].path));
  ShowRows(state);
  Reselect(state, IDC_TL_LIST, rows);
}

}  // namespace

void RunListDialog(TransportList& list, const std::atomic<bool>& runGoing, const MessageOwner& owner,
                   int record, int splitRecord) {
  g_open = Open{&list, &runGoing, owner, record, splitRecord, 0};
  DialogState& state = g_listState;
  const DialogTexts texts{151,
                          {{IDC_TL_HEADING, 109, 0},
                           {IDC_TL_LIST, 0, 637},
                           {IDC_TL_FILES_LABEL, 147, 0},
                           {IDC_TL_TOTAL_LABEL, 148, 0},
                           {IDC_TL_DONE_LABEL, 149, 0},
                           {IDC_TL_SELECTED_LABEL, 150, 0},
                           {IDC_TL_SELECTED, 0, 650},
                           {IDC_TL_TOGGLE_DONE, 186, 638},
                           {IDC_TL_VIEW_SPLITS, 135, 639},
                           {IDC_LD_CLOSE, 146, 649}}};
  if (!OpenChildDialog(state, IDD_TRANSPORT_LIST, record, owner.ownerRecord, texts)) return;
  DialogSetCallback(state, IDC_TL_LIST, [](DialogState& s, int, int notification, Args) {
    if (notification == kSelChanged) ShowSelected(s);
  });
  DialogSetCallback(state, IDC_TL_TOGGLE_DONE, OnToggleDone);
  DialogSetCallback(state, IDC_TL_VIEW_SPLITS, OnViewSplits);
  CloseOnPress(state, IDC_LD_CLOSE);
  DialogSet(state, IDC_TL_SELECTED, "0");
  ShowRows(state);
  RunChildDialog(state, record);
}

}  // namespace kst
