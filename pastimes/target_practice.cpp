#include "pastimes/target_practice.h"

#include <cstdio>

namespace kst {

namespace {

void ResetStatistics(TargetPractice& game) {
  game.hits = 0;
  game.shots = 0;
  game.targetCup = 0;
}

}  // namespace

int ClampTargetValue(int style, int64_t value) {
  const int least = style == kStyleIntuitive ? 2 : 1;
  const int most = style == kStyleIntuitive ? kCupButtons : 100;
  if (value < least) return least;
  if (value > most) return most;
  return static_cast<int>(value);
}

void ChooseTargetStyle(TargetPractice& game, int style, int64_t value) {
  game.style = style == kStyleIntuitive ? kStyleIntuitive : kStyleAccuracy;
  game.value = ClampTargetValue(game.style, value);
  ResetStatistics(game);
}

int SetTargetValue(TargetPractice& game, int64_t value) {
  const int clamped = ClampTargetValue(game.style, value);
  if (clamped != game.value) {
    game.value = clamped;
    ResetStatistics(game);
  }
  return clamped;
}

int CupOfDraw(double r, int cups) {
  if (cups < 1) cups = 1;
  int cup = static_cast<int>(r * cups) + 1;
  if (cup < 1) cup = 1;
  return cup > cups ? cups : cup;
}

bool CupButtonEnabled(const TargetPractice& game, int k) {
  if (game.style == kStyleAccuracy) return k == 1;
  return k >= 1 && k <= game.value;
}

bool Fire(TargetPractice& game, int k, Dice& dice) {
  const double r = dice();
  bool hit;
  if (game.style == kStyleAccuracy) {
    hit = r * 100 >= 100 - game.value;
  } else {
    game.targetCup = CupOfDraw(r, game.value);
    hit = game.targetCup == k;
  }
  if (hit) ++game.hits;
  ++game.shots;
  return hit;
}

std::string HitPercentText(uint32_t hits, uint32_t tries) {
  char text[32];
  snprintf(text, sizeof text, "%.2f", tries ? 100.0 * hits / tries : 0.0);
  return text;
}

}  // namespace kst
