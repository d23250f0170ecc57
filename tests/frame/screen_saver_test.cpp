#include "frame/command_center/screen_saver.h"

#include <gtest/gtest.h>

#include "frame/threads/subprograms.h"

namespace kst {
namespace {

Settings WithSaver(int choice, const std::string& file = "") {
  Settings s;
  s.scrSaver = true;
  s.scrSaverI = choice;
  s.scrSaverC = file;
  s.scrSaverL = {0, 1, 0, 1};
  return s;
}

TEST(ScreenSaverChoice, TheSwitchTheChoiceAndTheWorkersFlagDecide) {
  using S = ScreenSaverStart;
  Settings s = WithSaver(kSystemScreenSaver);
  // The Test button runs the choice, when there is one to run.
  EXPECT_EQ(ScreenSaverToStart(s, kScreenSaverTest, false), S::System);
  Settings file = WithSaver(kScreenSaverFile, "C:\\s.scr");
  EXPECT_EQ(ScreenSaverToStart(file, kScreenSaverTest, false), S::File);
  file.scrSaverC = "   ";
  EXPECT_EQ(ScreenSaverToStart(file, kScreenSaverTest, false), S::None);
  EXPECT_EQ(ScreenSaverToStart(WithSaver(kNoScreenSaver, "C:\\s.scr"), kScreenSaverTest, false),
            S::None);
  // A worker needs its flag on and must be running; Comparing and the
  // remover share the fourth flag, and there is no fifth.
  EXPECT_EQ(ScreenSaverToStart(s, kScreenSaverSplitOrCopy, true), S::None);
  EXPECT_EQ(ScreenSaverToStart(s, kScreenSaverCopyOrJoin, true), S::System);
  EXPECT_EQ(ScreenSaverToStart(s, kScreenSaverCopyOrJoin, false), S::None);
  EXPECT_EQ(ScreenSaverToStart(s, kScreenSaverExcessRemover, true), S::System);
  EXPECT_EQ(ScreenSaverToStart(s, 6, true), S::None);
  // Nothing at all while the master switch is off.
  s.scrSaver = false;
  EXPECT_EQ(ScreenSaverToStart(s, kScreenSaverTest, false), S::None);
  EXPECT_EQ(ScreenSaverToStart(s, kScreenSaverCopyOrJoin, true), S::None);
}

TEST(ScreenSaverFiles, CommandQuotesThePathAndNamesAreCheckedByExtension) {
  EXPECT_EQ(ScreenSaverCommand("C:\\My Savers\\stars.scr  ", "/s"),
            "\"C:\\My Savers\\stars.scr\" /s");
  EXPECT_TRUE(HasScreenSaverName("C:\\x\\Stars.SCR  "));
  EXPECT_FALSE(HasScreenSaverName(".scr"));
  EXPECT_FALSE(HasScreenSaverName("C:\\x.scr\\other"));
}

TEST(RunScreenSaver, StartsTheRunningWorkersChoiceThroughTheLauncher) {
  Settings saved = AppSettings();
  AppSettings() = WithSaver(kScreenSaverFile, "D:\\s.scr");
  AppSettings().scrSaverL = {0, 0, 1, 0};
  std::vector<std::string> started;
  SetScreenSaverLauncher([&](ScreenSaverStart start, const std::string& command, WindowRef) {
    started.push_back(start == ScreenSaverStart::File ? command : "system");
  });
  RunScreenSaver(kScreenSaverTestDisks);  // flag on, but not running
  GetSubprogram(kTestDisks).job.running = true;
  RunScreenSaver(kScreenSaverTestDisks);
  GetSubprogram(kTestDisks).job.running = false;
  RunScreenSaver(kScreenSaverTest);
  SetScreenSaverLauncher(nullptr);
  AppSettings() = saved;
  EXPECT_EQ(started, (std::vector<std::string>{"\"D:\\s.scr\" /s", "\"D:\\s.scr\" /s"}));
}

}  // namespace
}  // namespace kst
