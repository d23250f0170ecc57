// The dialogs opened from the Command Center: language (export, edit, load
// with every open window relabelled at once), Other Configurations, the
// colour picker, About, the screen saver and the font chooser.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "resources/resource_ids.h"
#include "tests/e2e/command_center_steps.h"
#include "tests/e2e/driver.h"

namespace {

using namespace cc_steps;

const char kLanguageTitle[] = "Language and Other Configurations";

std::string Trim(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : text.substr(first);
}

int FindListEntry(HWND list, const std::string& text) {
  for (int i = 0; i < e2e::ListCount(list); ++i)
    if (e2e::ListText(list, i) == text) return i;
  return -1;
}

void SelectListEntry(HWND dialog, int id, int index) {
  HWND list = e2e::Control(dialog, id);
  SendMessageA(list, LB_SETCURSEL, index, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

// The file name field of the platform's save dialog.
HWND FileNameField(HWND save) {
  HWND combo = GetDlgItem(save, 0x47c);  // cmb13
  return combo ? combo : GetDlgItem(save, 0x480);  // edt1
}

int SliderPos(HWND slider) { return static_cast<int>(SendMessageA(slider, TBM_GETPOS, 0, 0)); }

TEST(LanguageDialog, AnExportedFileEditedAndLoadedRelabelsTheCommandCenterAtOnce) {
  Session s(e2e::FreshFolder("cc-language"));
  ASSERT_TRUE(s.center);
  HWND dialog = s.Open(IDC_CC_LANGUAGE, kLanguageTitle);
  ASSERT_NE(dialog, nullptr);
  HWND list = e2e::Control(dialog, IDC_LG_LIST);
  EXPECT_EQ(e2e::ListText(list, 0), "Internal Language - English");
  EXPECT_EQ(e2e::GetText(e2e::Control(dialog, IDC_LG_CURRENT)), "Internal Language - English");
  EXPECT_FALSE(IsWindowEnabled(e2e::Control(dialog, IDC_LG_LOAD)));
  Shot(dialog, "language-dialog");

  std::string path = s.folder + "\\KSTVTEST.LNG";
  e2e::PostClick(e2e::Control(dialog, IDC_LG_EXPORT));
  HWND save = e2e::WaitWindow("Save As");
  ASSERT_NE(save, nullptr);
  Shot(save, "language-export");
  e2e::SetText(FileNameField(save), path);
  e2e::PostClick(GetDlgItem(save, IDOK));
  ASSERT_TRUE(e2e::WaitGone(save));
  SendMessageA(dialog, WM_NULL, 0, 0);  // the export has been written
  std::vector<std::string> lines = ReadLines(path);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[2], "Language=Internal Language - English");
  auto text12 = std::find(lines.begin(), lines.end(), "0012={File &Splitting}");
  ASSERT_NE(text12, lines.end());
  *text12 = "0012={File &Cutting}";
  lines[2] = "Language=Test English";
  WriteLines(path, lines);

  // The list is filled from the program's folder when the dialog opens.
  e2e::Click(e2e::Control(dialog, IDC_LG_CLOSE));
  ASSERT_TRUE(e2e::WaitGone(dialog));
  dialog = s.Open(IDC_CC_LANGUAGE, kLanguageTitle);
  ASSERT_NE(dialog, nullptr);
  int entry = FindListEntry(e2e::Control(dialog, IDC_LG_LIST), "Test English");
  ASSERT_GE(entry, 0);
  SelectListEntry(dialog, IDC_LG_LIST, entry);
  EXPECT_EQ(e2e::GetText(e2e::Control(dialog, IDC_LG_FILE)), path);
  ASSERT_TRUE(IsWindowEnabled(e2e::Control(dialog, IDC_LG_LOAD)));
  e2e::PostClick(e2e::Control(dialog, IDC_LG_LOAD));
  HWND toggle = e2e::Control(s.center, IDC_CC_FILE_SPLITTING);
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::GetText(toggle) == "File &Cutting"; }, 5000, "relabel"));
  EXPECT_TRUE(e2e::WaitUntil(
      [&] { return e2e::GetText(e2e::Control(dialog, IDC_LG_CURRENT)) == "Test English"; }, 5000,
      "current-language"));
  e2e::Click(e2e::Control(dialog, IDC_LG_CLOSE));
  ASSERT_TRUE(e2e::WaitGone(dialog));
  Shot(s.center, "command-center-relabelled");
  s.ExitWithYes();
}

