#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "compare/compare_blocks.h"
#include "disktest/disk_passes.h"
#include "disktest/random_data.h"
#include "frame/threads/job_control.h"
#include "tests/support/test_env.h"

namespace {

using kst::CompareOutcome;

// A source counting 0x100, 0x200, ...: the k-th float is exactly k / 2^24.
kst::RandomBits Counter() {
  auto next = std::make_shared<uint32_t>(0);
  return [next] { return *next += 0x100; };
}

// The buffer when the source counts from 1: the floats k / 2^24, then zeros.
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

TEST(ReadBackAndCompare, CopiesWhatTheDiskGaveFindsTheFirstDifferenceAndNeverPassesUnread) {
  testenv::ScratchFolder scratch;
  const std::string test = scratch.Path("KST1.tmp"), disk = scratch.Path("disk.tmp"), back = scratch.Path("KST2.tmp");
  const int64_t size = 2500;
  const std::string written = testenv::PatternBytes(size, 5);
  struct Case { const char* what; std::string onDisk; std::vector<size_t> changed; CompareOutcome outcome;
    int64_t position; } cases[] = {
      {"the same bytes", written, {}, CompareOutcome::Equal, -1},
      {"the first byte", written, {0, 1700}, CompareOutcome::Different, 1},
      {"the last of a block", written, {999}, CompareOutcome::Different, 1000},
      {"the first of the next", written, {1000, 2000}, CompareOutcome::Different, 1001},
      {"the last byte", written, {2499}, CompareOutcome::Different, 2500},
      {"a byte short", written.substr(0, 2499), {}, CompareOutcome::Error, -2},
      {"short after a difference", written.substr(0, 2100), {1500}, CompareOutcome::Different, 1501},
      {"a byte long", written + "x", {}, CompareOutcome::Error, -2},
      {"empty", "", {}, CompareOutcome::Error, -2},
  };
  kst::JobControl job;
  job.keepGoing = true;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string onDisk = c.onDisk;
    for (size_t at : c.changed) onDisk[at] = static_cast<char>(onDisk[at] ^ 0x21);
    ASSERT_TRUE(testenv::WriteFile(test, written) && testenv::WriteFile(disk, onDisk));
    ASSERT_TRUE(testenv::WriteFile(back, std::string(4000, 'o')));  // an older, longer file goes
    const kst::ReadBackResult r = kst::ReadBackAndCompare(disk, back, test, size, 1000, job, nullptr, -1);
    EXPECT_EQ(std::make_tuple(r.diskRead, r.compared.outcome, r.compared.position),
              std::make_tuple(true, c.outcome, c.position));
    // The copy holds what the disk gave, up to where the pass stopped.
    const std::string copied = testenv::ReadFile(back);
    const size_t upTo = c.outcome == CompareOutcome::Equal ? onDisk.size() : copied.size();
    EXPECT_EQ(copied, onDisk.substr(0, upTo));
    const kst::CompareResult blocks = kst::CompareBlocks({test, back, 1, 1, size, 1000}, job);
    EXPECT_EQ(c.outcome == CompareOutcome::Different ? blocks.position : c.position, c.position);
  }
  // A missing disk file is asked for again; an abort never passes.
  ASSERT_TRUE(testenv::WriteFile(disk, written));
  const struct { const char* what; std::string disk, back; bool going, diskRead; CompareOutcome outcome; } faults[] = {
      {"no file on the disk", scratch.Path("gone.tmp"), back, true, false, CompareOutcome::Error},
      {"no folder for the copy", disk, scratch.Path("gone\\KST2.tmp"), true, true, CompareOutcome::Error},
      {"aborted", disk, back, false, true, CompareOutcome::Aborted},
  };
  for (const auto& c : faults) {
    SCOPED_TRACE(c.what);
    job.keepGoing = c.going;
    const kst::ReadBackResult r = kst::ReadBackAndCompare(c.disk, c.back, test, size, 1000, job, nullptr, -1);
    EXPECT_EQ(std::make_tuple(r.diskRead, r.compared.outcome), std::make_tuple(c.diskRead, c.outcome));
  }
}

}  // namespace
