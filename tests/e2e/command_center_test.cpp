// The Command Center as a person uses it: toggles, exit, "&Roots", the
// choices of its dialogs kept across a restart, a language loaded.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "tests/e2e/command_center_steps.h"

using namespace e2e;

const char kLanguageTitle[] = "Language and Other Configurations";

// The keys of Kestrova.INI, in the order the file holds them.
const std::vector<std::string> kSettingsKeys = {
    "LANGUAGE", "TOPMOST", "WINPOS", "WINSZ", "MAXIMIZED", "COLORS", "YWT", "BuffSize", "ListSizes", "MaxSizeToCopy",
    "SilentP", "NoSounds", "Coloring", "ScrSaver", "ScrSaverI", "ScrSaverL", "ScrSaverC", "FontC", "FontI",
    "FSFileName", "FSFolder", "FSJoinLog", "FSAutoLink", "CheckFile", "FSFileNameList", "FSFolderList",
    "BSaveListNames(1)", "BSaveListNames(2)", "BTmpFolder", "BTmpFolderList", "BDestFolderList", "BSaveListLog",
    "BJoinLog", "SafeSpace", "RDestFolder", "RDestFolderList", "ROrigFolderList", "RAutoJoin", "RAutoJoinDel",
    "RAutoName", "RCopyAll", "RKeepStruct", "RDeleteEnd", "RDelAfterJoin", "TDTmpFolder", "CSFile", "CRecur", "CSave",
    "CSShowComp", "CSShowUnM", "COrigFileList", "CCloneFileList", "ESFile", "ERecur", "ESave", "ESSimulation",
    "W2D1NameList", "W2D2NameList", "W2D3NameList", "W2D4NameList"};

using CommandCenter = WindowTest;

// A double press on a toggle may come before its window is there: the
// toggle and the window agree afterwards, and a window closed stays closed.
TEST_F(CommandCenter, ShowsItsTogglesLabelledExitAsksAndADoublePressLeavesAToggleTellingTheTruth) {
  ASSERT_NO_FATAL_FAILURE(Begin());
  HWND center = session->center, toggle = Control(center, IDC_CC_FILE_SPLITTING);
  Walk(center, {{kSees, IDC_CC_FILE_SPLITTING, "File &Splitting"}, {kSees, IDC_CC_SOUNDS, "No Soun&ds"},
                {kClear, IDC_CC_ROOTS}});
  Shot(center, "command-center");
  EXPECT_EQ(Asked(center, IDC_CC_EXIT, "Ending Question...", IDNO), "Do you want to Exit Kestrova?");
  Walk(center, {{kClick, IDC_CC_SILENT}, {kTicked, IDC_CC_SILENT}});  // still at work

  PostClick(toggle);
  PostClick(toggle);
  HWND splitting = WaitWindow("File Splitting", 5000);
  Sleep(500);
  SendMessageA(center, WM_NULL, 0, 0);
  const bool open = splitting && IsWindow(splitting) && IsWindowVisible(splitting);
  EXPECT_EQ(IsChecked(toggle), open) << "the toggle says otherwise than the window";
  if (open) {
    ASSERT_TRUE(Closes(splitting, IDC_FS_HIDE));
  }
  EXPECT_TRUE(WaitUntil([&] { return !IsChecked(toggle); }, 5000, "toggle-off"));
  Sleep(2000);
  EXPECT_EQ(FindWindowA("#32770", "File Splitting"), nullptr) << "the window opened again by itself";
  EXPECT_FALSE(IsChecked(toggle));
  session->ExitWithYes();
  EXPECT_FALSE(FileExists(Path("Kestrova.INI"))) << "no roots, no settings file";
}

