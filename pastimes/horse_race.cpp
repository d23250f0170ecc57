#include "pastimes/horse_race.h"

namespace kst {

int RaceLengthOf(int64_t hundreds) {
  if (hundreds < 1) hundreds = 1;
  if (hundreds > 100) hundreds = 100;
  return static_cast<int>(hundreds) * 100;
}

int SetRaceLength(HorseRace& race, int64_t hundreds) {
  race.length = RaceLengthOf(hundreds);
  race.races = 0;
  race.hits = 0;
  return race.length;
}

void StartRace(HorseRace& race, int pick) {
  race.pick = pick < 1 ? 1 : pick > kHorses ? kHorses : pick;
  for (int h = 0; h < kHorses; ++h) {
    race.positions[h] = 0;
    race.winners[h] = false;
  }
}

void AdvanceHorses(HorseRace& race, Dice& dice) {
  for (int32_t& position : race.positions) {
    int step = static_cast<int>(dice() * 10);
    position += step < 0 ? 0 : step > 9 ? 9 : step;
  }
}

bool Finish(HorseRace& race) {
  int32_t best = race.length;
  int count = 0;
  for (int32_t position : race.positions) {
    if (position > best) {
      best = position;
      count = 1;
    } else if (position == best) {
      ++count;
    }
  }
  if (count == 0) return false;
  for (int h = 0; h < kHorses; ++h) race.winners[h] = race.positions[h] == best;
  ++race.races;
  if (race.winners[race.pick - 1]) ++race.hits;
  return true;
}

double HitPercentOfRaces(const HorseRace& race) {
  return race.races ? 100.0 * race.hits / race.races : 0.0;
}

RaceEnd RunRace(HorseRace& race, int pick, Dice& dice, JobControl& job,
                const std::function<void()>& between) {
  StartRace(race, pick);
  for (;;) {
    if (between) between();
    if (!CheckPoint(job)) return RaceEnd::Aborted;
    AdvanceHorses(race, dice);
    if (!job.keepGoing.load()) return RaceEnd::Aborted;
    if (Finish(race)) return RaceEnd::Finished;
  }
}

}  // namespace kst
