// The one window procedure of every Kestrova dialog: it binds the window
// to its record, dresses it (icon, system menu, on-top, tooltips, font,
// colours, position), hands user actions to the controls' routines and
// applies changes that other threads made through the dialog state.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <mutex>
#include <vector>

#include "frame/command_center/colours.h"
#include "frame/dialogs/ask.h"
#include "frame/dialogs/dialog_win32.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"

namespace kst {

namespace {

// While the program itself changes a control, the notifications it causes
// are not user actions.
thread_local bool t_applying = false;
// The window this thread is closing: the notifications its controls send
// while it goes (a field losing the focus) are no malfunction.
thread_local HWND t_closing = nullptr;

COLORREF g_defaultTipBack = 0, g_defaultTipText = 0;
bool g_haveDefaultTipColours = false;

std::string WindowText(HWND item) {
  int length = GetWindowTextLengthA(item);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  int got = GetWindowTextA(item, text.data(), length + 1);
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

int RecordOf(HWND window) { return static_cast<int>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

DialogState* StateOf(HWND window) {
  int number = RecordOf(window);
  if (number < 1 || number > kRecordCount) return nullptr;
  DialogState* state = Record(number).state;
  return state && state->window.load() == window ? state : nullptr;
}

void ApplyControl(HWND window, Control& c) {
  HWND item = GetDlgItem(window, c.id);
  if (!item) {
    c.pending = 0;
    return;
  }
  if (c.pending & kPendItems) {
    bool combo = c.type == ControlType::ComboBox;
    SendMessageA(item, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
    for (const std::string& entry : c.items)
      SendMessageA(item, combo ? CB_ADDSTRING : LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  }
  if (c.pending & kPendRange) {
    if (c.type == ControlType::Progress) SendMessageA(item, PBM_SETRANGE32, c.rangeMin, c.rangeMax);
    if (c.type == ControlType::Slider) SendMessageA(item, TBM_SETRANGE, TRUE, MAKELPARAM(c.rangeMin, c.rangeMax));
  }
  if ((c.pending & kPendText) && c.type != ControlType::ComboBox &&
      c.type != ControlType::ListBox && c.type != ControlType::Progress &&
      c.type != ControlType::Slider)
    SetWindowTextA(item, c.text.c_str());
  if (c.pending & kPendValue) {
    switch (c.type) {
      case ControlType::CheckBox:
      case ControlType::Radio:
      case ControlType::Button:
        SendMessageA(item, BM_SETCHECK, c.value ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
      case ControlType::ListBox: SendMessageA(item, LB_SETCURSEL, c.value, 0); break;
      case ControlType::ComboBox:
        SendMessageA(item, CB_SETCURSEL, c.value, 0);
        break;
      case ControlType::Progress: SendMessageA(item, PBM_SETPOS, c.value, 0); break;
      case ControlType::Slider: SendMessageA(item, TBM_SETPOS, TRUE, c.value); break;
      default: break;
    }
  }
  // A combo box's edit text goes last: new entries or a selection of none
  // would otherwise empty it.
  if (c.type == ControlType::ComboBox && (c.pending & (kPendText | kPendItems | kPendValue))) {
    if ((c.pending & kPendValue) && c.value >= 0 && c.value < static_cast<int>(c.items.size()))
      c.text = c.items[static_cast<size_t>(c.value)];
    SetWindowTextA(item, c.text.c_str());
  }
  if (c.pending & kPendImage) {
    HBITMAP bitmap = c.image ? LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(c.image)) : nullptr;
    UINT setImage = c.type == ControlType::Label ? STM_SETIMAGE : BM_SETIMAGE;
    HGDIOBJ old = reinterpret_cast<HGDIOBJ>(
        SendMessageA(item, setImage, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    if (old && old != bitmap) DeleteObject(old);
  }
  if (c.pending & kPendEnabled) EnableWindow(item, c.enabled);
  if (c.pending & kPendVisible) ShowWindow(item, c.visible ? SW_SHOW : SW_HIDE);
  c.pending &= ~static_cast<uint32_t>(kPendItems | kPendRange | kPendText | kPendValue | kPendImage |
                                      kPendEnabled | kPendVisible);
}

void CreateTooltips(HWND window, DialogRecord& r) {
  HWND tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
  r.tooltipWindow = tip;
  if (!tip) return;
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, work.right - work.left);
  if (!g_haveDefaultTipColours) {
    g_defaultTipBack = static_cast<COLORREF>(SendMessageA(tip, TTM_GETTIPBKCOLOR, 0, 0));
    g_defaultTipText = static_cast<COLORREF>(SendMessageA(tip, TTM_GETTIPTEXTCOLOR, 0, 0));
    g_haveDefaultTipColours = true;
  }
}

Colours ColoursOf(const DialogRecord& r) {
  std::lock_guard<std::mutex> lock(RecordColoursMutex());
  return r.colours;
}

void SetTipColours(DialogRecord& r) {
  HWND tip = static_cast<HWND>(r.tooltipWindow);
  if (!tip) return;
  bool coloured = Colouring().load();
  const Colours colours = ColoursOf(r);
  SendMessageA(tip, TTM_SETTIPBKCOLOR, coloured ? colours.text : g_defaultTipBack, 0);
  SendMessageA(tip, TTM_SETTIPTEXTCOLOR, coloured ? colours.textBackground : g_defaultTipText, 0);
}

// Brushes replaced by the last rebuild: a window of another thread may be
// painting with one in this instant, so each goes a rebuild later.
std::vector<HBRUSH> g_retiredBrushes;  // under RecordColoursMutex

void Retire(void* brush) {
  if (brush) g_retiredBrushes.push_back(static_cast<HBRUSH>(brush));
}

void BuildSystemMenu(HWND window, DialogRecord& r) {
  HMENU menu = GetSystemMenu(window, FALSE);
  r.systemMenu = menu;
  if (!menu || !r.extendedMenu) return;
  struct Item {
    UINT command;
    int text;
  };
  static const Item kItems[] = {{SC_RESTORE, 799}, {SC_MOVE, 801},     {SC_SIZE, 866},
                                {SC_MINIMIZE, 800}, {SC_MAXIMIZE, 867}, {SC_CLOSE, 802}};
  for (const Item& item : kItems) {
    std::string label = Trimmed(GetText(item.text));
    ModifyMenuA(menu, item.command, MF_BYCOMMAND | MF_STRING, item.command, label.c_str());
  }
  if (!r.maximisable) RemoveMenu(menu, SC_SIZE, MF_BYCOMMAND);
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING | (r.alwaysOnTop ? MF_CHECKED : MF_UNCHECKED), kMenuOnTop,
              Trimmed(GetText(803)).c_str());
  DrawMenuBar(window);
}

void SetOnTop(HWND window, int number, bool onTop) {
  DialogRecord& r = Record(number);
  r.alwaysOnTop = onTop;
  SetWindowPos(window, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  if (r.systemMenu)
    CheckMenuItem(static_cast<HMENU>(r.systemMenu), kMenuOnTop,
                  MF_BYCOMMAND | (onTop ? MF_CHECKED : MF_UNCHECKED));
  if (r.state) ApplyTitle(*r.state, number);
}

void LayOut(HWND window, int number) {
  DialogRecord& r = Record(number);
  if (!r.maximisable || !r.layout || !r.state) return;
  RECT client;
  GetClientRect(window, &client);
  r.layout(*r.state, client.right, client.bottom);
}

// The work area of the monitor nearest to where the window was saved: a
// monitor that is gone, or a place edited by hand, leaves it on one that
// is there.
ScreenArea WorkAreaNear(const RECT& rect) {
  RECT work = {0, 0, 0, 0};
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  HMONITOR monitor = MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST);
  if (monitor && GetMonitorInfoA(monitor, &info))
    work = info.rcWork;
  else
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  return ScreenArea{work.left, work.top, work.right, work.bottom};
}

void PlaceAtSaved(HWND window, const DialogRecord& r) {
  RECT now;
  if (!GetWindowRect(window, &now)) return;
  int width = now.right - now.left, height = now.bottom - now.top;
  RECT saved = {r.savedLeft, r.savedTop, r.savedLeft + width, r.savedTop + height};
  ScreenPoint at = PlaceOnArea(r.savedLeft, r.savedTop, width, height, WorkAreaNear(saved));
  SetWindowPos(window, nullptr, at.left, at.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void OnInit(HWND window, int number) {
  SetWindowLongPtrA(window, GWLP_USERDATA, number);
  DialogRecord& r = Record(number);
  DialogState& state = *r.state;
  state.window = window;
  r.creationMarker = 0;
  {
    // Everything the state holds goes onto the fresh window.
    std::lock_guard<std::mutex> lock(state.mutex);
    // A control without a picture of its own keeps the template's.
    for (Control& c : state.controls) c.pending |= kPendText | kPendValue | kPendEnabled |
                                                   kPendRange | kPendItems |
                                                   (c.image ? kPendImage : 0u) |
                                                   (c.visible ? 0u : kPendVisible) |
                                                   (c.tooltip.empty() ? 0u : kPendTooltip);
  }
  state.changesPending = true;
  if (r.dropTarget) DragAcceptFiles(window, TRUE);
  if (r.icon) {
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(r.icon));
    SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  }
  BuildSystemMenu(window, r);
  CreateTooltips(window, r);
  SetTipColours(r);
  if (DialogFont()) {
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont()), FALSE);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont()), FALSE);
  }
  ApplyPendingChanges(state);
  if (r.alwaysOnTop) SetOnTop(window, number, true);
  ApplyTitle(state, number);
  LayOut(window, number);
  if (r.restorePosition && r.savedLeft >= 0 && r.savedTop >= 0) PlaceAtSaved(window, r);
  ShowWindow(window, SW_SHOWNORMAL);
  SetForegroundWindow(window);
}

void OnExit(HWND window, DialogState& state, int number, int value) {
  if (state.busy.load()) {
    // Texts are being replaced on another thread: try again shortly.
    Sleep(50);
    PostMessageA(window, kMsgExit, static_cast<WPARAM>(value), 0);
    return;
  }
  DialogRecord& r = Record(number);
  if (r.maximised.load() || IsIconic(window)) SendMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
  r.maximised = false;
  RECT rect;
  if (GetWindowRect(window, &rect)) {
    r.savedLeft = rect.left;
    r.savedTop = rect.top;
  }
  if (r.tooltipWindow) DestroyWindow(static_cast<HWND>(r.tooltipWindow));
  r.tooltipWindow = nullptr;
  state.window = nullptr;
  state.templateId = -1;
  t_closing = window;
  EndDialog(window, value);
}

// Takes the control's new value from the window and says what happened to
// it (-1: nothing its routine hears of). Called with state.mutex held.
int NotificationOf(Control& c, HWND item, int code) {
  switch (c.type) {
    case ControlType::Button:
    case ControlType::CheckBox:
    case ControlType::Radio:
      if (code != BN_CLICKED) return -1;
      if (c.type != ControlType::Button) c.value = SendMessageA(item, BM_GETCHECK, 0, 0) == BST_CHECKED;
      return kClicked;
    case ControlType::Edit:
      if (code == EN_CHANGE) {
        c.text = WindowText(item);
        return kTextChanged;
      }
      return code == EN_KILLFOCUS ? kFocusLost : -1;
    case ControlType::ListBox:
      if (code == LBN_SELCHANGE) {
        c.value = static_cast<int>(SendMessageA(item, LB_GETCURSEL, 0, 0));
        return kSelChanged;
      }
      return code == LBN_DBLCLK ? kDoubleClicked : -1;
    case ControlType::ComboBox:
      if (code == CBN_SELCHANGE) {
        c.value = static_cast<int>(SendMessageA(item, CB_GETCURSEL, 0, 0));
        if (c.value >= 0 && c.value < static_cast<int>(c.items.size())) c.text = c.items[c.value];
        return kSelChanged;
      }
      if (code != CBN_EDITCHANGE) return -1;
      c.text = WindowText(item);
      return kTextChanged;
    default:
      return code == BN_CLICKED || code == STN_CLICKED ? kClicked : -1;
  }
}

void OnCommand(HWND window, DialogState& state, int id, int code) {
  if (t_applying) return;  // caused by ApplyPendingChanges, which holds the state's lock
  int notification = -1;
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (Control* c = FindControl(state, id))
      notification = NotificationOf(*c, GetDlgItem(window, id), code);
    else if (id == IDCANCEL)
      notification = kClicked;  // the close box or Esc
  }
  if (notification < 0) return;
  bool hasRoutine = false;
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    Control* c = FindControl(state, id);
    hasRoutine = c && c->routine;
  }
  if (hasRoutine)
    RunControlRoutine(state, id, notification);
  else if (id == IDCANCEL)
    DialogExit(state, IDCANCEL);
}

void OnDrop(HWND window, DialogState& state, int number, HDROP drop) {
  std::vector<std::string> paths;
  UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    UINT length = DragQueryFileA(drop, i, nullptr, 0);
    std::string path(length + 1, '\0');
    DragQueryFileA(drop, i, path.data(), length + 1);
    path.resize(length);
    paths.push_back(path);
  }
  DragFinish(drop);
  int target = Record(number).dropTarget;
  if (target) RunControlRoutine(state, target, kDropped, paths);
}

