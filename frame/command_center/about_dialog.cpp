// About Kestrova (template 107): text 43 and the program's help page in a
// read-only field, and an OK button with a long label.
#include "frame/command_center/command_center_dialog.h"
#include "frame/dialogs/child_dialog.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "resources/resource_ids.h"

namespace kst {

void RunAboutDialog() {
  DialogTexts texts{41, {{IDC_ABOUT_OK, 42, 0}}};
  RunFromCommandCenter(IDD_ABOUT_KESTROVA, texts, [](DialogState& state) {
    DialogSet(state, IDC_ABOUT_TEXT, Trimmed(FullText(43)) + "\r\n\r\n" + HelpPage(1));
    CloseOnPress(state, IDC_ABOUT_OK);
  });
}

}  // namespace kst
