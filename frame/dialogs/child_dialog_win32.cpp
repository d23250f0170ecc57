#include "frame/dialogs/child_dialog.h"

#include <string>
#include <utility>
#include <vector>

#include "frame/dialogs/dialog_win32.h"

namespace kst {

DialogState& StateOfRecord(int record) {
  static DialogState states[kRecordCount + 1];
  return states[record >= 1 && record <= kRecordCount ? record : 0];
}

bool OpenChildDialog(DialogState& state, int templateId, int record, int ownerRecord, DialogTexts texts) {
  if (!DialogInit(templateId, state)) {
    ShowDialogNotFound();
    return false;
  }
  BindRecord(record, state);
  DressLikeOwner(record, ownerRecord);
  SetRecordTexts(record, std::move(texts));
  DialogPrepare(record);
  ApplyTexts(record);
  return true;
}

int RunChildDialog(DialogState& state, int record) {
  const int value = DialogRunModal(state, record);
  DialogUninit(state);
  DialogRelease(record);
  return value;
}

void CloseOnPress(DialogState& state, int id, int value) {
  DialogSetCallback(state, id,
                    [value](DialogState& s, int, int, const std::vector<std::string>&) { DialogExit(s, value); });
}

}  // namespace kst
