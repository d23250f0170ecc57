// Kestrova.exe starts with its own working folder, shows its main window,
// and closes.
#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "tests/e2e/driver.h"

TEST(StartAndExit, TheCommandCenterShowsAndCloses) {
  e2e::Program program = e2e::Start(e2e::FreshFolder("start"));
  ASSERT_TRUE(program.running) << "Kestrova.exe did not start";
  HWND center = e2e::WaitWindow("Command Center", 10000);
  ASSERT_NE(center, nullptr);
  e2e::Screenshot("command-center");
  // Exit asks first: posted, so that the question can be answered.
  e2e::PostClick(e2e::Control(center, IDC_CC_EXIT));
  EXPECT_TRUE(e2e::AnswerBox("Pop Quiz", IDYES));
  EXPECT_TRUE(e2e::WaitExit(program, 12000));
  e2e::Stop(program);
}