// A settings file found switches "&Roots" on; off with No, the file stays;
// on, every key is written in order. The choices made are written at exit
// and shown at the next start.
TEST_F(CommandCenter, RootsAndTheChoicesMadeInItsDialogsAreWrittenAtExitAndShownAgain) {
  std::vector<std::string> seeded;  // a list is written only when it holds entries: each gets one
  for (const std::string& key : kSettingsKeys)
    if (EndsWith(key, "List")) seeded.push_back(key + "=01C:\\" + key);
  ASSERT_NO_FATAL_FAILURE(Begin(0, "", seeded));
  HWND center = session->center;
  EXPECT_TRUE(IsChecked(Control(center, IDC_CC_ROOTS))) << "a settings file was found";
  ASSERT_NE(Asked(center, IDC_CC_ROOTS, "Removing Roots...", IDNO), "(no question)");
  SendMessageA(center, WM_NULL, 0, 0);
  EXPECT_FALSE(IsChecked(Control(center, IDC_CC_ROOTS)));
  EXPECT_EQ(ReadLines(Path("Kestrova.INI")), seeded);
  session->RootsOn();
  std::vector<std::string> keys;  // each once: a list has a line per entry
  for (const std::string& line : ReadLines(Path("Kestrova.INI")))
    if (keys.empty() || keys.back() != line.substr(0, line.find('='))) keys.push_back(line.substr(0, line.find('=')));
  EXPECT_EQ(keys, kSettingsKeys);
  EXPECT_EQ(ValueOf(ReadLines(Path("Kestrova.INI")), "W2D4NameList"), "01C:\\W2D4NameList");

  Walk(center, {{kClick, IDC_CC_SOUNDS}, {kClick, IDC_CC_COLOURING}});  // No Sounds -> Wave Sounds
  SendMessageA(center, WM_SYSCOMMAND, kMenuOnTop, 0);
  EXPECT_EQ(GetText(center), "Command Center - OnTop");
  // A buffer typed above its range is rewritten at once.
  ASSERT_TRUE(dialog = session->Open(IDC_CC_LANGUAGE, kLanguageTitle));
  Walk(dialog, {{kSees, IDC_LG_BUFFER_EDIT, "500"}, {kType, IDC_LG_BUFFER_EDIT, "30000"},
                {kSees, IDC_LG_BUFFER_EDIT, "20480"}});
  EXPECT_EQ(SendMessageA(Control(dialog, IDC_LG_BUFFER_SLIDER), TBM_GETPOS, 0, 0), 20480);
  ASSERT_TRUE(Closes(dialog, IDC_LG_CLOSE));
  // The Command Center's dialog background: the chooser's red, green, blue.
  HWND picker = session->Open(IDC_CC_COLOURS, "Pick the colors");
  ASSERT_TRUE(picker);
  HWND chooser = Opens(picker, IDC_CP_BACK, "Color");
  ASSERT_TRUE(chooser);
  for (int field : {706, 707, 708}) SetText(GetDlgItem(chooser, field), std::to_string((field - 705) * 10));
  ASSERT_TRUE(Closes(chooser, IDOK));
  ASSERT_TRUE(Closes(picker, IDC_CP_CLOSE));
  // Your Watch an hour ahead of the computer's "DD:HH:MM:SS".
  ASSERT_TRUE(dialog = session->Open(IDC_CC_SPLIT_OR_COPY, "Split &/Or Copy - Backing Up where Others won't!"));
  const std::string computer = Text(dialog, IDC_SC_COMPUTER_CLOCK);
  ASSERT_EQ(computer.size(), 11u) << computer;
  char watch[16];
  snprintf(watch, sizeof watch, "%02d:%s", (std::stoi(computer.substr(3, 2)) + 1) % 24, computer.substr(6).c_str());
  Walk(dialog, {{kType, IDC_SC_WATCH, watch}, {kClick, IDC_SC_ADJUST}});
  const std::string difference = Text(dialog, IDC_SC_WATCH_DIFFERENCE);
  EXPECT_TRUE(difference == "+1h00m00" || difference == "+59m59") << difference;  // a second may pass

  session->ExitWithYes();
  const std::vector<std::string> lines = ReadLines(Path("Kestrova.INI"));
  EXPECT_EQ(ValueOf(lines, "NoSounds"), "1");
  EXPECT_EQ(ValueOf(lines, "Coloring"), "-1");
  EXPECT_EQ(ValueOf(lines, "TOPMOST").substr(0, 4), " 1 0");
  EXPECT_EQ(std::stoll(ValueOf(lines, "BuffSize")), 20971520) << "in bytes";
  // Entry 1: text background, text, dialog background; 4 characters a number.
  EXPECT_EQ(ValueOf(lines, "COLORS").substr(0, 36), "  38 250 255   0   0   0  10  20  30");
  const std::string kept = ValueOf(lines, "YWT");
  EXPECT_TRUE(kept.find("3600") != std::string::npos || kept.find("3599") != std::string::npos) << kept;

  Session again(session->folder, "Command Center - OnTop");
  ASSERT_TRUE(again.center);
  Walk(again.center, {{kTicked, IDC_CC_SOUNDS}, {kTicked, IDC_CC_COLOURING}, {kTicked, IDC_CC_ROOTS}});
  Shot(again.center, "command-center-coloured-on-top");
  Walk(again.center, {{kSees, IDC_CC_SOUNDS, "Wave Soun&ds"}, {kClick, IDC_CC_SOUNDS},
                      {kSees, IDC_CC_SOUNDS, "Beep Soun&ds"}, {kClick, IDC_CC_SOUNDS},
                      {kSees, IDC_CC_SOUNDS, "No Soun&ds"}, {kClear, IDC_CC_SOUNDS}});
  again.ExitWithYes();
}

