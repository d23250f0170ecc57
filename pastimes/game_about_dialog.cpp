#include "frame/dialogs/about_this_dialog.h"
#include "pastimes/pastimes_dialogs.h"
#include "resources/resource_ids.h"

namespace kst {

void RunGameAbout(int record, int ownerRecord, int titleText, int okText, int helpPage) {
  RunHelpPageBox(HelpPageBox{IDD_GAME_ABOUT, IDC_GA_TEXT, IDC_GA_OK, helpPage}, record, ownerRecord,
                 DialogTexts{titleText, {{IDC_GA_OK, okText, 0}}});
}

}  // namespace kst
