#include <gtest/gtest.h>

#include "tests/wav/wav_test_support.h"
#include "wav/data2wav.h"
#include "wav/wav2data.h"
#include "wav/wav_format.h"

namespace {

using kst::WavFault, testenv::PatternBytes, testenv::ReadFile, testenv::WriteFile;

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

// 65537 buffers: every other one moves the bar.
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

constexpr size_t kData = 395;  // where the first block starts in a plain .wav

struct Wav2DataTest : ::testing::Test {
  void SetUp() override {
    splittest::UseSplitTexts();
    entry = {0x21, 0, 0, 132500000000000000ull, "restored.bin"};  // read-only and archive
    good = wavtest::BuildWav(bytes, entry);
  }
  void TearDown() override { plat::SetAttributes(restored, plat::kAttrNormal); }
  kst::WavResult Extract(const std::string& wavBytes, uint32_t buffSize = 4096) {
    EXPECT_TRUE(WriteFile(wav, wavBytes));
    plat::SetAttributes(restored, plat::kAttrNormal);
    person.answers = {kst::kAnswerYes};
    person.next = 0;
    return wavtest::Unwrap(wav, out.path, buffSize);
  }
  std::string Report() const { return ReadFile(out.Path("restored.bin.TXT")); }
  std::string FirstLine() const { return kst::ReportFirstLine(kst::GetText(1103)); }
  static uint64_t Little64(const std::string& s, size_t at) {
    return kst::GetLittle64(reinterpret_cast<const unsigned char*>(s.data()) + at);
  }
  testenv::ScratchFolder scratch, out;
  std::string wav = scratch.Path("in.wav"), restored = out.Path("restored.bin"), good;
  std::string bytes = PatternBytes(3 * 2048 + 100, 11);  // blocks 1-3 full, block 4 of 100 bytes
  wavtest::Entry entry;
  splittest::ScriptedPerson person;
};

TEST_F(Wav2DataTest, RestoresNameBytesWriteTimeAndReadOnlyFindingTheMarkAfterJunk) {
  const std::string late = good.substr(0, 46) + std::string(60000, 'j') + good.substr(46);
  for (const auto& [wavBytes, buffSize] : {std::pair{good, 1000u}, {late, 1u}, {late, 394u}, {late, 4096u}}) {
    SCOPED_TRACE(buffSize);
    ASSERT_TRUE(Extract(wavBytes, buffSize).ok());
    EXPECT_EQ(ReadFile(restored), bytes);
    const wavtest::Entry back = wavtest::EntryOf(restored);
    EXPECT_EQ(back.write, entry.write);
    EXPECT_EQ(back.attributes & plat::kAttrReadOnly, plat::kAttrReadOnly);
    EXPECT_EQ(Report(), FirstLine());
  }
  EXPECT_EQ(Extract(good.substr(0, 46) + std::string(65536, 'j') + good.substr(46)).fault, WavFault::NotWav);
}

TEST_F(Wav2DataTest, OneFlippedByteGivesExactlyOneReportLine) {
  struct Case { const char* where; size_t at; uint64_t block; } cases[] = {  // at: offset in the .wav
      {"first block", kData + 5, 1}, {"middle block", kData + 2056 + 1000, 2},
      {"short last block", kData + 3 * 2056 + 99, 4}, {"stored sum", kData + 2 * 2056 + 2048 + 3, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where);
    std::string damaged = good;
    damaged[c.at] = static_cast<char>(damaged[c.at] ^ 0x40);
    const kst::WavResult result = Extract(damaged, 3000);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.badBlocks, 1u);
    const size_t blockStart = kData + (c.block - 1) * 2056;
    const std::string block = damaged.substr(blockStart, c.block == 4 ? 100 : 2048);
    const uint64_t stored = Little64(damaged, blockStart + block.size());
    EXPECT_EQ(Report(), FirstLine() + kst::ReportLine(c.block, wavtest::SlowSum(block), stored));
    std::string back;
    for (size_t at = kData; at < damaged.size(); at += 2056) back += damaged.substr(at, 2048);
    back.resize(bytes.size());
    EXPECT_EQ(ReadFile(restored), back);
  }
}

// An audio tool keeps T - 46 bytes of data: the tail of the last sum goes.
TEST_F(Wav2DataTest, MissingSumBytesAtTheEndCountAsZeroButMissingDataFail) {
  const kst::WavResult cutSum = Extract(good.substr(0, good.size() - 3));
  ASSERT_TRUE(cutSum.ok());
  EXPECT_EQ(cutSum.badBlocks, 1u);
  std::string last = good.substr(good.size() - 8, 5);
  last.resize(8, '\0');
  EXPECT_EQ(Report(), FirstLine() + kst::ReportLine(4, wavtest::SlowSum(bytes.substr(3 * 2048)), Little64(last, 0)));
  const kst::WavResult cutData = Extract(good.substr(0, good.size() - 9));
  EXPECT_EQ(cutData.fault, WavFault::DataCut);
  EXPECT_EQ(cutData.failedPath, restored + ".~ks");
  EXPECT_EQ(ReadFile(restored + ".~ks"), bytes.substr(0, bytes.size() - 1));
  EXPECT_NE(wavtest::EntryOf(restored + ".~ks").write, entry.write);
  EXPECT_EQ(ReadFile(restored), bytes);
  ASSERT_TRUE(Extract(good).ok());
  EXPECT_EQ(wavtest::Listing(out.path), (std::vector<std::string>{"restored.bin", "restored.bin.TXT"}));
}

