// The program's message boxes, file dialogs, folder browser, start-up
// window and a dialog fed by a worker, driven as a person would: a worker
// thread asks, the test thread finds the window and answers. Needs a display.
#include <windows.h>
#include <commctrl.h>
#include <cderr.h>
#include <commdlg.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "frame/command_center/colours.h"
#include "frame/dialogs/ask_dialog.h"
#include "frame/dialogs/dialog_win32.h"
#include "frame/dialogs/file_dialogs_win32.h"
#include "frame/texts/language_files.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "resources/resource_ids.h"
#include "tests/support/screenshot.h"

using namespace kst;

namespace {

constexpr int kOwnerRecord = 1, kBoxRecord = 21, kNotAnswered = -100;

bool WaitFor(const std::function<bool()>& done) {
  for (int waited = 0; waited < 5000 && !done(); waited += 10) Sleep(10);
  return done();
}

std::string TextOf(HWND window) {
  char text[4096] = "";
  return GetWindowTextA(window, text, sizeof text), text;
}

struct WindowSearch { std::string title; HWND found = nullptr; };  // any title when empty

BOOL CALLBACK MatchDialog(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<WindowSearch*>(data);
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  if (std::string(name) != "#32770" || !IsWindowVisible(window)) return TRUE;
  if (!search->title.empty() && TextOf(window) != search->title) return TRUE;
  return search->found = window, FALSE;
}

bool ShowsText(HWND window, const std::string& text) { return FindWindowExA(window, nullptr, "Static", text.c_str()); }

// Runs work on a thread of its own, as a subprogram's thread would.
struct Worker {
  explicit Worker(std::function<int()> work) : thread([this, work] { id = GetCurrentThreadId(), result = work(); }) {}
  ~Worker() { thread.join(); }
  // The thread's dialog titled title (any when empty), nullptr on time-out.
  HWND Window(const std::string& title) {
    WindowSearch search{title};
    WaitFor([&] {
      if (id.load()) EnumThreadWindows(id, MatchDialog, reinterpret_cast<LPARAM>(&search));
      return search.found != nullptr;
    });
    if (!search.found) testenv::SaveScreenshot("no_window_" + std::to_string(GetTickCount()));
    return search.found;
  }
  int Result() { return WaitFor([&] { return result.load() != kNotAnswered; }), result.load(); }
  std::atomic<DWORD> id{0};
  std::atomic<int> result{kNotAnswered};
  std::thread thread;
};

Worker* Ask(int style, const std::string& heading, const std::string& message, int boxRecord = kBoxRecord) {
  return new Worker([=] { return AskUser(style, nullptr, heading, message, boxRecord, kOwnerRecord); });
}

void Click(HWND box, int button) { PostMessageA(GetDlgItem(box, button), BM_CLICK, 0, 0); }

// Asks for a file with request spoilt by spoil, as a subprogram would.
int OpenFileDialog(const char* title, const std::function<void(OPENFILENAMEA&)>& spoil) {
  OPENFILENAMEA request;
  char file[MAX_PATH] = "";
  InitFileDialog(nullptr, request, nullptr, file, sizeof file, nullptr, title, OFN_FILEMUSTEXIST);
  spoil(request);
  return GetOpenFileNameA(&request) ? -1 : static_cast<int>(ReportDialogError());
}

class WindowsDialogs : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
  }
  void SetUp() override {
    ClearTexts(), LoadBuiltInTexts(), RebuildFilters(), ClearRecords(), InstallWin32Dialogs(), InstallAskDialog();
    Record(kOwnerRecord).icon = IDI_KESTROVA;
    Record(kOwnerRecord).colours = {Rgb(230, 240, 255), Rgb(0, 0, 128), Rgb(255, 255, 224)};
  }
  void TearDown() override { SetAskHandler(nullptr), SetAlertHandler(nullptr), SetDialogHooks({}), ClearRecords(); }
};

}  // namespace

