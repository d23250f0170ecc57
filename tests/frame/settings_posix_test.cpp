// The settings file on a disk that fails part-way: what only the Linux
// emulation can make happen on purpose.
#include <gtest/gtest.h>

#include "frame/dialogs/ask.h"
#include "frame/platform/emulation.h"
#include "frame/settings/settings.h"
#include "frame/texts/texts.h"
#include "tests/support/test_env.h"

using namespace kst;

namespace {

class SettingsFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    SetText(508, std::string("The file"));
    SetText(510, std::string("was not saved correctly due to unknown problem."));
    SetAskHandler([this](const AskRequest& request) {
      asked.push_back(request);
      return int(kAnswerOk);
    });
    settings.fsFileName = "D:\\video\\holiday.avi";
    settings.settingsPath = dir.Path("Kestrova.INI");
    for (const std::string& line : SettingsLines(settings)) whole += line;
  }
  void TearDown() override {
    plat::EmuClearFaults();
    SetAskHandler(nullptr);
  }

  testenv::ScratchFolder dir;
  Settings settings;
  std::string whole;
  std::vector<AskRequest> asked;
};

}  // namespace

TEST_F(SettingsFaults, AFullDiskStopsTheWritingAndIsReported) {
  plat::EmuInjectFault(plat::Fault::DiskFull, 3, "Kestrova.INI");
  EXPECT_FALSE(WriteSettings(settings, nullptr));
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].message, "The file " + settings.settingsPath +
                                  " was not saved correctly due to unknown problem.");
  std::vector<std::string> lines = SettingsLines(settings);
  EXPECT_EQ(testenv::ReadFile(settings.settingsPath), lines[0] + lines[1] + lines[2]);
}

// A short transfer is not a failure: the rest follows, nothing is lost.
TEST_F(SettingsFaults, PartialWritesAndReadsAreCarriedOn) {
  plat::EmuInjectFault(plat::Fault::ShortWrite, 5, "Kestrova.INI");
  EXPECT_TRUE(WriteSettings(settings, nullptr));
  EXPECT_EQ(testenv::ReadFile(settings.settingsPath), whole);
  plat::EmuInjectFault(plat::Fault::ShortRead, 0, "Kestrova.INI");
  Settings read;
  read.settingsPath = settings.settingsPath;
  EXPECT_TRUE(ReadSettings(read, settings.settingsPath));
  EXPECT_EQ(read, settings);
  EXPECT_TRUE(asked.empty());
}
