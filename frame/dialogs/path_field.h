// A path field with its drop-down list of the paths remembered for it.
#pragma once

#include <string>

#include "frame/dialogs/dialog.h"
#include "frame/settings/remembered_list.h"

namespace kst {

// Shows value in field id over list's entries: the value is shown by
// selecting it in the list, since the list's selection decides the
// field's text.
void ShowPathField(DialogState& state, int id, const RememberedList& list, const std::string& value);
// A path a run takes: remembered first in list, then shown in field id.
void RememberPathField(DialogState& state, int id, RememberedList& list, const std::string& value);

}  // namespace kst
