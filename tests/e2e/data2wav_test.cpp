// Data2Wav & Wav2Data as a person uses it: a file wrapped into a .wav with
// the estimates shown, a damaged .wav extracted with its report, and both
// directions running at once.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "resources/resource_ids.h"
#include "tests/e2e/command_center_steps.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/files_on_disk.h"

namespace {

using cc_steps::AnswerQuestion;
using cc_steps::Session;
using e2e::Pattern;
using e2e::ReadBytes;
using e2e::WriteBytes;

std::string Text(HWND dialog, int id) { return e2e::GetText(e2e::Control(dialog, id)); }

// A bar left full at the end of a run: its position at the top of its range.
bool BarFull(HWND dialog, int id) {
  HWND bar = e2e::Control(dialog, id);
  const LRESULT top = SendMessageA(bar, PBM_GETRANGE, FALSE, 0);
  return top > 0 && SendMessageA(bar, PBM_GETPOS, 0, 0) == top;
}

// Types into a path field and tells the window, as keys do.
void TypePath(HWND dialog, int comboId, const std::string& text) {
  HWND combo = e2e::Control(dialog, comboId);
  e2e::SetText(combo, text);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(comboId, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(combo));
}

struct Data2WavWindow : ::testing::Test {
  void SetUp() override {
    session = std::make_unique<Session>(e2e::FreshFolder(test()));
    ASSERT_TRUE(session->center);
    dialog = session->Open(IDC_CC_DATA2WAV, "Data2Wav & Wav2Data");
    ASSERT_TRUE(dialog);
  }
  void TearDown() override {
    if (session && session->center) session->ExitWithYes();
  }
  static std::string test() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }
  bool WaitIdle(int go, const std::string& label) {
    return e2e::WaitUntil([&] { return Text(dialog, go) == label; }, 60000, "data2wav-idle");
  }
  // A posted Go may not have been taken yet when the button still shows
  // Go: a run has ended once its status says how.
  bool WaitEnded(int status, int go, const std::string& label) {
    return e2e::WaitUntil([&] { return !Text(dialog, status).empty() && Text(dialog, go) == label; }, 60000,
                          "data2wav-ended");
  }
  std::string Path(const std::string& name) const { return session->folder + "\\" + name; }
  std::unique_ptr<Session> session;
  HWND dialog = nullptr;
};

