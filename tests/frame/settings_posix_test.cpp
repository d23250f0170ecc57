#include <gtest/gtest.h>

#include "frame/platform/emulation.h"
#include "frame/settings/settings.h"
#include "tests/support/scripted_person.h"
#include "tests/support/test_env.h"

using namespace kst;

// A short transfer is not a failure: the rest follows.
TEST(SettingsFaults, AFullDiskIsReportedAndPartialWritesAndReadsAreCarriedOn) {
  SetText(508, "The file"), SetText(510, "was not saved correctly due to unknown problem.");
  testenv::ScriptedPerson person;
  testenv::ScratchFolder dir;
  Settings settings;
  settings.fsFileName = "D:\\video\\holiday.avi", settings.settingsPath = dir.Path("Kestrova.INI");
  std::vector<std::string> lines = SettingsLines(settings);
  plat::EmuInjectFault(plat::Fault::DiskFull, 3, "Kestrova.INI");
  EXPECT_FALSE(WriteSettings(settings, nullptr));
  ASSERT_EQ(person.asked.size(), 1u);
  EXPECT_EQ(person.asked[0].message, "The file " + settings.settingsPath + " " + Trimmed(GetText(510)));
  EXPECT_EQ(testenv::ReadFile(settings.settingsPath), lines[0] + lines[1] + lines[2]);

  plat::EmuInjectFault(plat::Fault::ShortWrite, 5, "Kestrova.INI");
  EXPECT_TRUE(WriteSettings(settings, nullptr));
  std::string whole;
  for (const std::string& line : lines) whole += line;
  EXPECT_EQ(testenv::ReadFile(settings.settingsPath), whole);
  plat::EmuInjectFault(plat::Fault::ShortRead, 0, "Kestrova.INI");
  Settings read;
  read.settingsPath = settings.settingsPath;
  EXPECT_TRUE(ReadSettings(read, settings.settingsPath));
  plat::EmuClearFaults();
  EXPECT_TRUE(read == settings && person.asked.size() == 1u);
}
