#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "frame/command_center/colours.h"
#include "frame/command_center/configuration_values.h"
#include "frame/command_center/screen_saver.h"
#include "frame/command_center/sound_modes.h"
#include "frame/command_center/windows_version.h"
#include "frame/texts/texts.h"
#include "frame/threads/process_state.h"
#include "frame/threads/subprograms.h"
#include "resources/resource_ids.h"

using namespace kst;

TEST(CommandCenterLooks, ColourEntriesReachTheirRecordsAndSoundModesCycle) {
  SetDefaultColours(), ClearRecords(), CopyColoursToRecords();
  EXPECT_TRUE(Record(2).colours.background == ColourEntry(1).background &&
              Record(16).colours.text == ColourEntry(7).text);
  EXPECT_EQ(ColourEntryOfRecord(42) * 100 + ColourEntryOfRecord(21), 1200);
  std::set<int> entries;
  for (int position = 0; position < kColourEntries; ++position) entries.insert(ColourEntryOfPickerPosition(position));
  EXPECT_EQ(entries, (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(ColourEntryOfPickerPosition(-1) + ColourEntryOfPickerPosition(kColourEntries), 0);
  EXPECT_EQ(RecordOfColourEntry(ColourEntryOfPickerPosition(9)), 39);  // The Program Master

  const int pictures[] = {IDB_NO_SOUNDS, IDB_WAVE_SOUNDS, IDB_BEEP_SOUNDS};
  for (int mode = 0; mode < 3; ++mode) {
    SoundButtonLook look = LookOfSoundMode(mode);
    EXPECT_EQ(std::make_tuple(NextSoundMode(mode), NextSoundMode(PreviousSoundMode(mode)), look.bitmap, look.checked,
                              look.beeper),
              std::make_tuple((mode + 1) % 3, mode, pictures[mode], mode != kNoSounds, mode != kNoSounds));
  }
  EXPECT_NE(LookOfSoundMode(kWaveSounds).labelText, LookOfSoundMode(kBeepSounds).labelText);
  EXPECT_EQ(std::make_tuple(ValidSoundMode(7), ValidSoundMode(-1), NextSoundMode(PreviousSoundMode(9))),
            std::make_tuple(kNoSounds, kNoSounds, kNoSounds));
}

TEST(CommandCenterChoices, ValuesStayInRangeAndTheScreenSaverSwitchChoiceAndWorkersFlagDecideWhatStarts) {
  const std::pair<int64_t, int64_t> cases[] = {
      {ValueOfSlider(kListSizesValue, 16), 256},   {ValueOfSlider(kListSizesValue, 0), 16},
      {ValueOfSlider(kBuffSizeValue, 30000), 20971520}, {SliderMinimum(kBuffSizeValue), 16},
      {SliderMaximum(kBuffSizeValue), 20480},      {SliderOfValue(kBuffSizeValue, 512000), 500},
      {SliderOfValue(kMaxSizeToCopyValue, 400), 16},
  };
  for (const auto& [got, expected] : cases) EXPECT_EQ(got, expected) << &got - &cases[0].first;
  EXPECT_EQ(FieldOfValue(kBuffSizeValue, 512000) + FieldOfValue(kListSizesValue, 256), "500256");

  // Below the range a typed value waits to be left ("5" may still become "512"); above it, it is rewritten at once.
  const struct { const ConfigurationValue& kind; const char* typed; int value; bool rewrite; } typedCases[] = {
      {kListSizesValue, "5", 16, false}, {kBuffSizeValue, "30000", 20971520, true},
      {kBuffSizeValue, "20480", 20971520, false}, {kMaxSizeToCopyValue, "1 0 2 4 kB", 1048576, false},
      {kBuffSizeValue, "-700", 16384, false}, {kBuffSizeValue, "99999999999999999999999999", 20971520, true},
  };
  for (const auto& c : typedCases) {
    TypedValue typed = ValueOfTyped(c.kind, c.typed);
    EXPECT_EQ(std::make_pair(typed.value, typed.rewrite), std::make_pair(c.value, c.rewrite)) << c.typed;
  }
  EXPECT_TRUE(FieldLeft(kListSizesValue, "5", 16));
  EXPECT_FALSE(FieldLeft(kListSizesValue, "512  ", 512));

  // A worker needs its flag on and must be running (Comparing and the remover share the fourth flag).
  using S = ScreenSaverStart;
  const struct { bool on; int choice; const char* file; int worker; bool running; S start; } choices[] = {
      {true, kSystemScreenSaver, "", kScreenSaverTest, false, S::System},
      {true, kScreenSaverFile, "C:\\s.scr", kScreenSaverTest, false, S::File},
      {true, kScreenSaverFile, "   ", kScreenSaverTest, false, S::None},
      {true, kNoScreenSaver, "C:\\s.scr", kScreenSaverTest, false, S::None},
      {true, kSystemScreenSaver, "", kScreenSaverSplitOrCopy, true, S::None},
      {true, kSystemScreenSaver, "", kScreenSaverCopyOrJoin, true, S::System},
      {true, kSystemScreenSaver, "", kScreenSaverCopyOrJoin, false, S::None},
      {true, kSystemScreenSaver, "", kScreenSaverExcessRemover, true, S::System},
      {true, kSystemScreenSaver, "", 6, true, S::None},
      {false, kSystemScreenSaver, "", kScreenSaverTest, false, S::None},
      {false, kSystemScreenSaver, "", kScreenSaverCopyOrJoin, true, S::None},
  };
  for (const auto& c : choices) {
    Settings s;
    s.scrSaver = c.on, s.scrSaverI = c.choice, s.scrSaverC = c.file, s.scrSaverL = {0, 1, 0, 1};
    EXPECT_EQ(ScreenSaverToStart(s, c.worker, c.running), c.start) << &c - choices;
  }
  EXPECT_EQ(ScreenSaverCommand("C:\\My Savers\\stars.scr  ", "/s"), "\"C:\\My Savers\\stars.scr\" /s");
  EXPECT_TRUE(HasScreenSaverName("C:\\x\\Stars.SCR  ") && !HasScreenSaverName(".scr") &&
              !HasScreenSaverName("C:\\x.scr\\other"));

  Settings saved = AppSettings();
  Settings& s = AppSettings();
  s.scrSaver = true, s.scrSaverI = kScreenSaverFile, s.scrSaverC = "D:\\s.scr", s.scrSaverL = {0, 0, 1, 0};
  std::vector<std::string> started;
  SetScreenSaverLauncher([&](ScreenSaverStart start, const std::string& command, WindowRef) {
    started.push_back(start == ScreenSaverStart::File ? command : "system");
  });
  for (bool running : {false, true}) {  // the flag is on
    GetSubprogram(kTestDisks).job.running = running;
    RunScreenSaver(kScreenSaverTestDisks);
  }
  GetSubprogram(kTestDisks).job.running = false;
  RunScreenSaver(kScreenSaverTest);
  SetScreenSaverLauncher(nullptr);
  AppSettings() = saved;
  EXPECT_EQ(started, (std::vector<std::string>{"\"D:\\s.scr\" /s", "\"D:\\s.scr\" /s"}));
}

TEST(WindowsVersionText, NamesTheFamilyAndServicePackForTheWholeProcess) {
  for (const auto& [id, text] : {std::pair<int, const char*>{940, "Current Windows Version:"}, {941, "NT/2K/XP"},
                                 {942, "95/98/Me"}, {943, "Unknown Windows Version"}})
    SetText(id, text);
  const struct { bool ok; uint32_t platformId; std::string servicePack; int platform; const char* text; } cases[] = {
      {true, 2, "Service Pack 3", kWindowsNt, "Current Windows Version: NT/2K/XP Service Pack 3"},
      {true, 1, "A   ", kWindows9x, "Current Windows Version: 95/98/Me A"},
      {true, 2, std::string("B\0junk", 6), kWindowsNt, "Current Windows Version: NT/2K/XP B"},
      {true, 2, "", kWindowsNt, "Current Windows Version: NT/2K/XP"},
      {true, 0, "Service Pack 1", kWindowsUnknown, "Current Windows Version: Unknown Windows Version Service Pack 1"},
      {false, 2, "junk", kWindowsUnknown, "Current Windows Version: Unknown Windows Version"},
  };
  for (const auto& c : cases) {
    plat::VersionInfo info;
    info.ok = c.ok, info.platformId = c.platformId, info.servicePack = c.servicePack;
    WindowsVersion v = QueryWindowsVersion([&info] { return info; });
    EXPECT_EQ(v.text + "|" + g_process.windowsVersionText, std::string(c.text) + "|" + c.text);
    EXPECT_EQ(v.platform * 10 + g_process.windowsPlatform.load(), c.platform * 11) << c.text;
  }
  WindowsVersion v = QueryWindowsVersion();
  EXPECT_TRUE(v.platform == kWindowsNt && v.text.rfind("Current Windows Version: NT/2K/XP", 0) == 0) << v.text;
}
