#include "restore/select_files_dialog.h"

#include <windows.h>

#include <string>

#include "backup/run_settings.h"
#include "frame/dialogs/ask.h"
#include "frame/dialogs/child_dialog.h"
#include "frame/dialogs/dialog.h"
#include "frame/dialogs/dialog_win32.h"
#include "frame/dialogs/file_dialogs_win32.h"
#include "frame/settings/settings.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "resources/resource_ids.h"

namespace kst {

namespace {

using Args = const std::vector<std::string>&;

DialogState g_state;
std::vector<OriginFile>* g_files = nullptr;
std::string* g_origin = nullptr;
int g_record = 0, g_boxRecord = 0;

HWND ListOf(DialogState& state) { return GetDlgItem(WindowOf(state), IDC_SF_LIST); }

// The rows picked in the list box, read on the dialog's own thread.
void TakePicks(DialogState& state) {
  HWND box = ListOf(state);
  for (size_t i = 0; i < g_files->size(); ++i)
    (*g_files)[i].selected = box && SendMessageA(box, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0;
}

void SelectAll(DialogState& state) {
  if (HWND box = ListOf(state)) PostMessageA(box, LB_SETSEL, TRUE, -1);
}

// "C&opy" wants something to copy, or Copy All.
void EnableCopy(DialogState& state) {
  DialogSetEnabled(state, IDC_SF_COPY, !g_files->empty() || DialogGetValue(state, IDC_SF_COPY_ALL) != 0);
  DialogFlush(state);
}

// The origin's files, their count and total.
void ShowFiles(DialogState& state) {
  std::vector<std::string> rows;
  int64_t total = 0;
  for (const OriginFile& f : *g_files) {
    rows.push_back(f.path + " -- " + std::to_string(f.size));
    total += f.size;
  }
  if (rows.empty()) rows.push_back(Trimmed(GetText(352)));
  DialogSetItems(state, IDC_SF_LIST, rows);
  DialogSet(state, IDC_SF_COUNT, std::to_string(g_files->size()));
  DialogSet(state, IDC_SF_TOTAL, std::to_string(total));
  DialogSet(state, IDC_SF_ORIGIN, *g_origin);
  EnableCopy(state);
  if (DialogGetValue(state, IDC_SF_COPY_ALL) != 0) SelectAll(state);
}

void Relist(DialogState& state) {
  *g_files = ListOriginFiles(*g_origin);
  ShowFiles(state);
}

// Another origin: a folder on a removable disk or a CD, as the window's
// own "Bro&wse" takes it.
void OnBrowse(DialogState& state, int, int, Args) {
  const std::string folder = BrowseForFolder(state.window.load(), GetText(351));
  if (folder.empty()) return;
  const UINT type = GetDriveTypeA(DriveRoot(folder).c_str());
  if (type != DRIVE_REMOVABLE && type != DRIVE_CDROM) {
    PlayAlert();
    AskUser(kAskOk, state.window.load(), GetText(285), GetText(286), g_boxRecord, g_record);
    return;
  }
  *g_origin = OneBackslash(folder);
  Relist(state);
}

}  // namespace

bool RunSelectFiles(std::string* origin, std::vector<OriginFile>* files, int record, int ownerRecord,
                    int boxRecord) {
  DialogState& state = g_state;
  const DialogTexts texts{336,
                          {{IDC_SF_LIST_LABEL, 332, 0},
                           {IDC_SF_COUNT_LABEL, 333, 0},
                           {IDC_SF_COPY_ALL, 269, 708},
                           {IDC_SF_ORIGIN_LABEL, 334, 0},
                           {IDC_SF_BROWSE, 335, 0},
                           {IDC_SF_COPY, 329, 719},
                           {IDC_SF_REFRESH, 331, 0},
                           {IDC_SF_ABORT, 330, 720}}};
  if (!OpenChildDialog(state, IDD_SELECT_FILES, record, ownerRecord, texts)) return false;
  g_files = files;
  g_origin = origin;
  g_record = record;
  g_boxRecord = boxRecord;
  DialogSetValue(state, IDC_SF_COPY_ALL, 0);
  ShowFiles(state);
  DialogSetCallback(state, IDC_SF_COPY_ALL, [](DialogState& s, int id, int, Args) {
    const bool all = DialogGetValue(s, id) != 0;
    AppSettings().rCopyAll = all;
    if (all) SelectAll(s);
    EnableCopy(s);
  });
  DialogSetCallback(state, IDC_SF_BROWSE, OnBrowse);
  DialogSetCallback(state, IDC_SF_REFRESH, [](DialogState& s, int, int, Args) { Relist(s); });
  DialogSetCallback(state, IDC_SF_COPY, [](DialogState& s, int, int, Args) {
    TakePicks(s);
    DialogExit(s, 100);
  });
  CloseOnPress(state, IDC_SF_ABORT);
  const int value = RunChildDialog(state, record);
  g_files = nullptr;
  g_origin = nullptr;
  return value == 100;
}

}  // namespace kst
