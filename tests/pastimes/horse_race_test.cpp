// Races run from scripted draws: a tie, an overshoot, an abort, the
// length's limits and the latched pick.
#include "pastimes/horse_race.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace kst;

namespace {

// Steps for each horse in turn, as draws (step k is the draw k / 10).
Dice Steps(std::vector<int> steps) {
  auto next = std::make_shared<size_t>(0);
  return [steps, next] { return steps[(*next)++ % steps.size()] / 10.0 + 0.05; };
}

struct Job {
  JobControl control;
  Job() { control.keepGoing = true; }
};

}  // namespace

TEST(HorseRace, LengthOfAnEntry) {
  const struct { int64_t hundreds; int length; } cases[] = {
      {1, 100}, {37, 3700}, {100, 10000}, {101, 10000}, {0, 100}, {-4, 100}, {INT64_MAX, 10000}};
  for (const auto& c : cases) EXPECT_EQ(RaceLengthOf(c.hundreds), c.length) << c.hundreds;
}

TEST(HorseRace, ScriptedRaces) {
  const struct {
    const char* name;
    std::vector<int> steps;  // per horse, repeated every step
    int pick;
    bool winners[kHorses];
    int32_t first;           // position of horse 1 at the end
    uint32_t hits;
  } cases[] = {
      {"tie of two", {9, 9, 5, 0}, 2, {true, true, false, false}, 108, 1},
      {"one ahead", {5, 9, 8, 9}, 1, {false, true, false, true}, 60, 0},
      {"overshoot wins over the length", {9, 8, 7, 6}, 1, {true, false, false, false}, 108, 1},
      {"all four", {9, 9, 9, 9}, 4, {true, true, true, true}, 108, 1},
  };
  for (const auto& c : cases) {
    HorseRace race;
    SetRaceLength(race, 1);
    Dice dice = Steps(c.steps);
    Job job;
    int rounds = 0;
    EXPECT_EQ(RunRace(race, c.pick, dice, job.control, [&] { ++rounds; }), RaceEnd::Finished) << c.name;
    for (int h = 0; h < kHorses; ++h) EXPECT_EQ(race.winners[h], c.winners[h]) << c.name << " horse " << h + 1;
    EXPECT_EQ(race.positions[0], c.first) << c.name;
    EXPECT_EQ(rounds, 12) << c.name;
    EXPECT_EQ(race.races, 1u) << c.name;
    EXPECT_EQ(race.hits, c.hits) << c.name;
  }
}

TEST(HorseRace, AnAbortedRaceCountsNothing) {
  HorseRace race;
  SetRaceLength(race, 1);
  Dice dice = Steps({9, 9, 9, 9});
  Job job;
  int rounds = 0;
  EXPECT_EQ(RunRace(race, 1, dice, job.control, [&] {
              if (++rounds == 3) job.control.keepGoing = false;
            }),
            RaceEnd::Aborted);
  EXPECT_EQ(race.races, 0u);
  EXPECT_EQ(race.hits, 0u);
  for (bool w : race.winners) EXPECT_FALSE(w);

  // Dropped while the horses step: no finish either.
  job.control.keepGoing = true;
  rounds = 0;
  Dice last = [&] { job.control.keepGoing = false; return 0.95; };
  EXPECT_EQ(RunRace(race, 1, last, job.control, nullptr), RaceEnd::Aborted);
  EXPECT_EQ(race.races, 0u);
}

TEST(HorseRace, PickIsKeptInRangeAndALengthChangeResetsTheCounts) {
  HorseRace race;
  SetRaceLength(race, 1);
  Dice dice = Steps({0, 0, 9, 0});
  Job job;
  EXPECT_EQ(RunRace(race, 3, dice, job.control, nullptr), RaceEnd::Finished);
  EXPECT_EQ(race.races, 1u);
  EXPECT_EQ(race.hits, 1u);
  EXPECT_EQ(HitPercentOfRaces(race), 100.0);
  StartRace(race, 9);
  EXPECT_EQ(race.pick, 4);
  StartRace(race, 0);
  EXPECT_EQ(race.pick, 1);
  EXPECT_EQ(SetRaceLength(race, 2), 200);
  EXPECT_EQ(race.races, 0u);
  EXPECT_EQ(race.hits, 0u);
  EXPECT_EQ(HitPercentOfRaces(race), 0.0);  // no race yet: 0, not a division by zero
}
