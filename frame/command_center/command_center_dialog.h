// The Command Center (template 101, record 1): the program's main window on
// slot 1, with a toggle and a Show button per subprogram and the program's
// options; and the dialogs opened from it (About, colour picker, language
// and configurations, screen saver), which take turns on record 2.
#pragma once

#include <functional>

#include "frame/dialogs/dialog.h"

namespace kst {

// Start-up step 13: loads template 101 into record 1, sets its texts,
// routines, toggles and options from the settings, the sound mode, the
// icon and the dialog font, and installs the slot hooks. False when the
// template is missing.
bool PrepareCommandCenter();
// Runs the Command Center until the user has confirmed the exit.
void RunCommandCenter();
DialogState& CommandCenterState();

// Runs a dialog opened from the Command Center on record 2, modally on the
// calling thread: its texts, then setUp attaches routines and values. Only
// one at a time: while one is open, asking for another brings the open
// one forward. False when it did not open.
bool RunFromCommandCenter(int templateId, DialogTexts texts,
                          const std::function<void(DialogState& state)>& setUp);
// The dialog open on record 2 (its window is null while none is open).
DialogState& CommandCenterChild();

// Sets the title, labels and tooltips of every open dialog again from the
// text table, after a language change.
void RelabelOpenDialogs();

// The dialogs opened from the Command Center's buttons.
void RunAboutDialog();
void RunColourPicker();
void RunLanguageDialog();
void RunScreenSaverDialog();
// The platform's font chooser; on OK the dialog font is made again.
void ChooseDialogFont();
// Makes the dialog font from the font settings (none while no face is chosen).
void CreateDialogFont();

}  // namespace kst
