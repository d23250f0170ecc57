// The test data of Test Disks: one buffer of pseudo-random single-precision
// floats, written over and over until a test file has the disk's size
// (disk_passes.h writes it).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace kst {

// 32 random bits per call. A run draws every number from one source,
// seeded once, so that its second disk gets other data than its first.
using RandomBits = std::function<uint32_t()>;
// A source seeded from the system's entropy (or the clock when it has none).
RandomBits SeededRandomBits();

// A float uniform over [0, 1) from the top 24 bits of bits: never 1.0.
float RandomUnit(uint32_t bits);

// Fills buffer from its first byte with floor((size - 1) / 4) groups of 4
// bytes, each a fresh RandomUnit as its little-endian bit pattern; the
// last 1 to 4 bytes are zeros.
void FillRandomBuffer(char* buffer, uint32_t size, const RandomBits& random);

}  // namespace kst
