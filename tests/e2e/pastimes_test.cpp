// The two games, played by clicking.
#include <algorithm>

#include "tests/e2e/command_center_steps.h"

using namespace e2e;

using Pastimes = WindowTest;

TEST_F(Pastimes, TargetPracticeCountsShotsAndGuesses) {
  ASSERT_NO_FATAL_FAILURE(Begin(IDC_CC_TARGET_PRACTICE, "Intuitive Target Practice"));
  // Accuracy 100 at most, one cup: every shot hits. The other style starts again.
  Walk(dialog, {{kClick, IDC_TP_STYLE_ACCURACY}, {kType, IDC_TP_VALUE, "200"}, {kSees, IDC_TP_VALUE, "100"},
                {kClick, IDC_TP_CUP1}, {kClick, IDC_TP_CUP1}, {kClick, IDC_TP_CUP1}, {kSees, IDC_TP_HITS, "3"},
                {kSees, IDC_TP_SHOTS, "3"}, {kSees, IDC_TP_PERCENT, "100.00"}, {kClick, IDC_TP_STYLE_INTUITIVE},
                {kSees, IDC_TP_VALUE, "10"}, {kSees, IDC_TP_SHOTS, "0"}});
  Shot(dialog, "target-practice");
}

TEST_F(Pastimes, HorseRacingRunsOneRaceWithTheLatchedPick) {
  ASSERT_NO_FATAL_FAILURE(Begin(IDC_CC_HORSE_RACING, "Intuitive Horse Racing"));
  Walk(dialog, {{kType, IDC_HR_LENGTH, "1"}, {kClick, IDC_HR_PICK1 + 1}, {kClick, IDC_HR_RACE},
                {kSees, IDC_HR_RACE, "&Pause"}, {kWaits, IDC_HR_RACE, "&Race"}, {kSees, IDC_HR_RACES, "1"}});
  // A bar shows at most its range: the winners' bars, one at least, are full.
  int best = 0, winners = 0;
  for (int h = 0; h < 4; ++h) best = std::max(best, ProgressPos(Control(dialog, IDC_HR_TRACK1 + h)));
  for (int h = 0; h < 4; ++h) {
    if (!IsChecked(Control(dialog, IDC_HR_WIN1 + h))) continue;
    ++winners;
    EXPECT_EQ(ProgressPos(Control(dialog, IDC_HR_TRACK1 + h)), best) << "horse " << h + 1;
  }
  EXPECT_TRUE(best >= 100 && winners >= 1);
  EXPECT_EQ(Text(dialog, IDC_HR_HITS), IsChecked(Control(dialog, IDC_HR_WIN1 + 1)) ? "1" : "0");
  Shot(dialog, "horse-racing");
}