// A command for a window whose record does not own it any more.
void OnMalfunction(HWND window) {
  int answer = MessageBoxA(window, Trimmed(GetText(52)).c_str(), Trimmed(GetText(53)).c_str(),
                           MB_YESNO | MB_ICONWARNING);
  if (answer == IDYES) EndDialog(window, 0);
}

// WM_INITDIALOG: lParam carries the record number the window runs on.
INT_PTR OnInitMessage(HWND window, LPARAM lParam) {
  int number = static_cast<int>(lParam);
  if (number < 1 || number > kRecordCount || !Record(number).state) {
    EndDialog(window, -1);
    return TRUE;
  }
  OnInit(window, number);
  return FALSE;  // the focus stays where the platform put it
}

void OnScroll(DialogState& state, HWND slider) {
  int id = GetDlgCtrlID(slider);
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (Control* c = FindControl(state, id))
      c->value = static_cast<int>(SendMessageA(slider, TBM_GETPOS, 0, 0));
  }
  RunControlRoutine(state, id, kScrolled);
}

// TRUE when the command was taken here; FALSE lets the platform go on.
INT_PTR OnSysCommand(HWND window, DialogState* state, int number, WPARAM command) {
  switch (command & 0xFFF0) {
    case kMenuOnTop:
      if (state) SetOnTop(window, number, !Record(number).alwaysOnTop);
      return TRUE;
    case SC_MINIMIZE:
      if (HWND owner = GetWindow(window, GW_OWNER)) {
        ShowWindow(owner, SW_MINIMIZE);
        return TRUE;
      }
      return FALSE;
    case SC_MAXIMIZE:
      if (state && Record(number).maximisable) Record(number).maximised = true;
      return FALSE;
    case SC_RESTORE:
      if (state) Record(number).maximised = false;
      return FALSE;
  }
  return FALSE;
}

