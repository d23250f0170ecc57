// The Program Master and the Format Interface as a person uses them: the
// running programs with Kestrova's own threads by name, a notepad raised
// to High and ended both ways, the refusal to end Kestrova itself; the
// removable drives offered, and the system's "cannot format" reported
// with the disk left as it was.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/e2e/command_center_steps.h"
#include "tests/e2e/driver.h"

namespace {

using cc_steps::AnswerQuestion;
using cc_steps::Session;

// The slots' names, as a slot keeps them: at most 30 characters.
const char* const kSlotNames[] = {
    "Kestrova Main Thread", "FileSplit Main", "FileSplit Second", "Split &/Or Copy Main", "Split &/Or Copy Second",
    "Copy &/Or Join Main", "Copy &/Or Join Second", "Test Disks Main", "Test Disks Second", "Compare Main",
    "Compare Second", "ExFilesRemover Main", "ExFilesRemover Second", "Intuitive Target Practice Main",
    "Kestrova Clocking System Main", "Format Interface Main", "Horse Racing Main", "Horse Racing Second",
    "Program Master Main", "Copy &/Or Join - File Joining", "Wav2Data & Data2Wav Main",
    "Wav2Data & Data2Wav Second", "Wav2Data & Data2Wav Third"};

std::vector<std::string> Rows(HWND dialog, int id) {
  std::vector<std::string> rows;
  for (int i = 0; i < e2e::ListCount(e2e::Control(dialog, id)); ++i)
    rows.push_back(e2e::ListText(e2e::Control(dialog, id), i));
  return rows;
}

// The row of process id (-1 none), and the row picked as a click does.
int RowOf(HWND dialog, DWORD id) {
  char start[16];
  std::snprintf(start, sizeof start, "%08lX -- ", static_cast<unsigned long>(id));
  std::vector<std::string> rows = Rows(dialog, IDC_PM_LIST);
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].rfind(start, 0) == 0) return static_cast<int>(i);
  return -1;
}
int Pick(HWND dialog, DWORD id) {
  int row = RowOf(dialog, id);
  HWND list = e2e::Control(dialog, IDC_PM_LIST);
  SendMessageA(list, LB_SETCURSEL, row, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PM_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  return row;
}

PROCESS_INFORMATION StartNotepad() {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  char command[] = "notepad.exe";
  if (CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    WaitForInputIdle(info.hProcess, 5000);
  return info;
}

bool Ends(const PROCESS_INFORMATION& info) { return WaitForSingleObject(info.hProcess, 5000) == WAIT_OBJECT_0; }

TEST(ProgramMasterWindow, ListsKestrovaByThreadNameSetsAPriorityEndsNotepadsBothWaysAndRefusesItself) {
  PROCESS_INFORMATION first = StartNotepad();
  ASSERT_TRUE(first.hProcess) << "notepad.exe did not start";
  Session session(e2e::FreshFolder("program_master"));
  ASSERT_TRUE(session.center);
  e2e::PostClick(e2e::Control(session.center, IDC_CC_PROGRAM_MASTER));
  HWND dialog = e2e::WaitWindow("The Program Master", 3000);
  if (!dialog && AnswerQuestion("Nothing doin'...", IDYES)) dialog = e2e::WaitWindow("The Program Master");
  ASSERT_TRUE(dialog);

  const DWORD own = session.program.process.dwProcessId;
  int row = Pick(dialog, own);
  ASSERT_GE(row, 0) << "Kestrova is not listed";
  EXPECT_NE(Rows(dialog, IDC_PM_LIST)[row].find(" -- Kestrova.exe -- "), std::string::npos);
  std::vector<std::string> threads = Rows(dialog, IDC_PM_THREADS);
  for (const std::string name : kSlotNames) {
    int found = 0;
    for (const std::string& line : threads)
      found += line.size() > name.size() + 4 && line.compare(line.size() - name.size() - 4, std::string::npos,
                                                              " -- " + name) == 0;
    EXPECT_EQ(found, 1) << name;
  }
  cc_steps::Shot(dialog, "program-master-kestrova");

  ASSERT_GE(Pick(dialog, first.dwProcessId), 0) << "the notepad is not listed";
  e2e::Click(e2e::Control(dialog, IDC_PM_HIGH));
  EXPECT_NE(Rows(dialog, IDC_PM_LIST)[RowOf(dialog, first.dwProcessId)].find(" -- HIGH -- "), std::string::npos);
  EXPECT_EQ(GetPriorityClass(first.hProcess), static_cast<DWORD>(HIGH_PRIORITY_CLASS));
  // Friendly: its windows are asked to close; the list drops it a second later.
  e2e::Click(e2e::Control(dialog, IDC_PM_FRIENDLY));
  EXPECT_TRUE(Ends(first)) << "the notepad did not close";
  EXPECT_TRUE(e2e::WaitUntil([&] { return RowOf(dialog, first.dwProcessId) < 0; }, 4000, "friendly-refresh"));

  PROCESS_INFORMATION second = StartNotepad();
  e2e::Click(e2e::Control(dialog, IDC_PM_REFRESH));
  ASSERT_GE(Pick(dialog, second.dwProcessId), 0);
  e2e::PostClick(e2e::Control(dialog, IDC_PM_UNFRIENDLY));
  std::string message;
  ASSERT_TRUE(AnswerQuestion("End it at once?...", IDYES, &message));
  EXPECT_NE(message.find("notepad"), std::string::npos) << message;
  ASSERT_TRUE(Ends(second));
  DWORD code = 0;
  GetExitCodeProcess(second.hProcess, &code);
  EXPECT_EQ(code, 1u);

  ASSERT_GE(Pick(dialog, own), 0);
  e2e::PostClick(e2e::Control(dialog, IDC_PM_UNFRIENDLY));
  ASSERT_TRUE(AnswerQuestion("WHAT...", IDOK, &message));
  EXPECT_EQ(message, "... WHAT THE HELL DO YOU WANT ME TO DO... SUICIDE? Sorry, can't let you do that :)");
  EXPECT_FALSE(e2e::WaitExit(session.program, 300));
  session.ExitWithYes();
  for (PROCESS_INFORMATION* p : {&first, &second}) {
    TerminateProcess(p->hProcess, 9);  // when a step above failed
    CloseHandle(p->hThread);
    CloseHandle(p->hProcess);
  }
}

// While "End it at once?" stands, Refresh builds the list anew (another
// notepad has started meanwhile): Yes still ends the notepad asked about,
// and only it. Real Time for Kestrova itself is asked about; No keeps its class.
TEST(ProgramMasterWindow, AQuestionWithARefreshBehindItEndsTheProgramItNamed) {
  PROCESS_INFORMATION first = StartNotepad();
  ASSERT_TRUE(first.hProcess) << "notepad.exe did not start";
  Session session(e2e::FreshFolder("program_master_refresh"));
  ASSERT_TRUE(session.center);
  e2e::PostClick(e2e::Control(session.center, IDC_CC_PROGRAM_MASTER));
  HWND dialog = e2e::WaitWindow("The Program Master", 3000);
  if (!dialog && AnswerQuestion("Nothing doin'...", IDYES)) dialog = e2e::WaitWindow("The Program Master");
  ASSERT_TRUE(dialog);

  ASSERT_GE(Pick(dialog, first.dwProcessId), 0) << "the notepad is not listed";
  e2e::PostClick(e2e::Control(dialog, IDC_PM_UNFRIENDLY));
  HWND box = cc_steps::FindQuestion("End it at once?...");
  ASSERT_TRUE(box);
  PROCESS_INFORMATION second = StartNotepad();
  for (int i = 0; i < 3; ++i) {
    e2e::PostClick(e2e::Control(dialog, IDC_PM_REFRESH));
    Sleep(200);
  }
  EXPECT_TRUE(e2e::WaitUntil([&] { return RowOf(dialog, second.dwProcessId) >= 0; }, 5000, "refreshed-behind"));
  e2e::PostClick(GetDlgItem(box, IDYES));
  ASSERT_TRUE(e2e::WaitGone(box));
  EXPECT_TRUE(Ends(first)) << "the notepad asked about was not ended";
  EXPECT_EQ(WaitForSingleObject(second.hProcess, 500), static_cast<DWORD>(WAIT_TIMEOUT)) << "another was ended";
  EXPECT_FALSE(e2e::WaitExit(session.program, 300)) << "Kestrova fell over";

  const DWORD own = session.program.process.dwProcessId;
  ASSERT_GE(Pick(dialog, own), 0);
  e2e::PostClick(e2e::Control(dialog, IDC_PM_REAL_TIME));
  std::string message;
  ASSERT_TRUE(AnswerQuestion("Are you sure?...", IDNO, &message));
  EXPECT_NE(message.find("Kestrova"), std::string::npos) << message;
  SendMessageA(dialog, WM_NULL, 0, 0);
  EXPECT_EQ(GetPriorityClass(session.program.process.hProcess), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
  EXPECT_FALSE(e2e::IsChecked(e2e::Control(dialog, IDC_PM_REAL_TIME)));
  session.ExitWithYes();
  for (PROCESS_INFORMATION* p : {&first, &second}) {
    TerminateProcess(p->hProcess, 9);
    CloseHandle(p->hThread);
    CloseHandle(p->hProcess);
  }
}

TEST(FormatInterfaceWindow, OffersTheRemovableDrivesAndReportsThatTheDriveCannotBeFormatted) {
  const std::string kept = "A:\\kept.txt";
  std::ofstream(kept, std::ios::binary) << "these bytes stay";
  Session session(e2e::FreshFolder("format_interface"));
  ASSERT_TRUE(session.center);
  HWND dialog = session.Open(IDC_CC_FORMAT, "Interface with Shell32's Format Drive Dialog Box");
  ASSERT_TRUE(dialog);

  std::vector<std::string> removable, offered;
  for (char letter = 'A'; letter <= 'Z'; ++letter)
    if (GetDriveTypeA((std::string(1, letter) + ":\\").c_str()) == DRIVE_REMOVABLE)
      removable.push_back(std::string(1, letter) + ":");
  HWND drives = e2e::Control(dialog, IDC_FI_DRIVES);
  for (int i = 0; i < SendMessageA(drives, CB_GETCOUNT, 0, 0); ++i) {
    wchar_t text[16] = L"";  // Wine answers in UTF-16 here
    SendMessageW(drives, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    offered.push_back(std::string(text, text + wcslen(text)));
  }
  EXPECT_EQ(offered, removable);
  ASSERT_FALSE(offered.empty());
  EXPECT_EQ(offered.front(), "A:");
  cc_steps::Shot(dialog, "format-interface");

  e2e::PostClick(e2e::Control(dialog, IDC_FI_FORMAT));
  std::string message;
  ASSERT_TRUE(e2e::AnswerBox("No formatting possible!", IDOK, 5000, &message));
  EXPECT_EQ(message, "Drive A: is not formatable!");
  std::stringstream content;
  content << std::ifstream(kept, std::ios::binary).rdbuf();
  EXPECT_EQ(content.str(), "these bytes stay");
  DeleteFileA(kept.c_str());
  // No format is open any more: the window closes.
  e2e::PostClick(e2e::Control(dialog, IDC_FI_HIDE));
  EXPECT_TRUE(e2e::WaitGone(dialog));
  session.ExitWithYes();
}

}  // namespace
