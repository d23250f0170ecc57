// The block comparison when a read comes back short or a file will not open
// (injected by the emulation): an error, never a difference.
#include <gtest/gtest.h>

#include "compare/compare_blocks.h"
#include "frame/platform/emulation.h"
#include "tests/support/test_env.h"

namespace {

TEST(CompareFaults, ShortReadsAndFailedOpensAreErrors) {
  testenv::ScratchFolder scratch;
  const std::string first = scratch.Path("a.bin"), second = scratch.Path("b.bin");
  const std::string bytes = testenv::PatternBytes(5000, 4);
  ASSERT_TRUE(testenv::WriteFile(first, bytes) && testenv::WriteFile(second, bytes));
  struct Case {
    plat::Fault fault;
    int skip;
    const char* where;
  } cases[] = {{plat::Fault::ShortRead, 0, "a.bin"},
               {plat::Fault::ShortRead, 3, "b.bin"},
               {plat::Fault::ShortRead, 4, "a.bin"},
               {plat::Fault::OpenFails, 0, "b.bin"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.where << " after " << c.skip);
    kst::JobControl job;
    job.keepGoing = true;
    plat::EmuInjectFault(c.fault, c.skip, c.where);
    kst::CompareRequest r{first, second, 1, 1, 5000, 1000};
    kst::CompareResult result = kst::CompareBlocks(r, job);
    plat::EmuClearFaults();
    EXPECT_EQ(result.outcome, kst::CompareOutcome::Error);
    EXPECT_EQ(result.position, -2);
  }
}

}  // namespace
