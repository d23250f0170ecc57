#include "wav/wav2data.h"

#include <gtest/gtest.h>

#include "frame/platform/platform.h"
#include "tests/support/test_env.h"
#include "tests/wav/wav_test_support.h"
#include "wav/wav_format.h"

namespace {

using kst::WavFault;
using testenv::PatternBytes;
using testenv::ReadFile;
using testenv::WriteFile;

constexpr size_t kData = 395;  // where the first block starts in a plain .wav

struct Wav2DataTest : ::testing::Test {
  void SetUp() override {
    wavtest::UseWavTexts();
    entry.name = "restored.bin";
    entry.write = 132500000000000000ull;
    entry.attributes = 0x21;  // read-only and archive
    good = wavtest::BuildWav(bytes, entry);
  }
  void TearDown() override { plat::SetAttributes(out.Path("restored.bin"), plat::kAttrNormal); }
  kst::WavResult Extract(const std::string& wavBytes, uint32_t buffSize = 4096) {
    EXPECT_TRUE(WriteFile(wav, wavBytes));
    return wavtest::Unwrap(wav, out.path, buffSize);
  }
  std::string Report() const { return ReadFile(out.Path("restored.bin.TXT")); }
  std::string FirstLine() const { return kst::ReportFirstLine(kst::GetText(1103)); }
  testenv::ScratchFolder scratch, out;
  std::string wav = scratch.Path("in.wav");
  std::string bytes = PatternBytes(3 * 2048 + 100, 11);  // blocks 1-3 full, block 4 of 100 bytes
  wavtest::Entry entry;
  std::string good;
  splittest::ScriptedPerson person;
};

TEST_F(Wav2DataTest, RestoresNameBytesWriteTimeAndReadOnly) {
  const kst::WavResult result = Extract(good, 1000);
  ASSERT_TRUE(result.ok()) << kst::WavFaultText(result);
  EXPECT_EQ(ReadFile(out.Path("restored.bin")), bytes);
  const wavtest::Entry back = wavtest::EntryOf(out.Path("restored.bin"));
  EXPECT_EQ(back.write, entry.write);
  EXPECT_EQ(back.attributes & plat::kAttrReadOnly, plat::kAttrReadOnly);
  EXPECT_EQ(Report(), FirstLine());
}

// One damaged byte, wherever it is, gives one report line naming its block
// with the sum found and the sum stored; the data are restored as read.
TEST_F(Wav2DataTest, OneFlippedByteGivesExactlyOneReportLine) {
  struct Case {
    const char* where;
    size_t at;  // offset in the .wav
    uint64_t block;
  } cases[] = {{"first block", kData + 5, 1},
               {"middle block", kData + 2056 + 1000, 2},
               {"short last block", kData + 3 * 2056 + 99, 4},
               {"stored sum", kData + 2 * 2056 + 2048 + 3, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where);
    plat::SetAttributes(out.Path("restored.bin"), plat::kAttrNormal);
    std::string damaged = good;
    damaged[c.at] = static_cast<char>(damaged[c.at] ^ 0x40);
    person.answers = {kst::kAnswerYes};
    person.next = 0;
    const kst::WavResult result = Extract(damaged, 3000);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.badBlocks, 1u);
    const size_t blockStart = kData + (c.block - 1) * 2056;
    const std::string block = damaged.substr(blockStart, c.block == 4 ? 100 : 2048);
    const uint64_t stored = kst::GetLittle64(
        reinterpret_cast<const unsigned char*>(damaged.data()) + blockStart + block.size());
    EXPECT_EQ(Report(), FirstLine() + kst::ReportLine(c.block, wavtest::SlowSum(block), stored));
    std::string restored;
    for (size_t at = kData; at < damaged.size(); at += 2056) restored += damaged.substr(at, 2048);
    restored.resize(bytes.size());
    EXPECT_EQ(ReadFile(out.Path("restored.bin")), restored);
  }
}

TEST_F(Wav2DataTest, MissingSumBytesAtTheEndCountAsZeroButMissingDataFail) {
  // An audio tool keeps T - 46 bytes of data: the tail of the last sum goes.
  const kst::WavResult cutSum = Extract(good.substr(0, good.size() - 3));
  ASSERT_TRUE(cutSum.ok());
  EXPECT_EQ(cutSum.badBlocks, 1u);
  std::string last = good.substr(good.size() - 8, 5);
  last.resize(8, '\0');
  EXPECT_EQ(Report(), FirstLine() + kst::ReportLine(4, wavtest::SlowSum(bytes.substr(3 * 2048)),
                                                    kst::GetLittle64(reinterpret_cast<const unsigned char*>(last.data()))));
  plat::SetAttributes(out.Path("restored.bin"), plat::kAttrNormal);
  person.answers = {kst::kAnswerYes};
  const kst::WavResult cutData = Extract(good.substr(0, good.size() - 9));
  EXPECT_EQ(cutData.fault, WavFault::DataCut);
  // What was extracted stays under its partial name; the whole file it
  // would have replaced stays as it was.
  EXPECT_EQ(cutData.failedPath, out.Path("restored.bin.~ks"));
  EXPECT_EQ(ReadFile(out.Path("restored.bin.~ks")), bytes.substr(0, bytes.size() - 1));
  EXPECT_NE(wavtest::EntryOf(out.Path("restored.bin.~ks")).write, entry.write);
  EXPECT_EQ(ReadFile(out.Path("restored.bin")), bytes);
  // The next run takes the leftover away.
  person.answers = {kst::kAnswerYes};
  person.next = 0;
  ASSERT_TRUE(Extract(good).ok());
  EXPECT_EQ(wavtest::Listing(out.path), (std::vector<std::string>{"restored.bin", "restored.bin.TXT"}));
}

