// The platform's file dialogs and folder browser as the dialogs use them,
// and the filling of a combo box from a remembered list.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <cstdint>
#include <string>
#include <vector>

#include "frame/dialogs/ask.h"
#include "frame/dialogs/dialog.h"
#include "frame/settings/remembered_list.h"

namespace kst {

// Fills request for GetOpenFileNameA or GetSaveFileNameA: the request
// points at filter, file, folder and title, which must outlive the dialog.
// A null or empty filter takes the general filter ("All Files (*.*)"),
// kept for this thread until its next call. No instance, custom filter,
// file-title buffer, default extension or hook; filter index 1.
void InitFileDialog(WindowRef owner, OPENFILENAMEA& request, const char* filter, char* file,
                    DWORD length, const char* folder, const char* title, DWORD flags);

// The platform's Open dialog for several files, titled title, with a name
// buffer of bufferSize: false when nothing was chosen (a cancel, or a
// failure that CommDlgExtendedError tells). One file comes back as its
// path; several as the folder, made by asFolder, before each name.
bool ChooseFilesToOpen(WindowRef owner, const std::string& title, DWORD bufferSize,
                       std::string (*asFolder)(const std::string& folder), std::vector<std::string>* paths);

// Asks the platform for the extended error of this thread's last common
// dialog and, when there is one, shows its text in a message box titled
// "FILE OPEN DIALOG FAILURE". Returns the code (0 after a cancel).
uint32_t ReportDialogError();

// The platform's folder browser titled title: the chosen folder, or ""
// when the user cancels or chooses something that is not a folder on disk.
std::string BrowseForFolder(WindowRef owner, const std::string& title);

// Puts the list's entries, most recent first, into a combo box.
void FillFromList(DialogState& state, int controlId, const RememberedList& list);

}  // namespace kst
