// The Clocking System and the two games as a person meets them: a File
// Splitting run and an Excess Files Remover run show their time left and
// speed and lose them at Abort; a few shots of Intuitive Target Practice and one race of Intuitive Horse
// Racing, played by clicking, give the counts the rules give.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "resources/resource_ids.h"
#include "tests/e2e/command_center_steps.h"
#include "tests/e2e/driver.h"

namespace {

using cc_steps::AnswerQuestion;
using cc_steps::Session;

std::string Text(HWND dialog, int id) { return e2e::GetText(e2e::Control(dialog, id)); }

std::string TestName() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }

struct Pastimes : ::testing::Test {
  void Begin(const std::string& folder) {
    session = std::make_unique<Session>(folder);
    ASSERT_TRUE(session->center);
  }
  void TearDown() override {
    if (session && session->center) session->ExitWithYes();
    for (const std::string& path : scratch) DeleteFileA(path.c_str());
  }
  std::unique_ptr<Session> session;
  std::vector<std::string> scratch;
};

// "1m40s  1000 kB/s": a time, "s", a number and "kB/s".
bool IsFigure(const std::string& text) {
  const size_t unit = text.find(" kB/s");
  const size_t gap = text.find("s  ");
  return unit != std::string::npos && gap != std::string::npos && gap < unit &&
         text.find_first_of("0123456789") == 0;
}

// A large sparse file of size bytes.
bool MakeSparse(const std::string& path, int64_t size) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER at;
  at.QuadPart = size;
  const bool made = SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h);
  CloseHandle(h);
  return made;
}

TEST_F(Pastimes, ASplittingRunShowsItsSpeedAndLosesItAtAbort) {
  const std::string folder = e2e::FreshFolder(TestName());
  // A small buffer makes a long run of a large sparse file.
  cc_steps::WriteLines(folder + "\\Kestrova.INI", {"BuffSize=16384", "Padding=" + std::string(100, '.')});
  Begin(folder);
  HWND dialog = session->Open(IDC_CC_FILE_SPLITTING, "File Splitting");
  ASSERT_TRUE(dialog);
  const std::string file = folder + "\\long.bin";
  ASSERT_TRUE(MakeSparse(file, int64_t{4} << 30));
  for (const char* tail : {"", ".001", ".002", ".003", ".004", ".BAT"}) scratch.push_back(file + tail);

  HWND combo = e2e::Control(dialog, IDC_FS_FILE);
  e2e::SetText(combo, file);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_FS_FILE, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(combo));
  e2e::SetText(e2e::Control(dialog, IDC_FS_SIZE), "1");
  e2e::SelectCombo(dialog, IDC_FS_UNIT, 3);  // GB
  EXPECT_EQ(Text(dialog, IDC_FS_TIME_SPEED), "");

  const DWORD start = GetTickCount();
  e2e::Click(e2e::Control(dialog, IDC_FS_GO));
  ASSERT_TRUE(e2e::WaitUntil([&] { return IsFigure(Text(dialog, IDC_FS_TIME_SPEED)); }, 3000, "speed-shown"))
      << "shown: " << Text(dialog, IDC_FS_TIME_SPEED);
  printf("first figure after %lu ms: %s\n", GetTickCount() - start, Text(dialog, IDC_FS_TIME_SPEED).c_str());

  // Minimized: the figure is left as it was.
  ShowWindowAsync(dialog, SW_MINIMIZE);
  ASSERT_TRUE(e2e::WaitUntil([&] { return IsIconic(dialog) != 0; }, 2000, "minimized"));
  const std::string held = Text(dialog, IDC_FS_TIME_SPEED);
  Sleep(2500);
  EXPECT_EQ(Text(dialog, IDC_FS_TIME_SPEED), held);
  ShowWindowAsync(dialog, SW_RESTORE);

  e2e::PostClick(e2e::Control(dialog, IDC_FS_HIDE));
  ASSERT_TRUE(AnswerQuestion("Abort Action - The Big Question...", IDYES));
  // The run ends when its report of the abort is answered.
  ASSERT_TRUE(AnswerQuestion("File Splitting Aborted!", IDOK, nullptr));
  const DWORD stopped = GetTickCount();
  EXPECT_TRUE(e2e::WaitUntil([&] { return Text(dialog, IDC_FS_TIME_SPEED).empty(); }, 2000, "speed-emptied"));
  printf("emptied %lu ms after the run ended\n", GetTickCount() - stopped);
}

