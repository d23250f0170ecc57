// The Program Master and the Format Interface as a person uses them.
#include <algorithm>
#include <cstdio>

#include "tests/e2e/command_center_steps.h"

namespace {

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
  void TearDown() override {
    WindowTest::TearDown();
    for (PROCESS_INFORMATION& p : notepads) {
      TerminateProcess(p.hProcess, 9);
      CloseHandle(p.hThread);
      CloseHandle(p.hProcess);
    }
  }
  PROCESS_INFORMATION Notepad() {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    char command[] = "notepad.exe";
    if (CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
      WaitForInputIdle(info.hProcess, 5000);
    notepads.push_back(info);
    return info;
  }
  static bool Ends(const PROCESS_INFORMATION& p) { return WaitForSingleObject(p.hProcess, 5000) == WAIT_OBJECT_0; }
  std::vector<PROCESS_INFORMATION> notepads;
};

TEST_F(ProgramMasterWindow, ListsKestrovaSetsAPriorityEndsTheNotepadsItNamesBothWaysAndRefusesItself) {
  const PROCESS_INFORMATION first = Notepad(), second = Notepad();
  ASSERT_TRUE(first.hProcess && second.hProcess) << "notepad.exe did not start";
  ASSERT_NO_FATAL_FAILURE(Begin());
  dialog = Opens(session->center, IDC_CC_PROGRAM_MASTER, "The Program Master", 3000);
  if (!dialog && AnswerQuestion("Nothing doin'...", IDYES)) dialog = WaitWindow("The Program Master");
  ASSERT_TRUE(dialog);
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

  ASSERT_GE(Pick(dialog, first.dwProcessId), 0) << "the notepad is not listed";
  Click(Control(dialog, IDC_PM_HIGH));
  EXPECT_NE(ListRows(dialog, IDC_PM_LIST)[RowOf(dialog, first.dwProcessId)].find(" -- HIGH -- "), std::string::npos);
  EXPECT_EQ(GetPriorityClass(first.hProcess), static_cast<DWORD>(HIGH_PRIORITY_CLASS));
  // Friendly: its windows are asked to close; the list drops it a second later.
  Click(Control(dialog, IDC_PM_FRIENDLY));
  EXPECT_TRUE(Ends(first)) << "the notepad did not close";
  EXPECT_TRUE(WaitUntil([&] { return RowOf(dialog, first.dwProcessId) < 0; }, 4000, "friendly-refresh"));
  EXPECT_FALSE(WaitForSingleObject(second.hProcess, 0) == WAIT_OBJECT_0) << "another was ended";
  // Unfriendly asks first; Yes ends the notepad at once.
  ASSERT_GE(Pick(dialog, second.dwProcessId), 0);
  EXPECT_NE(Asked(dialog, IDC_PM_UNFRIENDLY, "End it at once?...", IDYES).find("notepad"), std::string::npos);
  ASSERT_TRUE(Ends(second)) << "the notepad asked about was not ended";

  // Kestrova itself is not ended; Real Time for it, answered No, is not set.
  ASSERT_GE(Pick(dialog, own), 0);
  EXPECT_NE(Asked(dialog, IDC_PM_UNFRIENDLY, "WHAT...", IDOK), "(no question)");
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
  std::vector<std::string> removable;
  for (std::string drive = "A:"; drive[0] <= 'Z'; ++drive[0])
    if (GetDriveTypeA((drive + "\\").c_str()) == DRIVE_REMOVABLE) removable.push_back(drive);
  EXPECT_EQ(ComboRows(dialog, IDC_FI_DRIVES), removable);
  EXPECT_EQ(removable.at(0), "A:");
  Shot(dialog, "format-interface");

  HWND box = Opens(dialog, IDC_FI_FORMAT, "No formatting possible!");  // the system's message box: its text is 0xFFFF
  ASSERT_TRUE(box);
  EXPECT_EQ(Text(box, 0xFFFF), "Drive A: is not formatable!");
  ASSERT_TRUE(Closes(box, IDOK));
  EXPECT_EQ(ReadBytes(kept), "these bytes stay");
  DeleteFileA(kept.c_str());
  EXPECT_TRUE(Closes(dialog, IDC_FI_HIDE)) << "no format is open any more: the window closes";
}

}  // namespace
