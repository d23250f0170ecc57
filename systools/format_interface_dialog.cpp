#include "systools/format_interface_dialog.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "frame/dialogs/about_this_dialog.h"
#include "frame/dialogs/ask.h"
#include "frame/dialogs/dialog.h"
#include "frame/dialogs/subprogram_window.h"
#include "frame/files/folders.h"
#include "frame/platform/platform.h"
#include "frame/settings/settings.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "frame/threads/drives_in_use.h"
#include "frame/threads/subprograms.h"
#include "resources/resource_ids.h"
#include "systools/format_interface.h"

namespace kst {

namespace {

using Args = const std::vector<std::string>&;

// Touched by Format Interface Main only (the format dialog runs on it too).
FormatInterface g_format;
bool g_formatAllowed = false;  // the selected drive may be formatted

Subprogram& Self() { return GetSubprogram(kFormatInterface); }

DialogTexts Texts() {
  return DialogTexts{448,
                     {
                         {IDC_FI_DRIVE_LABEL, 449, 0},
                         {IDC_FI_FORMAT, 450, 0},
                         {IDC_FI_VIEW, 451, 0},
                         {IDC_FI_HIDE, 452, 0},
                         {IDC_FI_ABOUT, 453, 0},
                     }};
}

// Format and View need a drive; Format also a drive that may be taken.
void ShowControls(DialogState& state) {
  const bool any = !g_format.drives.empty();
  std::vector<std::string> names;
  for (const FormatDrive& d : g_format.drives) names.push_back(d.name);
  DialogSetItems(state, IDC_FI_DRIVES, names);
  DialogSetValue(state, IDC_FI_DRIVES, g_format.selected);
  DialogSetEnabled(state, IDC_FI_DRIVES, any);
  DialogSetEnabled(state, IDC_FI_FORMAT, any && g_formatAllowed);
  DialogSetEnabled(state, IDC_FI_VIEW, any);
  DialogFlush(state);
}

// The folder part of a file path.
std::string FolderOfFile(const std::string& path) {
  size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

FormatSystem System(DialogState& state) {
  FormatSystem system;
  system.driveType = plat::DriveType;
  // The owner is left empty, as the format dialog has always been called
  // here: it stands on its own beside this window.
  system.format = [](int number) { return static_cast<uint32_t>(SHFormatDrive(nullptr, number, 0xFFFF, 0)); };
  system.inUse = [](const std::string& name) { return DriveUser(name) >= 0; };
  system.systemBox = [](const std::string& title, const std::string& text) {
    MessageBoxA(nullptr, text.c_str(), title.c_str(), MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND);
  };
  system.formatting = [&state](bool on) {
    // The Command Center's toggle tells the person to close the format
    // dialog while the job runs.
    Self().job.running = on;
    ShowControls(state);
    if (!on) BringWindowToFront(state.window.load());
  };
  char windows[MAX_PATH] = "";
  if (GetWindowsDirectoryA(windows, sizeof windows)) system.windowsFolder = windows;
  system.startFolder = FolderOfFile(AppSettings().settingsPath);
  return system;
}

void OnDrive(DialogState& state, int id, int notification, Args) {
  if (notification != kSelChanged) return;
  g_format.owner = state.window.load();
  g_formatAllowed = ChooseDrive(g_format, System(state), DialogGetValue(state, id));
  ShowControls(state);
}

void OnFormat(DialogState& state, int, int, Args) {
  g_format.owner = state.window.load();
  FormatSelected(g_format, System(state));
  ShowControls(state);
}

void OnView(DialogState& state, int, int, Args) {
  g_format.owner = state.window.load();
  if (g_format.selected < 0 || g_format.selected >= static_cast<int>(g_format.drives.size())) return;
  if (!MayView(g_format)) return;
  std::string root = g_format.drives[g_format.selected].name + "\\";
  ShellExecuteA(nullptr, "explore", root.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// "&Hide", the close box and Esc.
void OnHide(DialogState& state, int, int, Args) {
  g_format.owner = state.window.load();
  if (MayClose(g_format)) DialogExit(state);
}

void OnAbout(DialogState&, int, int, Args) {
  RunAboutThis(kFormatAboutRecord, kFormatRecord, AboutThisTexts{458, 459, 460, 7});
}

void SetUp(Subprogram& self) {
  DialogState& state = self.state;
  DialogSetCallback(state, IDC_FI_DRIVES, OnDrive);
  DialogSetCallback(state, IDC_FI_FORMAT, OnFormat);
  DialogSetCallback(state, IDC_FI_VIEW, OnView);
  DialogSetCallback(state, IDC_FI_HIDE, OnHide);
  DialogSetCallback(state, IDC_FI_ABOUT, OnAbout);
  g_format = FormatInterface{};
  LoadDrives(g_format, ListRemovableDrives());
  g_formatAllowed = !g_format.drives.empty();
  ShowControls(state);
}

}  // namespace

void InstallFormatInterface() {
  InstallWindow(kFormatInterface, kFormatRecord, Texts(), {.setUp = SetUp});
}

}  // namespace kst
