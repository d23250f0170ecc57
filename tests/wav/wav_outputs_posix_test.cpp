// What both directions write to, made hostile: links to files outside the
// folder, links that lead nowhere, other names of an input, a leftover
// partial file that is a link, and a close that fails.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "frame/platform/emulation.h"
#include "tests/support/test_env.h"
#include "tests/wav/wav_test_support.h"

namespace {

using kst::WavFault;
using testenv::ReadFile;

struct WavOutputsTest : ::testing::Test {
  void SetUp() override {
    splittest::UseSplitTexts();
    ASSERT_TRUE(testenv::WriteFile(source, bytes) && testenv::WriteFile(precious, "keep") &&
                testenv::WriteFile(wav, wavtest::BuildWav(bytes, {0, 0, 0, 0, "restored.bin"})));
  }
  void TearDown() override { plat::EmuClearFaults(); }
  void Link(const std::string& path, const std::string& target, bool hard = false) {
    const std::string at = plat::EmuHostPath(path), to = plat::EmuHostPath(target);
    ASSERT_EQ(hard ? ::link(to.c_str(), at.c_str()) : ::symlink(to.c_str(), at.c_str()), 0) << path;
  }
  testenv::ScratchFolder scratch, out, outside;
  std::string source = scratch.Path("data.bin"), wav = scratch.Path("in.wav");
  std::string precious = outside.Path("precious.txt");
  std::string bytes = testenv::PatternBytes(5000, 9);
  splittest::ScriptedPerson person{{kst::kAnswerYes}};
};

TEST_F(WavOutputsTest, NothingIsWrittenThroughALinkOrOverAnInputAndAFailedCloseFails) {
  const std::string target = scratch.Path("data.bin.WAV"), restored = out.Path("restored.bin");
  const std::string report = restored + ".TXT", partial = restored + ".~ks";
  const std::string wavBytes = ReadFile(wav);
  // wrap: Data2Wav, else Wav2Data; left: in out afterwards (Wav2Data).
  struct Case { const char* what; bool wrap; std::function<void()> prepare; WavFault fault;
                std::vector<std::string> left; } cases[] = {
      {"the .wav a link outside", true, [&] { Link(target, precious); }, WavFault::LinkTarget, {}},
      {"the .wav a link to nothing", true, [&] { Link(target, outside.Path("new.txt")); }, WavFault::LinkTarget, {}},
      {"the .wav a hard link of the source", true, [&] { Link(target, source, true); }, WavFault::SameFile, {}},
      {"the .wav's close fails", true, [] { plat::EmuInjectFault(plat::Fault::CloseFails, 0, "data.bin.WAV"); },
       WavFault::WriteFailed, {}},
      {"the file a link outside", false, [&] { Link(restored, precious); }, WavFault::LinkTarget, {"restored.bin"}},
      {"the report a link outside", false, [&] { Link(report, precious); }, WavFault::LinkTarget,
       {"restored.bin.TXT"}},
      {"the file a hard link of the .wav", false, [&] { Link(restored, wav, true); }, WavFault::SameFile,
       {"restored.bin"}},
      {"the file's close fails", false, [] { plat::EmuInjectFault(plat::Fault::CloseFails, 0, ".~ks"); },
       WavFault::WriteFailed, {"restored.bin.TXT"}},
      {"the report's close fails", false, [] { plat::EmuInjectFault(plat::Fault::CloseFails, 0, ".TXT"); },
       WavFault::WriteFailed, {"restored.bin.TXT"}},
      {"a leftover partial file is a link outside", false, [&] { Link(partial, precious); }, WavFault::None,
       {"restored.bin", "restored.bin.TXT"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const auto& e : std::filesystem::directory_iterator(plat::EmuHostPath(out.path))) ::unlink(e.path().c_str());
    ::unlink(plat::EmuHostPath(target).c_str());
    person.next = 0;
    c.prepare();
    const kst::WavResult result = c.wrap ? wavtest::Wrap(source, target, 4096) : wavtest::Unwrap(wav, out.path, 4096);
    EXPECT_EQ(result.fault, c.fault);
    EXPECT_FALSE(kst::WavFaultText(result).empty() && c.fault != WavFault::None);
    EXPECT_EQ(ReadFile(source), bytes);
    EXPECT_EQ(ReadFile(wav), wavBytes);
    EXPECT_EQ(ReadFile(precious), "keep");
    EXPECT_EQ(wavtest::Listing(outside.path), std::vector<std::string>{"precious.txt"});
    EXPECT_EQ(c.wrap ? c.left : wavtest::Listing(out.path), c.left);
  }
  EXPECT_EQ(ReadFile(restored), bytes);  // the last case, through the leftover link, went well
}

}  // namespace
