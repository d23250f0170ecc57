// The Program Master and the Format Interface as a person uses them: the
// running programs with Kestrova's own threads by name, a notepad raised
// to High and ended both ways, the refusal to end Kestrova itself; the
// removable drives offered, and the system's "cannot format" reported
// with the disk left as it was.
#include <algorithm>
#include <cstdio>

#include "tests/e2e/command_center_steps.h"

namespace {

using namespace cc_steps;
using namespace e2e;

// The row of process id (-1 none), and the row picked as a click does.
int RowOf(HWND dialog, DWORD id) {
  char start[16];
  std::snprintf(start, sizeof start, "%08lX -- ", static_cast<unsigned long>(id));
  const std::vector<std::string> rows = ListRows(dialog, IDC_PM_LIST);
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].rfind(start, 0) == 0) return static_cast<int>(i);
  return -1;
}
int Pick(HWND dialog, DWORD id) {
  const int row = RowOf(dialog, id);
  HWND list = Control(dialog, IDC_PM_LIST);
  SendMessageA(list, LB_SETCURSEL, row, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PM_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  return row;
}

// Notepads started for a test, ended after it whatever happened.
struct ProgramMasterWindow : WindowTest {
  void SetUp() override {
    ASSERT_TRUE(Notepad().hProcess) << "notepad.exe did not start";
    Begin();
    if (HasFatalFailure()) return;
    PostClick(Control(session->center, IDC_CC_PROGRAM_MASTER));
    dialog = WaitWindow("The Program Master", 3000);
    if (!dialog && AnswerQuestion("Nothing doin'...", IDYES)) dialog = WaitWindow("The Program Master");
    ASSERT_TRUE(dialog);
  }
  void TearDown() override {
    WindowTest::TearDown();
    for (PROCESS_INFORMATION& p : notepads) {
      TerminateProcess(p.hProcess, 9);
      CloseHandle(p.hThread);
      CloseHandle(p.hProcess);
    }
  }
  const PROCESS_INFORMATION& Notepad() {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    char command[] = "notepad.exe";
    if (CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
      WaitForInputIdle(info.hProcess, 5000);
    notepads.push_back(info);
    return notepads.back();
  }
  static bool Ends(const PROCESS_INFORMATION& p) { return WaitForSingleObject(p.hProcess, 5000) == WAIT_OBJECT_0; }
  std::vector<PROCESS_INFORMATION> notepads;
};

TEST_F(ProgramMasterWindow, ListsKestrovaSetsAPriorityEndsTheNotepadsItNamesBothWaysAndRefusesItself) {
  const DWORD own = session->program.process.dwProcessId;
  const int row = Pick(dialog, own);
  ASSERT_GE(row, 0) << "Kestrova is not listed";
  EXPECT_NE(ListRows(dialog, IDC_PM_LIST)[row].find(" -- Kestrova.exe -- "), std::string::npos);
  // Its threads by the names of their slots, each once.
  const std::vector<std::string> threads = ListRows(dialog, IDC_PM_THREADS);
  for (const char* name : {"Kestrova Main Thread", "Copy &/Or Join - File Joining", "Wav2Data & Data2Wav Third"})
    EXPECT_EQ(std::count_if(threads.begin(), threads.end(),
                            [&](const std::string& line) { return EndsWith(line, std::string(" -- ") + name); }),
              1) << name;
  Shot(dialog, "program-master-kestrova");

  const PROCESS_INFORMATION first = notepads[0];
  ASSERT_GE(Pick(dialog, first.dwProcessId), 0) << "the notepad is not listed";
  Click(Control(dialog, IDC_PM_HIGH));
  EXPECT_NE(ListRows(dialog, IDC_PM_LIST)[RowOf(dialog, first.dwProcessId)].find(" -- HIGH -- "), std::string::npos);
  EXPECT_EQ(GetPriorityClass(first.hProcess), static_cast<DWORD>(HIGH_PRIORITY_CLASS));
  // Friendly: its windows are asked to close; the list drops it a second later.
  Click(Control(dialog, IDC_PM_FRIENDLY));
  EXPECT_TRUE(Ends(first)) << "the notepad did not close";
  EXPECT_TRUE(WaitUntil([&] { return RowOf(dialog, first.dwProcessId) < 0; }, 4000, "friendly-refresh"));

  // Unfriendly asks first. While the question stands, Refresh builds the
  // list anew (another notepad has started meanwhile): Yes still ends the
  // notepad asked about, and only it.
  const PROCESS_INFORMATION second = Notepad();
  Click(Control(dialog, IDC_PM_REFRESH));
  ASSERT_GE(Pick(dialog, second.dwProcessId), 0);
  PostClick(Control(dialog, IDC_PM_UNFRIENDLY));
  HWND box = FindQuestion("End it at once?...");
  ASSERT_TRUE(box);
  EXPECT_NE(GetText(GetDlgItem(box, IDC_ASK_MESSAGE)).find("notepad"), std::string::npos);
  const PROCESS_INFORMATION third = Notepad();
  for (int i = 0; i < 3; ++i) {
    PostClick(Control(dialog, IDC_PM_REFRESH));
    Sleep(200);
  }
  EXPECT_TRUE(WaitUntil([&] { return RowOf(dialog, third.dwProcessId) >= 0; }, 5000, "refreshed-behind"));
  PostClick(GetDlgItem(box, IDYES));
  ASSERT_TRUE(WaitGone(box));
  ASSERT_TRUE(Ends(second)) << "the notepad asked about was not ended";
  DWORD code = 0;
  GetExitCodeProcess(second.hProcess, &code);
  EXPECT_EQ(code, 1u);
  EXPECT_EQ(WaitForSingleObject(third.hProcess, 500), static_cast<DWORD>(WAIT_TIMEOUT)) << "another was ended";

  // Kestrova itself is not ended, and Real Time for it is asked about: No
  // keeps its class.
  ASSERT_GE(Pick(dialog, own), 0);
  EXPECT_EQ(Asked(dialog, IDC_PM_UNFRIENDLY, "WHAT...", IDOK),
            "... WHAT THE HELL DO YOU WANT ME TO DO... SUICIDE? Sorry, can't let you do that :)");
  EXPECT_FALSE(WaitExit(session->program, 300));
  EXPECT_NE(Asked(dialog, IDC_PM_REAL_TIME, "Are you sure?...", IDNO).find("Kestrova"), std::string::npos);
  SendMessageA(dialog, WM_NULL, 0, 0);
  EXPECT_EQ(GetPriorityClass(session->program.process.hProcess), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
  EXPECT_FALSE(IsChecked(Control(dialog, IDC_PM_REAL_TIME)));
}

using FormatInterfaceWindow = WindowTest;

TEST_F(FormatInterfaceWindow, OffersTheRemovableDrivesAndReportsThatTheDriveCannotBeFormatted) {
  const std::string kept = "A:\\kept.txt";
  ASSERT_TRUE(WriteBytes(kept, "these bytes stay"));
  ASSERT_NO_FATAL_FAILURE(Begin(IDC_CC_FORMAT, "Interface with Shell32's Format Drive Dialog Box"));
  std::vector<std::string> removable, offered;
  for (char letter = 'A'; letter <= 'Z'; ++letter)
    if (GetDriveTypeA((std::string(1, letter) + ":\\").c_str()) == DRIVE_REMOVABLE)
      removable.push_back(std::string(1, letter) + ":");
  HWND drives = Control(dialog, IDC_FI_DRIVES);
  for (int i = 0; i < SendMessageA(drives, CB_GETCOUNT, 0, 0); ++i) {
    wchar_t text[16] = L"";  // Wine answers in UTF-16 here
    SendMessageW(drives, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    offered.push_back(std::string(text, text + wcslen(text)));
  }
  EXPECT_EQ(offered, removable);
  ASSERT_FALSE(offered.empty());
  EXPECT_EQ(offered.front(), "A:");
  Shot(dialog, "format-interface");

  PostClick(Control(dialog, IDC_FI_FORMAT));
  std::string message;
  ASSERT_TRUE(AnswerBox("No formatting possible!", IDOK, 5000, &message));
  EXPECT_EQ(message, "Drive A: is not formatable!");
  EXPECT_EQ(ReadBytes(kept), "these bytes stay");
  DeleteFileA(kept.c_str());
  // No format is open any more: the window closes.
  PostClick(Control(dialog, IDC_FI_HIDE));
  EXPECT_TRUE(WaitGone(dialog));
}

}  // namespace
