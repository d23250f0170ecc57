// The test data of Test Disks: one buffer of pseudo-random single-precision
// floats, written over and over until a test file has the disk's size.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "frame/job_control.h"

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

enum class WriteOutcome { Written, NoMemory, OpenFailed, WriteFailed, Aborted };

// Writes size bytes to path (made, or emptied when present): one random
// buffer of buffSize bytes, size / buffSize times, then its first
// size % buffSize bytes. A short write fails. Keep-going is read before
// every block (waiting there while paused); the bar moves once a block,
// its range scaled to at most 65535; clock (a ClockId, -1 none) grows.
WriteOutcome WriteRandomFile(const std::string& path, int64_t size, uint32_t buffSize,
                             const RandomBits& random, JobControl& job, ProgressSink* progress, int clock);

}  // namespace kst
