#include "frame/screen_saver.h"

#include <gtest/gtest.h>

#include "frame/subprograms.h"

namespace kst {
namespace {

Settings WithSaver(int choice, const std::string& file = "") {
  Settings s;
  s.scrSaver = true;
  s.scrSaverI = choice;
  s.scrSaverC = file;
  return s;
}

TEST(ScreenSaverChoice, NothingWhileTheMasterSwitchIsOff) {
  Settings s = WithSaver(kSystemScreenSaver);
  s.scrSaver = false;
  s.scrSaverL = {1, 1, 1, 1};
  EXPECT_EQ(ScreenSaverToStart(s, kScreenSaverTest, false), ScreenSaverStart::None);
  EXPECT_EQ(ScreenSaverToStart(s, kScreenSaverSplitOrCopy, true), ScreenSaverStart::None);
}

TEST(ScreenSaverChoice, TheTestButtonAlwaysRunsTheChoice) {
  EXPECT_EQ(ScreenSaverToStart(WithSaver(kSystemScreenSaver), kScreenSaverTest, false),
            ScreenSaverStart::System);
  EXPECT_EQ(ScreenSaverToStart(WithSaver(kScreenSaverFile, "C:\\s.scr"), kScreenSaverTest, false),
            ScreenSaverStart::File);
}

TEST(ScreenSaverChoice, NoScreenSaverAndAMissingFileStartNothing) {
  EXPECT_EQ(ScreenSaverToStart(WithSaver(kNoScreenSaver, "C:\\s.scr"), kScreenSaverTest, false),
            ScreenSaverStart::None);
  EXPECT_EQ(ScreenSaverToStart(WithSaver(kScreenSaverFile, "   "), kScreenSaverTest, false),
            ScreenSaverStart::None);
}

TEST(ScreenSaverChoice, AWorkerNeedsItsFlagAndMustBeRunning) {
  Settings s = WithSaver(kSystemScreenSaver);
  s.scrSaverL = {0, 1, 0, 1};
  EXPECT_EQ(ScreenSaverToStart(s, kScreenSaverSplitOrCopy, true), ScreenSaverStart::None);
  EXPECT_EQ(ScreenSaverToStart(s, kScreenSaverCopyOrJoin, true), ScreenSaverStart::System);
  EXPECT_EQ(ScreenSaverToStart(s, kScreenSaverCopyOrJoin, false), ScreenSaverStart::None);
  EXPECT_EQ(ScreenSaverToStart(s, kScreenSaverTestDisks, true), ScreenSaverStart::None);
  // Comparing and the remover share the fourth flag.
  EXPECT_EQ(ScreenSaverToStart(s, kScreenSaverComparing, true), ScreenSaverStart::System);
  EXPECT_EQ(ScreenSaverToStart(s, kScreenSaverExcessRemover, true), ScreenSaverStart::System);
  EXPECT_EQ(ScreenSaverToStart(s, 6, true), ScreenSaverStart::None);
}

TEST(ScreenSaverFiles, CommandQuotesThePathAndNamesAreCheckedByExtension) {
  EXPECT_EQ(ScreenSaverCommand("C:\\My Savers\\stars.scr  ", "/s"), "\"C:\\My Savers\\stars.scr\" /s");
  EXPECT_TRUE(HasScreenSaverName("C:\\x\\Stars.SCR"));
  EXPECT_TRUE(HasScreenSaverName("a.scr   "));
  EXPECT_FALSE(HasScreenSaverName("C:\\x\\notes.txt"));
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
