// The rules of Intuitive Target Practice: two styles, a value (accuracy in
// percent, or the number of cups), and the hit statistics of the style.
#pragma once

#include <cstdint>
#include <string>

#include "pastimes/dice.h"

namespace kst {

enum TargetStyle { kStyleAccuracy = 1, kStyleIntuitive = 2 };
constexpr int kCupButtons = 10;

struct TargetPractice {
  int style = kStyleAccuracy;
  int value = 50;        // 1..100 percent, or 2..10 cups
  uint32_t hits = 0;
  uint32_t shots = 0;
  int targetCup = 0;     // where the target was at the last guess (0 none)
};

// The value a typed number stands for in a style: below the range its
// least, above it its most.
int ClampTargetValue(int style, int64_t value);

// A new style: the statistics start again, the value is clamped for it.
void ChooseTargetStyle(TargetPractice& game, int style, int64_t value);
// A new value (clamped): a change starts the statistics again. Returns the
// value the field should show.
int SetTargetValue(TargetPractice& game, int64_t value);

// The cup the target is under for a draw r in [0, 1): floor(r x cups) + 1.
int CupOfDraw(double r, int cups);
// Whether cup button k (1..10) can be pressed in the game's style.
bool CupButtonEnabled(const TargetPractice& game, int k);

// A press of button k: in the accuracy style a shot (any button fires),
// in the intuitive style a guess of cup k. True on a hit.
bool Fire(TargetPractice& game, int k, Dice& dice);

// Hits per hundred tries with two decimals ("0.00" before any try).
std::string HitPercentText(uint32_t hits, uint32_t tries);

}  // namespace kst
