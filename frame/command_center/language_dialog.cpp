// The language and configurations dialog (template 142): the language list
// with load, import and export, the Other Configurations (list size,
// buffer size, largest one-piece copy) and the shutdown override.
#include <windows.h>
#include <commdlg.h>

#include <cstring>

#include "frame/command_center/command_center_dialog.h"
#include "frame/command_center/configuration_values.h"
#include "frame/dialogs/child_dialog.h"
#include "frame/command_center/shutdown_override.h"
#include "frame/dialogs/file_dialogs_win32.h"
#include "frame/settings/settings.h"
#include "frame/texts/language_files.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "resources/resource_ids.h"

namespace kst {

namespace {

using Args = const std::vector<std::string>&;

// ---- language -------------------------------------------------------------

// The folder the program was started from, where its settings file is.
std::string ProgramFolder() {
  const std::string& path = AppSettings().settingsPath;
  size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

void ShowStatus(DialogState& state, int text) {
  DialogSet(state, IDC_LG_STATUS, text ? Trimmed(GetText(text)) : std::string());
  DialogFlush(state);
}

// The list shows entries 1..N: the built-in language and the files found.
void FillLanguageList(DialogState& state) {
  const std::vector<LanguageEntry>& list = LanguageList();
  std::vector<std::string> names;
  for (size_t i = 1; i < list.size(); ++i) {
    std::string name = Trimmed(list[i].name);
    names.push_back(name.empty() ? Trimmed(list[i].path) : name);
  }
  DialogSetItems(state, IDC_LG_LIST, names);
}

// The selected entry's details, and whether it can be loaded.
void ShowSelection(DialogState& state) {
  int selected = DialogGetValue(state, IDC_LG_LIST);
  const std::vector<LanguageEntry>& list = LanguageList();
  size_t index = static_cast<size_t>(selected) + 1;
  bool valid = selected >= 0 && index < list.size();
  DialogSet(state, IDC_LG_TRANSLATOR, valid ? Trimmed(list[index].translator) : std::string());
  DialogSet(state, IDC_LG_URL, valid ? Trimmed(list[index].url) : std::string());
  DialogSet(state, IDC_LG_FILE, valid ? Trimmed(list[index].path) : std::string());
  DialogSetEnabled(state, IDC_LG_LOAD, valid);
}

// The language now loaded, in its field; the status field is done.
void ShowCurrent(DialogState& state) {
  DialogSet(state, IDC_LG_CURRENT, Trimmed(LanguageList()[0].name));
  DialogSet(state, IDC_LG_STATUS, "");
  DialogFlush(state);
}

void OnSelect(DialogState& state, int, int, Args) {
  ShowSelection(state);
  DialogFlush(state);
}

void OnLoad(DialogState& state, int, int, Args) {
  int selected = DialogGetValue(state, IDC_LG_LIST);
  if (selected < 0) return;
  ShowStatus(state, 765);
  if (ChooseLanguage(static_cast<size_t>(selected) + 1, state.window.load())) RelabelOpenDialogs();
  RebuildFilters();
  ShowCurrent(state);
}

void OnImport(DialogState& state, int, int, Args) {
  ShowStatus(state, 766);
  std::string title = Trimmed(GetText(763)) + kLanguagePattern + ") ?";
  std::string folder = BrowseForFolder(state.window.load(), title);
  if (folder.empty()) folder = ProgramFolder();
  ScanLanguageFolder(folder);
  FillLanguageList(state);
  ShowSelection(state);
  ShowCurrent(state);
}

void OnExport(DialogState& state, int, int, Args) {
  ShowStatus(state, 767);
  std::string filter = Filters().languages;
  std::string folder = ProgramFolder();
  char file[MAX_PATH] = "";
  strcpy(file, kLanguagePattern);
  OPENFILENAMEA request;
  InitFileDialog(state.window.load(), request, filter.c_str(), file, sizeof file, folder.c_str(), nullptr,
                 OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR);
  if (GetSaveFileNameA(&request)) {
    std::string path = file;
    if (path != kLanguagePattern) ExportLanguageFile(path, state.window.load());
  } else {
    ReportDialogError();
  }
  ShowCurrent(state);
}

// ---- Other Configurations -------------------------------------------------

struct ConfigurationPair {
  int edit;
  int slider;
  const ConfigurationValue& rule;
  int32_t Settings::*value;
};

const ConfigurationPair kPairs[] = {
    {IDC_LG_LIST_EDIT, IDC_LG_LIST_SLIDER, kListSizesValue, &Settings::listSizes},
    {IDC_LG_BUFFER_EDIT, IDC_LG_BUFFER_SLIDER, kBuffSizeValue, &Settings::buffSize},
    {IDC_LG_MAXCOPY_EDIT, IDC_LG_MAXCOPY_SLIDER, kMaxSizeToCopyValue, &Settings::maxSizeToCopy},
};

const ConfigurationPair* PairOf(int id) {
  for (const ConfigurationPair& pair : kPairs)
    if (pair.edit == id || pair.slider == id) return &pair;
  return nullptr;
}

void OnSlider(DialogState& state, int id, int, Args) {
  const ConfigurationPair* pair = PairOf(id);
  if (!pair) return;
  int32_t value = ValueOfSlider(pair->rule, DialogGetValue(state, pair->slider));
  AppSettings().*(pair->value) = value;
  DialogSet(state, pair->edit, FieldOfValue(pair->rule, value));
  DialogFlush(state);
}

void OnField(DialogState& state, int id, int notification, Args) {
  const ConfigurationPair* pair = PairOf(id);
  if (!pair) return;
  std::string text = DialogGet(state, pair->edit);
  int32_t& stored = AppSettings().*(pair->value);
  if (notification == kTextChanged) {
    TypedValue typed = ValueOfTyped(pair->rule, text);
    stored = typed.value;
    if (typed.rewrite) DialogSet(state, pair->edit, FieldOfValue(pair->rule, stored));
    DialogSetValue(state, pair->slider, SliderOfValue(pair->rule, stored));
  } else if (notification == kFocusLost && FieldLeft(pair->rule, text, stored)) {
    DialogSet(state, pair->edit, FieldOfValue(pair->rule, stored));
  }
  DialogFlush(state);
}

void SetUpConfigurations(DialogState& state) {
  const Settings& settings = AppSettings();
  for (const ConfigurationPair& pair : kPairs) {
    // A value outside the range (from an edited settings file) stays as it
    // is until the user changes it; the slider stands at the range's end.
    int32_t value = settings.*(pair.value);
    DialogSetRange(state, pair.slider, SliderMinimum(pair.rule), SliderMaximum(pair.rule));
    DialogSetValue(state, pair.slider, SliderOfValue(pair.rule, value));
    DialogSet(state, pair.edit, FieldOfValue(pair.rule, value));
    DialogSetCallback(state, pair.edit, OnField);
    DialogSetCallback(state, pair.slider, OnSlider);
  }
}

}  // namespace

void RunLanguageDialog() {
  DialogTexts texts{521,
                    {{IDC_LG_LANGUAGE_GROUP, 757, 0},
                     {IDC_LG_LIST_LABEL, 522, 0},
                     {IDC_LG_LIST, 0, 564},
                     {IDC_LG_LOAD, 523, 565},
                     {IDC_LG_IMPORT, 524, 566},
                     {IDC_LG_EXPORT, 525, 567},
                     {IDC_LG_CLOSE, 526, 568},
                     {IDC_LG_TRANSLATOR_LABEL, 527, 0},
                     {IDC_LG_TRANSLATOR, 0, 569},
                     {IDC_LG_URL_LABEL, 528, 0},
                     {IDC_LG_URL, 0, 570},
                     {IDC_LG_FILE_LABEL, 529, 0},
                     {IDC_LG_FILE, 0, 571},
                     {IDC_LG_STATUS_LABEL, 758, 0},
                     {IDC_LG_CONFIG_GROUP, 873, 0},
                     {IDC_LG_LIST_SIZE_LABEL, 874, 0},
                     {IDC_LG_LIST_UNIT, 875, 0},
                     {IDC_LG_LIST_EDIT, 0, 882},
                     {IDC_LG_LIST_SLIDER, 0, 883},
                     {IDC_LG_BUFFER_LABEL, 876, 0},
                     {IDC_LG_BUFFER_UNIT, 877, 0},
                     {IDC_LG_BUFFER_EDIT, 0, 884},
                     {IDC_LG_BUFFER_SLIDER, 0, 885},
                     {IDC_LG_MAXCOPY_LABEL, 999, 0},
                     {IDC_LG_MAXCOPY_UNIT, 877, 0},
                     {IDC_LG_MAXCOPY_EDIT, 0, 1000},
                     {IDC_LG_MAXCOPY_SLIDER, 0, 1001},
                     {IDC_LG_NOTE, 878, 0},
                     {IDC_LG_NT_GROUP, 879, 0},
                     {IDC_LG_NT_TEXT, 880, 0},
                     {IDC_LG_SHUTDOWN, 881, 886}}};
  RunFromCommandCenter(IDD_LANGUAGE, texts, [](DialogState& state) {
    ScanLanguageFolder(ProgramFolder());
    FillLanguageList(state);
    ShowSelection(state);
    ShowCurrent(state);
    DialogSetCallback(state, IDC_LG_LIST, OnSelect);
    DialogSetCallback(state, IDC_LG_LOAD, OnLoad);
    DialogSetCallback(state, IDC_LG_IMPORT, OnImport);
    DialogSetCallback(state, IDC_LG_EXPORT, OnExport);
    DialogSetCallback(state, IDC_LG_SHUTDOWN,
                      [](DialogState& s, int, int, Args) { OverrideShutdown(s.window.load()); });
    CloseOnPress(state, IDC_LG_CLOSE);
    SetUpConfigurations(state);
  });
}

}  // namespace kst
