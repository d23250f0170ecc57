#include "pastimes/horse_race.h"
#include "pastimes/target_practice.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

using namespace kst;

namespace {

// Steps for each horse in turn, as draws (step k is the draw k / 10).
Dice Steps(std::vector<int> steps) {
  auto next = std::make_shared<size_t>(0);
  return [steps, next] { return steps[(*next)++ % steps.size()] / 10.0 + 0.05; };
}

// Hands out the draws given, in turn.
Dice Scripted(std::vector<double> draws) {
  auto next = std::make_shared<size_t>(0);
  return [draws, next] { return draws[(*next)++ % draws.size()]; };
}

}  // namespace

// An aborted race, between rounds or while the horses step, counts nothing.
TEST(HorseRace, ScriptedRaces) {
  // steps: per horse, every step; abortAt: the round dropping the job; first: horse 1's end.
  const struct { const char* name; std::vector<int> steps; int pick, abortAt; RaceEnd end; bool winners[kHorses];
    int32_t first; int rounds; uint32_t races, hits; } cases[] = {
      {"tie of two", {9, 9, 5, 0}, 2, 0, RaceEnd::Finished, {true, true, false, false}, 108, 12, 1, 1},
      {"one ahead", {5, 9, 8, 9}, 1, 0, RaceEnd::Finished, {false, true, false, true}, 60, 12, 1, 0},
      {"overshoot wins", {9, 8, 7, 6}, 1, 0, RaceEnd::Finished, {true, false, false, false}, 108, 12, 1, 1},
      {"all four", {9, 9, 9, 9}, 4, 0, RaceEnd::Finished, {true, true, true, true}, 108, 12, 1, 1},
      {"the pick alone", {0, 0, 9, 0}, 3, 0, RaceEnd::Finished, {false, false, true, false}, 0, 12, 1, 1},
      {"aborted", {9, 9, 9, 9}, 1, 3, RaceEnd::Aborted, {false, false, false, false}, 18, 3, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HorseRace race;
    SetRaceLength(race, 1);
    Dice dice = Steps(c.steps);
    JobControl job;
    job.keepGoing = true;
    int rounds = 0;
    EXPECT_EQ(RunRace(race, c.pick, dice, job, [&] { job.keepGoing = ++rounds != c.abortAt; }), c.end);
    for (int h = 0; h < kHorses; ++h) EXPECT_EQ(race.winners[h], c.winners[h]) << "horse " << h + 1;
    EXPECT_EQ(std::make_tuple(race.positions[0], rounds, race.races, race.hits),
              std::make_tuple(c.first, c.rounds, c.races, c.hits));
    Dice last = [&] { return job.keepGoing = false, 0.95; };
    job.keepGoing = true;
    EXPECT_EQ(RunRace(race, 1, last, job, nullptr), RaceEnd::Aborted);
    EXPECT_EQ(race.races, c.races);
    EXPECT_EQ(HitPercentOfRaces(race), 100.0 * c.hits);  // 0 with no race, not a division by zero
    EXPECT_EQ(SetRaceLength(race, 2), 200);  // a length change resets the counts
    EXPECT_EQ(race.races + race.hits, 0u);
  }
}

TEST(HorseRace, LengthAndPickAreKeptInRange) {
  const struct { int64_t hundreds; int length; } cases[] = {
      {1, 100}, {37, 3700}, {100, 10000}, {101, 10000}, {0, 100}, {-4, 100}, {INT64_MAX, 10000}};
  for (const auto& c : cases) EXPECT_EQ(RaceLengthOf(c.hundreds), c.length) << c.hundreds;
  HorseRace race;
  StartRace(race, 9);
  EXPECT_EQ(race.pick, 4);
  StartRace(race, 0);
  EXPECT_EQ(race.pick, 1);
}

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
