// The dialogs opened from the Command Center: language (export, edit, load
// with every open window relabelled at once), Other Configurations and the
// colour picker.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "tests/e2e/command_center_steps.h"

namespace {

using namespace cc_steps;
using namespace e2e;

const char kLanguageTitle[] = "Language and Other Configurations";

using LanguageDialog = WindowTest;

TEST_F(LanguageDialog, AnExportedFileEditedAndLoadedRelabelsTheCommandCenterAtOnce) {
  ASSERT_NO_FATAL_FAILURE(Begin(IDC_CC_LANGUAGE, kLanguageTitle));
  EXPECT_EQ(ListText(Control(dialog, IDC_LG_LIST), 0), "Internal Language - English");
  EXPECT_EQ(Text(dialog, IDC_LG_CURRENT), "Internal Language - English");
  EXPECT_FALSE(IsWindowEnabled(Control(dialog, IDC_LG_LOAD)));
  const std::string path = Path("KSTVTEST.LNG");
  PostClick(Control(dialog, IDC_LG_EXPORT));
  HWND save = WaitWindow("Save As");
  ASSERT_NE(save, nullptr);
  Shot(save, "language-export");
  HWND name = GetDlgItem(save, 0x47c);  // the file name field: cmb13, or edt1
  SetText(name ? name : GetDlgItem(save, 0x480), path);
  PostClick(GetDlgItem(save, IDOK));
  ASSERT_TRUE(WaitGone(save));
  SendMessageA(dialog, WM_NULL, 0, 0);  // the export has been written
  std::vector<std::string> lines = ReadLines(path);
  ASSERT_GT(lines.size(), 2u);
  EXPECT_EQ(lines[2], "Language=Internal Language - English");
  auto text12 = std::find(lines.begin(), lines.end(), "0012={File &Splitting}");
  ASSERT_NE(text12, lines.end());
  *text12 = "0012={File &Cutting}";
  lines[2] = "Language=Test English";
  WriteLines(path, lines);

  // The list is filled from the program's folder when the dialog opens.
  Click(Control(dialog, IDC_LG_CLOSE));
  ASSERT_TRUE(WaitGone(dialog));
  dialog = session->Open(IDC_CC_LANGUAGE, kLanguageTitle);
  ASSERT_NE(dialog, nullptr);
  const std::vector<std::string> entries = ListRows(dialog, IDC_LG_LIST);
  const auto entry = std::find(entries.begin(), entries.end(), "Test English");
  ASSERT_NE(entry, entries.end());
  HWND list = Control(dialog, IDC_LG_LIST);
  SendMessageA(list, LB_SETCURSEL, entry - entries.begin(), 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_LG_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  EXPECT_EQ(Text(dialog, IDC_LG_FILE), path);
  ASSERT_TRUE(IsWindowEnabled(Control(dialog, IDC_LG_LOAD)));
  PostClick(Control(dialog, IDC_LG_LOAD));
  HWND toggle = Control(session->center, IDC_CC_FILE_SPLITTING);
  EXPECT_TRUE(WaitUntil([&] { return GetText(toggle) == "File &Cutting"; }, 5000, "relabel"));
  EXPECT_TRUE(WaitUntil([&] { return Text(dialog, IDC_LG_CURRENT) == "Test English"; }, 5000, "current-language"));
  Click(Control(dialog, IDC_LG_CLOSE));
  ASSERT_TRUE(WaitGone(dialog));
  Shot(session->center, "command-center-relabelled");
}

// A buffer typed above its range is rewritten at once, a colour is picked
// for the Command Center: both are written at exit.
TEST_F(LanguageDialog, AConfigurationAndAColourChosenAreWrittenAtExit) {
  ASSERT_NO_FATAL_FAILURE(Begin());
  session->RootsOn();
  dialog = session->Open(IDC_CC_LANGUAGE, kLanguageTitle);
  ASSERT_NE(dialog, nullptr);
  HWND bufferEdit = Control(dialog, IDC_LG_BUFFER_EDIT);
  EXPECT_EQ(GetText(bufferEdit), "500");
  SetText(bufferEdit, "30000");
  EXPECT_EQ(GetText(bufferEdit), "20480");
  EXPECT_EQ(SendMessageA(Control(dialog, IDC_LG_BUFFER_SLIDER), TBM_GETPOS, 0, 0), 20480);
  Click(Control(dialog, IDC_LG_CLOSE));
  ASSERT_TRUE(WaitGone(dialog));

  HWND picker = session->Open(IDC_CC_COLOURS, "Pick the colors");
  ASSERT_NE(picker, nullptr);
  const std::vector<std::string> entries = ListRows(picker, IDC_CP_LIST);
  ASSERT_EQ(entries.size(), 12u);
  EXPECT_EQ(entries[0], "Command Center");
  EXPECT_EQ(entries[11], "Intuitive Horse Racing");
  PostClick(Control(picker, IDC_CP_BACK));
  HWND chooser = WaitWindow("Color");
  ASSERT_NE(chooser, nullptr);
  Shot(chooser, "colour-chooser");
  // The red, green and blue fields of the platform's colour chooser.
  for (int field : {706, 707, 708}) SetText(GetDlgItem(chooser, field), std::to_string((field - 705) * 10));
  PostClick(GetDlgItem(chooser, IDOK));
  ASSERT_TRUE(WaitGone(chooser));
  Click(Control(picker, IDC_CP_CLOSE));
  ASSERT_TRUE(WaitGone(picker));
  session->ExitWithYes();
  const std::vector<std::string> lines = ReadLines(Path("Kestrova.INI"));
  std::string buffer = ValueOf(lines, "BuffSize");  // in bytes, a field padded with blanks
  buffer.erase(0, buffer.find_first_not_of(' '));
  EXPECT_EQ(buffer.substr(0, buffer.find(' ')), "20971520");
  // Entry 1: text background, text, dialog background; 4 characters a number.
  const std::string colours = ValueOf(lines, "COLORS");
  ASSERT_GE(colours.size(), 36u);
  EXPECT_EQ(colours.substr(24, 12), "  10  20  30");
  EXPECT_EQ(colours.substr(0, 12), "  38 250 255");
}

}  // namespace