TEST(LanguageDialog, OtherConfigurationsKeepTheirValuesWithinRange) {
  Session s(e2e::FreshFolder("cc-configurations"));
  ASSERT_TRUE(s.center);
  s.RootsOn();
  HWND dialog = s.Open(IDC_CC_LANGUAGE, kLanguageTitle);
  ASSERT_NE(dialog, nullptr);
  HWND listEdit = e2e::Control(dialog, IDC_LG_LIST_EDIT);
  HWND bufferEdit = e2e::Control(dialog, IDC_LG_BUFFER_EDIT);
  EXPECT_EQ(e2e::GetText(listEdit), "256");
  EXPECT_EQ(e2e::GetText(bufferEdit), "500");
  EXPECT_EQ(SliderPos(e2e::Control(dialog, IDC_LG_BUFFER_SLIDER)), 500);

  e2e::SetText(listEdit, "5");  // below the range: 16, shown when the field is left
  EXPECT_EQ(SliderPos(e2e::Control(dialog, IDC_LG_LIST_SLIDER)), 1);
  e2e::SetText(bufferEdit, "30000");  // above the range: rewritten at once
  EXPECT_EQ(e2e::GetText(bufferEdit), "20480");
  EXPECT_EQ(SliderPos(e2e::Control(dialog, IDC_LG_BUFFER_SLIDER)), 20480);

  HWND slider = e2e::Control(dialog, IDC_LG_MAXCOPY_SLIDER);
  SendMessageA(slider, TBM_SETPOS, TRUE, 300);
  SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 300), reinterpret_cast<LPARAM>(slider));
  EXPECT_EQ(e2e::GetText(e2e::Control(dialog, IDC_LG_MAXCOPY_EDIT)), "300");

  e2e::Click(e2e::Control(dialog, IDC_LG_CLOSE));
  ASSERT_TRUE(e2e::WaitGone(dialog));
  s.ExitWithYes();
  std::vector<std::string> lines = ReadLines(s.folder + "\\Kestrova.INI");
  EXPECT_EQ(Trim(ValueOf(lines, "ListSizes")), "16");
  EXPECT_EQ(Trim(ValueOf(lines, "BuffSize")), "20971520");
  EXPECT_EQ(Trim(ValueOf(lines, "MaxSizeToCopy")), "307200");
}

TEST(CommandCenterDialogs, AboutShowsTheHelpPageAndOnlyOneDialogOpensAtATime) {
  Session s(e2e::FreshFolder("cc-about"));
  ASSERT_TRUE(s.center);
  HWND about = s.Open(IDC_CC_ABOUT, "About Kestrova");
  ASSERT_NE(about, nullptr);
  std::string text = e2e::GetText(e2e::Control(about, IDC_ABOUT_TEXT));
  EXPECT_EQ(text.rfind("Kestrova 4.82 for 'Windows 95 to X2P'", 0), 0u);
  EXPECT_NE(text.find("This Program can:"), std::string::npos);
  EXPECT_EQ(e2e::GetText(e2e::Control(about, IDOK)).substr(0, 10), "&OK... Fin");
  Shot(about, "about-kestrova");

  // While About is open, the colour picker waits for it to close.
  e2e::Click(e2e::Control(s.center, IDC_CC_COLOURS));
  SendMessageA(s.center, WM_NULL, 0, 0);
  EXPECT_EQ(FindWindowA("#32770", "Pick the colors"), nullptr);
  e2e::Click(e2e::Control(about, IDOK));
  ASSERT_TRUE(e2e::WaitGone(about));
  s.ExitWithYes();
}

