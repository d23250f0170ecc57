#include <gtest/gtest.h>

#include <memory>

#include "disktest/disk_passes.h"
#include "disktest/random_data.h"
#include "tests/support/test_env.h"

namespace {

using kst::RandomBits;

// A source counting 0x100, 0x200, ...: the k-th float is exactly k / 2^24.
RandomBits Counter() {
  auto next = std::make_shared<uint32_t>(0);
  return [next] { return *next += 0x100; };
}

// What a buffer of size bytes holds when the source counts from 1: the
// little-endian floats 1 / 2^24, 2 / 2^24, ..., then zeros.
std::string ExpectedBuffer(uint32_t size) {
  std::string out;
  for (uint32_t g = 1; g <= (size - 1) / 4; ++g) {
    const float f = static_cast<float>(g) / 16777216.0f;
    out.append(reinterpret_cast<const char*>(&f), 4);
  }
  return out + std::string(size - out.size(), '\0');
}

TEST(RandomData, UnitsBelowOneAndTheBufferOfFloatsWithOneToFourZerosAtTheEnd) {
  const struct { uint32_t bits; float value; } cases[] = {
      {0, 0.0f}, {0xFF, 0.0f}, {0x80000000u, 0.5f}, {0xFFFFFFFFu, 1.0f - 1.0f / 16777216.0f}};
  for (const auto& c : cases) EXPECT_EQ(kst::RandomUnit(c.bits), c.value) << std::hex << c.bits;
  for (uint32_t size : {1u, 4u, 5u, 6u, 8u, 9u, 2047u, 2048u, 2049u}) {
    std::string buffer(size, '\x55');
    kst::FillRandomBuffer(buffer.data(), size, Counter());
    EXPECT_EQ(buffer, ExpectedBuffer(size)) << "size " << size;
  }
}

TEST(WriteTestFiles, OneBufferRepeatedAndCutAtTheSizeInBothFiles) {
  testenv::ScratchFolder scratch;
  const std::string test = scratch.Path("KST1.tmp"), disk = scratch.Path("disk.tmp"), buffer = "abcdef";
  kst::JobControl job;
  job.keepGoing = true;
  for (int64_t size : {1, 5, 6, 7, 12, 13, 6 * 3 + 4}) {
    for (const std::string& path : {test, disk})  // an older, longer file goes
      ASSERT_TRUE(testenv::WriteFile(path, std::string(40, 'x')));
    ASSERT_EQ(kst::WriteTestFiles(buffer.data(), 6, test, disk, size, job, nullptr, -1).outcome,
              kst::WriteOutcome::Written);
    const std::string expected = (buffer + buffer + buffer + buffer).substr(0, static_cast<size_t>(size));
    EXPECT_EQ(testenv::ReadFile(test) + "|" + testenv::ReadFile(disk), expected + "|" + expected);
  }
  job.keepGoing = false;
  EXPECT_EQ(kst::WriteTestFiles(buffer.data(), 6, test, disk, 3000, job, nullptr, -1).outcome,
            kst::WriteOutcome::Aborted);
}

}  // namespace
