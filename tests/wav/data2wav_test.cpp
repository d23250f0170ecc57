#include "wav/data2wav.h"

#include <gtest/gtest.h>

#include "tests/support/test_env.h"
#include "tests/wav/wav_test_support.h"
#include "wav/wav_format.h"

namespace {

using testenv::PatternBytes;
using testenv::ReadFile;

// An estimate counts whole blocks only.
TEST(WavFormat, SizesEstimatesNamesAndReportLines) {
  struct Size { uint64_t data, wav; } sizes[] = {{1, 404}, {8, 411}, {2047, 2450}, {2048, 2451}, {2049, 2460},
                                                 {4097, 4516}};
  for (const Size& s : sizes) EXPECT_EQ(kst::WavFileSize(s.data), s.wav) << s.data;
  struct Estimate { int64_t wav, data; } estimates[] = {{0, 0}, {394, 0}, {2451, 2048}, {4506, 2048}, {4507, 4096}};
  for (const Estimate& e : estimates) EXPECT_EQ(kst::EstimatedDataSize(e.wav), e.data) << e.wav;
  EXPECT_EQ(kst::SoundSeconds(176400 * 61 + 176399), 61);
  struct Name { const char *typed, *target; } names[] = {{"song", "song.WAV"}, {"song.wav", "song.wav"},
      {"x.WaV.bak", "x.WaV.bak"}, {".wav", ".wav.WAV"}, {"C:\\a.wav\\b", "C:\\a.wav\\b"},
      {"backup.wa", "backup.wa.WAV"}};
  for (const Name& n : names) EXPECT_EQ(kst::WavTargetName(n.typed), n.target) << n.typed;
  EXPECT_EQ(kst::ReportFirstLine("Block Num  - X. Block Size:   "), "2048       Block Num  - X. Block Size:\r\n");
  EXPECT_EQ(kst::ReportLine(7, 0x0123456789ABCDEFull, 0xFEDCBA9876543210ull),
            "         7  0123456789ABCDEF  FEDCBA9876543210\r\n");
  EXPECT_EQ(kst::ReportLine(1234567890, 0, 1).size(), 48u);
}

struct Data2WavTest : ::testing::Test {
  void SetUp() override { splittest::UseSplitTexts(); }
  testenv::ScratchFolder scratch;
  std::string source = scratch.Path("data.bin"), wav = scratch.Path("data.bin.WAV");
  splittest::ScriptedPerson person;
};

// Every source size against every buffer size, byte for byte, and back.
TEST_F(Data2WavTest, TheContainerIsTheSameForEveryBufferSizeAndComesBackWhole) {
  for (size_t size : {1u, 7u, 8u, 9u, 2047u, 2048u, 2049u, 4097u, 200000u}) {
    const std::string bytes = PatternBytes(size, static_cast<uint32_t>(size));
    ASSERT_TRUE(testenv::WriteFile(source, bytes));
    const plat::FileTimes times{0, 131000000000000000ull, 132000000000000000ull};
    plat::FileHandle h = plat::FileOpen(source, plat::kWrite, plat::Disposition::OpenExisting);
    ASSERT_TRUE(plat::FileSetTimes(h, times));
    plat::FileClose(h);
    for (uint32_t buffSize : {6u, 2047u, 2048u, 17408u, 100000u, 512000u}) {
      SCOPED_TRACE(std::to_string(size) + " bytes through " + std::to_string(buffSize));
      plat::DeleteOneFile(wav);
      // Read before the run: reading the source may move its access time.
      const std::string expected = wavtest::BuildWav(bytes, wavtest::EntryOf(source));
      ASSERT_TRUE(wavtest::Wrap(source, wav, buffSize).ok());
      ASSERT_EQ(ReadFile(wav), expected);
      testenv::ScratchFolder out;
      const kst::WavResult back = wavtest::Unwrap(wav, out.path, buffSize);
      ASSERT_TRUE(back.ok());
      EXPECT_EQ(back.badBlocks, 0u);
      EXPECT_EQ(ReadFile(out.Path("data.bin")), bytes);
      EXPECT_EQ(wavtest::EntryOf(out.Path("data.bin")).write, times.write);
      EXPECT_EQ(ReadFile(out.Path("data.bin.TXT")), kst::ReportFirstLine(kst::GetText(1103)));
    }
  }
  EXPECT_TRUE(person.asked.empty());
}

// Refused before any question, nothing made; a .wav that is there is
// replaced only on Yes.
TEST_F(Data2WavTest, RefusesUnusableSourcesAndAsksBeforeReplacing) {
  ASSERT_TRUE(testenv::WriteFile(scratch.Path("empty.bin"), "") && testenv::WriteFile(source, "abc"));
  struct Case { std::string from, to; kst::WavFault fault; } cases[] = {
      {scratch.Path("empty.bin"), scratch.Path("empty.WAV"), kst::WavFault::SourceUnusable},
      {scratch.Path("none.bin"), scratch.Path("none.WAV"), kst::WavFault::SourceUnusable},
      {scratch.path, scratch.Path("dir.WAV"), kst::WavFault::SourceUnusable},
      {source, scratch.Path("DATA.BIN"), kst::WavFault::SameFile}};
  for (const Case& c : cases) {
    const auto before = wavtest::Listing(scratch.path);
    EXPECT_EQ(wavtest::Wrap(c.from, c.to, 4096).fault, c.fault) << c.from;
    EXPECT_EQ(wavtest::Listing(scratch.path), before);
    EXPECT_EQ(ReadFile(source), "abc");
  }
  EXPECT_TRUE(person.asked.empty());
  ASSERT_TRUE(testenv::WriteFile(source, PatternBytes(5000, 2)) && testenv::WriteFile(wav, "old"));
  person.answers = {kst::kAnswerNo, kst::kAnswerYes};
  EXPECT_EQ(wavtest::Wrap(source, wav, 4096).fault, kst::WavFault::Declined);
  EXPECT_EQ(ReadFile(wav), "old");
  ASSERT_EQ(person.asked.size(), 2u);
  EXPECT_EQ(person.asked[0].message, "Error: File " + wav + " already exists! Replace?");
  EXPECT_EQ(kst::Trimmed(person.asked[1].heading), "Well... Start over somewhere else!");
  EXPECT_TRUE(wavtest::Wrap(source, wav, 4096).ok());
  EXPECT_EQ(ReadFile(wav).size(), kst::WavFileSize(5000));
}

// 65537 buffers: every other one moves the bar, and a finished run leaves
// it full. Stopped, what was written stays: block 1 and its sum.
TEST_F(Data2WavTest, MovesTheBarOncePerBufferWithinRangeAndStopsWhenAborted) {
  ASSERT_TRUE(testenv::WriteFile(source, PatternBytes(65536 * 2 + 1, 4)));
  splittest::RecordedBar bar;
  ASSERT_TRUE(wavtest::Wrap(source, wav, 2, &bar.sink).ok());
  EXPECT_EQ(bar.ranges, std::vector<int>{32768});
  EXPECT_EQ(bar.positions.size(), 65537u);
  EXPECT_EQ(bar.positions.back(), 32768);
  ASSERT_TRUE(plat::DeleteOneFile(wav));
  splittest::RunningJob running;
  bar.onMove = [&](int p) { if (p == 3) running.job.keepGoing = false; };
  EXPECT_EQ(kst::RunData2Wav({source, wav, 1000, {}}, running.job, &bar.sink).fault, kst::WavFault::Stopped);
  EXPECT_EQ(ReadFile(wav).size(), 395u + 3000 + 8);
}

}  // namespace
