// The Program Master and the Format Interface as a person uses them: the
// running programs with Kestrova's own threads by name, a notepad's
// priority raised and the notepad ended both ways, the refusal to end
// Kestrova itself; the removable drives offered for formatting, and the
// system's "cannot format" answer reported with the disk left as it was.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/e2e/command_center_steps.h"
#include "tests/e2e/driver.h"

namespace {

using cc_steps::AnswerQuestion;
using cc_steps::Session;

const char kMasterTitle[] = "The Program Master";
const char kFormatTitle[] = "Interface with Shell32's Format Drive Dialog Box";

const char* const kSlotNames[] = {
    "Kestrova Main Thread", "FileSplit Main", "FileSplit Second", "Split &/Or Copy Main",
    "Split &/Or Copy Second", "Copy &/Or Join Main", "Copy &/Or Join Second", "Test Disks Main",
    "Test Disks Second", "Compare Main", "Compare Second", "ExFilesRemover Main",
    "ExFilesRemover Second", "Intuitive Target Practice Main", "Kestrova Clocking System Main",
    "Format Interface Main", "Horse Racing Main", "Horse Racing Second", "Program Master Main",
    "Copy &/Or Join - File Joining thread", "Wav2Data & Data2Wav Main", "Wav2Data & Data2Wav Second",
    "Wav2Data & Data2Wav Third"};

std::string Hex8(DWORD value) {
  char text[9];
  std::snprintf(text, sizeof text, "%08lX", static_cast<unsigned long>(value));
  return text;
}

std::vector<std::string> Rows(HWND dialog, int id) {
  HWND list = e2e::Control(dialog, id);
  std::vector<std::string> rows;
  for (int i = 0; i < e2e::ListCount(list); ++i) rows.push_back(e2e::ListText(list, i));
  return rows;
}

// The row of process id, -1 when it is not listed.
int RowOf(HWND dialog, DWORD id) {
  std::vector<std::string> rows = Rows(dialog, IDC_PM_LIST);
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].rfind(Hex8(id) + " -- ", 0) == 0) return static_cast<int>(i);
  return -1;
}