// Whatever a head says, a bad one is refused before any question or file.
TEST_F(Wav2DataTest, HostileHeadsAreRefusedLeavingTheFolderAsItWas) {
  const auto withName = [&](const std::string& name) {
    std::string w = good;
    std::string field = name;
    field.resize(260, '\0');
    w.replace(67 + 52, 260, field);
    return w;
  };
  const auto withRecord = [&](size_t at, const std::string& value) {
    std::string w = good;
    w.replace(67 + at, value.size(), value);
    return w;
  };
  const std::string noNul = withName(std::string(260, 'n'));
  struct Case { const char* what; std::string wav; WavFault fault; } cases[] = {
      {"not RIFF", "RIFX" + good.substr(4), WavFault::NotWav},
      {"too short", good.substr(0, 43), WavFault::NotWav},
      {"no mark", "RIFF" + good.substr(4, 46) + "X" + good.substr(51), WavFault::NotWav},
      {"record length 329", withRecord(0, wavtest::Little(329, 4)), WavFault::BadRecord},
      {"record length 327", withRecord(0, wavtest::Little(327, 4)), WavFault::BadRecord},
      {"ends inside the record", good.substr(0, 67 + 300), WavFault::BadRecord},
      {"size 0", withRecord(36, std::string(8, '\0')), WavFault::BadSize},
      {"size with the top bit", withRecord(36, wavtest::Little(0x80000000u, 4)), WavFault::BadSize},
      {"parent folder", withName("..\\evil.bin"), WavFault::BadName},
      {"drive", withName("C:evil.bin"), WavFault::BadName},
      {"absolute", withName("\\evil.bin"), WavFault::BadName},
      {"slash", withName("sub/evil.bin"), WavFault::BadName},
      {"device", withName("CON"), WavFault::BadName},
      {"device with extension", withName("con.txt"), WavFault::BadName},
      {"numbered device", withName("Lpt9.wav"), WavFault::BadName},
      {"COM1 blank", withName("COM1 .log"), WavFault::BadName},
      {"control character", withName("a\x07" "b"), WavFault::BadName},
      {"star", withName("a*b"), WavFault::BadName},
      {"quote", withName("a\"b"), WavFault::BadName},
      {"no NUL within 260", noNul, WavFault::BadName},
      {"empty", withName(""), WavFault::BadName},
      {"dot", withName("."), WavFault::BadName},
      {"dot dot", withName(".."), WavFault::BadName},
      {"trailing dot", withName("evil."), WavFault::BadName},
      {"trailing blank", withName("evil "), WavFault::BadName},
      {"path too long", withName(std::string(259 - out.path.size() - 4, 'p')), WavFault::PathTooLong},
      {"restores over itself", withName("IN.WAV"), WavFault::SameFile},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const kst::WavResult result = c.fault == WavFault::SameFile
                                      ? (WriteFile(wav, c.wav), wavtest::Unwrap(wav, scratch.path, 4096))
                                      : Extract(c.wav);
    EXPECT_EQ(result.fault, c.fault);
    EXPECT_FALSE(kst::WavFaultText(result).empty());
    EXPECT_TRUE(wavtest::Listing(out.path).empty());
    EXPECT_EQ(wavtest::Listing(scratch.path), std::vector<std::string>{"in.wav"});
    EXPECT_EQ(ReadFile(wav), c.wav);
  }
  EXPECT_TRUE(person.asked.empty());
  // The longest name that fits is taken.
  EXPECT_TRUE(Extract(withName(std::string(259 - out.path.size() - 5, 'p'))).ok());
}

TEST_F(Wav2DataTest, FindsTheMarkBeyondASmallBufferAndAfterJunk) {
  const std::string late = good.substr(0, 46) + std::string(60000, 'j') + good.substr(46);
  for (uint32_t buffSize : {1u, 394u, 4096u}) {
    person.answers = {kst::kAnswerYes};
    person.next = 0;
    plat::SetAttributes(out.Path("restored.bin"), plat::kAttrNormal);
    ASSERT_TRUE(Extract(late, buffSize).ok()) << buffSize;
    EXPECT_EQ(ReadFile(out.Path("restored.bin")), bytes);
  }
  const std::string tooLate = good.substr(0, 46) + std::string(65536, 'j') + good.substr(46);
  EXPECT_EQ(Extract(tooLate).fault, WavFault::NotWav);
}

TEST_F(Wav2DataTest, AsksBeforeReplacingTheFileOrItsReport) {
  ASSERT_TRUE(WriteFile(out.Path("restored.bin.TXT"), "old report"));
  EXPECT_EQ(Extract(good).fault, WavFault::Declined);
  ASSERT_EQ(person.asked.size(), 2u);
  EXPECT_EQ(person.asked[0].message, "Error: File " + out.Path("restored.bin.TXT") + " already exists! Replace?");
  EXPECT_EQ(Report(), "old report");
  EXPECT_FALSE(plat::PathExists(out.Path("restored.bin")));
  person.answers = {kst::kAnswerYes};
  EXPECT_TRUE(Extract(good).ok());
  EXPECT_EQ(Report(), FirstLine());
}

TEST_F(Wav2DataTest, AMissingFolderOrUnreadableWavFails) {
  EXPECT_EQ(wavtest::Unwrap(scratch.Path("none.wav"), out.path, 4096).fault, WavFault::OpenFailed);
  ASSERT_TRUE(WriteFile(wav, good));
  EXPECT_EQ(wavtest::Unwrap(wav, out.Path("none"), 4096).fault, WavFault::NoFolder);
  EXPECT_TRUE(wavtest::Listing(out.path).empty());
}

}  // namespace
