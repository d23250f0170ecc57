// The Command Center as a person uses it: its toggles and options, the
// settings file it grows with "&Roots", options that survive a restart,
// quick hands on a toggle, and the exit question.
#include "tests/e2e/command_center_steps.h"

namespace {

using namespace cc_steps;
using namespace e2e;

// The keys of Kestrova.INI, in the order the file holds them.
const std::vector<std::string> kSettingsKeys = {
    "LANGUAGE", "TOPMOST", "WINPOS", "WINSZ", "MAXIMIZED", "COLORS", "YWT", "BuffSize", "ListSizes",
    "MaxSizeToCopy", "SilentP", "NoSounds", "Coloring", "ScrSaver", "ScrSaverI", "ScrSaverL", "ScrSaverC",
    "FontC", "FontI", "FSFileName", "FSFolder", "FSJoinLog", "FSAutoLink", "CheckFile", "FSFileNameList",
    "FSFolderList", "BSaveListNames(1)", "BSaveListNames(2)", "BTmpFolder", "BTmpFolderList", "BDestFolderList",
    "BSaveListLog", "BJoinLog", "SafeSpace", "RDestFolder", "RDestFolderList", "ROrigFolderList", "RAutoJoin",
    "RAutoJoinDel", "RAutoName", "RCopyAll", "RKeepStruct", "RDeleteEnd", "RDelAfterJoin", "TDTmpFolder",
    "CSFile", "CRecur", "CSave", "CSShowComp", "CSShowUnM", "COrigFileList", "CCloneFileList", "ESFile",
    "ERecur", "ESave", "ESSimulation", "W2D1NameList", "W2D2NameList", "W2D3NameList", "W2D4NameList",
};

using CommandCenter = WindowTest;

TEST_F(CommandCenter, ShowsItsTogglesLabelledAndExitAsksNoKeepsItRunning) {
  ASSERT_NO_FATAL_FAILURE(Begin());
  HWND center = session->center;
  EXPECT_EQ(Text(center, IDC_CC_FILE_SPLITTING), "File &Splitting");
  EXPECT_EQ(Text(center, IDC_CC_PROGRAM_MASTER), "\"The Program &Master\"");
  EXPECT_EQ(Text(center, IDC_CC_SOUNDS), "No Soun&ds");
  EXPECT_FALSE(IsChecked(Control(center, IDC_CC_ROOTS)));
  Shot(center, "command-center");

  PostClick(Control(center, IDC_CC_EXIT));
  std::string message;
  ASSERT_TRUE(AnswerQuestion("Ending Question...", IDNO, &message));
  EXPECT_EQ(message, "Do you want to Exit Kestrova?");
  // Still at work: a sent click is handled, and the window is there.
  Click(Control(center, IDC_CC_SILENT));
  EXPECT_TRUE(IsChecked(Control(center, IDC_CC_SILENT)));
  EXPECT_TRUE(IsWindowVisible(center));
  session->ExitWithYes();
  EXPECT_FALSE(FileExists(Path("Kestrova.INI"))) << "no roots, no settings file";
}

TEST_F(CommandCenter, RootsOnWritesEveryKeyInOrder) {
  // Remembered lists are written only when they hold entries: start from a
  // file that gives every list one.
  std::vector<std::string> seeded;
  for (const std::string& key : kSettingsKeys)
    if (EndsWith(key, "List")) seeded.push_back(key + "=01C:\\" + key);
  ASSERT_NO_FATAL_FAILURE(Begin(0, "", seeded));
  HWND roots = Control(session->center, IDC_CC_ROOTS);
  EXPECT_TRUE(IsChecked(roots)) << "a settings file was found";
  PostClick(roots);  // off, answered No: the file stays, nothing is saved at exit
  std::string question;
  ASSERT_TRUE(AnswerQuestion("Removing Roots...", IDNO, &question));
  EXPECT_EQ(question.substr(0, 40), "Do you want to erase the ini file (Yes),");
  SendMessageA(session->center, WM_NULL, 0, 0);
  EXPECT_FALSE(IsChecked(roots));
  EXPECT_EQ(ReadLines(Path("Kestrova.INI")), seeded);

  session->RootsOn();
  const std::vector<std::string> lines = ReadLines(Path("Kestrova.INI"));
  std::vector<std::string> keys;  // each once: a list has a line per entry
  for (const std::string& line : lines)
    if (keys.empty() || keys.back() != line.substr(0, line.find('='))) keys.push_back(line.substr(0, line.find('=')));
  EXPECT_EQ(keys, kSettingsKeys);
  EXPECT_EQ(ValueOf(lines, "W2D4NameList"), "01C:\\W2D4NameList");
  EXPECT_TRUE(IsChecked(roots));
}

TEST_F(CommandCenter, SoundColouringAndOnTopAreWrittenAtExitAndShownAgain) {
  ASSERT_NO_FATAL_FAILURE(Begin());
  session->RootsOn();
  Click(Control(session->center, IDC_CC_SOUNDS));  // No Sounds -> Wave Sounds
  Click(Control(session->center, IDC_CC_COLOURING));
  SendMessageA(session->center, WM_SYSCOMMAND, kMenuOnTop, 0);
  EXPECT_EQ(GetText(session->center), "Command Center - OnTop");
  session->ExitWithYes();
  const std::vector<std::string> lines = ReadLines(Path("Kestrova.INI"));
  EXPECT_EQ(ValueOf(lines, "NoSounds"), "1");
  EXPECT_EQ(ValueOf(lines, "Coloring"), "-1");
  EXPECT_EQ(ValueOf(lines, "TOPMOST").substr(0, 4), " 1 0");

  Session again(session->folder, "Command Center - OnTop");
  ASSERT_TRUE(again.center);
  for (int id : {IDC_CC_SOUNDS, IDC_CC_COLOURING, IDC_CC_ROOTS}) EXPECT_TRUE(IsChecked(Control(again.center, id)));
  Shot(again.center, "command-center-coloured-on-top");
  EXPECT_EQ(Text(again.center, IDC_CC_SOUNDS), "Wave Soun&ds");
  for (const char* label : {"Beep Soun&ds", "No Soun&ds"}) {  // two more presses come back to No Sounds
    Click(Control(again.center, IDC_CC_SOUNDS));
    EXPECT_EQ(Text(again.center, IDC_CC_SOUNDS), label);
  }
  EXPECT_FALSE(IsChecked(Control(again.center, IDC_CC_SOUNDS)));
  again.ExitWithYes();
}

// A double press may come before the window is there: the toggle and the
// window agree afterwards, and a window closed stays closed.
TEST_F(CommandCenter, ADoublePressOnAToggleLeavesItTellingTheTruth) {
  ASSERT_NO_FATAL_FAILURE(Begin());
  HWND toggle = Control(session->center, IDC_CC_FILE_SPLITTING);
  PostClick(toggle);
  PostClick(toggle);
  HWND dialog = WaitWindow("File Splitting", 5000);
  Sleep(500);
  SendMessageA(session->center, WM_NULL, 0, 0);
  const bool open = dialog && IsWindow(dialog) && IsWindowVisible(dialog);
  EXPECT_EQ(IsChecked(toggle), open) << "the toggle says otherwise than the window";
  if (open) {
    PostClick(Control(dialog, IDC_FS_HIDE));
    ASSERT_TRUE(WaitGone(dialog));
  }
  EXPECT_TRUE(WaitUntil([&] { return !IsChecked(toggle); }, 5000, "toggle-off"));
  Sleep(2000);
  EXPECT_EQ(FindWindowA("#32770", "File Splitting"), nullptr) << "the window opened again by itself";
  EXPECT_FALSE(IsChecked(toggle));
}

}  // namespace
