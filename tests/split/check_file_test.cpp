#include "split/check_file.h"

#include <gtest/gtest.h>

#include "split/crc32.h"
#include "split/crc_beside.h"

namespace {

// "123456789" sums to 0xCBF43926 under the zip polynomial, nothing to 0.
TEST(CheckFile, OneLinePerSplitAfterTheCommentCrLfEnded) {
  const std::vector<uint32_t> sums = {kst::Crc32Add(0, "123456789", 9), kst::Crc32Add(0, "", 0), 0x0000ABCDu};
  EXPECT_EQ(kst::CheckFileText("C:\\films\\my movie.avi", sums),
            "; Kestrova check file of 3 splits\r\nmy movie.avi.001 CBF43926\r\n"
            "my movie.avi.002 00000000\r\nmy movie.avi.003 0000ABCD\r\n");
  EXPECT_EQ(kst::CheckFilePath("A:\\", "C:\\films\\m.avi"), "A:\\m.avi.SFV");
  EXPECT_EQ(kst::CheckFilePath("D:\\out", "m.avi"), "D:\\out\\m.avi.SFV");
  EXPECT_EQ(kst::CheckFileText("C:\\m.avi", {}), "");
}

// Of a hostile check file only "<name>.<kkk> <8 hex>" lines of this set's
// splits count. first: split 1's sum when listed.
TEST(CheckFile, ReadsOnlyTheLinesOfTheSetsSplits) {
  struct Case { std::string text; std::vector<bool> listed; uint32_t first; } cases[] = {
      {"; c\r\nm.avi.001 CBF43926\r\nm.avi.002 00000001\r\n", {true, true}, 0xCBF43926u},
      {"M.AVI.001 cbf43926\nm.avi.002 00000001", {true, true}, 0xCBF43926u},  // LF, no last end, case
      {"m.avi.001 CBF4392\r\nm.avi.001 CBF439266\r\nm.avi.001 CBF4392G\r\n", {false, false}, 0},
      {"m.avi.001CBF43926\r\nm.avi.003 CBF43926\r\nm.avi.000 CBF43926\r\n", {false, false}, 0},
      {"other.001 CBF43926\r\nm.avi.00x CBF43926\r\n;m.avi.001 CBF43926\r\n", {false, false}, 0},
      {std::string("m.avi.001 \0BF43926\r\nm.avi.002 00000002\r\n", 40), {false, true}, 0},
      {std::string(100000, 'x') + " 00000001\r\nm.avi.001 00000007\r\n", {true, false}, 7},
  };
  for (const Case& c : cases) {
    std::vector<uint32_t> sums;
    std::vector<bool> listed;
    kst::ReadCheckSums(c.text, "m.avi", 2, &sums, &listed);
    EXPECT_EQ(listed, c.listed) << c.text.substr(0, 40);
    EXPECT_TRUE(!listed[0] || sums[0] == c.first) << c.text.substr(0, 40);
  }
}

// The sum taken beside the writes, over buffers of varied sizes refilled
// after each wait, equals the sum in line; over the first stopAfter only
// when the copy stops early.
TEST(CheckFile, SumBesideTheWritesEqualsTheSumInLine) {
  struct Case { std::vector<size_t> sizes; size_t stopAfter; } cases[] = {
      {{}, 0}, {{0}, 1}, {{1}, 1}, {{1, 0, 1, 0, 7}, 5}, {{512000, 512000, 1, 0, 300001}, 5},
      {{512000, 512000, 512000, 512000}, 2}, {{65536, 3, 65536}, 0}};
  std::vector<unsigned char> buffer(512000);
  uint32_t seed = 1;
  for (const Case& c : cases) {
    uint32_t expected = 0;
    kst::CrcBeside beside;
    for (size_t k = 0; k < c.stopAfter; ++k) {
      kst::CrcBesideWait(&beside);
      for (size_t i = 0; i < c.sizes[k]; ++i) buffer[i] = static_cast<unsigned char>((seed = seed * 69069u + 1) >> 16);
      expected = kst::Crc32Add(expected, buffer.data(), c.sizes[k]);
      kst::CrcBesideStart(&beside, buffer.data(), c.sizes[k]);
    }
    EXPECT_EQ(kst::CrcBesideEnd(&beside), expected) << c.sizes.size() << " buffers, stop after " << c.stopAfter;
  }
}

}  // namespace
