// Data2Wav & Wav2Data as a person uses it: a file wrapped into a .wav with
// the estimates shown, a damaged .wav extracted with its report, and both
// directions running at once.
#include <windows.h>
#include <commctrl.h>

#include "tests/e2e/command_center_steps.h"

namespace {

using namespace cc_steps;
using namespace e2e;

struct Data2WavWindow : WindowTest {
  void SetUp() override { Begin(IDC_CC_DATA2WAV, "Data2Wav & Wav2Data"); }
  // A posted Go may not have been taken yet when the button still shows
  // Go: a run has ended once its status says how (or, with no status
  // given, once the button shows Go).
  bool WaitEnded(int go, const std::string& label, int status = 0) {
    return WaitUntil([&] { return (!status || !Text(dialog, status).empty()) && Text(dialog, go) == label; }, 60000,
                     "data2wav-ended");
  }
  // A bar left full at the end of a run: its position at the top of its range.
  bool BarFull(int id) {
    const LRESULT top = SendMessageA(Control(dialog, id), PBM_GETRANGE, FALSE, 0);
    return top > 0 && SendMessageA(Control(dialog, id), PBM_GETPOS, 0, 0) == top;
  }
  // Both paths of a direction typed: source and target, or .wav and folder.
  void Choose(int first, const std::string& one, int second, const std::string& other) {
    TypeInCombo(dialog, first, Path(one));
    TypeInCombo(dialog, second, Path(other));
  }
};

TEST_F(Data2WavWindow, WrapsAFileShowingTheEstimatesAndExtractsADamagedCopyWithItsReport) {
  const std::string bytes = Pattern(5000, 7);
  ASSERT_TRUE(WriteBytes(Path("data.bin"), bytes));
  Choose(IDC_DW_SOURCE, "data.bin", IDC_DW_TARGET, "song");
  // 5000 bytes in 3 blocks: 395 + 5000 + 3 x 8.
  EXPECT_TRUE(WaitUntil([&] { return Text(dialog, IDC_DW_WAV_SIZE) == "5419"; }, 5000, "estimates"));
  EXPECT_EQ(Text(dialog, IDC_DW_DATA_SIZE), "5000");
  EXPECT_EQ(Text(dialog, IDC_DW_SOUND), "0");
  Shot(dialog, "data2wav-estimates");
  PostClick(Control(dialog, IDC_DW_GO_D2W));
  ASSERT_TRUE(WaitUntil([&] { return ReadBytes(Path("song.WAV")).size() == 5419; }, 10000, "wav"));
  ASSERT_TRUE(WaitEnded(IDC_DW_GO_D2W, "Go &D2W"));
  EXPECT_EQ(Text(dialog, IDC_DW_TARGET), Path("song.WAV"));
  // A run that ended well says so, its bar full; no box was shown.
  EXPECT_EQ(Text(dialog, IDC_DW_D2W_STATUS), "Done! The file is wrapped, whole, in song.WAV");
  EXPECT_TRUE(BarFull(IDC_DW_D2W_PROGRESS));
  // Each pause button has a mnemonic of its own.
  EXPECT_EQ(Text(dialog, IDC_DW_PAUSE_D2W), "&Pause");
  EXPECT_EQ(Text(dialog, IDC_DW_PAUSE_W2D), "Pa&use");
  Shot(dialog, "data2wav-done");

  // One byte of block 2 damaged on the way back from the CD.
  std::string wav = ReadBytes(Path("song.WAV"));
  wav[395 + 2056 + 100] ^= 0x10;
  ASSERT_TRUE(WriteBytes(Path("song.WAV"), wav));
  ASSERT_TRUE(CreateDirectoryA(Path("back").c_str(), nullptr));
  Choose(IDC_DW_WAV, "song.WAV", IDC_DW_FOLDER, "back");
  EXPECT_TRUE(WaitUntil([&] { return Text(dialog, IDC_DW_ESTIMATE) == "4096"; }, 5000, "extraction"));
  EXPECT_EQ(Text(dialog, IDC_DW_IN_WAV), "5419");
  PostClick(Control(dialog, IDC_DW_GO_W2D));
  std::string message;
  ASSERT_TRUE(AnswerQuestion("Pay Attention!", IDOK, &message));
  EXPECT_EQ(message, "1 block(s) came back damaged! They are listed in " + Path("back\\data.bin.TXT"));
  ASSERT_TRUE(WaitEnded(IDC_DW_GO_W2D, "Go &W2D"));
  EXPECT_EQ(Text(dialog, IDC_DW_W2D_STATUS), "Done! 1 block(s) came back damaged! They are listed in data.bin.TXT");
  EXPECT_TRUE(BarFull(IDC_DW_W2D_PROGRESS));
  std::string restored = bytes;
  restored[2048 + 100] ^= 0x10;
  EXPECT_TRUE(ReadBytes(Path("back\\data.bin")) == restored);
  const std::string report = ReadBytes(Path("back\\data.bin.TXT"));
  ASSERT_EQ(report.size(), 75u + 48u) << report;
  EXPECT_EQ(report.substr(0, 11), "2048       ");
  EXPECT_EQ(report.substr(75, 12), "         2  ");
}

TEST_F(Data2WavWindow, ConvertsAndExtractsAtOnce) {
  ASSERT_TRUE(WriteBytes(Path("small.bin"), Pattern(3000, 3)));
  ASSERT_TRUE(WriteBytes(Path("big.bin"), Pattern(64 << 20, 4)));
  Choose(IDC_DW_SOURCE, "small.bin", IDC_DW_TARGET, "small.wav");
  PostClick(Control(dialog, IDC_DW_GO_D2W));
  ASSERT_TRUE(WaitEnded(IDC_DW_GO_D2W, "Go &D2W", IDC_DW_D2W_STATUS));

  // The big conversion paused at once; the extraction runs and ends meanwhile.
  Choose(IDC_DW_SOURCE, "big.bin", IDC_DW_TARGET, "big.wav");
  Click(Control(dialog, IDC_DW_GO_D2W));
  Click(Control(dialog, IDC_DW_PAUSE_D2W));
  EXPECT_EQ(Text(dialog, IDC_DW_GO_D2W), "Abort");
  ASSERT_TRUE(CreateDirectoryA(Path("back").c_str(), nullptr));
  Choose(IDC_DW_WAV, "small.wav", IDC_DW_FOLDER, "back");
  PostClick(Control(dialog, IDC_DW_GO_W2D));
  ASSERT_TRUE(WaitEnded(IDC_DW_GO_W2D, "Go &W2D", IDC_DW_W2D_STATUS));
  EXPECT_TRUE(ReadBytes(Path("back\\small.bin")) == Pattern(3000, 3));
  EXPECT_EQ(Text(dialog, IDC_DW_PAUSE_D2W), "Un&pause");
  EXPECT_EQ(Text(dialog, IDC_DW_W2D_STATUS), "Done! The file came back whole, every block's sum matched: small.bin");
  Click(Control(dialog, IDC_DW_PAUSE_D2W));
  ASSERT_TRUE(WaitEnded(IDC_DW_GO_D2W, "Go &D2W"));
  EXPECT_EQ(ReadBytes(Path("big.wav")).size(), 395u + (64 << 20) + 8 * 32768);
  DeleteFileA(Path("big.wav").c_str());
  DeleteFileA(Path("big.bin").c_str());
}

}  // namespace
