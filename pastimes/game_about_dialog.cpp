#include <windows.h>

#include <string>
#include <vector>

#include "frame/dialogs/about_this_dialog.h"
#include "frame/dialogs/dialog.h"
#include "frame/dialogs/dialog_win32.h"
#include "frame/texts/texts.h"
#include "pastimes/pastimes_dialogs.h"
#include "resources/resource_ids.h"

namespace kst {

void RunGameAbout(int record, int ownerRecord, int titleText, int okText, int helpPage) {
  DialogState& state = StateOfRecord(record);
  if (state.templateId != -1) {
    BringWindowToFront(state.window.load());
    return;
  }
  if (!DialogInit(IDD_GAME_ABOUT, state)) {
    ShowDialogNotFound();
    return;
  }
  BindRecord(record, state);
  DressLikeOwner(record, ownerRecord);
  SetRecordTexts(record, DialogTexts{titleText, {{IDC_GA_OK, okText, 0}}});
  DialogPrepare(record);
  ApplyTexts(record);
  DialogSet(state, IDC_GA_TEXT, HelpPage(helpPage));
  DialogSetCallback(state, IDC_GA_OK,
                    [](DialogState& s, int, int, const std::vector<std::string>&) { DialogExit(s); });
  DialogRunModal(state, record);
  DialogUninit(state);
  DialogRelease(record);
}

}  // namespace kst
