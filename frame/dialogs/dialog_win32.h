// Pieces of the Win32 dialog machinery shared by its files.
#pragma once

#include <windows.h>

#include "frame/dialogs/dialog.h"

namespace kst {

// Private messages of the window procedure.
constexpr UINT kMsgFlush = WM_APP + 1;  // apply pending changes on the window's thread
constexpr UINT kMsgExit = WM_APP + 2;   // close the dialog (wParam = value)
// The system menu item "Always On &Top".
constexpr UINT kMenuOnTop = 0x0110;

// The window of a dialog state (nullptr while it is not open).
inline HWND WindowOf(const DialogState& state) { return static_cast<HWND>(state.window.load()); }

// Plugs the Win32 side into the dialog operations.
void InstallWin32Dialogs();
// The one window procedure of every dialog; lParam of the creation is the record number.
INT_PTR CALLBACK DialogWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Applies the state's pending changes to its window (window's thread only).
void ApplyPendingChanges(DialogState& state);
// Sets the window title from the state's title and the record's on-top flag.
void ApplyTitle(DialogState& state, int number);
// The dialog font chosen by the user (nullptr = the template's).
HFONT& DialogFont();
// Rebuilds the background brushes of every record from its colours.
void RebuildBrushes();
// Gives every open dialog's tooltip window the colours of the colouring mode.
void UpdateTooltipColours();
// The platform box without owner that stands in for a dialog whose
// template is missing: "Error: dialog not found" / "Big Whoops". Returns its answer.
int ShowDialogNotFound();
// Gives record the icon and colours of ownerRecord, with a brush of its
// own so that rebuilding the brushes never frees one twice.
void DressLikeOwner(int record, int ownerRecord);
// Sets the tooltip texts that changed (marked pending) on the record's tooltip window.
void RegisterTooltips(DialogState& state, int number);
// The rows selected in the multiple-selection list box id, read on the
// window's own thread.
std::vector<size_t> SelectedRows(DialogState& state, int id);

}  // namespace kst
