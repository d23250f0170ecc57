// The colour picker (template 141): the twelve dialogs in the picker's
// order, and the platform's colour chooser for each of their three colours.
#include <windows.h>
#include <commdlg.h>

#include "frame/command_center/colours.h"
#include "frame/command_center/command_center_dialog.h"
#include "frame/dialogs/child_dialog.h"
#include "frame/dialogs/dialog_win32.h"
#include "frame/dialogs/file_dialogs_win32.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "resources/resource_ids.h"

namespace kst {

namespace {

using Args = const std::vector<std::string>&;

// The colour of an entry that a button changes.
uint32_t& ColourOfButton(Colours& colours, int id) {
  if (id == IDC_CP_TEXT) return colours.text;
  if (id == IDC_CP_TEXT_BACK) return colours.textBackground;
  return colours.background;
}

void OnColourButton(DialogState& state, int id, int, Args) {
  int entry = ColourEntryOfPickerPosition(DialogGetValue(state, IDC_CP_LIST));
  if (!entry) return;
  Colours& colours = ColourEntry(entry);
  uint32_t& colour = ColourOfButton(colours, id);
  // The dialog's own three colours are offered as the custom colours.
  COLORREF custom[16] = {colours.text, colours.textBackground, colours.background};
  for (int i = 3; i < 16; ++i) custom[i] = RGB(255, 255, 255);
  HWND window = WindowOf(state);
  CHOOSECOLORA request = {};
  request.lStructSize = sizeof request;
  request.hwndOwner = window;
  request.rgbResult = colour;
  request.lpCustColors = custom;
  request.Flags = CC_RGBINIT | CC_FULLOPEN;
  if (!ChooseColorA(&request)) {
    ReportDialogError();
    return;
  }
  colour = request.rgbResult;
  CopyColoursToRecords();
  RebuildBrushes();
  UpdateTooltipColours();
  if (Colouring().load() && window) {
    // Once maximised and restored, the picker repaints in its new colours.
    ShowWindow(window, SW_MAXIMIZE);
    ShowWindow(window, SW_RESTORE);
  }
}

}  // namespace

void RunColourPicker() {
  DialogTexts texts{515,
                    {{IDC_CP_LIST_LABEL, 517, 0},
                     {IDC_CP_LIST, 0, 559},
                     {IDC_CP_TEXT, 518, 560},
                     {IDC_CP_TEXT_BACK, 519, 561},
                     {IDC_CP_BACK, 520, 562},
                     {IDC_CP_CLOSE, 516, 563}}};
  RunFromCommandCenter(IDD_COLOUR_PICKER, texts, [](DialogState& state) {
    std::vector<std::string> names;
    for (int position = 0; position < kColourEntries; ++position)
      names.push_back(Trimmed(GetText(PickerNameText(position))));
    DialogSetItems(state, IDC_CP_LIST, names);
    DialogSetValue(state, IDC_CP_LIST, 0);
    for (int id : {IDC_CP_TEXT, IDC_CP_TEXT_BACK, IDC_CP_BACK}) DialogSetCallback(state, id, OnColourButton);
    CloseOnPress(state, IDC_CP_CLOSE);
  });
}

}  // namespace kst
