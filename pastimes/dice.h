// The random draws of the games: uniform numbers in [0, 1) from an engine
// of each game's own, seeded when the program starts (so that no two
// starts replay the same game); tests hand in a seeded or scripted one.
#pragma once

#include <cstdint>
#include <functional>

namespace kst {

using Dice = std::function<double()>;

// The same draws for the same seed.
Dice SeededDice(uint64_t seed);
// Seeded from the random device and the clock.
Dice FreshDice();

}  // namespace kst