// Picks a row as a person's click does.
void Select(HWND dialog, int row) {
  HWND list = e2e::Control(dialog, IDC_PM_LIST);
  SendMessageA(list, LB_SETCURSEL, row, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PM_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

struct Notepad {
  PROCESS_INFORMATION info = {};
  bool started = false;
  Notepad() {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    char command[] = "notepad.exe";
    started = CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info);
    if (started) WaitForInputIdle(info.hProcess, 5000);
  }
  ~Notepad() {
    if (!started) return;
    if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info.hProcess, 9);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  bool Ends(DWORD ms) { return WaitForSingleObject(info.hProcess, ms) == WAIT_OBJECT_0; }
};

// Opens The Program Master, saying Yes if the system will not give the
// right to see every program.
HWND OpenMaster(Session& session) {
  e2e::PostClick(e2e::Control(session.center, IDC_CC_PROGRAM_MASTER));
  HWND dialog = e2e::WaitWindow(kMasterTitle, 3000);
  if (dialog || !AnswerQuestion("Nothing doin'...", IDYES)) return dialog;
  return e2e::WaitWindow(kMasterTitle);
}

bool RowSays(HWND dialog, DWORD id, const std::string& part) {
  int row = RowOf(dialog, id);
  return row >= 0 && e2e::ListText(e2e::Control(dialog, IDC_PM_LIST), row).find(part) != std::string::npos;
}

TEST(ProgramMasterWindow, ListsKestrovaByThreadNameSetsAPriorityEndsNotepadsBothWaysAndRefusesItself) {
  Notepad first;
  ASSERT_TRUE(first.started) << "notepad.exe did not start";
  Session session(e2e::FreshFolder("program_master"));
  ASSERT_TRUE(session.center);
  HWND dialog = OpenMaster(session);
  ASSERT_TRUE(dialog);

  // Kestrova with its 23 worker threads, each by its name.
  const DWORD own = session.program.process.dwProcessId;
  int row = RowOf(dialog, own);
  ASSERT_GE(row, 0) << "Kestrova is not listed";
  EXPECT_NE(e2e::ListText(e2e::Control(dialog, IDC_PM_LIST), row).find(" -- Kestrova.exe -- "), std::string::npos);
  Select(dialog, row);
  std::vector<std::string> threads = Rows(dialog, IDC_PM_THREADS);
  for (const char* name : kSlotNames) {
    // A slot keeps 30 characters of its name.
    std::string tail = " -- " + std::string(name).substr(0, 30);
    while (tail.back() == ' ') tail.pop_back();
    int found = 0;
    for (const std::string& line : threads)
      if (line.size() > tail.size() && line.compare(line.size() - tail.size(), std::string::npos, tail) == 0) ++found;
    EXPECT_EQ(found, 1) << name;
  }
  cc_steps::Shot(dialog, "program-master-kestrova");

  // The notepad to High, read back from the system.
  row = RowOf(dialog, first.info.dwProcessId);
  ASSERT_GE(row, 0) << "the notepad is not listed";
  Select(dialog, row);
  e2e::Click(e2e::Control(dialog, IDC_PM_HIGH));
  EXPECT_TRUE(RowSays(dialog, first.info.dwProcessId, " -- HIGH -- "));
  EXPECT_EQ(GetPriorityClass(first.info.hProcess), static_cast<DWORD>(HIGH_PRIORITY_CLASS));

  // Friendly: its windows are asked to close; the list drops it a second later.
  e2e::Click(e2e::Control(dialog, IDC_PM_FRIENDLY));
  EXPECT_TRUE(first.Ends(5000)) << "the notepad did not close";
  EXPECT_TRUE(e2e::WaitUntil([&] { return RowOf(dialog, first.info.dwProcessId) < 0; }, 4000, "friendly-refresh"));

  // UnFriendly, after a Yes.
  Notepad second;
  ASSERT_TRUE(second.started);
  e2e::Click(e2e::Control(dialog, IDC_PM_REFRESH));
  row = RowOf(dialog, second.info.dwProcessId);
  ASSERT_GE(row, 0);
  Select(dialog, row);
  e2e::PostClick(e2e::Control(dialog, IDC_PM_UNFRIENDLY));
  std::string message;
  ASSERT_TRUE(AnswerQuestion("End it at once?...", IDYES, &message));
  EXPECT_NE(message.find("notepad"), std::string::npos) << message;
  ASSERT_TRUE(second.Ends(5000));
  DWORD code = 0;
  GetExitCodeProcess(second.info.hProcess, &code);
  EXPECT_EQ(code, 1u);

  // Kestrova itself: refused, and it runs on.
  row = RowOf(dialog, own);
  ASSERT_GE(row, 0);
  Select(dialog, row);
  e2e::PostClick(e2e::Control(dialog, IDC_PM_UNFRIENDLY));
  ASSERT_TRUE(AnswerQuestion("WHAT...", IDOK, &message));
  EXPECT_EQ(message, "... WHAT THE HELL DO YOU WANT ME TO DO... SUICIDE? Sorry, can't let you do that :)");
  EXPECT_FALSE(e2e::WaitExit(session.program, 300));
  session.ExitWithYes();
}

TEST(FormatInterfaceWindow, OffersTheRemovableDrivesAndReportsThatTheDriveCannotBeFormatted) {
  const std::string kept = "A:\\kept.txt";
  {
    std::ofstream file(kept, std::ios::binary | std::ios::trunc);
    file << "these bytes stay";
  }
  ASSERT_TRUE(cc_steps::FileExists(kept));
  Session session(e2e::FreshFolder("format_interface"));
  ASSERT_TRUE(session.center);
  HWND dialog = session.Open(IDC_CC_FORMAT, kFormatTitle);
  ASSERT_TRUE(dialog);

  std::vector<std::string> removable;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    std::string root = std::string(1, letter) + ":\\";
    if (GetDriveTypeA(root.c_str()) == DRIVE_REMOVABLE) removable.push_back(root.substr(0, 2));
  }
  HWND drives = e2e::Control(dialog, IDC_FI_DRIVES);
  std::vector<std::string> offered;
  int count = static_cast<int>(SendMessageA(drives, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t text[16] = L"";
    SendMessageW(drives, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    std::string name;
    for (const wchar_t* c = text; *c; ++c) name += static_cast<char>(*c);
    offered.push_back(name);
  }
  EXPECT_EQ(offered, removable);
  ASSERT_FALSE(offered.empty());
  EXPECT_EQ(offered.front(), "A:");
  cc_steps::Shot(dialog, "format-interface");

  e2e::PostClick(e2e::Control(dialog, IDC_FI_FORMAT));
  std::string message;
  ASSERT_TRUE(e2e::AnswerBox("No formatting possible!", IDOK, 5000, &message));
  EXPECT_EQ(message, "Drive A: is not formatable!");
  std::ifstream file(kept, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  EXPECT_EQ(content.str(), "these bytes stay");
  file.close();
  DeleteFileA(kept.c_str());
  // The window can close: no format is open any more.
  e2e::PostClick(e2e::Control(dialog, IDC_FI_HIDE));
  EXPECT_TRUE(e2e::WaitGone(dialog));
  session.ExitWithYes();
}

}  // namespace
