// Drives the real Kestrova.exe from a second process, as a person would:
// start it, find its windows by title and its controls by id or label,
// click, type, pick list entries, answer questions, read progress bars.
// Every wait polls with a bound; a wait that times out saves a screenshot.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

struct Program {
  PROCESS_INFORMATION process = {};
  std::string workFolder;
  bool running = false;
};

// The program under test (KESTROVA_EXE, a Windows path) started with its
// own working folder, which is created empty when missing.
Program Start(const std::string& workFolder);
// Waits for the process to end; true when it did within ms.
bool WaitExit(Program& program, DWORD ms);
// Ends the process if it still runs and closes its handles.
void Stop(Program& program);

// A fresh working folder for one test below the e2e scratch folder.
std::string FreshFolder(const std::string& name);

// Polls every 10 ms for a top-level window of class cls (nullptr = any)
// whose title is title; nullptr after ms, with a screenshot.
HWND WaitWindow(const std::string& title, DWORD ms = 5000, const char* cls = "#32770");
// Polls for the window to be gone; true when it went within ms.
bool WaitGone(HWND window, DWORD ms = 5000);
// Polls until check() holds; false (and a screenshot) after ms.
template <typename Check>
bool WaitUntil(Check check, DWORD ms, const char* what);

HWND Control(HWND dialog, int id);

void Click(HWND control);      // sends the click: returns when it is handled
void PostClick(HWND control);  // posts it: for buttons that open a modal box
void SetText(HWND control, const std::string& text);
std::string GetText(HWND window);  // title or label, read across processes
bool IsChecked(HWND control);
// Picks entry index of a combo box and tells the dialog, as a person's pick does.
void SelectCombo(HWND dialog, int id, int index);
int ListCount(HWND listBox);
std::string ListText(HWND listBox, int index);  // wide read: Wine writes UTF-16 here
int ProgressPos(HWND progressBar);
// The text of the dialog's control id.
std::string ItemText(HWND dialog, int id);
// Types text into the edit of combo box id and tells the dialog, as typing does.
void TypeInCombo(HWND dialog, int id, const std::string& text);
// Every row of the dialog's list box id.
std::vector<std::string> ListRows(HWND dialog, int id);

// Finds the message box titled title within ms and presses its button
// (IDYES, IDNO, IDOK, IDCANCEL); its message text is returned in *message.
bool AnswerBox(const std::string& title, int button, DWORD ms = 5000,
               std::string* message = nullptr);

// The milliseconds from start (a GetTickCount value) to the last change of
// value(), once it has held still for stillMs; -1 (and a screenshot) when
// it has not held still within ms. 0 when it never changed after start.
template <typename Value>
long StopsAfter(DWORD start, Value value, DWORD stillMs, DWORD ms, const char* what);

// Drops paths on the window as the shell does, with the mouse over control
// id: a drop handle in the program's memory, posted. False when the
// program's memory could not be written.
bool DropFiles(Program& program, HWND dialog, int id, const std::vector<std::string>& paths);

// A disk swap: moves every file at the top of folder from (a drive's root,
// "A:\\", or a stack folder) into folder to, made when missing. The number
// of files moved, or -1 when one could not be moved.
int MoveDiskFiles(const std::string& from, const std::string& to);
// Runs the batch named batch in folder with Wine's cmd, answers its question
// with answer ("N\r\n" keeps the splits), and waits for it to end; true when
// it ended within ms.
bool RunBatch(const std::string& folder, const std::string& batch, const std::string& answer, DWORD ms);

// Saves the screen as <KESTROVA_SHOTS or the current folder>\<name>.bmp.
std::string Screenshot(const std::string& name);

template <typename Check>
bool WaitUntil(Check check, DWORD ms, const char* what) {
  DWORD start = GetTickCount();
  for (;;) {
    if (check()) return true;
    if (GetTickCount() - start >= ms) break;
    Sleep(10);
  }
  Screenshot(std::string("timeout-") + what);
  return false;
}

template <typename Value>
long StopsAfter(DWORD start, Value value, DWORD stillMs, DWORD ms, const char* what) {
  auto last = value();
  DWORD changedAt = start;
  for (;;) {
    Sleep(5);
    DWORD now = GetTickCount();
    auto v = value();
    if (v != last) {
      last = v;
      changedAt = now;
    } else if (now - changedAt >= stillMs) {
      return static_cast<long>(changedAt - start);
    }
    if (now - start >= ms) break;
  }
  Screenshot(std::string("still-moving-") + what);
  return -1;
}

}  // namespace e2e
