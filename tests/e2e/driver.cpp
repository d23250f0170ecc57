#include "tests/e2e/driver.h"

#include <commctrl.h>
#include <shlobj.h>

#include "tests/e2e/files_on_disk.h"
#include "tests/support/screenshot.h"

#include <algorithm>
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

// The rows of a list box or a combo's list, read wide: Wine writes UTF-16 here.
std::vector<std::string> Items(HWND box, bool combo) {
  std::vector<std::string> rows;
  const int count = static_cast<int>(SendMessageW(box, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const LRESULT length = SendMessageW(box, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, i, 0);
    std::wstring wide(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
    SendMessageW(box, combo ? CB_GETLBTEXT : LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide.data()));
    rows.emplace_back(wide.begin(), wide.begin() + static_cast<ptrdiff_t>(wcslen(wide.c_str())));
  }
  return rows;
}

}  // namespace

Program Start(const std::string& workFolder) {
  Program p;
  CreateDirectoryA(workFolder.c_str(), nullptr);
  std::string exe = EnvOr("KESTROVA_EXE", "Kestrova.exe"), command = "\"" + exe + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  p.running = CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, workFolder.c_str(),
                             &si, &p.process);
  if (p.running) WaitForInputIdle(p.process.hProcess, 5000);
  return p;
}

bool WaitExit(Program& program, DWORD ms) {
  if (program.running && WaitForSingleObject(program.process.hProcess, ms) != WAIT_OBJECT_0) return false;
  program.running = false;
  return true;
}

void Stop(Program& program) {
  if (!WaitExit(program, 0)) TerminateProcess(program.process.hProcess, 1);
  WaitExit(program, 5000);
  if (program.process.hProcess) CloseHandle(program.process.hProcess);
  if (program.process.hThread) CloseHandle(program.process.hThread);
  program = {};
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

HWND FindTopLevel(const std::function<bool(HWND)>& match) {
  std::pair<const std::function<bool(HWND)>*, HWND> search{&match, nullptr};
  EnumWindows([](HWND window, LPARAM param) -> BOOL {
    auto* s = reinterpret_cast<std::pair<const std::function<bool(HWND)>*, HWND>*>(param);
    if (!IsWindowVisible(window) || !(*s->first)(window)) return TRUE;
    s->second = window;
    return FALSE;
  }, reinterpret_cast<LPARAM>(&search));
  return search.second;
}

std::string ClassOf(HWND window) {
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  return cls;
}

HWND WaitWindow(const std::string& title, DWORD ms, const char* cls) {
  HWND found = nullptr;
  WaitUntil([&] {
    return (found = FindTopLevel([&](HWND w) { return (!cls || ClassOf(w) == cls) && GetText(w) == title; }));
  }, ms, ("window-" + SafeName(title)).c_str());
  return found;
}

bool WaitGone(HWND window, DWORD ms) {
  return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, ms, "gone");
}

HWND Control(HWND dialog, int id) { return GetDlgItem(dialog, id); }

void Click(HWND control) { SendMessageA(control, BM_CLICK, 0, 0); }
void PostClick(HWND control) { PostMessageA(control, BM_CLICK, 0, 0); }

HWND Opens(HWND window, int button, const std::string& title, DWORD ms) {
  PostClick(Control(window, button));
  return WaitWindow(title, ms);
}

bool Closes(HWND window, int button) {
  PostClick(Control(window, button));
  return WaitGone(window);
}

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

int ProgressPos(HWND bar) { return static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0)); }

void TypeInCombo(HWND dialog, int id, const std::string& text) {
  HWND combo = Control(dialog, id);
  SetText(combo, text);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(combo));
}

std::vector<std::string> ListRows(HWND dialog, int id) { return Items(Control(dialog, id), false); }
std::vector<std::string> ComboRows(HWND dialog, int id) { return Items(Control(dialog, id), true); }

bool DropFiles(Program& program, HWND dialog, int id, const std::vector<std::string>& paths) {
  RECT area;
  GetWindowRect(Control(dialog, id), &area);
  // The program reads the pointer: a move of an earlier drop must not carry this one elsewhere.
  const POINT at{(area.left + area.right) / 2, (area.top + area.bottom) / 2};
  WaitUntil([&] {
    POINT now{};
    SetCursorPos(at.x, at.y);
    SendMessageA(dialog, WM_NULL, 0, 0);
    return GetCursorPos(&now) && now.x == at.x && now.y == at.y;
  }, 5000, "pointer");
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
  const std::string source = from.back() == '\\' ? from : from + "\\";
  CreateDirectoryA(to.c_str(), nullptr);
  int moved = 0;
  for (const std::string& name : NamesIn(source.substr(0, source.size() - 1))) {
    if (GetFileAttributesA((source + name).c_str()) & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::string target = to + "\\" + name;
    if (!MoveFileExA((source + name).c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED | MOVEFILE_REPLACE_EXISTING))
      return -1;
    ++moved;
  }
  return moved;
}

std::string Screenshot(const std::string& name) { return testenv::SaveScreenshot(name); }

long RunCommand(const std::string& command, const std::string& folder, const std::string& input, DWORD ms) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE in = nullptr, feed = nullptr;
  if (!CreatePipe(&in, &feed, &inherit, 0)) return -1;
  SetHandleInformation(feed, HANDLE_FLAG_INHERIT, 0);
  HANDLE nul =
      CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = startup.hStdError = nul;
  PROCESS_INFORMATION process{};
  std::string line = command;
  const BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                      folder.empty() ? nullptr : folder.c_str(), &startup, &process);
  DWORD code = 0, written = 0;
  if (started) WriteFile(feed, input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
  for (HANDLE h : {in, nul, feed}) CloseHandle(h);
  if (!started) return -1;
  const bool ended = WaitForSingleObject(process.hProcess, ms) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(process.hProcess, 1);
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return ended ? static_cast<long>(code) : -1;
}

}  // namespace e2e