using LanguageDialog = WindowTest;

TEST_F(LanguageDialog, AnExportedFileEditedAndLoadedRelabelsTheCommandCenterAtOnce) {
  ASSERT_NO_FATAL_FAILURE(Begin(IDC_CC_LANGUAGE, kLanguageTitle));
  EXPECT_FALSE(IsWindowEnabled(Control(dialog, IDC_LG_LOAD)));
  const std::string path = Path("KSTVTEST.LNG");
  HWND save = Opens(dialog, IDC_LG_EXPORT, "Save As");
  ASSERT_NE(save, nullptr);
  HWND name = GetDlgItem(save, 0x47c);  // the file name field: cmb13, or edt1
  SetText(name ? name : GetDlgItem(save, 0x480), path);
  ASSERT_TRUE(Closes(save, IDOK));
  SendMessageA(dialog, WM_NULL, 0, 0);  // the export has been written
  std::vector<std::string> lines = ReadLines(path);
  ASSERT_EQ(lines.at(2), "Language=Internal Language - English");
  auto text12 = std::find(lines.begin(), lines.end(), "0012={File &Splitting}");
  ASSERT_NE(text12, lines.end());
  *text12 = "0012={File &Cutting}";
  lines[2] = "Language=Test English";
  WriteLines(path, lines);

  // The list is filled from the program's folder when the dialog opens.
  ASSERT_TRUE(Closes(dialog, IDC_LG_CLOSE));
  ASSERT_TRUE(dialog = session->Open(IDC_CC_LANGUAGE, kLanguageTitle));
  const std::vector<std::string> entries = ListRows(dialog, IDC_LG_LIST);
  const auto entry = std::find(entries.begin(), entries.end(), "Test English");
  ASSERT_NE(entry, entries.end());
  HWND list = Control(dialog, IDC_LG_LIST);
  SendMessageA(list, LB_SETCURSEL, entry - entries.begin(), 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_LG_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  EXPECT_EQ(Text(dialog, IDC_LG_FILE), path);
  PostClick(Control(dialog, IDC_LG_LOAD));
  EXPECT_TRUE(Shows(session->center, IDC_CC_FILE_SPLITTING, "File &Cutting", 5000));
  EXPECT_TRUE(Shows(dialog, IDC_LG_CURRENT, "Test English", 5000));
  ASSERT_TRUE(Closes(dialog, IDC_LG_CLOSE));
  Shot(session->center, "command-center-relabelled");
}