TEST(CommandCenterDialogs, ExitWhileOneIsOpenClosesItAndEnds) {
  Session s(e2e::FreshFolder("cc-exit-open"));
  ASSERT_TRUE(s.center);
  HWND saver = s.Open(IDC_CC_SCREEN_SAVER, "Choose a Screen Saver");
  ASSERT_NE(saver, nullptr);
  s.ExitWithYes();
}

TEST(CommandCenterDialogs, AColourPickedForTheCommandCenterIsWrittenAtExit) {
  Session s(e2e::FreshFolder("cc-colours"));
  ASSERT_TRUE(s.center);
  s.RootsOn();
  HWND picker = s.Open(IDC_CC_COLOURS, "Pick the colors");
  ASSERT_NE(picker, nullptr);
  HWND list = e2e::Control(picker, IDC_CP_LIST);
  ASSERT_EQ(e2e::ListCount(list), 12);
  EXPECT_EQ(e2e::ListText(list, 0), "Command Center");
  EXPECT_EQ(e2e::ListText(list, 1), "File Splitting");
  EXPECT_EQ(e2e::ListText(list, 7), "Data2Wav & Wav2Data");
  EXPECT_EQ(e2e::ListText(list, 11), "Intuitive Horse Racing");
  Shot(picker, "colour-picker");

  e2e::PostClick(e2e::Control(picker, IDC_CP_BACK));
  HWND chooser = e2e::WaitWindow("Color");
  ASSERT_NE(chooser, nullptr);
  Shot(chooser, "colour-chooser");
  // The red, green and blue fields of the platform's colour chooser.
  e2e::SetText(GetDlgItem(chooser, 706), "10");
  e2e::SetText(GetDlgItem(chooser, 707), "20");
  e2e::SetText(GetDlgItem(chooser, 708), "30");
  e2e::PostClick(GetDlgItem(chooser, IDOK));
  ASSERT_TRUE(e2e::WaitGone(chooser));
  e2e::Click(e2e::Control(picker, IDC_CP_CLOSE));
  ASSERT_TRUE(e2e::WaitGone(picker));
  s.ExitWithYes();
  // Entry 1: text background, text, dialog background; 4 characters a number.
  std::string colours = ValueOf(ReadLines(s.folder + "\\Kestrova.INI"), "COLORS");
  ASSERT_GE(colours.size(), 36u);
  EXPECT_EQ(colours.substr(24, 12), "  10  20  30");
  EXPECT_EQ(colours.substr(0, 12), "  38 250 255");
}

TEST(CommandCenterDialogs, ScreenSaverToggleOpensItsChoicesAndFontOpensTheChooser) {
  Session s(e2e::FreshFolder("cc-saver-font"));
  ASSERT_TRUE(s.center);
  HWND saver = s.Open(IDC_CC_SCREEN_SAVER, "Choose a Screen Saver");
  ASSERT_NE(saver, nullptr);
  EXPECT_TRUE(e2e::IsChecked(e2e::Control(saver, IDC_SS_SYSTEM)));
  EXPECT_EQ(e2e::GetText(e2e::Control(saver, IDC_SS_OPERATIONS_GROUP)),
            "Choose with which operations should Screen Saver work");
  Shot(saver, "screen-saver");
  e2e::Click(e2e::Control(saver, IDC_SS_DONE));
  ASSERT_TRUE(e2e::WaitGone(saver));
  EXPECT_TRUE(e2e::IsChecked(e2e::Control(s.center, IDC_CC_SCREEN_SAVER)));

  e2e::PostClick(e2e::Control(s.center, IDC_CC_FONT));
  HWND font = e2e::WaitWindow("Font");
  ASSERT_NE(font, nullptr);
  Shot(font, "font-chooser");
  e2e::PostClick(GetDlgItem(font, IDCANCEL));
  ASSERT_TRUE(e2e::WaitGone(font));
  s.ExitWithYes();
}

}  // namespace
