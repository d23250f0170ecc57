#include "pastimes/dice.h"

#include <chrono>
#include <memory>
#include <random>

namespace kst {

Dice SeededDice(uint64_t seed) {
  auto engine = std::make_shared<std::mt19937_64>(seed);
  // 53 random bits: every value below 1.
  return [engine] { return static_cast<double>((*engine)() >> 11) * 0x1.0p-53; };
}

Dice FreshDice() {
  std::random_device device;
  const uint64_t now = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  return SeededDice((static_cast<uint64_t>(device()) << 32) ^ device() ^ now);
}

}  // namespace kst