// The record's colours for a control being drawn: its brush, or FALSE
// for the platform's own.
INT_PTR OnColour(int number, HDC dc) {
  if (!Colouring().load()) return FALSE;
  std::lock_guard<std::mutex> lock(RecordColoursMutex());
  const DialogRecord& r = Record(number);
  if (!r.brush) return FALSE;
  SetTextColor(dc, r.colours.text);
  SetBkColor(dc, r.colours.textBackground);
  return reinterpret_cast<INT_PTR>(r.brush);
}

}  // namespace

HFONT& DialogFont() {
  static HFONT font = nullptr;
  return font;
}

void ApplyPendingChanges(DialogState& state) {
  HWND window = static_cast<HWND>(state.window.load());
  if (!window) return;
  state.busy = true;
  t_applying = true;
  bool tooltips = false;
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    state.changesPending = false;
    for (Control& c : state.controls) {
      tooltips = tooltips || (c.pending & kPendTooltip);
      if (c.pending) ApplyControl(window, c);
    }
  }
  t_applying = false;
  // Tooltips and the title only when they changed: a worker's progress
  // arrives many times a second and is a value and nothing else.
  if (state.record && state.titlePending.exchange(false)) ApplyTitle(state, state.record);
  if (state.record && tooltips) RegisterTooltips(state, state.record);
  state.busy = false;
}