TEST_F(Wav2DataTest, HostileHeadsAreRefusedLeavingTheFolderAsItWas) {
  const auto withRecord = [&](size_t at, std::string value, size_t size = 0) {
    value.resize(std::max(size, value.size()), '\0');
    return good.substr(0, 67 + at) + value + good.substr(67 + at + value.size());
  };
  const auto withName = [&](const std::string& name) { return withRecord(52, name, 260); };
  const size_t room = 259 - out.path.size() - 4;  // one more than the longest name that fits
  struct Case { std::string wav; WavFault fault; } cases[] = {
      {"RIFX" + good.substr(4), WavFault::NotWav}, {good.substr(0, 43), WavFault::NotWav},
      {"RIFF" + good.substr(4, 46) + "X" + good.substr(51), WavFault::NotWav},  // no mark
      {withRecord(0, wavtest::Little(329, 4)), WavFault::BadRecord},  // the record's length
      {withRecord(0, wavtest::Little(327, 4)), WavFault::BadRecord}, {good.substr(0, 67 + 300), WavFault::BadRecord},
      {withRecord(36, std::string(8, '\0')), WavFault::BadSize},
      {withRecord(36, wavtest::Little(0x80000000u, 4)), WavFault::BadSize},
      {withName("..\\evil.bin"), WavFault::BadName}, {withName("C:evil.bin"), WavFault::BadName},
      {withName("\\evil.bin"), WavFault::BadName}, {withName("sub/evil.bin"), WavFault::BadName},
      {withName("CON"), WavFault::BadName}, {withName("con.txt"), WavFault::BadName},
      {withName("Lpt9.wav"), WavFault::BadName}, {withName("COM1 .log"), WavFault::BadName},
      {withName("a\x07" "b"), WavFault::BadName}, {withName("a*b"), WavFault::BadName},
      {withName("a\"b"), WavFault::BadName}, {withName(std::string(260, 'n')), WavFault::BadName},  // no NUL
      {withName(""), WavFault::BadName}, {withName("."), WavFault::BadName}, {withName(".."), WavFault::BadName},
      {withName("evil."), WavFault::BadName}, {withName("evil "), WavFault::BadName},
      {withName(std::string(room, 'p')), WavFault::PathTooLong},
      {withName("IN.WAV"), WavFault::SameFile},  // restored over itself, into the .wav's folder
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "row " << &c - cases);
    ASSERT_TRUE(WriteFile(wav, c.wav));
    const kst::WavResult result = wavtest::Unwrap(wav, c.fault == WavFault::SameFile ? scratch.path : out.path, 4096);
    EXPECT_EQ(result.fault, c.fault);
    EXPECT_FALSE(kst::WavFaultText(result).empty());
    EXPECT_TRUE(wavtest::Listing(out.path).empty());
    EXPECT_EQ(wavtest::Listing(scratch.path), std::vector<std::string>{"in.wav"});
    EXPECT_EQ(ReadFile(wav), c.wav);
  }
  EXPECT_EQ(wavtest::Unwrap(scratch.Path("none.wav"), out.path, 4096).fault, WavFault::OpenFailed);
  EXPECT_EQ(wavtest::Unwrap(wav, out.Path("none"), 4096).fault, WavFault::NoFolder);
  EXPECT_TRUE(wavtest::Listing(out.path).empty());
  EXPECT_TRUE(person.asked.empty());
  EXPECT_TRUE(Extract(withName(std::string(room - 1, 'p'))).ok());
}

TEST_F(Wav2DataTest, AsksBeforeReplacingTheFileOrItsReport) {
  ASSERT_TRUE(WriteFile(out.Path("restored.bin.TXT"), "old report") && WriteFile(wav, good));
  EXPECT_EQ(wavtest::Unwrap(wav, out.path, 4096).fault, WavFault::Declined);
  ASSERT_EQ(person.asked.size(), 2u);
  EXPECT_EQ(person.asked[0].message, "Error: File " + out.Path("restored.bin.TXT") + " already exists! Replace?");
  EXPECT_EQ(Report(), "old report");
  EXPECT_FALSE(plat::PathExists(restored));
  EXPECT_TRUE(Extract(good).ok());
  EXPECT_EQ(Report(), FirstLine());
}

}  // namespace