TEST_F(Data2WavWindow, WrapsAFileShowingTheEstimatesAndExtractsADamagedCopyWithItsReport) {
  const std::string bytes = Pattern(5000, 7);
  ASSERT_TRUE(WriteBytes(Path("data.bin"), bytes));
  TypePath(dialog, IDC_DW_SOURCE, Path("data.bin"));
  // 5000 bytes in 3 blocks: 395 + 5000 + 3 x 8.
  EXPECT_TRUE(e2e::WaitUntil([&] { return Text(dialog, IDC_DW_WAV_SIZE) == "5419"; }, 5000, "estimates"));
  EXPECT_EQ(Text(dialog, IDC_DW_DATA_SIZE), "5000");
  EXPECT_EQ(Text(dialog, IDC_DW_SOUND), "0");
  cc_steps::Shot(dialog, "data2wav-estimates");
  TypePath(dialog, IDC_DW_TARGET, Path("song"));
  e2e::PostClick(e2e::Control(dialog, IDC_DW_GO_D2W));
  ASSERT_TRUE(e2e::WaitUntil([&] { return ReadBytes(Path("song.WAV")).size() == 5419; }, 10000, "wav"));
  ASSERT_TRUE(WaitIdle(IDC_DW_GO_D2W, "Go &D2W"));
  EXPECT_EQ(Text(dialog, IDC_DW_TARGET), Path("song.WAV"));
  // A run that ended well says so, its bar full; no box was shown.
  EXPECT_EQ(Text(dialog, IDC_DW_D2W_STATUS), "Done! The file is wrapped, whole, in song.WAV");
  EXPECT_TRUE(BarFull(dialog, IDC_DW_D2W_PROGRESS));
  // Each pause button has a mnemonic of its own.
  EXPECT_EQ(Text(dialog, IDC_DW_PAUSE_D2W), "&Pause");
  EXPECT_EQ(Text(dialog, IDC_DW_PAUSE_W2D), "Pa&use");
  cc_steps::Shot(dialog, "data2wav-done");

  // One byte of block 2 damaged on the way back from the CD.
  std::string wav = ReadBytes(Path("song.WAV"));
  wav[395 + 2056 + 100] ^= 0x10;
  ASSERT_TRUE(WriteBytes(Path("song.WAV"), wav));
  ASSERT_TRUE(CreateDirectoryA(Path("back").c_str(), nullptr));
  TypePath(dialog, IDC_DW_WAV, Path("song.WAV"));
  TypePath(dialog, IDC_DW_FOLDER, Path("back"));
  EXPECT_TRUE(e2e::WaitUntil([&] { return Text(dialog, IDC_DW_ESTIMATE) == "4096"; }, 5000, "extraction"));
  EXPECT_EQ(Text(dialog, IDC_DW_IN_WAV), "5419");
  e2e::PostClick(e2e::Control(dialog, IDC_DW_GO_W2D));
  std::string message;
  ASSERT_TRUE(AnswerQuestion("Pay Attention!", IDOK, &message));
  EXPECT_EQ(message, "1 block(s) came back damaged! They are listed in " + Path("back\\data.bin.TXT"));
  ASSERT_TRUE(WaitIdle(IDC_DW_GO_W2D, "Go &W2D"));
  EXPECT_EQ(Text(dialog, IDC_DW_W2D_STATUS), "Done! 1 block(s) came back damaged! They are listed in data.bin.TXT");
  EXPECT_TRUE(BarFull(dialog, IDC_DW_W2D_PROGRESS));
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
  ASSERT_TRUE(WriteBytes(Path("big.bin"), Pattern(64 * 1024 * 1024, 4)));
  TypePath(dialog, IDC_DW_SOURCE, Path("small.bin"));
  TypePath(dialog, IDC_DW_TARGET, Path("small.wav"));
  e2e::PostClick(e2e::Control(dialog, IDC_DW_GO_D2W));
  ASSERT_TRUE(WaitEnded(IDC_DW_D2W_STATUS, IDC_DW_GO_D2W, "Go &D2W"));

  // The big conversion paused at once; the extraction runs and ends meanwhile.
  TypePath(dialog, IDC_DW_SOURCE, Path("big.bin"));
  TypePath(dialog, IDC_DW_TARGET, Path("big.wav"));
  e2e::Click(e2e::Control(dialog, IDC_DW_GO_D2W));
  e2e::Click(e2e::Control(dialog, IDC_DW_PAUSE_D2W));
  EXPECT_EQ(Text(dialog, IDC_DW_GO_D2W), "Abort");
  ASSERT_TRUE(CreateDirectoryA(Path("back").c_str(), nullptr));
  TypePath(dialog, IDC_DW_WAV, Path("small.wav"));
  TypePath(dialog, IDC_DW_FOLDER, Path("back"));
  e2e::PostClick(e2e::Control(dialog, IDC_DW_GO_W2D));
  ASSERT_TRUE(WaitEnded(IDC_DW_W2D_STATUS, IDC_DW_GO_W2D, "Go &W2D"));
  EXPECT_TRUE(ReadBytes(Path("back\\small.bin")) == Pattern(3000, 3));
  EXPECT_EQ(Text(dialog, IDC_DW_PAUSE_D2W), "Un&pause");
  EXPECT_EQ(Text(dialog, IDC_DW_W2D_STATUS),
            "Done! The file came back whole, every block's sum matched: small.bin");
  e2e::Click(e2e::Control(dialog, IDC_DW_PAUSE_D2W));
  ASSERT_TRUE(WaitIdle(IDC_DW_GO_D2W, "Go &D2W"));
  EXPECT_EQ(ReadBytes(Path("big.wav")).size(), 395u + 64 * 1024 * 1024 + 8 * 32768);
  DeleteFileA(Path("big.wav").c_str());
  DeleteFileA(Path("big.bin").c_str());
}

}  // namespace
