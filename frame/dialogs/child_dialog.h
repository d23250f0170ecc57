// A dialog opened from a window of the program: its template run on a
// record of its own, in the icon and colours of the window it belongs to.
#pragma once

#include <windows.h>

#include "frame/dialogs/dialog.h"

namespace kst {

// The state of a child dialog's record, one per record and bound for good:
// the Command Center looks at a subprogram's child records from its own
// thread at any time, so a record never points at a state that has gone.
DialogState& StateOfRecord(int record);

// Loads templateId into state, binds it to record, dresses it like
// ownerRecord and gives it texts. False, after the "dialog not found" box,
// when the template is missing.
bool OpenChildDialog(DialogState& state, int templateId, int record, int ownerRecord, DialogTexts texts);
// Runs the opened dialog modally and gives its record back; the value
// given to DialogExit, or -1 when the window could not be made.
int RunChildDialog(DialogState& state, int record);

// A press on control id closes the dialog with value.
void CloseOnPress(DialogState& state, int id, int value = 0);

}  // namespace kst