TEST_F(Pastimes, ARemoverRunShowsItsSpeedAndLosesItAtAbort) {
  const std::string folder = e2e::FreshFolder(TestName());
  // A small buffer makes a long comparison of two large sparse files; a
  // simulation deletes nothing. (A settings file is read from 101 bytes on.)
  cc_steps::WriteLines(folder + "\\Kestrova.INI",
                       {"BuffSize=16384", "ESave=0", "ESSimulation=1", "Padding=" + std::string(100, '.')});
  Begin(folder);
  HWND dialog = session->Open(IDC_CC_EXCESS_REMOVER, "Excess Files Remover");
  ASSERT_TRUE(dialog);
  const std::string base = folder + "\\base", target = folder + "\\target";
  ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr) && CreateDirectoryA(target.c_str(), nullptr));
  for (const std::string& file : {base + "\\big.bin", target + "\\big.bin"}) {
    ASSERT_TRUE(MakeSparse(file, int64_t{4} << 30));
    scratch.push_back(file);
  }
  scratch.push_back(target + "\\Excess files and folders from base to remove.bat");
  ASSERT_TRUE(e2e::DropFiles(session->program, dialog, IDC_ER_BASE_GROUP, {base}));
  ASSERT_TRUE(e2e::WaitUntil([&] { return Text(dialog, IDC_ER_BASE) == base; }, 5000, "base dropped"));
  ASSERT_TRUE(e2e::DropFiles(session->program, dialog, IDC_ER_TARGET_GROUP, {target}));
  ASSERT_TRUE(e2e::WaitUntil([&] { return Text(dialog, IDC_ER_TARGET) == target; }, 5000, "target dropped"));
  EXPECT_EQ(Text(dialog, IDC_ER_TIME_SPEED), "");

  const DWORD start = GetTickCount();
  e2e::Click(e2e::Control(dialog, IDC_ER_DO_IT));
  ASSERT_TRUE(e2e::WaitUntil([&] { return IsFigure(Text(dialog, IDC_ER_TIME_SPEED)); }, 3000, "speed-shown"))
      << "shown: " << Text(dialog, IDC_ER_TIME_SPEED);
  printf("first figure after %lu ms: %s\n", GetTickCount() - start, Text(dialog, IDC_ER_TIME_SPEED).c_str());

  e2e::PostClick(e2e::Control(dialog, IDC_ER_DO_IT));
  ASSERT_TRUE(AnswerQuestion("Abort Action - The Big Question...", IDYES));
  ASSERT_TRUE(e2e::WaitUntil([&] { return Text(dialog, IDC_ER_DO_IT) == "&Do It"; }, 5000, "run ended"));
  const DWORD stopped = GetTickCount();
  EXPECT_TRUE(e2e::WaitUntil([&] { return Text(dialog, IDC_ER_TIME_SPEED).empty(); }, 2000, "speed-emptied"));
  printf("emptied %lu ms after the run ended\n", GetTickCount() - stopped);
}

TEST_F(Pastimes, TargetPracticeCountsShotsAndGuesses) {
  Begin(e2e::FreshFolder(TestName()));
  HWND dialog = session->Open(IDC_CC_TARGET_PRACTICE, "Intuitive Target Practice");
  ASSERT_TRUE(dialog);
  HWND value = e2e::Control(dialog, IDC_TP_VALUE);

  // Accuracy 100: every shot hits.
  e2e::Click(e2e::Control(dialog, IDC_TP_STYLE_ACCURACY));
  e2e::SetText(value, "200");
  EXPECT_EQ(e2e::GetText(value), "100");
  EXPECT_TRUE(IsWindowEnabled(e2e::Control(dialog, IDC_TP_CUP1)));
  EXPECT_FALSE(IsWindowEnabled(e2e::Control(dialog, IDC_TP_CUP1 + 1)));
  for (int i = 0; i < 3; ++i) e2e::Click(e2e::Control(dialog, IDC_TP_CUP1));
  EXPECT_EQ(Text(dialog, IDC_TP_HITS), "3");
  EXPECT_EQ(Text(dialog, IDC_TP_SHOTS), "3");
  EXPECT_EQ(Text(dialog, IDC_TP_PERCENT), "100.00");

  // The other style starts again, with the cups of the value.
  e2e::Click(e2e::Control(dialog, IDC_TP_STYLE_INTUITIVE));
  EXPECT_EQ(e2e::GetText(value), "10");
  EXPECT_EQ(Text(dialog, IDC_TP_SHOTS), "0");
  EXPECT_EQ(Text(dialog, IDC_TP_PERCENT), "0.00");
  e2e::SetText(value, "2");
  EXPECT_TRUE(IsWindowEnabled(e2e::Control(dialog, IDC_TP_CUP1 + 1)));
  EXPECT_FALSE(IsWindowEnabled(e2e::Control(dialog, IDC_TP_CUP1 + 2)));
  int hits = 0;
  for (int i = 0; i < 10; ++i) {
    e2e::Click(e2e::Control(dialog, IDC_TP_CUP1));
    const std::string target = Text(dialog, IDC_TP_TARGET);
    ASSERT_TRUE(target == "1" || target == "2") << target;
    if (target == "1") ++hits;
    EXPECT_TRUE(e2e::IsChecked(e2e::Control(dialog, IDC_TP_CUP1 + std::stoi(target) - 1)));
  }
  EXPECT_EQ(Text(dialog, IDC_TP_HITS), std::to_string(hits));
  EXPECT_EQ(Text(dialog, IDC_TP_SHOTS), "10");
  char percent[16];
  snprintf(percent, sizeof percent, "%d.00", hits * 10);
  EXPECT_EQ(Text(dialog, IDC_TP_PERCENT), percent);
  cc_steps::Shot(dialog, "target-practice");
}

