// The Windows version line of the about box, and the family the rest of the
// program asks for.
#include "frame/command_center/windows_version.h"

#include <gtest/gtest.h>

#include "frame/texts/texts.h"
#include "frame/threads/process_state.h"

using namespace kst;

namespace {

class WindowsVersionText : public ::testing::Test {
 protected:
  void SetUp() override {
    SetText(940, "Current Windows Version:");
    SetText(941, "NT/2K/XP");
    SetText(942, "95/98/Me");
    SetText(943, "Unknown Windows Version");
  }
  void TearDown() override {
    g_process.windowsPlatform = kWindowsUnknown;
    g_process.windowsVersionText.clear();
  }
};

plat::VersionInfo Answer(bool ok, uint32_t platformId, const std::string& servicePack) {
  plat::VersionInfo v;
  v.ok = ok;
  v.platformId = platformId;
  v.servicePack = servicePack;
  return v;
}

}  // namespace

TEST_F(WindowsVersionText, NamesTheFamilyAndServicePackForTheWholeProcess) {
  const struct {
    plat::VersionInfo info;
    int platform;
    const char* text;
  } cases[] = {
      {Answer(true, 2, "Service Pack 3"), kWindowsNt, "Current Windows Version: NT/2K/XP Service Pack 3"},
      {Answer(true, 1, "A   "), kWindows9x, "Current Windows Version: 95/98/Me A"},
      {Answer(true, 2, std::string("B\0junk", 6)), kWindowsNt, "Current Windows Version: NT/2K/XP B"},
      {Answer(true, 2, ""), kWindowsNt, "Current Windows Version: NT/2K/XP"},
      {Answer(true, 0, "Service Pack 1"), kWindowsUnknown,
       "Current Windows Version: Unknown Windows Version Service Pack 1"},
      {Answer(false, 2, "junk"), kWindowsUnknown, "Current Windows Version: Unknown Windows Version"},
  };
  for (const auto& c : cases) {
    WindowsVersion v = QueryWindowsVersion([&c] { return c.info; });
    EXPECT_EQ(v.platform, c.platform) << c.text;
    EXPECT_EQ(v.text, c.text);
    EXPECT_EQ(g_process.windowsPlatform.load(), c.platform) << c.text;
    EXPECT_EQ(g_process.windowsVersionText, c.text);
  }

  // Windows and Wine report the NT family, and so does the Linux emulation.
  WindowsVersion v = QueryWindowsVersion();
  EXPECT_EQ(v.platform, kWindowsNt);
  EXPECT_EQ(v.text.rfind("Current Windows Version: NT/2K/XP", 0), 0u) << v.text;
}
