// The join batch and the system's own command interpreter: a name it
// would read in another code page gets no batch, and no split either.
#include <gtest/gtest.h>

#include "frame/platform/platform.h"
#include "split/file_splitting.h"
#include "tests/split/split_test_support.h"
#include "tests/support/test_env.h"

namespace {

TEST(JoinBatchUnderCmd, ANameTheInterpreterCannotReadIsRefusedBeforeAnySplit) {
  const std::string name = "x\x80.bin";  // the euro sign of code page 1252, which 437 lacks
  std::string oem;
  if (plat::OemName(name, &oem)) GTEST_SKIP() << "skipped: the OEM code page holds every letter of " << name;
  splittest::UseSplitTexts();
  testenv::ScratchFolder scratch;
  ASSERT_TRUE(testenv::WriteFile(scratch.Path(name), testenv::PatternBytes(2500, 90)));
  splittest::ScriptedPerson person;
  splittest::RunningJob running;
  auto result = kst::RunFileSplitting({scratch.Path(name), scratch.path, 1000}, running.job);
  EXPECT_EQ(result.failure, kst::SplitFailure::BatchName);
  EXPECT_FALSE(plat::PathExists(kst::SplitName(scratch.path, name, 1)));
  ASSERT_EQ(person.asked.size(), 1u);
  EXPECT_NE(person.asked[0].message.find(name), std::string::npos) << person.asked[0].message;
}

}  // namespace
