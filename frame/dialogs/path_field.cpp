#include "frame/dialogs/path_field.h"

namespace kst {

void ShowPathField(DialogState& state, int id, const RememberedList& list, const std::string& value) {
  ShownHistory shown = HistoryShowing(list, value);
  DialogSetItems(state, id, shown.entries);
  DialogSet(state, id, value);
  DialogSetValue(state, id, shown.selected);
}

void RememberPathField(DialogState& state, int id, RememberedList& list, const std::string& value) {
  RememberInList(list, value);
  ShowPathField(state, id, list, value);
}

}  // namespace kst