// A box that cannot be shown (no such record) falls back to the platform's.
TEST_F(WindowsDialogs, EachKindOfBoxGivesTheAnswerOfItsButtonsCloseBoxAndEsc) {
  enum Action { kClick, kClose, kEsc };
  // button: clicked, or the one that has the focus for Esc.
  struct Case { int style, record; const char* title; Action action; int button, answer; } const cases[] = {
      {kAskYesNoCancel, kBoxRecord, "Pop Quiz", kClick, IDYES, kAnswerYes},
      {kAskYesNoCancel, kBoxRecord, "Pop Quiz", kClick, IDNO, kAnswerNo},
      {kAskYesNoCancel, kBoxRecord, "Pop Quiz", kClick, IDCANCEL, kAnswerCancel},
      {kAskYesNoCancel, kBoxRecord, "Pop Quiz", kClose, 0, kAnswerCancel},
      {kAskYesNo, kBoxRecord, "Pop Quiz", kEsc, IDYES, kAnswerNo},  // a box without Cancel still closes
      {kAskOk, kBoxRecord, "Information", kEsc, IDOK, kAnswerOk},
      {kAskYesNo, 0, "Big Whoops", kClick, IDOK, IDOK},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("case " + std::to_string(&c - cases));
    std::unique_ptr<Worker> asking(Ask(c.style, "Heading", "Message", c.record));
    HWND box = asking->Window(c.title);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ShowsText(box, "Error: dialog not found"), c.record == 0);
    if (c.action == kClick) Click(box, c.button);
    if (c.action == kClose) PostMessageA(box, WM_CLOSE, 0, 0);
    if (c.action == kEsc) PostMessageA(GetDlgItem(box, c.button), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(asking->Result(), c.answer);
  }
}

// Creation is serialised: each window takes and clears its own marker, and
// a second thread's box waits for the first instead of sharing it.
TEST_F(WindowsDialogs, BoxesShowTheirTextsInTheOwnersDressAndTwoThreadsAskAtOnce) {
  SetText(497, "&Nope");  // the buttons are labelled from the text table
  Colouring() = true;
  std::string path = "A:\\a folder with a rather long name\\and another one below it\\"
                     "and a third one that makes the path long\\movie.avi";
  std::unique_ptr<Worker> asking(
      Ask(kAskYesNoCancel, "Replace the file?", "The file\n" + path + "\r\nalready exists."));
  std::unique_ptr<Worker> second(Ask(kAskYesNo, "Second", "From the second thread", kBoxRecord + 1));
  HWND box = asking->Window("Pop Quiz"), secondBox = second->Window("Pop Quiz");
  ASSERT_TRUE(box && secondBox);
  EXPECT_EQ(TextOf(GetDlgItem(box, IDC_ASK_HEADING)) + TextOf(GetDlgItem(secondBox, IDC_ASK_HEADING)),
            "Replace the file?Second");
  EXPECT_EQ(Record(kBoxRecord).creationMarker.load() | Record(kBoxRecord + 1).creationMarker.load(), 0);
  Click(secondBox, IDYES);
  EXPECT_EQ(second->Result() * 1000 + asking->result.load(), kAnswerYes * 1000 + kNotAnswered);  // still asking
  HWND message = GetDlgItem(box, IDC_ASK_MESSAGE);
  // The edit field breaks lines only at CR LF, and the long path wraps.
  EXPECT_EQ(TextOf(message), "The file\r\n" + path + "\r\nalready exists.");
  EXPECT_GE(SendMessageA(message, EM_GETLINECOUNT, 0, 0), 4);
  EXPECT_EQ(TextOf(GetDlgItem(box, IDYES)) + TextOf(GetDlgItem(box, IDNO)) + TextOf(GetDlgItem(box, IDCANCEL)),
            "&Yes&Nope&Cancel");
  EXPECT_TRUE((GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) && SendMessageA(box, WM_GETICON, ICON_BIG, 0));
  EXPECT_EQ(Record(kBoxRecord).colours.text, Rgb(0, 0, 128));
  testenv::SaveScreenshot("ask_box_yes_no_cancel");
  Click(box, IDNO);
  EXPECT_EQ(asking->Result(), kAnswerNo);
  Colouring() = false;
  EXPECT_EQ(Record(kBoxRecord).state, nullptr);  // the record is free again
}

// The request's size differs with the width of pointers.
TEST_F(WindowsDialogs, ACancelReportsNothingAndAFailureShowsTheTextOfItsCode) {
  Worker opening([] { return OpenFileDialog("Pick a test file", [](OPENFILENAMEA&) {}); });
  HWND dialog = opening.Window("Pick a test file");
  ASSERT_NE(dialog, nullptr);
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(opening.Result(), 0);  // and no box: the thread would still be waiting

  Worker failing([] { return OpenFileDialog(nullptr, [](OPENFILENAMEA& r) { r.lStructSize = 3; }); });
  HWND box = failing.Window("FILE OPEN DIALOG FAILURE");
  ASSERT_TRUE(box && ShowsText(box, Trimmed(GetText(64))));
  Click(box, IDOK);
  EXPECT_EQ(failing.Result(), CDERR_STRUCTSIZE);
}

