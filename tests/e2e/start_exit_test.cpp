// Kestrova.exe starts with its own working folder, opens each of its windows
// from the Command Center, and ends: the smoke that is also run with Wine
// playing Windows XP.
#include "tests/e2e/command_center_steps.h"

TEST(StartAndExit, EveryWindowOpensAndTheProgramEndsWithOneOpen) {
  cc_steps::Session s(e2e::FreshFolder("start"));
  ASSERT_TRUE(s.program.running) << "Kestrova.exe did not start";
  ASSERT_NE(s.center, nullptr);
  e2e::Screenshot("command-center");

  // The Command Center's own dialogs and the platform's font chooser: one
  // at a time, each closed by its button.
  const struct {
    int button;
    const char* title;
    int close;
    const char* shot;
  } dialogs[] = {
      {IDC_CC_ABOUT, "About Kestrova", IDC_ABOUT_OK, "about-kestrova"},
      {IDC_CC_LANGUAGE, "Language and Other Configurations", IDC_LG_CLOSE, "language-dialog"},
      {IDC_CC_COLOURS, "Pick the colors", IDC_CP_CLOSE, "colour-picker"},
      {IDC_CC_FONT, "Font", IDCANCEL, "font-chooser"},
  };
  for (const auto& d : dialogs) {
    HWND dialog = s.Open(d.button, d.title);
    ASSERT_NE(dialog, nullptr) << d.title;
    cc_steps::Shot(dialog, d.shot);
    e2e::PostClick(e2e::Control(dialog, d.close));
    ASSERT_TRUE(e2e::WaitGone(dialog)) << d.title;
  }

  // Every subprogram's window, all open at once, and last the screen
  // saver's dialog: the exit closes them.
  const struct {
    int button;
    const char* title;
  } windows[] = {
      {IDC_CC_FILE_SPLITTING, "File Splitting"},
      {IDC_CC_SPLIT_OR_COPY, "Split &/Or Copy - Backing Up where Others won't!"},
      {IDC_CC_COPY_OR_JOIN, "Copy &/Or Join - Restoring where Others won't!"},
      {IDC_CC_TEST_DISKS, "Test Your Removable Disks/Drive"},
      {IDC_CC_FORMAT, "Interface with Shell32's Format Drive Dialog Box"},
      {IDC_CC_COMPARING, "File(s) Comparing"},
      {IDC_CC_EXCESS_REMOVER, "Excess Files Remover"},
      {IDC_CC_DATA2WAV, "Data2Wav & Wav2Data"},
      {IDC_CC_PROGRAM_MASTER, "The Program Master"},
      {IDC_CC_TARGET_PRACTICE, "Intuitive Target Practice"},
      {IDC_CC_HORSE_RACING, "Intuitive Horse Racing"},
      {IDC_CC_SCREEN_SAVER, "Choose a Screen Saver"},
  };
  for (const auto& w : windows) EXPECT_NE(s.Open(w.button, w.title), nullptr) << w.title;
  e2e::Screenshot("every-window");
  s.ExitWithYes();
}
