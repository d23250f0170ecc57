// The random buffer and the test files written from it, checked against
// bytes built here from the floats the source was made to give.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "disktest/disk_passes.h"
#include "disktest/random_data.h"
#include "frame/platform/platform.h"
#include "tests/support/test_env.h"

namespace {

using kst::RandomBits;

// A source counting up from first, in steps of 0x100: the k-th float is
// then exactly (first >> 8) + k over 2^24.
RandomBits Counter(uint32_t first = 0x100) {
  auto next = std::make_shared<uint32_t>(first);
  return [next] {
    const uint32_t value = *next;
    *next += 0x100;
    return value;
  };
}

// The little-endian bytes of the float (n / 2^24).
std::string FloatBytes(uint32_t n) {
  const float f = static_cast<float>(n) / 16777216.0f;
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  std::string out;
  for (int i = 0; i < 4; ++i) out += static_cast<char>(bits >> (8 * i));
  return out;
}

// What a buffer of size bytes holds when the source counts from 1.
std::string ExpectedBuffer(uint32_t size) {
  std::string out;
  for (uint32_t g = 0; g < (size - 1) / 4; ++g) out += FloatBytes(g + 1);
  return out + std::string(size - out.size(), '\0');
}

TEST(RandomUnit, StaysBelowOneAndCoversTheRange) {
  const struct { uint32_t bits; float value; } cases[] = {
      {0, 0.0f}, {0xFF, 0.0f}, {0x80000000u, 0.5f}, {0xFFFFFFFFu, 1.0f - 1.0f / 16777216.0f}};
  for (const auto& c : cases) EXPECT_EQ(kst::RandomUnit(c.bits), c.value) << std::hex << c.bits;
}

TEST(FillRandomBuffer, FloatsFromTheFirstByteAndOneToFourZerosAtTheEnd) {
  for (uint32_t size : {1u, 4u, 5u, 6u, 8u, 9u, 2047u, 2048u, 2049u}) {
    std::string buffer(size, '\x55');
    kst::FillRandomBuffer(buffer.data(), size, Counter());
    EXPECT_EQ(buffer, ExpectedBuffer(size)) << "size " << size;
  }
}

TEST(WriteTestFiles, OneBufferRepeatedAndCutAtTheSizeInBothFiles) {
  testenv::ScratchFolder scratch;
  const std::string test = scratch.Path("KST1.tmp"), disk = scratch.Path("disk.tmp");
  kst::JobControl job;
  job.keepGoing = true;
  const uint32_t b = 6;
  const std::string buffer = ExpectedBuffer(b);
  for (int64_t size : {1, 5, 6, 7, 12, 13, 6 * 3 + 4}) {
    for (const std::string& path : {test, disk})  // an older, longer file goes
      ASSERT_TRUE(testenv::WriteFile(path, std::string(40, 'x')));
    ASSERT_EQ(kst::WriteTestFiles(buffer.data(), b, test, disk, size, job, nullptr, -1).outcome,
              kst::WriteOutcome::Written);
    std::string expected;
    while (static_cast<int64_t>(expected.size()) < size) expected += buffer;
    expected.resize(static_cast<size_t>(size));
    EXPECT_EQ(testenv::ReadFile(test), expected) << "size " << size;
    EXPECT_EQ(testenv::ReadFile(disk), expected) << "size " << size;
  }
  job.keepGoing = false;
  EXPECT_EQ(kst::WriteTestFiles(buffer.data(), b, test, disk, 3000, job, nullptr, -1).outcome,
            kst::WriteOutcome::Aborted);
}

}  // namespace
