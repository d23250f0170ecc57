// Start, open every window, exit: the smoke also run with Wine playing XP.
#include <tuple>

#include "tests/e2e/command_center_steps.h"

using namespace e2e;

TEST(StartAndExit, EveryWindowOpensAndTheProgramEndsWithOneOpen) {
  Session s(FreshFolder("start"));
  ASSERT_TRUE(s.program.running) << "Kestrova.exe did not start";
  ASSERT_NE(s.center, nullptr);
  Screenshot("command-center");
  // Its own dialogs and the font chooser, one at a time, each closed by its button.
  const std::tuple<int, const char*, int, const char*> dialogs[] = {
      {IDC_CC_ABOUT, "About Kestrova", IDC_ABOUT_OK, "about-kestrova"},
      {IDC_CC_LANGUAGE, "Language and Other Configurations", IDC_LG_CLOSE, "language-dialog"},
      {IDC_CC_COLOURS, "Pick the colors", IDC_CP_CLOSE, "colour-picker"},
      {IDC_CC_FONT, "Font", IDCANCEL, "font-chooser"}};
  for (const auto& [button, title, close, shot] : dialogs) {
    HWND dialog = s.Open(button, title);
    ASSERT_NE(dialog, nullptr) << title;
    Shot(dialog, shot);
    ASSERT_TRUE(Closes(dialog, close)) << title;
  }
  // Every subprogram's window, all open at once: the exit closes them.
  const std::pair<int, const char*> windows[] = {
      {IDC_CC_FILE_SPLITTING, "File Splitting"},
      {IDC_CC_SPLIT_OR_COPY, "Split &/Or Copy - Backing Up where Others won't!"},
      {IDC_CC_COPY_OR_JOIN, "Copy &/Or Join - Restoring where Others won't!"},
      {IDC_CC_TEST_DISKS, "Test Your Removable Disks/Drive"},
      {IDC_CC_FORMAT, "Interface with Shell32's Format Drive Dialog Box"},
      {IDC_CC_COMPARING, "File(s) Comparing"},         {IDC_CC_EXCESS_REMOVER, "Excess Files Remover"},
      {IDC_CC_DATA2WAV, "Data2Wav & Wav2Data"},        {IDC_CC_PROGRAM_MASTER, "The Program Master"},
      {IDC_CC_TARGET_PRACTICE, "Intuitive Target Practice"}, {IDC_CC_HORSE_RACING, "Intuitive Horse Racing"},
      {IDC_CC_SCREEN_SAVER, "Choose a Screen Saver"}};
  for (const auto& [button, title] : windows) EXPECT_NE(s.Open(button, title), nullptr) << title;
  Screenshot("every-window");
  s.ExitWithYes();
}
