// Data2Wav & Wav2Data as a person uses it: both directions, at once.
#include <windows.h>
#include <commctrl.h>

#include "tests/e2e/command_center_steps.h"

using namespace e2e;

struct Data2WavWindow : WindowTest {
  void SetUp() override { Begin(IDC_CC_DATA2WAV, "Data2Wav & Wav2Data"); }
  bool BarFull(int id) {
    const LRESULT top = SendMessageA(Control(dialog, id), PBM_GETRANGE, FALSE, 0);
    return top > 0 && SendMessageA(Control(dialog, id), PBM_GETPOS, 0, 0) == top;
  }
};

TEST_F(Data2WavWindow, WrapsAFileExtractsItWholeAndADamagedCopyWithItsReportWhileAnotherWaitsPaused) {
  const std::string bytes = Pattern(5000, 7);
  ASSERT_TRUE(WriteBytes(Path("data.bin"), bytes));
  ASSERT_TRUE(WriteBytes(Path("big.bin"), Pattern(64 << 20, 4)));
  // 5000 bytes in 3 blocks: 395 + 5000 + 3 x 8; no box is shown.
  Walk(dialog, {{kCombo, IDC_DW_SOURCE, Path("data.bin")}, {kCombo, IDC_DW_TARGET, Path("song")},
                {kWaits, IDC_DW_WAV_SIZE, "5419"}, {kSees, IDC_DW_DATA_SIZE, "5000"}, {kSees, IDC_DW_SOUND, "0"}});
  Walk(dialog, {{kPost, IDC_DW_GO_D2W}, {kWaits, IDC_DW_D2W_STATUS, "Done! The file is wrapped, whole, in song.WAV"},
                {kWaits, IDC_DW_GO_D2W, "Go &D2W"}, {kSees, IDC_DW_TARGET, Path("song.WAV")},
                {kSees, IDC_DW_PAUSE_D2W, "&Pause"}, {kSees, IDC_DW_PAUSE_W2D, "Pa&use"}});
  EXPECT_EQ(ReadBytes(Path("song.WAV")).size(), 5419u);
  EXPECT_TRUE(BarFull(IDC_DW_D2W_PROGRESS));
  Shot(dialog, "data2wav-done");
  for (const char* folder : {"whole", "back"}) ASSERT_TRUE(CreateDirectoryA(Path(folder).c_str(), nullptr));
  Walk(dialog, {{kCombo, IDC_DW_WAV, Path("song.WAV")}, {kCombo, IDC_DW_FOLDER, Path("whole")}, {kPost, IDC_DW_GO_W2D},
                {kWaits, IDC_DW_W2D_STATUS, "Done! The file came back whole, every block's sum matched: data.bin"},
                {kWaits, IDC_DW_GO_W2D, "Go &W2D"}});
  EXPECT_TRUE(ReadBytes(Path("whole\\data.bin")) == bytes);

  // The big conversion paused at once; the extraction runs and ends meanwhile.
  Walk(dialog, {{kCombo, IDC_DW_SOURCE, Path("big.bin")}, {kCombo, IDC_DW_TARGET, Path("big.wav")},
                {kClick, IDC_DW_GO_D2W}, {kClick, IDC_DW_PAUSE_D2W}, {kSees, IDC_DW_GO_D2W, "Abort"}});
  // One byte of block 2 damaged on the way back from the CD.
  std::string wav = ReadBytes(Path("song.WAV"));
  wav[395 + 2056 + 100] ^= 0x10;
  ASSERT_TRUE(WriteBytes(Path("song.WAV"), wav));
  const std::string report = Path("back\\data.bin.TXT");
  Walk(dialog, {{kCombo, IDC_DW_WAV, Path("song.WAV")}, {kCombo, IDC_DW_FOLDER, Path("back")},
                {kWaits, IDC_DW_ESTIMATE, "4096"}, {kSees, IDC_DW_IN_WAV, "5419"}, {kPost, IDC_DW_GO_W2D},
                {kAnswer, IDOK, "Pay Attention!", "1 block(s) came back damaged! They are listed in " + report},
                {kWaits, IDC_DW_W2D_STATUS, "Done! 1 block(s) came back damaged! They are listed in data.bin.TXT"},
                {kWaits, IDC_DW_GO_W2D, "Go &W2D"}, {kSees, IDC_DW_PAUSE_D2W, "Un&pause"}});
  EXPECT_TRUE(BarFull(IDC_DW_W2D_PROGRESS));
  std::string restored = bytes;
  restored[2048 + 100] ^= 0x10;
  EXPECT_TRUE(ReadBytes(Path("back\\data.bin")) == restored);
  const std::string listed = ReadBytes(report);
  EXPECT_EQ(listed.size(), 75u + 48u) << listed;
  EXPECT_EQ(listed.substr(75, 12), "         2  ") << "block 2 listed";

  Walk(dialog, {{kClick, IDC_DW_PAUSE_D2W}, {kWaits, IDC_DW_GO_D2W, "Go &D2W"}});
  EXPECT_EQ(ReadBytes(Path("big.wav")).size(), 395u + (64 << 20) + 8 * 32768);
  DeleteFileA(Path("big.wav").c_str());
  DeleteFileA(Path("big.bin").c_str());
}