TEST_F(Pastimes, HorseRacingRunsOneRaceWithTheLatchedPick) {
  Begin(e2e::FreshFolder(TestName()));
  HWND dialog = session->Open(IDC_CC_HORSE_RACING, "Intuitive Horse Racing");
  ASSERT_TRUE(dialog);
  e2e::SetText(e2e::Control(dialog, IDC_HR_LENGTH), "1");
  e2e::Click(e2e::Control(dialog, IDC_HR_PICK1 + 1));
  e2e::Click(e2e::Control(dialog, IDC_HR_RACE));
  EXPECT_EQ(Text(dialog, IDC_HR_RACE), "&Pause");
  EXPECT_FALSE(IsWindowEnabled(e2e::Control(dialog, IDC_HR_LENGTH)));
  EXPECT_FALSE(IsWindowEnabled(e2e::Control(dialog, IDC_HR_PICK1 + 2)));
  ASSERT_TRUE(e2e::WaitUntil([&] { return Text(dialog, IDC_HR_RACE) == "&Race"; }, 15000, "race-over"));

  int best = 0, winners = 0;
  for (int h = 0; h < 4; ++h) best = std::max(best, e2e::ProgressPos(e2e::Control(dialog, IDC_HR_TRACK1 + h)));
  EXPECT_GE(best, 100);
  for (int h = 0; h < 4; ++h) {
    const bool won = e2e::IsChecked(e2e::Control(dialog, IDC_HR_WIN1 + h));
    winners += won;
    // A bar shows at most its range: the winners' bars are full.
    if (won) {
      EXPECT_EQ(e2e::ProgressPos(e2e::Control(dialog, IDC_HR_TRACK1 + h)), best);
    }
  }
  EXPECT_GE(winners, 1);
  const bool hit = e2e::IsChecked(e2e::Control(dialog, IDC_HR_WIN1 + 1));
  EXPECT_EQ(Text(dialog, IDC_HR_RACES), "1");
  EXPECT_EQ(Text(dialog, IDC_HR_HITS), hit ? "1" : "0");
  EXPECT_EQ(Text(dialog, IDC_HR_PERCENT), hit ? "100.00" : "0.00");
  EXPECT_TRUE(IsWindowEnabled(e2e::Control(dialog, IDC_HR_LENGTH)));
  cc_steps::Shot(dialog, "horse-racing");
}

TEST_F(Pastimes, YourWatchKeepsTheOffsetTypedInTheSettings) {
  const std::string folder = e2e::FreshFolder(TestName());
  Begin(folder);
  session->RootsOn();
  HWND dialog = session->Open(IDC_CC_SPLIT_OR_COPY, "Split &/Or Copy - Backing Up where Others won't!");
  ASSERT_TRUE(dialog);
  // "DD:HH:MM:SS" of the computer; the watch is an hour ahead.
  const std::string computer = Text(dialog, IDC_SC_COMPUTER_CLOCK);
  ASSERT_EQ(computer.size(), 11u) << computer;
  const int hour = std::stoi(computer.substr(3, 2));
  char watch[16];
  snprintf(watch, sizeof watch, "%02d:%s", (hour + 1) % 24, computer.substr(6).c_str());
  e2e::SetText(e2e::Control(dialog, IDC_SC_WATCH), watch);
  e2e::Click(e2e::Control(dialog, IDC_SC_ADJUST));
  const std::string difference = Text(dialog, IDC_SC_WATCH_DIFFERENCE);
  EXPECT_TRUE(difference == "+1h00m00" || difference == "+59m59") << difference;  // a second may pass
  cc_steps::Shot(dialog, "split-or-copy-watch");
  session->ExitWithYes();
  const std::string kept = cc_steps::ValueOf(cc_steps::ReadLines(folder + "\\Kestrova.INI"), "YWT");
  EXPECT_TRUE(kept.find("3600") != std::string::npos || kept.find("3599") != std::string::npos) << kept;
  session.reset();
}

}  // namespace