void ApplyTitle(DialogState& state, int number) {
  HWND window = static_cast<HWND>(state.window.load());
  if (!window) return;
  std::string title;
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    title = Trimmed(state.title);
  }
  if (Record(number).alwaysOnTop) title += " " + Trimmed(GetText(28));
  SetWindowTextA(window, title.c_str());
}

void RegisterTooltips(DialogState& state, int number) {
  HWND window = static_cast<HWND>(state.window.load());
  HWND tip = static_cast<HWND>(Record(number).tooltipWindow);
  if (!window || !tip) return;
  std::lock_guard<std::mutex> lock(state.mutex);
  for (Control& c : state.controls) {
    if (!(c.pending & kPendTooltip)) continue;
    HWND item = GetDlgItem(window, c.id);
    if (!item) continue;
    TOOLINFOA info = {};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = window;
    info.uId = reinterpret_cast<UINT_PTR>(item);
    info.lpszText = const_cast<char*>(c.tooltip.c_str());
    SendMessageA(tip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    if (!c.tooltip.empty()) SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    c.pending &= ~static_cast<uint32_t>(kPendTooltip);
  }
}

void RebuildBrushes() {
  std::lock_guard<std::mutex> lock(RecordColoursMutex());
  std::vector<HBRUSH> older;
  older.swap(g_retiredBrushes);
  for (int n = 1; n <= kRecordCount; ++n) {
    DialogRecord& r = Record(n);
    Retire(r.brush);
    r.brush = CreateSolidBrush(r.colours.background);
  }
  for (HBRUSH brush : older) DeleteObject(brush);
}

int ShowDialogNotFound() {
  return MessageBoxA(nullptr, Trimmed(GetText(10)).c_str(), Trimmed(GetText(11)).c_str(),
                     MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}

void DressLikeOwner(int record, int ownerRecord) {
  DialogRecord& r = Record(record);
  const DialogRecord& owner = Record(ownerRecord);
  r.icon = owner.icon;
  std::lock_guard<std::mutex> lock(RecordColoursMutex());
  r.colours = owner.colours;
  // The box's record is its own thread's: no other window paints with it.
  if (r.brush) DeleteObject(static_cast<HBRUSH>(r.brush));
  r.brush = CreateSolidBrush(r.colours.background);
}

void UpdateTooltipColours() {
  for (int n = 1; n <= kRecordCount; ++n) SetTipColours(Record(n));
}

INT_PTR CALLBACK DialogWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return OnInitMessage(window, lParam);
  DialogState* state = StateOf(window);
  int number = RecordOf(window);
  switch (message) {
    case WM_COMMAND:
      if (!state) {
        if (window != t_closing) OnMalfunction(window);
        return TRUE;
      }
      OnCommand(window, *state, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (state && lParam && !t_applying) OnScroll(*state, reinterpret_cast<HWND>(lParam));
      return TRUE;
    case WM_DROPFILES:
      if (state) OnDrop(window, *state, number, reinterpret_cast<HDROP>(wParam));
      return TRUE;
    case kMsgFlush:
      if (state) {
        // Taken before the changes are read: a change made from here on
        // queues a flush of its own.
        TakeQueuedFlush(*state);
        ApplyPendingChanges(*state);
      }
      return TRUE;
    case kMsgExit:
      if (state) OnExit(window, *state, number, static_cast<int>(wParam));
      else EndDialog(window, static_cast<INT_PTR>(wParam));
      return TRUE;
    case WM_SYSCOMMAND:
      return OnSysCommand(window, state, number, wParam);
    case WM_SIZE:
      if (state && wParam != SIZE_MINIMIZED) LayOut(window, number);
      return FALSE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      return state ? OnColour(number, reinterpret_cast<HDC>(wParam)) : FALSE;
  }
  return FALSE;
}

}  // namespace kst
