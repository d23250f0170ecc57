#include "pastimes/horse_race.h"

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

}  // namespace

// An aborted race, whether dropped between rounds or while the horses
// step, marks and counts nothing.
TEST(HorseRace, ScriptedRaces) {
  // steps: per horse, repeated every step; abortAt: the round that drops the
  // job, 0 none; first: horse 1's position at the end.
  const struct { const char* name; std::vector<int> steps; int pick, abortAt; RaceEnd end; bool winners[kHorses];
    int32_t first; int rounds; uint32_t races, hits; } cases[] = {
      {"tie of two", {9, 9, 5, 0}, 2, 0, RaceEnd::Finished, {true, true, false, false}, 108, 12, 1, 1},
      {"one ahead", {5, 9, 8, 9}, 1, 0, RaceEnd::Finished, {false, true, false, true}, 60, 12, 1, 0},
      {"overshoot wins", {9, 8, 7, 6}, 1, 0, RaceEnd::Finished, {true, false, false, false}, 108, 12, 1, 1},
      {"all four", {9, 9, 9, 9}, 4, 0, RaceEnd::Finished, {true, true, true, true}, 108, 12, 1, 1},
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
  }
}

TEST(HorseRace, LengthPickAndCounts) {
  const struct { int64_t hundreds; int length; } cases[] = {
      {1, 100}, {37, 3700}, {100, 10000}, {101, 10000}, {0, 100}, {-4, 100}, {INT64_MAX, 10000}};
  for (const auto& c : cases) EXPECT_EQ(RaceLengthOf(c.hundreds), c.length) << c.hundreds;
  HorseRace race;
  SetRaceLength(race, 1);
  Dice dice = Steps({0, 0, 9, 0});
  JobControl job;
  job.keepGoing = true;
  EXPECT_EQ(RunRace(race, 3, dice, job, nullptr), RaceEnd::Finished);
  EXPECT_EQ(race.hits, 1u);
  EXPECT_EQ(HitPercentOfRaces(race), 100.0);
  StartRace(race, 9);
  EXPECT_EQ(race.pick, 4);
  StartRace(race, 0);
  EXPECT_EQ(race.pick, 1);
  EXPECT_EQ(SetRaceLength(race, 2), 200);  // a length change resets the counts
  EXPECT_EQ(race.races + race.hits, 0u);
  EXPECT_EQ(HitPercentOfRaces(race), 0.0);  // no race yet: 0, not a division by zero
}
