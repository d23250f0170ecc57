#include "pastimes/target_practice.h"

#include <gtest/gtest.h>

using namespace kst;

namespace {

Dice Scripted(std::vector<double> draws) {
  auto next = std::make_shared<size_t>(0);
  return [draws, next] { return draws[(*next)++ % draws.size()]; };
}

}  // namespace

TEST(TargetPractice, CupsAndValuesOfTheStyles) {
  const struct { double r; int cups, cup; } draws[] = {{0.0, 2, 1}, {0.4999, 2, 1}, {0.5, 2, 2}, {0.9999999999, 2, 2},
      {0.0, 10, 1}, {0.95, 10, 10}, {0.1, 10, 2}, {1.0, 10, 10}};  // a draw of 1 is capped
  for (const auto& c : draws) EXPECT_EQ(CupOfDraw(c.r, c.cups), c.cup) << c.r << " of " << c.cups;
  const struct { int style; int64_t typed; int value; } values[] = {{kStyleAccuracy, 0, 1}, {kStyleAccuracy, 200, 100},
      {kStyleAccuracy, 37, 37}, {kStyleIntuitive, 1, 2}, {kStyleIntuitive, 11, 10}, {kStyleIntuitive, -5, 2},
      {kStyleAccuracy, INT64_MIN, 1}, {kStyleIntuitive, INT64_MAX, 10}};
  for (const auto& c : values) EXPECT_EQ(ClampTargetValue(c.style, c.typed), c.value) << c.typed;

  // Accuracy 50 taken over to the intuitive style: 10 cups, not 50.
  TargetPractice game;
  ChooseTargetStyle(game, kStyleAccuracy, 50);
  ChooseTargetStyle(game, kStyleIntuitive, game.value);
  EXPECT_EQ(game.value, 10);
  for (int k = 1; k <= kCupButtons; ++k) EXPECT_TRUE(CupButtonEnabled(game, k)) << k;
  EXPECT_FALSE(CupButtonEnabled(game, 11));
  ChooseTargetStyle(game, kStyleIntuitive, 3);
  EXPECT_TRUE(CupButtonEnabled(game, 3) && !CupButtonEnabled(game, 4));
  ChooseTargetStyle(game, kStyleAccuracy, 3);
  EXPECT_TRUE(CupButtonEnabled(game, 1) && !CupButtonEnabled(game, 2));
}

TEST(TargetPractice, ShotsGuessesAndTheStatistics) {
  TargetPractice game;
  Dice dice = Scripted({0.0, 0.5, 0.99});
  ChooseTargetStyle(game, kStyleAccuracy, 50);
  EXPECT_FALSE(Fire(game, 1, dice));  // 0 < 100 - 50
  EXPECT_TRUE(Fire(game, 1, dice));   // 50 >= 50
  EXPECT_TRUE(Fire(game, 1, dice));
  EXPECT_EQ(HitPercentText(game.hits, game.shots), "66.67");

  ChooseTargetStyle(game, kStyleAccuracy, 100);
  Dice zero = Scripted({0.0});
  EXPECT_TRUE(Fire(game, 1, zero));  // accuracy 100 always hits
  ChooseTargetStyle(game, kStyleAccuracy, 1);
  EXPECT_FALSE(Fire(game, 1, zero));

  ChooseTargetStyle(game, kStyleIntuitive, 4);
  EXPECT_EQ(game.shots, 0u);
  Dice cups = Scripted({0.0, 0.6});
  EXPECT_TRUE(Fire(game, 1, cups));  // a draw of 0 is cup 1, never cup 0
  EXPECT_FALSE(Fire(game, 1, cups));
  EXPECT_EQ(game.targetCup, 3);
  EXPECT_EQ(SetTargetValue(game, 4), 4);  // no change: the statistics stay
  EXPECT_EQ(game.shots, 2u);
  EXPECT_EQ(SetTargetValue(game, 40), 10);
  EXPECT_EQ(game.shots, 0u);
  EXPECT_EQ(HitPercentText(0, 0), "0.00");

  // Two cups hit about half the time.
  ChooseTargetStyle(game, kStyleIntuitive, 2);
  dice = SeededDice(20261206);
  for (int i = 0; i < 10000; ++i) Fire(game, 1 + i % 2, dice);
  EXPECT_EQ(game.shots, 10000u);
  EXPECT_NEAR(game.hits, 5000u, 300u);
}
