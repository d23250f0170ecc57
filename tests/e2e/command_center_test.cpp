// The Command Center as a person uses it: its toggles and options, the
// settings file it grows with "&Roots", options that survive a restart,
// a language loaded while it runs, and the exit question.
#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "tests/e2e/command_center_steps.h"
#include "tests/e2e/driver.h"

namespace {

using namespace cc_steps;

// The keys of Kestrova.INI, in the order the file holds them.
const std::vector<std::string> kSettingsKeys = {
    "LANGUAGE",      "TOPMOST",        "WINPOS",          "WINSZ",          "MAXIMIZED",
    "COLORS",        "YWT",            "BuffSize",        "ListSizes",      "MaxSizeToCopy",
    "SilentP",       "NoSounds",       "Coloring",        "ScrSaver",       "ScrSaverI",
    "ScrSaverL",     "ScrSaverC",      "FontC",           "FontI",          "FSFileName",
    "FSFolder",      "FSJoinLog",      "FSAutoLink",      "CheckFile",      "FSFileNameList", "FSFolderList",
    "BSaveListNames(1)", "BSaveListNames(2)", "BTmpFolder", "BTmpFolderList", "BDestFolderList",
    "BSaveListLog",  "BJoinLog",       "SafeSpace",       "RDestFolder",    "RDestFolderList",
    "ROrigFolderList", "RAutoJoin",    "RAutoJoinDel",    "RAutoName",      "RCopyAll",
    "RKeepStruct",   "RDeleteEnd",     "RDelAfterJoin",   "TDTmpFolder",    "CSFile",
    "CRecur",        "CSave",          "CSShowComp",      "CSShowUnM",      "COrigFileList",
    "CCloneFileList", "ESFile",        "ERecur",          "ESave",          "ESSimulation",
    "W2D1NameList",  "W2D2NameList",   "W2D3NameList",    "W2D4NameList",
};

// The keys of the file in order, each once (list keys have a line per entry).
std::vector<std::string> KeysOf(const std::vector<std::string>& lines) {
  std::vector<std::string> keys;
  for (const std::string& line : lines) {
    std::string key = line.substr(0, line.find('='));
    if (keys.empty() || keys.back() != key) keys.push_back(key);
  }
  return keys;
}

TEST(CommandCenter, ShowsItsTogglesAndOptionsLabelledFromTheTextTable) {
  Session s(e2e::FreshFolder("cc-shows"));
  ASSERT_TRUE(s.center);
  EXPECT_EQ(e2e::GetText(e2e::Control(s.center, IDC_CC_FILE_SPLITTING)), "File &Splitting");
  EXPECT_EQ(e2e::GetText(e2e::Control(s.center, IDC_CC_PROGRAM_MASTER)), "\"The Program &Master\"");
  EXPECT_EQ(e2e::GetText(e2e::Control(s.center, IDC_CC_SHOW_HORSE_RACING)), "Show");
  EXPECT_EQ(e2e::GetText(e2e::Control(s.center, IDC_CC_SOUNDS)), "No Soun&ds");
  EXPECT_EQ(e2e::GetText(e2e::Control(s.center, IDC_CC_ROOTS)), "&Roots");
  EXPECT_EQ(e2e::GetText(e2e::Control(s.center, IDC_CC_GROUP)), "Dialog Boxes Toggles and show buttons");
  EXPECT_FALSE(e2e::IsChecked(e2e::Control(s.center, IDC_CC_ROOTS)));
  Shot(s.center, "command-center");
  s.ExitWithYes();
}

TEST(CommandCenter, ExitAsksAndNoKeepsTheProgramRunning) {
  Session s(e2e::FreshFolder("cc-exit"));
  ASSERT_TRUE(s.center);
  e2e::PostClick(e2e::Control(s.center, IDC_CC_EXIT));
  std::string message;
  ASSERT_TRUE(AnswerQuestion("Ending Question...", IDNO, &message));
  EXPECT_EQ(message, "Do you want to Exit Kestrova?");
  // Still at work: a sent click is handled, and the window is there.
  e2e::Click(e2e::Control(s.center, IDC_CC_SILENT));
  EXPECT_TRUE(e2e::IsChecked(e2e::Control(s.center, IDC_CC_SILENT)));
  EXPECT_TRUE(IsWindowVisible(s.center));
  s.ExitWithYes();
  EXPECT_FALSE(FileExists(s.folder + "\\Kestrova.INI")) << "no roots, no settings file";
}

TEST(CommandCenter, RootsOnWritesEveryKeyInOrder) {
  // Remembered lists are written only when they hold entries: start from a
  // file that gives every list one.
  std::string folder = e2e::FreshFolder("cc-roots");
  std::vector<std::string> seeded;
  for (const std::string& key : kSettingsKeys)
    if (key.size() > 4 && key.compare(key.size() - 4, 4, "List") == 0)
      seeded.push_back(key + "=01C:\\" + key);
  WriteLines(folder + "\\Kestrova.INI", seeded);

  Session s(folder);
  ASSERT_TRUE(s.center);
  HWND roots = e2e::Control(s.center, IDC_CC_ROOTS);
  EXPECT_TRUE(e2e::IsChecked(roots)) << "a settings file was found";
  e2e::PostClick(roots);  // off, answered No: the file stays, nothing is saved at exit
  std::string question;
  ASSERT_TRUE(AnswerQuestion("Removing Roots...", IDNO, &question));
  EXPECT_EQ(question.substr(0, 40), "Do you want to erase the ini file (Yes),");
  SendMessageA(s.center, WM_NULL, 0, 0);
  EXPECT_FALSE(e2e::IsChecked(roots));
  EXPECT_EQ(ReadLines(folder + "\\Kestrova.INI"), seeded);

  s.RootsOn();
  std::vector<std::string> lines = ReadLines(folder + "\\Kestrova.INI");
  EXPECT_EQ(KeysOf(lines), kSettingsKeys);
  EXPECT_EQ(ValueOf(lines, "W2D4NameList"), "01C:\\W2D4NameList");
  EXPECT_TRUE(e2e::IsChecked(roots));
  s.ExitWithYes();
}

TEST(CommandCenter, SoundColouringAndOnTopAreWrittenAtExitAndShownAgain) {
  std::string folder = e2e::FreshFolder("cc-options");
  {
    Session s(folder);
    ASSERT_TRUE(s.center);
    s.RootsOn();
    e2e::Click(e2e::Control(s.center, IDC_CC_SOUNDS));  // No Sounds -> Wave Sounds
    e2e::Click(e2e::Control(s.center, IDC_CC_COLOURING));
    SendMessageA(s.center, WM_SYSCOMMAND, kMenuOnTop, 0);
    EXPECT_EQ(e2e::GetText(s.center), "Command Center - OnTop");
    EXPECT_EQ(e2e::GetText(e2e::Control(s.center, IDC_CC_SOUNDS)), "Wave Soun&ds");
    s.ExitWithYes();
  }
  std::vector<std::string> lines = ReadLines(folder + "\\Kestrova.INI");
  EXPECT_EQ(ValueOf(lines, "NoSounds"), "1");
  EXPECT_EQ(ValueOf(lines, "Coloring"), "-1");
  EXPECT_EQ(ValueOf(lines, "TOPMOST").substr(0, 4), " 1 0");

  Session again(folder, "Command Center - OnTop");
  ASSERT_TRUE(again.center);
  EXPECT_EQ(e2e::GetText(e2e::Control(again.center, IDC_CC_SOUNDS)), "Wave Soun&ds");
  EXPECT_TRUE(e2e::IsChecked(e2e::Control(again.center, IDC_CC_SOUNDS)));
  EXPECT_TRUE(e2e::IsChecked(e2e::Control(again.center, IDC_CC_COLOURING)));
  EXPECT_TRUE(e2e::IsChecked(e2e::Control(again.center, IDC_CC_ROOTS)));
  Shot(again.center, "command-center-coloured-on-top");
  // Two more presses come back to No Sounds.
  e2e::Click(e2e::Control(again.center, IDC_CC_SOUNDS));
  EXPECT_EQ(e2e::GetText(e2e::Control(again.center, IDC_CC_SOUNDS)), "Beep Soun&ds");
  e2e::Click(e2e::Control(again.center, IDC_CC_SOUNDS));
  EXPECT_EQ(e2e::GetText(e2e::Control(again.center, IDC_CC_SOUNDS)), "No Soun&ds");
  EXPECT_FALSE(e2e::IsChecked(e2e::Control(again.center, IDC_CC_SOUNDS)));
  again.ExitWithYes();
}

}  // namespace
