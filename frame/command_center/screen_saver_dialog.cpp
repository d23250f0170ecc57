// The screen-saver dialog (template 143), opened when the Command Center's
// screen-saver toggle is switched on: which screen saver, its file, and
// which operations start it.
#include <windows.h>
#include <commdlg.h>

#include <cstring>

#include "frame/command_center/command_center_dialog.h"
#include "frame/command_center/screen_saver.h"
#include "frame/dialogs/ask.h"
#include "frame/dialogs/file_dialogs_win32.h"
#include "frame/platform/platform.h"
#include "frame/settings/settings.h"
#include "frame/texts/language_files.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "resources/resource_ids.h"

namespace kst {

namespace {

using Args = const std::vector<std::string>&;

constexpr int kChoiceButtons[3] = {IDC_SS_NONE, IDC_SS_SYSTEM, IDC_SS_FILE};
constexpr int kOperationBoxes[4] = {IDC_SS_SPLIT_OR_COPY, IDC_SS_COPY_OR_JOIN, IDC_SS_TEST_DISKS,
                                    IDC_SS_COMPARING};

// The last file name the user accepted: what a refused name gives way to.
std::string g_acceptedPath;

bool Acceptable(const std::string& path) {
  std::string trimmed = Trimmed(path);
  return trimmed.empty() || (HasScreenSaverName(trimmed) && plat::PathExists(trimmed));
}

// A path that names no screen-saver file is questioned: Yes brings the
// previous name back, No keeps this one.
void CheckChosenPath(DialogState& state) {
  std::string path = Trimmed(DialogGet(state, IDC_SS_PATH));
  if (path == g_acceptedPath) return;
  if (!Acceptable(path)) {
    PlayAlert();
    std::string message = Trimmed(GetText(790)) + " " + path + " " + Trimmed(GetText(791));
    int answer = AskUser(kAskYesNo, state.window.load(), GetText(789), message, 21, 1);
    if (answer == kAnswerYes) {
      DialogSet(state, IDC_SS_PATH, g_acceptedPath);
      DialogFlush(state);
      AppSettings().scrSaverC = g_acceptedPath;
      return;
    }
  }
  g_acceptedPath = path;
  AppSettings().scrSaverC = path;
}

void OnChoice(DialogState& state, int id, int, Args) {
  for (int i = 0; i < 3; ++i)
    if (kChoiceButtons[i] == id && DialogGetValue(state, id)) AppSettings().scrSaverI = i;
}

void OnPath(DialogState& state, int, int notification, Args) {
  if (notification == kTextChanged) AppSettings().scrSaverC = Trimmed(DialogGet(state, IDC_SS_PATH));
  if (notification == kFocusLost) CheckChosenPath(state);
}

void OnBrowse(DialogState& state, int, int, Args) {
  std::string filter = Filters().screenSavers;
  std::string title = Trimmed(GetText(798));
  char file[MAX_PATH] = "";
  std::string current = Trimmed(DialogGet(state, IDC_SS_PATH));
  if (current.size() < sizeof file) memcpy(file, current.c_str(), current.size() + 1);
  OPENFILENAMEA request;
  InitFileDialog(state.window.load(), request, filter.c_str(), file, sizeof file, nullptr, title.c_str(),
                 OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR);
  if (!GetOpenFileNameA(&request)) {
    ReportDialogError();
    return;
  }
  DialogSet(state, IDC_SS_PATH, file);
  DialogFlush(state);
  CheckChosenPath(state);
}

void OnTest(DialogState&, int, int, Args) { RunScreenSaver(kScreenSaverTest); }

void OnConfigure(DialogState& state, int, int, Args) {
  std::string path = Trimmed(DialogGet(state, IDC_SS_PATH));
  if (!path.empty()) ConfigureScreenSaver(path);
}

void OnOperation(DialogState& state, int id, int, Args) {
  for (int i = 0; i < 4; ++i)
    if (kOperationBoxes[i] == id) AppSettings().scrSaverL[static_cast<size_t>(i)] = DialogGetValue(state, id) ? 1 : 0;
}

// Esc closes the dialog without leaving the path field: check it here too.
void OnDone(DialogState& state, int, int, Args) {
  CheckChosenPath(state);
  DialogExit(state);
}

}  // namespace

void RunScreenSaverDialog() {
  DialogTexts texts{776,
                    {{IDC_SS_NONE, 777, 783},
                     {IDC_SS_SYSTEM, 778, 784},
                     {IDC_SS_FILE, 779, 785},
                     {IDC_SS_PATH, 0, 787},
                     {IDC_SS_BROWSE, 780, 786},
                     {IDC_SS_TEST, 793, 813},
                     {IDC_SS_CONFIGURE, 814, 815},
                     {IDC_SS_OPERATIONS_GROUP, 781, 0},
                     {IDC_SS_SPLIT_OR_COPY, 794, 0},
                     {IDC_SS_COPY_OR_JOIN, 795, 0},
                     {IDC_SS_TEST_DISKS, 796, 0},
                     {IDC_SS_COMPARING, 797, 0},
                     {IDC_SS_DONE, 782, 788}}};
  RunFromCommandCenter(IDD_SCREEN_SAVER, texts, [](DialogState& state) {
    const Settings& settings = AppSettings();
    g_acceptedPath = Trimmed(settings.scrSaverC);
    for (int i = 0; i < 3; ++i) {
      DialogSetValue(state, kChoiceButtons[i], settings.scrSaverI == i ? 1 : 0);
      DialogSetCallback(state, kChoiceButtons[i], OnChoice);
    }
    for (int i = 0; i < 4; ++i) {
      DialogSetValue(state, kOperationBoxes[i], settings.scrSaverL[static_cast<size_t>(i)] ? 1 : 0);
      DialogSetCallback(state, kOperationBoxes[i], OnOperation);
    }
    DialogSet(state, IDC_SS_PATH, g_acceptedPath);
    DialogSetCallback(state, IDC_SS_PATH, OnPath);
    DialogSetCallback(state, IDC_SS_BROWSE, OnBrowse);
    DialogSetCallback(state, IDC_SS_TEST, OnTest);
    DialogSetCallback(state, IDC_SS_CONFIGURE, OnConfigure);
    DialogSetCallback(state, IDC_SS_DONE, OnDone);
  });
}

}  // namespace kst
