// The main list of the Copy &/Or Join window: its rows and totals, and
// the files the person adds, drops, removes or joins by hand.
#include <windows.h>
#include <commdlg.h>

#include <cstring>
#include <string>
#include <vector>

#include "frame/dialogs/ask.h"
#include "frame/dialogs/dialog.h"
#include "frame/dialogs/dialog_win32.h"
#include "frame/dialogs/file_dialogs_win32.h"
#include "frame/files/folders.h"
#include "frame/settings/settings.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "resources/resource_ids.h"
#include "restore/copy_or_join_window.h"
#include "restore/join_splits_dialog.h"
#include "restore/restore_list.h"

namespace kst::copy_join {

void ShowList(DialogState& state) {
  DialogSetItems(state, IDC_CJ_LIST, RecordRows(List()));
  const RestoreTotals totals = Totals(List());
  DialogSet(state, IDC_CJ_TOTAL, std::to_string(totals.grandTotal));
  DialogSet(state, IDC_CJ_FILES, std::to_string(totals.fileCount));
  DialogFlush(state);
  if (HWND list = GetDlgItem(WindowOf(state), IDC_CJ_LIST)) {
    PostMessageA(list, LB_SETHORIZONTALEXTENT, 0, 0);
    PostMessageA(list, LB_SETHORIZONTALEXTENT, 4000, 0);
  }
}

namespace {

// The ids of the records selected in the list, read on the window's thread.
std::vector<int> SelectedIds(DialogState& state) {
  std::vector<int> ids;
  const std::vector<size_t> rows = SelectedRows(state, IDC_CJ_LIST);
  if (rows.empty()) return ids;
  RestoreList& list = List();
  std::lock_guard<std::mutex> lock(list.mutex);
  for (size_t row : rows)
    if (row < list.records.size()) ids.push_back(list.records[row].id);
  return ids;
}

void Add(DialogState& state, const std::vector<std::string>& paths) {
  const AutoJoinOptions options{AppSettings().rAutoJoin, AppSettings().rAutoJoinDel};
  for (const std::string& path : CheckFilesFirst(paths)) {  // sums read before a join
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const int64_t size = (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (size <= 0) continue;
    const AddResult added = AddToRestoreList(List(), {path, "", size, AddSource::User}, options, MainOwner(state));
    if (added.full) break;
    if (added.joinNow) RequestJoin(Queue(), {added.recordId, added.deleteSplits, false});
  }
  ShowList(state);
  WakeJoining(state);
}

}  // namespace

void OnAdd(DialogState& state, int, int, Args) {
  {
    std::lock_guard<std::mutex> lock(g_phases.mutex);
    if (g_phases.join != Phase::Idle) {  // the join's pause button
      g_phases.join = TogglePause(Self().extraJob) ? Phase::Paused : Phase::Running;
      ShowPhasesLocked(state);
      return;
    }
  }
  std::vector<std::string> paths;
  if (!ChooseFilesToOpen(state.window.load(), Trimmed(GetText(290)), kAddBufferSize, OneBackslash, &paths)) {
    if (CommDlgExtendedError() != 0) {
      PlayAlert();
      AskUser(kAskOk, state.window.load(), GetText(291), GetText(292), kRecords.mainBox, kRecords.window);
    }
    return;
  }
  Add(state, paths);
}

namespace {

// Whether the drop being handled (the cursor where the shell posted it)
// landed on the group of control id.
bool DroppedOn(DialogState& state, int id) {
  HWND group = GetDlgItem(WindowOf(state), id);
  RECT area;
  const DWORD at = GetMessagePos();
  const POINT point{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
  return group && GetWindowRect(group, &area) && PtInRect(&area, point);
}

// A dropped folder, or the folder of a dropped file.
std::string FolderOfDrop(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return "";
  return OneBackslash((attributes & FILE_ATTRIBUTE_DIRECTORY) ? path : FolderOf(path));
}

}  // namespace

void OnDrop(DialogState& state, int, int notification, Args dropped) {
  if (notification != kDropped || JoinShown() || dropped.empty()) return;
  for (int group : {IDC_CJ_DEST_GROUP, IDC_CJ_ORIGIN_GROUP}) {
    if (!DroppedOn(state, group)) continue;
    const std::string folder = FolderOfDrop(dropped.front());
    if (!folder.empty()) TakeFolder(state, group == IDC_CJ_ORIGIN_GROUP, folder);
    return;
  }
  Add(state, dropped);
}

void OnRemove(DialogState& state, int, int, Args) {
  for (int id : SelectedIds(state)) RemoveRecord(List(), id, MainOwner(state));
  ShowList(state);
}

void OnView(DialogState& state, int, int, Args) {
  if (JoinShown()) {  // the join's Abort
    AskToAbort(Self().extraJob, state.window.load(), 34, kRecords.mainBox, kRecords.window);
    return;
  }
  if (g_childOpen) return;
  const std::vector<int> ids = SelectedIds(state);
  if (ids.empty()) return;
  g_childOpen = true;
  const bool queued = RunJoinSplits(List(), Queue(), ids.front(), kSplitListRecord, MainOwner(state));
  g_childOpen = false;
  ShowList(state);
  if (queued) WakeJoining(state);
}

}  // namespace kst::copy_join
