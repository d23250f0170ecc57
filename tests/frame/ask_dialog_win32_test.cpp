// The program's message boxes, file dialogs, folder browser and pictures,
// driven as a person would: a worker thread asks, the test thread finds the
// window and clicks, closes or presses Esc. Needs a display.
#include <windows.h>
#include <commctrl.h>
#include <cderr.h>
#include <commdlg.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "tests/support/screenshot.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "frame/ask.h"
#include "frame/ask_dialog.h"
#include "frame/colours.h"
#include "frame/dialog.h"
#include "frame/dialog_win32.h"
#include "frame/file_dialogs_win32.h"
#include "frame/language_files.h"
#include "frame/text_numbers.h"
#include "frame/texts.h"
#include "resources/resource_ids.h"

using namespace kst;

namespace {

constexpr int kOwnerRecord = 1;
constexpr int kBoxRecord = 21;
constexpr int kSecondBoxRecord = 22;
constexpr int kNotAnswered = -100;

bool WaitFor(const std::function<bool()>& done, int milliseconds = 5000) {
  for (int waited = 0; waited < milliseconds; waited += 10) {
    if (done()) return true;
    Sleep(10);
  }
  return done();
}

std::string TextOf(HWND window) {
  char text[4096] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ClassOf(HWND window) {
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

struct WindowSearch {
  std::string title;
  HWND found = nullptr;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<WindowSearch*>(data);
  if (ClassOf(window) != "#32770" || !IsWindowVisible(window)) return TRUE;
  if (!search->title.empty() && TextOf(window) != search->title) return TRUE;
  search->found = window;
  return FALSE;
}

// The dialog window of thread titled title (any title when empty).
HWND DialogOfThread(DWORD thread, const std::string& title) {
  WindowSearch search{title};
  EnumThreadWindows(thread, MatchDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BOOL CALLBACK CollectStatic(HWND child, LPARAM data) {
  if (ClassOf(child) == "Static")
    reinterpret_cast<std::vector<std::string>*>(data)->push_back(TextOf(child));
  return TRUE;
}

// Every static text inside window.
std::vector<std::string> StaticTexts(HWND window) {
  std::vector<std::string> texts;
  EnumChildWindows(window, CollectStatic, reinterpret_cast<LPARAM>(&texts));
  return texts;
}


// Runs work on a thread of its own, as a subprogram's thread would.
struct Worker {
  explicit Worker(std::function<int()> work)
      : thread([this, work] {
          id = GetCurrentThreadId();
          result = work();
        }) {}
  ~Worker() {
    if (thread.joinable()) thread.join();
  }
  // The thread's dialog titled title, waited for (nullptr on time-out).
  HWND Window(const std::string& title) {
    HWND found = nullptr;
    WaitFor([&] { return id.load() && (found = DialogOfThread(id, title)) != nullptr; });
    if (!found) testenv::SaveScreenshot("no_window_" + std::to_string(GetTickCount()));
    return found;
  }
  // The work's result, waited for (kNotAnswered on time-out).
  int Result() {
    WaitFor([&] { return result.load() != kNotAnswered; });
    return result;
  }
  std::atomic<DWORD> id{0};
  std::atomic<int> result{kNotAnswered};
  std::thread thread;
};

Worker* Ask(int style, const std::string& heading, const std::string& message,
            int boxRecord = kBoxRecord) {
  return new Worker([=] {
    return AskUser(style, nullptr, heading, message, boxRecord, kOwnerRecord);
  });
}

void Click(HWND box, int button) { PostMessageA(GetDlgItem(box, button), BM_CLICK, 0, 0); }

class WindowsDialogs : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
  }
  void SetUp() override {
    ClearTexts();
    LoadBuiltInTexts();
    RebuildFilters();
    ClearRecords();
    InstallWin32Dialogs();
    InstallAskDialog();
    Record(kOwnerRecord).icon = IDI_KESTROVA;
    Record(kOwnerRecord).colours = {Rgb(230, 240, 255), Rgb(0, 0, 128), Rgb(255, 255, 224)};
  }
  void TearDown() override {
    SetAskHandler(nullptr);
    SetAlertHandler(nullptr);
    SetDialogHooks(DialogHooks{});
    ClearRecords();
  }
};

using AskBoxes = WindowsDialogs;
using FileDialogs = WindowsDialogs;

}  // namespace

TEST_F(AskBoxes, EveryButtonGivesItsAnswer) {
  struct Case {
    int style;
    const char* title;
    int button;
    int answer;
  };
  const Case cases[] = {
      {kAskYesNoCancel, "Pop Quiz", IDYES, kAnswerYes},  {kAskYesNoCancel, "Pop Quiz", IDNO, kAnswerNo},
      {kAskYesNoCancel, "Pop Quiz", IDCANCEL, kAnswerCancel}, {kAskYesNo, "Pop Quiz", IDYES, kAnswerYes},
      {kAskYesNo, "Pop Quiz", IDNO, kAnswerNo},          {kAskOk, "Information", IDOK, kAnswerOk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("style " + std::to_string(c.style) + ", button " + std::to_string(c.button));
    std::unique_ptr<Worker> asking(Ask(c.style, "Heading", "Message"));
    HWND box = asking->Window(c.title);
    ASSERT_NE(box, nullptr);
    Click(box, c.button);
    EXPECT_EQ(asking->Result(), c.answer);
  }
}

TEST_F(AskBoxes, CloseBoxAndEscAnswerAsTheStyleSays) {
  struct Case {
    int style;
    const char* title;
    bool esc;
    int answer;
  };
  const Case cases[] = {
      {kAskYesNo, "Pop Quiz", false, kAnswerNo},         {kAskYesNo, "Pop Quiz", true, kAnswerNo},
      {kAskYesNoCancel, "Pop Quiz", false, kAnswerCancel}, {kAskYesNoCancel, "Pop Quiz", true, kAnswerCancel},
      {kAskOk, "Information", false, kAnswerOk},          {kAskOk, "Information", true, kAnswerOk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("style " + std::to_string(c.style) + (c.esc ? ", Esc" : ", close box"));
    std::unique_ptr<Worker> asking(Ask(c.style, "Heading", "Message"));
    HWND box = asking->Window(c.title);
    ASSERT_NE(box, nullptr);
    if (c.esc)
      PostMessageA(GetDlgItem(box, c.style == kAskOk ? IDOK : IDYES), WM_KEYDOWN, VK_ESCAPE, 0);
    else
      PostMessageA(box, WM_CLOSE, 0, 0);
    EXPECT_EQ(asking->Result(), c.answer);
  }
}

TEST_F(AskBoxes, ShowHeadingMessageAndTheTextTableLabelsInTheOwnersDress) {
  SetText(497, "&Nope");  // the buttons are labelled from the text table
  Colouring() = true;
  std::string path = "A:\\a folder with a rather long name\\and another one below it\\"
                     "and a third one that makes the path long\\movie.avi";
  std::unique_ptr<Worker> asking(
      Ask(kAskYesNoCancel, "Replace the file?", "The file\n" + path + "\r\nalready exists."));
  HWND box = asking->Window("Pop Quiz");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(TextOf(GetDlgItem(box, IDC_ASK_HEADING)), "Replace the file?");
  HWND message = GetDlgItem(box, IDC_ASK_MESSAGE);
  EXPECT_EQ(TextOf(message), "The file\r\n" + path + "\r\nalready exists.");
  EXPECT_GE(SendMessageA(message, EM_GETLINECOUNT, 0, 0), 4);  // the long path wraps
  LONG style = GetWindowLongA(message, GWL_STYLE);
  EXPECT_TRUE(style & ES_READONLY);
  EXPECT_TRUE(style & ES_MULTILINE);
  EXPECT_TRUE(style & WS_VSCROLL);
  EXPECT_EQ(TextOf(GetDlgItem(box, IDYES)), "&Yes");
  EXPECT_EQ(TextOf(GetDlgItem(box, IDNO)), "&Nope");
  EXPECT_EQ(TextOf(GetDlgItem(box, IDCANCEL)), "&Cancel");
  EXPECT_TRUE(GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_NE(SendMessageA(box, WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_EQ(Record(kBoxRecord).icon, IDI_KESTROVA);
  EXPECT_EQ(Record(kBoxRecord).colours.background, Rgb(230, 240, 255));
  EXPECT_EQ(Record(kBoxRecord).colours.text, Rgb(0, 0, 128));
  EXPECT_EQ(Record(kBoxRecord).colours.textBackground, Rgb(255, 255, 224));
  testenv::SaveScreenshot("ask_box_yes_no_cancel");
  Click(box, IDNO);
  EXPECT_EQ(asking->Result(), kAnswerNo);
  Colouring() = false;
  EXPECT_EQ(Record(kBoxRecord).state, nullptr);  // the record is free again
}

TEST_F(AskBoxes, TwoThreadsAskAtOnceOnTwoRecords) {
  std::unique_ptr<Worker> first(Ask(kAskYesNo, "First", "From the first thread"));
  std::unique_ptr<Worker> second(
      Ask(kAskYesNoCancel, "Second", "From the second thread", kSecondBoxRecord));
  HWND firstBox = first->Window("Pop Quiz");
  HWND secondBox = second->Window("Pop Quiz");
  ASSERT_NE(firstBox, nullptr);
  ASSERT_NE(secondBox, nullptr);
  EXPECT_EQ(TextOf(GetDlgItem(firstBox, IDC_ASK_HEADING)), "First");
  EXPECT_EQ(TextOf(GetDlgItem(secondBox, IDC_ASK_HEADING)), "Second");
  Click(secondBox, IDCANCEL);
  EXPECT_EQ(second->Result(), kAnswerCancel);
  EXPECT_EQ(first->result.load(), kNotAnswered);  // still asking
  Click(firstBox, IDYES);
  EXPECT_EQ(first->Result(), kAnswerYes);
}

TEST_F(AskBoxes, ABoxThatCannotBeShownFallsBackToThePlatformBox) {
  std::unique_ptr<Worker> asking(Ask(kAskYesNo, "Heading", "Message", 0));  // no such record
  HWND box = asking->Window("Big Whoops");
  ASSERT_NE(box, nullptr);
  std::vector<std::string> texts = StaticTexts(box);
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Error: dialog not found"), texts.end());
  Click(box, IDOK);
  EXPECT_EQ(asking->Result(), IDOK);
}

TEST_F(FileDialogs, InitFileDialogFillsTheRequest) {
  OPENFILENAMEA request;
  memset(&request, 0x5A, sizeof request);
  char file[300] = "";
  HWND owner = reinterpret_cast<HWND>(0x1234);
  InitFileDialog(owner, request, nullptr, file, sizeof file, "C:\\windows", "Select File To Split",
                 OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
  // The 95/NT 4 form of the request: 76 bytes where pointers have 4.
  EXPECT_EQ(request.lStructSize, offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(void*));
  EXPECT_EQ(request.hwndOwner, owner);
  EXPECT_EQ(request.hInstance, nullptr);
  std::string general = Filters().general;
  ASSERT_FALSE(general.empty());
  EXPECT_EQ(std::string(request.lpstrFilter, general.size()), general);
  EXPECT_EQ(std::string(request.lpstrFilter), "All Files (*.*)");
  EXPECT_EQ(request.lpstrCustomFilter, nullptr);
  EXPECT_EQ(request.nFilterIndex, 1u);
  EXPECT_EQ(request.lpstrFile, file);
  EXPECT_EQ(request.nMaxFile, sizeof file);
  EXPECT_EQ(request.lpstrFileTitle, nullptr);
  EXPECT_STREQ(request.lpstrInitialDir, "C:\\windows");
  EXPECT_STREQ(request.lpstrTitle, "Select File To Split");
  EXPECT_EQ(request.Flags, DWORD{OFN_FILEMUSTEXIST | OFN_HIDEREADONLY});
  EXPECT_EQ(request.lpstrDefExt, nullptr);
  EXPECT_EQ(request.lpfnHook, nullptr);
  EXPECT_EQ(request.lpTemplateName, nullptr);

  const char waves[] = "Wave Audio Files\0*.wav\0\0";
  InitFileDialog(nullptr, request, waves, file, sizeof file, nullptr, nullptr, 0);
  EXPECT_EQ(request.lpstrFilter, waves);
}

TEST_F(FileDialogs, TheRequestOpensTheDialogAndACancelReportsNothing) {
  Worker opening([] {
    OPENFILENAMEA request;
    char file[MAX_PATH] = "";
    InitFileDialog(nullptr, request, nullptr, file, sizeof file, nullptr, "Pick a test file",
                   OFN_FILEMUSTEXIST);
    if (GetOpenFileNameA(&request)) return -1;
    return static_cast<int>(ReportDialogError());
  });
  HWND dialog = opening.Window("Pick a test file");
  ASSERT_NE(dialog, nullptr);
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(opening.Result(), 0);  // and no box: the thread would still be waiting
}

TEST_F(FileDialogs, ReportDialogErrorShowsTheTextOfTheCode) {
  Worker reporting([] {
    OPENFILENAMEA request;
    char file[MAX_PATH] = "";
    InitFileDialog(nullptr, request, nullptr, file, sizeof file, nullptr, nullptr, 0);
    request.lStructSize = 3;  // no size the platform knows
    if (GetOpenFileNameA(&request)) return -1;
    return static_cast<int>(ReportDialogError());
  });
  HWND box = reporting.Window("FILE OPEN DIALOG FAILURE");
  ASSERT_NE(box, nullptr);
  std::vector<std::string> texts = StaticTexts(box);
  EXPECT_NE(std::find(texts.begin(), texts.end(), Trimmed(GetText(64))), texts.end());
  Click(box, IDOK);
  EXPECT_EQ(reporting.Result(), CDERR_STRUCTSIZE);
}

TEST_F(FileDialogs, TheFolderBrowserGivesTheChosenFolderOrNothing) {
  char desktop[MAX_PATH] = "";
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE));
  std::string chosen = "(none)";
  Worker choosing([&] {
    chosen = BrowseForFolder(nullptr, "Where do you want to put the splits?   ");
    return 0;
  });
  HWND browser = choosing.Window("");
  ASSERT_NE(browser, nullptr);
  std::vector<std::string> texts = StaticTexts(browser);
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Where do you want to put the splits?"),
            texts.end());
  PostMessageA(browser, WM_COMMAND, IDOK, 0);  // the browser starts on the desktop
  ASSERT_EQ(choosing.Result(), 0);
  EXPECT_TRUE(SameText(chosen, desktop)) << chosen << " for " << desktop;

  Worker cancelling([&] {
    chosen = BrowseForFolder(nullptr, "Pick");
    return 0;
  });
  browser = cancelling.Window("");
  ASSERT_NE(browser, nullptr);
  PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
  ASSERT_EQ(cancelling.Result(), 0);
  EXPECT_EQ(chosen, "");
}

TEST_F(WindowsDialogs, TheStartUpDialogShowsItsPictureTextsAndProgress) {
  DialogState state;
  ASSERT_TRUE(DialogInit(IDD_START_UP, state));
  EXPECT_EQ(state.title, "Kestrova 4.82 for 'Windows 95 to X2P' :)");
  EXPECT_EQ(DialogGet(state, IDC_START_TEXT), "Kestrova is starting, please wait...");
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    ASSERT_NE(FindControl(state, IDC_START_PROGRESS), nullptr);
    EXPECT_EQ(FindControl(state, IDC_START_PROGRESS)->type, ControlType::Progress);
  }
  BindRecord(2, state);
  DialogSetRange(state, IDC_START_PROGRESS, 0, 5);
  DialogSetValue(state, IDC_START_PROGRESS, 3);
  Worker showing([&] { return DialogRunModal(state, 2); });
  HWND window = showing.Window("Kestrova 4.82 for 'Windows 95 to X2P' :)");
  ASSERT_NE(window, nullptr);
  HWND picture = GetDlgItem(window, IDC_START_PICTURE);
  EXPECT_NE(SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);  // still there once opened
  EXPECT_EQ(SendMessageA(GetDlgItem(window, IDC_START_PROGRESS), PBM_GETPOS, 0, 0), 3);
  EXPECT_EQ(SendMessageA(GetDlgItem(window, IDC_START_PROGRESS), PBM_GETRANGE, FALSE, 0), 5);
  testenv::SaveScreenshot("start_up_dialog");
  DialogExit(state, 0);
  EXPECT_EQ(showing.Result(), 0);
}

TEST_F(WindowsDialogs, TheProgramsPicturesLoadInTheirSizes) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  for (int id : {IDI_KESTROVA, IDI_TARGET_PRACTICE, IDI_FILE_SPLITTING}) {
    for (int size : {16, 32}) {
      SCOPED_TRACE("icon " + std::to_string(id) + " at " + std::to_string(size));
      HICON icon = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
      ASSERT_NE(icon, nullptr);
      ICONINFO info = {};
      ASSERT_TRUE(GetIconInfo(icon, &info));
      BITMAP colour = {};
      GetObjectA(info.hbmColor, sizeof colour, &colour);
      EXPECT_EQ(colour.bmWidth, size);  // an image drawn for the size, not a scaled one
      DeleteObject(info.hbmColor);
      DeleteObject(info.hbmMask);
      DestroyIcon(icon);
    }
  }
  struct Picture {
    int id;
    int size;
  };
  for (Picture p : {Picture{IDB_START_UP, 96}, Picture{IDB_WAVE_SOUNDS, 20},
                    Picture{IDB_NO_SOUNDS, 20}, Picture{IDB_BEEP_SOUNDS, 20}}) {
    SCOPED_TRACE("bitmap " + std::to_string(p.id));
    HBITMAP bitmap = LoadBitmapA(module, MAKEINTRESOURCEA(p.id));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, p.size);
    EXPECT_EQ(info.bmHeight, p.size);
    DeleteObject(bitmap);
  }
}

TEST(FillFromList, PutsTheEntriesIntoTheComboBoxInOrder) {
  RegisterTemplate(9101, {{500, ControlType::ComboBox, ""}});
  DialogState state;
  ASSERT_TRUE(DialogInit(9101, state));
  RememberedList list;
  list.capacity = 5;
  list.entries = {"C:\\newest.avi   ", "C:\\older.avi", "A:\\oldest.avi"};
  FillFromList(state, 500, list);
  EXPECT_EQ(DialogGetItems(state, 500),
            (std::vector<std::string>{"C:\\newest.avi", "C:\\older.avi", "A:\\oldest.avi"}));
  FillFromList(state, 500, RememberedList{5, {}});
  EXPECT_TRUE(DialogGetItems(state, 500).empty());
}
