// Your Watch and the two games as a person meets them: the watch keeps
// its offset; a few shots of Intuitive Target Practice and one race of
// Intuitive Horse Racing, played by clicking, give the counts the rules give.
#include <algorithm>

#include "tests/e2e/command_center_steps.h"

namespace {

using namespace cc_steps;
using namespace e2e;

using Pastimes = WindowTest;

TEST_F(Pastimes, TargetPracticeCountsShotsAndGuesses) {
  ASSERT_NO_FATAL_FAILURE(Begin(IDC_CC_TARGET_PRACTICE, "Intuitive Target Practice"));
  HWND value = Control(dialog, IDC_TP_VALUE);
  // Accuracy 100 at most: every shot hits.
  Click(Control(dialog, IDC_TP_STYLE_ACCURACY));
  SetText(value, "200");
  EXPECT_EQ(GetText(value), "100");
  EXPECT_FALSE(IsWindowEnabled(Control(dialog, IDC_TP_CUP1 + 1)));
  for (int i = 0; i < 3; ++i) Click(Control(dialog, IDC_TP_CUP1));
  EXPECT_EQ(Text(dialog, IDC_TP_HITS), "3");
  EXPECT_EQ(Text(dialog, IDC_TP_SHOTS), "3");
  EXPECT_EQ(Text(dialog, IDC_TP_PERCENT), "100.00");

  // The other style starts again, with the cups of the value.
  Click(Control(dialog, IDC_TP_STYLE_INTUITIVE));
  EXPECT_EQ(GetText(value), "10");
  EXPECT_EQ(Text(dialog, IDC_TP_SHOTS), "0");
  Shot(dialog, "target-practice");
}

TEST_F(Pastimes, HorseRacingRunsOneRaceWithTheLatchedPick) {
  ASSERT_NO_FATAL_FAILURE(Begin(IDC_CC_HORSE_RACING, "Intuitive Horse Racing"));
  SetText(Control(dialog, IDC_HR_LENGTH), "1");
  Click(Control(dialog, IDC_HR_PICK1 + 1));
  Click(Control(dialog, IDC_HR_RACE));
  EXPECT_EQ(Text(dialog, IDC_HR_RACE), "&Pause");
  EXPECT_FALSE(IsWindowEnabled(Control(dialog, IDC_HR_LENGTH)));
  EXPECT_FALSE(IsWindowEnabled(Control(dialog, IDC_HR_PICK1 + 2)));
  ASSERT_TRUE(WaitUntil([&] { return Text(dialog, IDC_HR_RACE) == "&Race"; }, 15000, "race-over"));

  int best = 0, winners = 0;
  for (int h = 0; h < 4; ++h) best = std::max(best, ProgressPos(Control(dialog, IDC_HR_TRACK1 + h)));
  EXPECT_GE(best, 100);
  for (int h = 0; h < 4; ++h) {
    const bool won = IsChecked(Control(dialog, IDC_HR_WIN1 + h));
    winners += won;
    // A bar shows at most its range: the winners' bars are full.
    if (won) {
      EXPECT_EQ(ProgressPos(Control(dialog, IDC_HR_TRACK1 + h)), best);
    }
  }
  EXPECT_GE(winners, 1);
  const bool hit = IsChecked(Control(dialog, IDC_HR_WIN1 + 1));
  EXPECT_EQ(Text(dialog, IDC_HR_RACES), "1");
  EXPECT_EQ(Text(dialog, IDC_HR_HITS), hit ? "1" : "0");
  EXPECT_EQ(Text(dialog, IDC_HR_PERCENT), hit ? "100.00" : "0.00");
  EXPECT_TRUE(IsWindowEnabled(Control(dialog, IDC_HR_LENGTH)));
  Shot(dialog, "horse-racing");
}

TEST_F(Pastimes, YourWatchKeepsTheOffsetTypedInTheSettings) {
  ASSERT_NO_FATAL_FAILURE(Begin());
  session->RootsOn();
  dialog = session->Open(IDC_CC_SPLIT_OR_COPY, "Split &/Or Copy - Backing Up where Others won't!");
  ASSERT_TRUE(dialog);
  // "DD:HH:MM:SS" of the computer; the watch is an hour ahead.
  const std::string computer = Text(dialog, IDC_SC_COMPUTER_CLOCK);
  ASSERT_EQ(computer.size(), 11u) << computer;
  char watch[16];
  snprintf(watch, sizeof watch, "%02d:%s", (std::stoi(computer.substr(3, 2)) + 1) % 24, computer.substr(6).c_str());
  SetText(Control(dialog, IDC_SC_WATCH), watch);
  Click(Control(dialog, IDC_SC_ADJUST));
  const std::string difference = Text(dialog, IDC_SC_WATCH_DIFFERENCE);
  EXPECT_TRUE(difference == "+1h00m00" || difference == "+59m59") << difference;  // a second may pass
  Shot(dialog, "split-or-copy-watch");
  session->ExitWithYes();
  const std::string kept = ValueOf(ReadLines(Path("Kestrova.INI")), "YWT");
  EXPECT_TRUE(kept.find("3600") != std::string::npos || kept.find("3599") != std::string::npos) << kept;
}

}  // namespace
