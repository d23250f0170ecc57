// The rules of Intuitive Horse Racing: four horses advance 0 to 9 steps at
// a time until one reaches the race length; the horses furthest ahead then
// win, and the player scores when the picked horse is among them.
#pragma once

#include <cstdint>
#include <functional>

#include "frame/threads/job_control.h"
#include "pastimes/dice.h"

namespace kst {

constexpr int kHorses = 4;

struct HorseRace {
  int length = 100;      // steps; latched from the field at Race
  int pick = 1;          // 1..4; latched at Race
  int32_t positions[kHorses] = {0, 0, 0, 0};
  bool winners[kHorses] = {false, false, false, false};
  uint32_t races = 0;
  uint32_t hits = 0;
};

// The length for an entry in hundreds: 1 to 100 hundreds.
int RaceLengthOf(int64_t hundreds);
// A new length: the statistics start again. Returns the length.
int SetRaceLength(HorseRace& race, int64_t hundreds);

// Clears the marks and positions and latches the pick (1..4).
void StartRace(HorseRace& race, int pick);
// Every horse in turn advances by floor(r x 10) steps.
void AdvanceHorses(HorseRace& race, Dice& dice);
// The finish: when a horse has reached the length, the horses furthest
// ahead get their winner marks, the race counts and a picked winner
// scores. True when the race is over.
bool Finish(HorseRace& race);

// Hits per hundred races; 0 before the first race that counted.
double HitPercentOfRaces(const HorseRace& race);

enum class RaceEnd { Finished, Aborted };
// One race: StartRace, then steps until the finish or until the job's
// keep-going flag drops (an aborted race marks and counts nothing).
// between() runs before every step (the pause between steps, the bars).
RaceEnd RunRace(HorseRace& race, int pick, Dice& dice, JobControl& job,
                const std::function<void()>& between);

}  // namespace kst
