#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <unistd.h>

#include "frame/platform/emulation.h"
#include "tests/support/cli_run_posix.h"
#include "tests/wav/wav_test_support.h"

namespace {

using WavCliTest = testenv::CliTest;
using kst::WavFault, testenv::PatternBytes, testenv::ReadFile, testenv::WriteFile;

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

TEST_F(WavCliTest, EachCaseGivesItsExitCodeAndSaysWhy) {
  const std::string bytes = PatternBytes(10000, 3);
  ASSERT_TRUE(WriteFile(scratch.Path("f.bin"), bytes) && WriteFile(scratch.Path("e.bin"), "") &&
              WriteFile(scratch.Path("junk.wav"), std::string(500, 'j')) && WriteFile(scratch.Path("s.wav"), "s") &&
              plat::CreateFolder(scratch.Path("out")));
  const char* unfit[] = {"a:b.txt", "CON", "nul.txt", "q?.txt", "x\"y.txt", "trail.", "COM\xB9.txt"};
  for (const char* name : unfit) ASSERT_TRUE(std::ofstream(host + "/" + name) << "data") << name;
  ASSERT_EQ(std::system(("ln -s /dev/null '" + host + "/null.WAV'").c_str()), 0);
  struct Case { std::string arguments, input; int exit; std::string says; } cases[] = {
      {"data2wav f.bin", "", 0, "wrapped 10000 bytes in " + host + "/f.bin.WAV (10435 bytes)"},
      {"data2wav f.bin", "n\n", 1, "was not replaced"}, {"data2wav f.bin copy", "", 0, host + "/copy.WAV"},
      {"data2wav f.bin out", "", 0, host + "/out/f.bin.WAV"}, {"data2wav s.wav s.wav", "", 2, "the same file"},
      {"data2wav e.bin", "", 2, "it is empty"}, {"data2wav", "", 2, "give one file"},
      {"data2wav a:b.txt", "", 1, "isn't converted! Rename it first: " + host + "/a:b.txt"},
      {"data2wav f.bin null.WAV", "y\n", 1, "This is a link!"},
      {"wav2data f.bin.WAV out", "", 0, "every block's sum matched"},
      {"wav2data f.bin.WAV out", "y\n", 0, "restored " + host + "/out/f.bin (10000 bytes)"},
      {"wav2data junk.wav out", "", 2, "not a file made by Data2Wav"}, {"wav2data none.wav out", "", 2, "none.wav"},
      {"wav2data f.bin.WAV --force", "", 2, "unknown option"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Run(c.arguments, c.input), c.exit) << c.arguments << "\n" << said;
    EXPECT_NE(said.find(c.says), std::string::npos) << c.arguments << "\n" << said;
  }
  for (const char* name : unfit) {
    EXPECT_EQ(Run("data2wav " + testenv::ShellQuote(name)), 1) << name;
    EXPECT_NE(said.find("isn't converted"), std::string::npos) << said;
  }
  EXPECT_EQ(ReadFile(scratch.Path("out\\f.bin")), bytes);
  // Audio tools read it as 16-bit stereo at 44100 Hz.
  const struct { const char *tool, *command; std::vector<std::string> says; } readers[] = {
      {"python3", "python3 -c 'import wave; w = wave.open(\"f.bin.WAV\"); "
                  "print(w.getnchannels(), w.getsampwidth(), w.getframerate())'", {"2 2 44100"}},
      {"sox", "sox --i f.bin.WAV", {"Channels       : 2", "Sample Rate    : 44100", "Precision      : 16-bit"}},
  };
  for (const auto& reader : readers) {
    if (std::system((std::string("command -v ") + reader.tool + " >/dev/null").c_str()) != 0) continue;
    std::string heard;
    testenv::RunCommand("cd '" + host + "' && " + reader.command, &heard);
    for (const std::string& line : reader.says)
      EXPECT_NE(heard.find(line), std::string::npos) << reader.tool << ": " << heard;
  }
  // The same blocks and sums (the heads differ in the source's access time).
  EXPECT_TRUE(ReadFile(scratch.Path("copy.WAV")).substr(395) == ReadFile(scratch.Path("f.bin.WAV")).substr(395));

  std::string wav = ReadFile(scratch.Path("f.bin.WAV"));
  wav[395 + 2056 + 7] ^= 1;
  ASSERT_TRUE(WriteFile(scratch.Path("f.bin.WAV"), wav));
  EXPECT_EQ(Run("wav2data f.bin.WAV out --yes"), 1) << said;
  const std::string told = "1 block(s) came back damaged! They are listed in " + host + "/out/f.bin.TXT";
  EXPECT_NE(said.find(told), said.npos) << said;
  EXPECT_EQ(ReadFile(scratch.Path("out\\f.bin.TXT")).size(), 75u + 48u);
}

}  // namespace
