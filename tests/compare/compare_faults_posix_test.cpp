// The block comparison when a read comes back short while it reports
// success (injected by the emulation).
#include <gtest/gtest.h>

#include "compare/compare_blocks.h"
#include "frame/platform/emulation.h"
#include "tests/support/test_env.h"

TEST(CompareFaults, ShortReadsAreErrorsNotDifferences) {
  testenv::ScratchFolder scratch;
  const std::string bytes = testenv::PatternBytes(5000, 4);
  ASSERT_TRUE(testenv::WriteFile(scratch.Path("a.bin"), bytes) && testenv::WriteFile(scratch.Path("b.bin"), bytes));
  struct Case {
    plat::Fault fault;
    int skip;
    const char* where;
  } cases[] = {{plat::Fault::ShortRead, 0, "a.bin"}, {plat::Fault::ShortRead, 4, "b.bin"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.where << " after " << c.skip);
    kst::JobControl job;
    job.keepGoing = true;
    plat::EmuInjectFault(c.fault, c.skip, c.where);
    kst::CompareResult r = kst::CompareBlocks({scratch.Path("a.bin"), scratch.Path("b.bin"), 1, 1, 5000, 1000}, job);
    plat::EmuClearFaults();
    EXPECT_EQ(r.outcome, kst::CompareOutcome::Error);
    EXPECT_EQ(r.position, -2);
  }
}
