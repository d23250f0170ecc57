#include "frame/dialogs/about_this_dialog.h"

#include <windows.h>

#include <utility>

#include "frame/dialogs/child_dialog.h"
#include "frame/dialogs/dialog.h"
#include "frame/dialogs/dialog_win32.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "resources/resource_ids.h"

namespace kst {

void RunHelpPageBox(const HelpPageBox& box, int record, int ownerRecord, DialogTexts texts) {
  DialogState& state = StateOfRecord(record);
  if (state.templateId != -1) {
    BringWindowToFront(state.window.load());
    return;
  }
  if (!OpenChildDialog(state, box.templateId, record, ownerRecord, std::move(texts))) return;
  DialogSet(state, box.pageField, HelpPage(box.helpPage));
  CloseOnPress(state, box.okButton);
  RunChildDialog(state, record);
}

void RunAboutThis(int record, int ownerRecord, const AboutThisTexts& texts) {
  RunHelpPageBox(HelpPageBox{IDD_ABOUT_THIS, IDC_AT_TEXT, IDC_AT_OK, texts.helpPage}, record, ownerRecord,
                 DialogTexts{texts.title, {{IDC_AT_HEADING, texts.heading, 0}, {IDC_AT_OK, texts.okButton, 0}}});
}

}  // namespace kst