TEST_F(WindowsDialogs, TheFolderBrowserGivesTheChosenFolderOrNothing) {
  char desktop[MAX_PATH] = "";
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE));
  for (int button : {IDOK, IDCANCEL}) {
    std::string chosen = "(none)";
    Worker choosing([&] { return (chosen = BrowseForFolder(nullptr, "Where do you want to put the splits?   ")), 0; });
    HWND browser = choosing.Window("");
    ASSERT_TRUE(browser && ShowsText(browser, "Where do you want to put the splits?"));
    PostMessageA(browser, WM_COMMAND, button, 0);  // the browser starts on the desktop
    ASSERT_EQ(choosing.Result(), 0);
    EXPECT_TRUE(SameText(chosen, button == IDOK ? desktop : "")) << chosen << " for " << desktop;
  }
}

TEST_F(WindowsDialogs, TheStartUpWindowShowsItsPictureAndTheProgressSetBeforeItOpened) {
  DialogState state;
  ASSERT_TRUE(DialogInit(IDD_START_UP, state));  // read from the program's resources
  std::string title = state.title;  // the window's thread may retitle the state
  BindRecord(2, state);
  DialogSetRange(state, IDC_START_PROGRESS, 0, 5), DialogSetValue(state, IDC_START_PROGRESS, 3);
  Worker showing([&] { return DialogRunModal(state, 2); });
  HWND window = showing.Window(title);
  ASSERT_NE(window, nullptr);
  // The picture outlives its text being set again as the window opens.
  EXPECT_NE(SendMessageA(GetDlgItem(window, IDC_START_PICTURE), STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
  HWND bar = GetDlgItem(window, IDC_START_PROGRESS);
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0) * 10 + SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 35);
  testenv::SaveScreenshot("start_up_dialog");
  DialogExit(state, 0);
  EXPECT_EQ(showing.Result(), 0);
}

// Fed from another thread, as a worker feeds its window; it closes quietly from another thread.
TEST_F(WindowsDialogs, AFlushSetsTitleAndTooltipsOnlyWhenTheyChanged) {
  constexpr int kRecord = 3;
  // Left to the window's thread if it never ends, so that a failure cannot hang the run.
  DialogState& state = *new DialogState;
  std::atomic<bool>& ended = *new std::atomic<bool>(false);
  BindRecord(kRecord, state);
  ASSERT_TRUE(DialogInit(IDD_FILE_SPLITTING, state));
  DialogSetTitle(state, "Before"), DialogSetTooltip(state, IDC_FS_GO, "Go");
  DialogSetTooltip(state, IDC_FS_HIDE, "Hide"), DialogSetRange(state, IDC_FS_SPLIT_PROGRESS, 0, 100);
  std::thread owner([&] { DialogRunModal(state, kRecord), ended = true; });
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(static_cast<HWND>(state.window.load())); }));
  HWND window = static_cast<HWND>(state.window.load());
  HWND tip = static_cast<HWND>(Record(kRecord).tooltipWindow);
  // Changed behind the flushes' back: a flush that sets them again shows here.
  SetWindowTextA(window, "Outside");
  TOOLINFOA info = {};
  info.cbSize = sizeof info, info.uFlags = TTF_IDISHWND, info.hwnd = window;
  info.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(window, IDC_FS_GO));
  SendMessageA(tip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
  const struct { std::function<void()> change; std::string title; LRESULT tools; } steps[] = {
      {[] {}, "Outside", 1},
      {[&] { DialogSetTooltip(state, IDC_FS_GO, "Go on"); }, "Outside", 2},
      {[&] { DialogSetTitle(state, "After"); }, "After", 2},
  };
  for (int position = 1; position <= 3; ++position) {
    const auto& s = steps[position - 1];
    s.change();
    DialogSetValue(state, IDC_FS_SPLIT_PROGRESS, position);
    DialogFlush(state);  // queued to the window's thread
    HWND bar = GetDlgItem(window, IDC_FS_SPLIT_PROGRESS);
    EXPECT_TRUE(WaitFor([&] { return SendMessageA(bar, PBM_GETPOS, 0, 0) == position; }));
    SendMessageA(window, WM_NULL, 0, 0);  // answered once the flush has returned
    EXPECT_EQ(TextOf(window), s.title) << position;
    EXPECT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), s.tools) << position;
  }
  // Its file field has the focus and reports losing it as the window goes: no malfunction to ask about.
  DialogExit(state);
  if (!WaitFor([&] { return ended.load(); })) {
    owner.detach();
    FAIL() << "the window did not close";
  }
  owner.join();
  DialogUninit(state);
  delete &state, delete &ended;
}
