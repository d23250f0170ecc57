// Start-up and exit of Kestrova (slot 1). The portable part fills the
// text table, reads the settings and applies them to the dialog records;
// the window part (startup_dialog_win32.cpp) shows the start-up dialog;
// app/ starts the worker threads, runs the Command Center and ends the process.
#pragma once

#include "frame/settings/settings.h"

namespace kst {

// Start-up steps 7 to 12: built-in texts, settings (defaults, then the
// file), the language file, slot names, the Windows version. progress is
// told 1 after the defaults and 2 after the slot names.
void LoadProgramState(Settings& settings, void (*progress)(int step) = nullptr);

// Copies window places, on-top flags, colours, the colouring switch and
// the sound mode from the settings into the dialog records and the frame.
void ApplySettingsToFrame(const Settings& settings);
// The reverse, before the settings are written at exit.
void CollectFrameIntoSettings(Settings& settings);

// The start-up dialog: shown on a thread of its own, told each step (its
// bar goes to 5), closed if it is still shown (the exit may come first).
void ShowStartUpDialog();
void ShowStartUpProgress(int step);
void CloseStartUpDialog();

}  // namespace kst
