#include "disktest/random_data.h"

#include <chrono>
#include <cstring>
#include <memory>
#include <random>

namespace kst {

RandomBits SeededRandomBits() {
  uint32_t seed = static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  try {
    std::random_device device;
    seed ^= device();
  } catch (...) {
    // No entropy source: the clock alone seeds it.
  }
  auto engine = std::make_shared<std::mt19937>(seed);
  return [engine] { return static_cast<uint32_t>((*engine)()); };
}

float RandomUnit(uint32_t bits) {
  // 24 bits fill a float's mantissa exactly: the largest is 1 - 2^-24.
  return static_cast<float>(bits >> 8) * (1.0f / 16777216.0f);
}

void FillRandomBuffer(char* buffer, uint32_t size, const RandomBits& random) {
  if (size == 0) return;
  const uint32_t groups = (size - 1) / 4;
  for (uint32_t g = 0; g < groups; ++g) {
    const float value = RandomUnit(random());
    uint32_t pattern;
    std::memcpy(&pattern, &value, sizeof pattern);
    char* at = buffer + 4 * g;
    for (int i = 0; i < 4; ++i) at[i] = static_cast<char>(pattern >> (8 * i));
  }
  std::memset(buffer + 4 * groups, 0, size - 4 * groups);
}

}  // namespace kst
