#include "tests/e2e/driver.h"

#include <commctrl.h>
#include <shlobj.h>

#include "tests/support/screenshot.h"

#include <cstdio>
#include <cstdlib>

namespace e2e {

namespace {

std::string EnvOr(const char* name, const std::string& fallback) {
  const char* v = getenv(name);
  return v && *v ? std::string(v) : fallback;
}

std::string SafeName(std::string name) {
  for (char& c : name)
    if (!isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') c = '_';
  return name;
}

struct TitleSearch {
  const std::string* title;
  const char* cls;
  HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM param) {
  auto* s = reinterpret_cast<TitleSearch*>(param);
  if (!IsWindowVisible(window)) return TRUE;
  if (s->cls) {
    char cls[64] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (strcmp(cls, s->cls) != 0) return TRUE;
  }
  if (GetText(window) != *s->title) return TRUE;
  s->found = window;
  return FALSE;
}

}  // namespace

Program Start(const std::string& workFolder) {
  Program p;
  p.workFolder = workFolder;
  CreateDirectoryA(workFolder.c_str(), nullptr);
  std::string exe = EnvOr("KESTROVA_EXE", "Kestrova.exe");
  std::string command = "\"" + exe + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  if (CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     workFolder.c_str(), &si, &p.process)) {
    p.running = true;
    WaitForInputIdle(p.process.hProcess, 5000);
  }
  return p;
}

bool WaitExit(Program& program, DWORD ms) {
  if (!program.running) return true;
  if (WaitForSingleObject(program.process.hProcess, ms) != WAIT_OBJECT_0) return false;
  program.running = false;
  return true;
}

void Stop(Program& program) {
  if (program.running && !WaitExit(program, 0)) {
    TerminateProcess(program.process.hProcess, 1);
    WaitForSingleObject(program.process.hProcess, 5000);
    program.running = false;
  }
  if (program.process.hProcess) CloseHandle(program.process.hProcess);
  if (program.process.hThread) CloseHandle(program.process.hThread);
  program.process = {};
}

std::string FreshFolder(const std::string& name) {
  char temp[MAX_PATH + 1];
  GetTempPathA(sizeof temp, temp);
  std::string base = EnvOr("KESTROVA_E2E_SCRATCH", std::string(temp) + "kestrova_e2e");
  CreateDirectoryA(base.c_str(), nullptr);
  std::string folder = base + "\\" + SafeName(name) + "_" + std::to_string(GetTickCount());
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

HWND WaitWindow(const std::string& title, DWORD ms, const char* cls) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        TitleSearch s{&title, cls, nullptr};
        EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&s));
        found = s.found;
        return found != nullptr;
      },
      ms, ("window-" + SafeName(title)).c_str());
  return found;
}

bool WaitGone(HWND window, DWORD ms) {
  return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, ms, "gone");
}

HWND Control(HWND dialog, int id) { return GetDlgItem(dialog, id); }

void Click(HWND control) { SendMessageA(control, BM_CLICK, 0, 0); }
void PostClick(HWND control) { PostMessageA(control, BM_CLICK, 0, 0); }

void SetText(HWND control, const std::string& text) {
  SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string GetText(HWND window) {
  // GetWindowTextA does not read another process's controls; the message does.
  LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  LRESULT got = SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(got));
  return text;
}

bool IsChecked(HWND control) { return SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void SelectCombo(HWND dialog, int id, int index) {
  HWND combo = GetDlgItem(dialog, id);
  SendMessageA(combo, CB_SETCURSEL, index, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

int ListCount(HWND listBox) { return static_cast<int>(SendMessageA(listBox, LB_GETCOUNT, 0, 0)); }

std::string ListText(HWND listBox, int index) {
  LRESULT length = SendMessageW(listBox, LB_GETTEXTLEN, index, 0);
  if (length < 0) return std::string();
  std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(listBox, LB_GETTEXT, index, reinterpret_cast<LPARAM>(wide.data()));
  wide.resize(static_cast<size_t>(length));
  std::string text(wide.size() * 2 + 1, '\0');
  int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), text.data(),
                              static_cast<int>(text.size()), nullptr, nullptr);
  text.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return text;
}

int ProgressPos(HWND progressBar) {
  return static_cast<int>(SendMessageA(progressBar, PBM_GETPOS, 0, 0));
}

std::string ItemText(HWND dialog, int id) { return GetText(Control(dialog, id)); }

void TypeInCombo(HWND dialog, int id, const std::string& text) {
  HWND combo = Control(dialog, id);
  SetText(combo, text);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(combo));
}

std::vector<std::string> ListRows(HWND dialog, int id) {
  HWND list = Control(dialog, id);
  std::vector<std::string> rows;
  for (int i = 0; i < ListCount(list); ++i) rows.push_back(ListText(list, i));
  return rows;
}

bool AnswerBox(const std::string& title, int button, DWORD ms, std::string* message) {
  HWND box = WaitWindow(title, ms);
  if (!box) return false;
  if (message) {
    // The message is the longest text among the box's children.
    message->clear();
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      std::string t = GetText(child);
      if (t.size() > message->size()) *message = t;
    }
  }
  HWND control = GetDlgItem(box, button);
  if (control)
    PostMessageA(control, BM_CLICK, 0, 0);
  else
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  return WaitGone(box, ms);
}

bool DropFiles(Program& program, HWND dialog, int id, const std::vector<std::string>& paths) {
  RECT area;
  GetWindowRect(Control(dialog, id), &area);
  SetCursorPos((area.left + area.right) / 2, (area.top + area.bottom) / 2);
  std::string block(64, '\0');  // the handle is not at the start of the allocation
  DROPFILES drop = {};
  drop.pFiles = sizeof drop;
  block.append(reinterpret_cast<const char*>(&drop), sizeof drop);
  for (const std::string& path : paths) block.append(path.c_str(), path.size() + 1);
  block.push_back('\0');
  HANDLE process = program.process.hProcess;
  char* remote = static_cast<char*>(
      VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (!remote || !WriteProcessMemory(process, remote, block.data(), block.size(), nullptr)) return false;
  PostMessageA(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(remote + 64), 0);
  return true;
}

int MoveDiskFiles(const std::string& from, const std::string& to) {
  std::string source = from.back() == '\\' ? from : from + "\\";
  CreateDirectoryA(to.c_str(), nullptr);
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((source + "*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
  }
  for (const std::string& name : names) {
    std::string target = to + "\\" + name;
    if (!MoveFileExA((source + name).c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED | MOVEFILE_REPLACE_EXISTING))
      return -1;
  }
  return static_cast<int>(names.size());
}

std::string Screenshot(const std::string& name) { return testenv::SaveScreenshot(name); }

bool RunBatch(const std::string& folder, const std::string& batch, const std::string& answer, DWORD ms) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE inputRead = nullptr, inputWrite = nullptr;
  if (!CreatePipe(&inputRead, &inputWrite, &inherit, 0)) return false;
  SetHandleInformation(inputWrite, HANDLE_FLAG_INHERIT, 0);
  HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = inputRead;
  startup.hStdOutput = startup.hStdError = nul;
  PROCESS_INFORMATION process{};
  std::string command = "cmd /c \"" + batch + "\"";
  BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                nullptr, folder.c_str(), &startup, &process);
  CloseHandle(inputRead);
  CloseHandle(nul);
  DWORD written = 0;
  if (started) WriteFile(inputWrite, answer.data(), static_cast<DWORD>(answer.size()), &written, nullptr);
  CloseHandle(inputWrite);
  if (!started) return false;
  bool ended = WaitForSingleObject(process.hProcess, ms) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return ended;
}

}  // namespace e2e
