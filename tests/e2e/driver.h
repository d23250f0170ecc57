// Drives the real Kestrova.exe from a second process, as a person would.
// Every wait polls with a bound; one that times out saves a screenshot.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Saves the screen as <KESTROVA_SHOTS or the current folder>\<name>.bmp.
std::string Screenshot(const std::string& name);

// Polls check() until it holds: false, with a screenshot, after ms.
template <typename Check>
bool WaitUntil(Check check, DWORD ms, const char* what) {
  for (DWORD start = GetTickCount(); !check(); Sleep(10))
    if (GetTickCount() - start >= ms) {
      Screenshot(std::string("timeout-") + what);
      return false;
    }
  return true;
}

struct Program {
  PROCESS_INFORMATION process = {};
  bool running = false;
};

// The program under test (KESTROVA_EXE) started in workFolder, made when missing.
Program Start(const std::string& workFolder);
bool WaitExit(Program& program, DWORD ms);  // true when it ended within ms
void Stop(Program& program);                // ends it if it runs, closes its handles
// A fresh working folder for one test below the e2e scratch folder.
std::string FreshFolder(const std::string& name);

// The first visible top-level window that match(window) holds for, or nullptr.
HWND FindTopLevel(const std::function<bool(HWND)>& match);
std::string ClassOf(HWND window);
// The visible top-level window of class cls (nullptr: any) titled title;
// nullptr after ms.
HWND WaitWindow(const std::string& title, DWORD ms = 5000, const char* cls = "#32770");
bool WaitGone(HWND window, DWORD ms = 5000);

HWND Control(HWND dialog, int id);
void Click(HWND control);      // sent: returns when it is handled
void PostClick(HWND control);  // posted: for buttons that open a modal box
// The window's button pressed: the window it opens, titled title (nullptr
// after ms), or whether the window went.
HWND Opens(HWND window, int button, const std::string& title, DWORD ms = 5000);
bool Closes(HWND window, int button);
void SetText(HWND control, const std::string& text);
std::string GetText(HWND window);  // read across processes
bool IsChecked(HWND control);
// A combo's entry picked, or its edit typed in, and the dialog told, as a person's hand does.
void SelectCombo(HWND dialog, int id, int index);
void TypeInCombo(HWND dialog, int id, const std::string& text);
std::vector<std::string> ListRows(HWND dialog, int id);   // a list box's rows
std::vector<std::string> ComboRows(HWND dialog, int id);  // a combo box's entries
int ProgressPos(HWND progressBar);

// The milliseconds from start to the last change of value(), once it has
// held still for stillMs; -1 (and a screenshot) when it did not within ms.
template <typename Value>
long StopsAfter(DWORD start, Value value, DWORD stillMs, DWORD ms, const char* what) {
  auto last = value();
  for (DWORD changedAt = start, now = start; now - start < ms;) {
    Sleep(5);
    now = GetTickCount();
    if (const auto v = value(); v != last) {
      last = v;
      changedAt = now;
    } else if (now - changedAt >= stillMs) {
      return static_cast<long>(changedAt - start);
    }
  }
  Screenshot(std::string("still-moving-") + what);
  return -1;
}

// Drops paths on the window as the shell does, the mouse over control id.
bool DropFiles(Program& program, HWND dialog, int id, const std::vector<std::string>& paths);

// Moves every file at the top of folder from into folder to (a disk swap):
// the number moved, -1 when one could not be.
int MoveDiskFiles(const std::string& from, const std::string& to);
// Runs command in folder (empty: this one) with input on its standard
// input, its output dropped: its exit code, -1 when it did not start or
// end within ms.
long RunCommand(const std::string& command, const std::string& folder, const std::string& input, DWORD ms);

}  // namespace e2e
