// The window side of the dialog machinery: templates from the program's
// resources, modal runs, cross-thread flushes and exits. The window
// procedure itself is in window_proc_win32.cpp.
#include <windows.h>
#include <commctrl.h>

#include <mutex>

#include "frame/dialogs/dialog.h"
#include "frame/dialogs/dialog_win32.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"

namespace kst {

namespace {

// Reads a sz_Or_Ord field of a dialog template: an ordinal (0xFFFF, n),
// an empty string (0) or a NUL-ended UTF-16 string.
const WORD* ReadSzOrOrd(const WORD* p, int* ordinal, std::string* text) {
  *ordinal = -1;
  text->clear();
  if (*p == 0xFFFF) {
    *ordinal = p[1];
    return p + 2;
  }
  while (*p) {
    text->push_back(*p < 128 ? static_cast<char>(*p) : '?');
    ++p;
  }
  return p + 1;
}

const WORD* AlignDword(const WORD* p) {
  return reinterpret_cast<const WORD*>((reinterpret_cast<uintptr_t>(p) + 3) & ~uintptr_t{3});
}

ControlType TypeOf(int classOrdinal, const std::string& className, DWORD style) {
  // A template may name a predefined class instead of giving its ordinal.
  std::string upper = UpperCase(className);
  if (upper == "BUTTON") classOrdinal = 0x80;
  if (upper == "EDIT") classOrdinal = 0x81;
  if (upper == "STATIC") classOrdinal = 0x82;
  if (upper == "LISTBOX") classOrdinal = 0x83;
  if (upper == "COMBOBOX") classOrdinal = 0x85;
  switch (classOrdinal) {
    case 0x80:
      switch (style & 0xF) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE: return ControlType::CheckBox;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: return ControlType::Radio;
        case BS_GROUPBOX: return ControlType::Group;
        default: return ControlType::Button;
      }
    case 0x81: return ControlType::Edit;
    case 0x82: return ControlType::Label;
    case 0x83: return ControlType::ListBox;
    case 0x85: return ControlType::ComboBox;
  }
  if (upper == "MSCTLS_PROGRESS32") return ControlType::Progress;
  if (upper == "MSCTLS_TRACKBAR32") return ControlType::Slider;
  return ControlType::Other;
}

// Reads the controls of an extended dialog template.
bool ParseTemplate(const void* data, DWORD size, std::vector<TemplateControl>* controls,
                   std::string* title) {
  const WORD* p = static_cast<const WORD*>(data);
  const WORD* end = reinterpret_cast<const WORD*>(static_cast<const char*>(data) + size);
  if (size < 26 || p[0] != 1 || p[1] != 0xFFFF) return false;  // not DIALOGEX
  DWORD style = *reinterpret_cast<const DWORD*>(p + 6);
  WORD count = p[8];
  p += 13;  // dlgVer, signature, helpID, exStyle, style, cDlgItems, x, y, cx, cy
  int ordinal;
  std::string text;
  p = ReadSzOrOrd(p, &ordinal, &text);  // menu
  p = ReadSzOrOrd(p, &ordinal, &text);  // class
  p = ReadSzOrOrd(p, &ordinal, title);  // title
  if (style & (DS_SETFONT | DS_SHELLFONT)) {
    p += 3;  // point size, weight, italic + charset
    p = ReadSzOrOrd(p, &ordinal, &text);
  }
  for (WORD i = 0; i < count && p < end; ++i) {
    p = AlignDword(p);
    DWORD itemStyle = *reinterpret_cast<const DWORD*>(p + 4);
    DWORD id = *reinterpret_cast<const DWORD*>(p + 10);
    p += 12;  // helpID, exStyle, style, x, y, cx, cy, id
    int classOrdinal;
    std::string className, label;
    p = ReadSzOrOrd(p, &classOrdinal, &className);
    p = ReadSzOrOrd(p, &ordinal, &label);
    WORD extra = *p++;
    p = reinterpret_cast<const WORD*>(reinterpret_cast<const char*>(p) + extra);
    controls->push_back({static_cast<int>(static_cast<short>(id)), TypeOf(classOrdinal, className, itemStyle), label});
  }
  return true;
}

std::mutex g_creation;

bool OnWindowThread(HWND window) {
  return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

bool LoadTemplateResource(int templateId, std::vector<TemplateControl>* controls, std::string* title) {
  HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5));
  if (!resource) return false;
  HGLOBAL loaded = LoadResource(nullptr, resource);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  return data && ParseTemplate(data, SizeofResource(nullptr, resource), controls, title);
}

int Win32RunModal(DialogState& state, int number) {
  // One window at a time is between being asked for and being initialised,
  // so the window procedure finds its record by the creation marker.
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(g_creation);
      bool creating = false;
      for (int n = 1; n <= kRecordCount; ++n) {
        DialogRecord& r = Record(n);
        if (r.creationMarker.load() == -1 && r.state && r.state->templateId != -1) creating = true;
      }
      if (!creating) {
        Record(number).creationMarker = -1;
        break;
      }
    }
    Sleep(100);
  }
  INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(state.templateId),
                                   nullptr, DialogWindowProc, static_cast<LPARAM>(number));
  Record(number).creationMarker = 0;
  return result == -1 ? -1 : static_cast<int>(result);
}

void Win32Exit(DialogState& state, int value) {
  HWND window = static_cast<HWND>(state.window.load());
  if (!window) return;
  PostMessageA(window, kMsgExit, static_cast<WPARAM>(value), 0);
}

bool Win32Flush(DialogState& state) {
  HWND window = static_cast<HWND>(state.window.load());
  if (!window) return true;  // no window: the changes wait in the state for one
  if (!OnWindowThread(window)) return false;
  ApplyPendingChanges(state);
  return true;
}

bool Win32QueueFlush(DialogState& state) {
  HWND window = static_cast<HWND>(state.window.load());
  return window && PostMessageA(window, kMsgFlush, 0, 0);
}

void Win32BringToFront(WindowRef ref) {
  HWND window = static_cast<HWND>(ref);
  if (IsIconic(window)) ShowWindowAsync(window, SW_RESTORE);
  SetForegroundWindow(window);
}

}  // namespace

void InstallWin32Dialogs() {
  DialogHooks hooks;
  hooks.loadTemplate = LoadTemplateResource;
  hooks.runModal = Win32RunModal;
  hooks.exit = Win32Exit;
  hooks.flush = Win32Flush;
  hooks.queueFlush = Win32QueueFlush;
  hooks.bringToFront = Win32BringToFront;
  SetDialogHooks(hooks);
}

std::vector<size_t> SelectedRows(DialogState& state, int id) {
  std::vector<size_t> rows;
  HWND list = GetDlgItem(WindowOf(state), id);
  int count = list ? static_cast<int>(SendMessageA(list, LB_GETSELCOUNT, 0, 0)) : 0;
  if (count <= 0) return rows;
  std::vector<int> items(static_cast<size_t>(count));
  count = static_cast<int>(SendMessageA(list, LB_GETSELITEMS, count, reinterpret_cast<LPARAM>(items.data())));
  for (int i = 0; i < count; ++i) rows.push_back(static_cast<size_t>(items[static_cast<size_t>(i)]));
  return rows;
}

}  // namespace kst
