#include "restore/select_files_dialog.h"

#include <windows.h>

#include <string>

#include "frame/dialog.h"
#include "frame/dialog_win32.h"
#include "frame/settings.h"
#include "frame/text_numbers.h"
#include "frame/texts.h"
#include "resources/resource_ids.h"

namespace kst {

namespace {

using Args = const std::vector<std::string>&;

DialogState g_state;
std::vector<OriginFile>* g_files = nullptr;

HWND ListOf(DialogState& state) { return GetDlgItem(static_cast<HWND>(state.window.load()), IDC_SF_LIST); }

// The rows picked in the list box, read on the dialog's own thread.
void TakePicks(DialogState& state) {
  HWND box = ListOf(state);
  for (size_t i = 0; i < g_files->size(); ++i)
    (*g_files)[i].selected = box && SendMessageA(box, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0;
}

void SelectAll(DialogState& state) {
  if (HWND box = ListOf(state)) PostMessageA(box, LB_SETSEL, TRUE, -1);
}

}  // namespace

bool RunSelectFiles(std::vector<OriginFile>* files, int record, int ownerRecord) {
  DialogState& state = g_state;
  if (!DialogInit(IDD_SELECT_FILES, state)) {
    ShowDialogNotFound();
    return false;
  }
  g_files = files;
  BindRecord(record, state);
  DressLikeOwner(record, ownerRecord);
  SetRecordTexts(record, DialogTexts{336,
                                     {{IDC_SF_LIST_LABEL, 332, 0},
                                      {IDC_SF_COUNT_LABEL, 333, 0},
                                      {IDC_SF_COPY_ALL, 269, 708},
                                      {IDC_SF_COPY, 329, 719},
                                      {IDC_SF_ABORT, 330, 720}}});
  DialogPrepare(record);
  ApplyTexts(record);
  std::vector<std::string> rows;
  int64_t total = 0;
  for (const OriginFile& f : *files) {
    rows.push_back(f.path + " -- " + std::to_string(f.size));
    total += f.size;
  }
  if (rows.empty()) rows.push_back(Trimmed(GetText(352)));
  DialogSetItems(state, IDC_SF_LIST, rows);
  DialogSet(state, IDC_SF_COUNT, std::to_string(files->size()));
  DialogSet(state, IDC_SF_TOTAL, std::to_string(total));
  DialogSetValue(state, IDC_SF_COPY_ALL, 0);
  DialogSetEnabled(state, IDC_SF_COPY, !files->empty());
  DialogSetCallback(state, IDC_SF_COPY_ALL, [](DialogState& s, int id, int, Args) {
    const bool all = DialogGetValue(s, id) != 0;
    AppSettings().rCopyAll = all;
    if (all) SelectAll(s);
  });
  DialogSetCallback(state, IDC_SF_COPY, [](DialogState& s, int, int, Args) {
    TakePicks(s);
    DialogExit(s, 100);
  });
  DialogSetCallback(state, IDC_SF_ABORT, [](DialogState& s, int, int, Args) { DialogExit(s, 0); });
  const int value = DialogRunModal(state, record);
  DialogUninit(state);
  DialogRelease(record);
  g_files = nullptr;
  return value == 100;
}

}  // namespace kst
