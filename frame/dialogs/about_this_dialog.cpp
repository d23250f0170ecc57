#include "frame/dialogs/about_this_dialog.h"

#include <windows.h>

#include <string>
#include <vector>

#include "frame/dialogs/dialog.h"
#include "frame/dialogs/dialog_win32.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "resources/resource_ids.h"

namespace kst {

// One state per record, bound for good: the Command Center looks at a
// subprogram's child records from its own thread at any time, so the
// record must never point at a state that has gone.
DialogState& StateOfRecord(int record) {
  static DialogState states[kRecordCount + 1];
  return states[record >= 1 && record <= kRecordCount ? record : 0];
}

namespace {

void OnOk(DialogState& state, int, int, const std::vector<std::string>&) { DialogExit(state); }

}  // namespace

void RunAboutThis(int record, int ownerRecord, const AboutThisTexts& texts) {
  DialogState& state = StateOfRecord(record);
  if (state.templateId != -1) {
    BringWindowToFront(state.window.load());
    return;
  }
  if (!DialogInit(IDD_ABOUT_THIS, state)) {
    ShowDialogNotFound();
    return;
  }
  BindRecord(record, state);
  DressLikeOwner(record, ownerRecord);
  SetRecordTexts(record, DialogTexts{texts.title,
                                     {{IDC_AT_HEADING, texts.heading, 0},
                                      {IDC_AT_OK, texts.okButton, 0}}});
  DialogPrepare(record);
  ApplyTexts(record);
  DialogSet(state, IDC_AT_TEXT, HelpPage(texts.helpPage));
  DialogSetCallback(state, IDC_AT_OK, OnOk);
  DialogRunModal(state, record);
  DialogUninit(state);
  DialogRelease(record);
}

}  // namespace kst
