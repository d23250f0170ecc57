#include "frame/threads/startup.h"

#include <gtest/gtest.h>

#include "frame/command_center/colours.h"
#include "frame/platform/platform.h"
#include "frame/texts/texts.h"
#include "frame/threads/process_state.h"
#include "frame/threads/subprograms.h"
#include "tests/support/test_env.h"

using namespace kst;

TEST(StartUp, SettingsReachTheRecordsAndComeBackUnchangedAndStateComesFromTheSettingsFile) {
  ClearRecords();
  Settings settings;
  settings.topmost[1] = 1, settings.winPos[2] = 120, settings.winPos[3] = 45;  // File Splitting, record 3
  settings.colors[0].dialogBackground = SavedRgb{1, 2, 3}, settings.coloring = true, settings.noSounds = 2;
  ApplySettingsToFrame(settings);
  EXPECT_TRUE(Record(3).alwaysOnTop && !Record(1).alwaysOnTop && Colouring());
  EXPECT_EQ(Record(3).savedTop * 10 + SoundMode(), 452);
  EXPECT_EQ(Record(2).colours.background, Rgb(1, 2, 3));  // dialogs opened from the Command Center

  // What changed while the program ran goes back; nothing else moves.
  Record(5).alwaysOnTop = true, Record(5).savedLeft = 7;
  Settings back = settings;
  CollectFrameIntoSettings(back), settings.topmost[2] = 1, settings.winPos[4] = 7;
  EXPECT_EQ(back, settings);
  Colouring() = false, SetSoundMode(1);

  testenv::ScratchFolder dir;  // no settings file there
  std::string before = plat::CurrentFolder();
  ASSERT_TRUE(plat::SetCurrentFolder(dir.path));
  Settings loaded;
  static std::vector<int> steps;
  LoadProgramState(loaded, [](int step) { steps.push_back(step); });
  plat::SetCurrentFolder(before);
  EXPECT_EQ(steps, (std::vector<int>{1, 2}));
  EXPECT_TRUE(g_process.windowsPlatform.load() != 0 && !loaded.saveAtExit);
  EXPECT_EQ(GetText(27).substr(0, 14) + "|" + loaded.settingsPath, "Command Center|" + dir.Path("Kestrova.INI"));
}
