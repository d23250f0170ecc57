// The settings file on a disk that fails part-way: what only the Linux
// emulation can make happen on purpose.
#include <gtest/gtest.h>

#include "frame/ask.h"
#include "frame/platform/emulation.h"
#include "frame/settings.h"
#include "frame/texts.h"
#include "tests/support/test_env.h"

using namespace kst;

namespace {

class SettingsFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    SetText(507, std::string("Unable to \"grow\" roots"));
    SetText(508, std::string("The file"));
    SetText(510, std::string("was not saved correctly due to unknown problem."));
    SetSoundMode(1);
    SetAlertHandler([this](int) { events.push_back("alert"); });
    SetAskHandler([this](const AskRequest& request) {
      events.push_back("ask");
      asked.push_back(request);
      return int(kAnswerOk);
    });
    settings.fsFileName = "D:\\video\\holiday.avi";
    settings.settingsPath = dir.Path("Kestrova.INI");
  }
  void TearDown() override {
    plat::EmuClearFaults();
    SetAskHandler(nullptr);
    SetAlertHandler(nullptr);
  }

  testenv::ScratchFolder dir;
  Settings settings;
  std::vector<std::string> events;
  std::vector<AskRequest> asked;
};

}  // namespace

TEST_F(SettingsFaults, WritingStopsAtTheFirstLineThatCannotBeWritten) {
  plat::EmuInjectFault(plat::Fault::DiskFull, 3, "Kestrova.INI");
  EXPECT_FALSE(WriteSettings(settings, nullptr));
  ASSERT_EQ(events, (std::vector<std::string>{"alert", "ask"}));
  EXPECT_EQ(asked[0].style, kAskOk);
  EXPECT_EQ(asked[0].heading, "Unable to \"grow\" roots");
  EXPECT_EQ(asked[0].message, "The file " + settings.settingsPath +
                                  " was not saved correctly due to unknown problem.");
  EXPECT_EQ(asked[0].boxRecord, 21);
  EXPECT_EQ(asked[0].ownerRecord, 1);
  std::vector<std::string> lines = SettingsLines(settings);
  EXPECT_EQ(testenv::ReadFile(settings.settingsPath), lines[0] + lines[1] + lines[2]);
}

TEST_F(SettingsFaults, APartialWriteIsCarriedOn) {
  plat::EmuInjectFault(plat::Fault::ShortWrite, 5, "Kestrova.INI");
  EXPECT_TRUE(WriteSettings(settings, nullptr));
  std::string expected;
  for (const std::string& line : SettingsLines(settings)) expected += line;
  EXPECT_EQ(testenv::ReadFile(settings.settingsPath), expected);
  EXPECT_TRUE(events.empty());
}

TEST_F(SettingsFaults, APartialReadIsCarriedOn) {
  ASSERT_TRUE(WriteSettings(settings, nullptr));
  plat::EmuInjectFault(plat::Fault::ShortRead, 0, "Kestrova.INI");
  Settings read;
  read.settingsPath = settings.settingsPath;
  EXPECT_TRUE(ReadSettings(read, settings.settingsPath));
  EXPECT_EQ(read, settings);
  EXPECT_TRUE(events.empty());
}
