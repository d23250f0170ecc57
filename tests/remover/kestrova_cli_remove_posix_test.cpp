// kestrova-cli remove-excess run as a user would run it.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/remover/remover_test_support.h"
#include "tests/support/cli_run_posix.h"

namespace {

using removertest::MakeTree;
using removertest::ReadTree;
using removertest::Tree;
using KestrovaCliRemoveExcess = testenv::CliTest;

// In order; each case sees what the ones before it left.
TEST_F(KestrovaCliRemoveExcess, EachCaseGivesItsExitCodeAndLeavesTheTreeItShould) {
  const Tree base = {{"a.txt", "a"}, {"sub\\b.txt", "b"}, {"only.txt", "o"}};
  const Tree target = {{"a.txt", "a"}, {"sub\\b.txt", "b"}, {"new.txt", "n"}};
  ASSERT_TRUE(plat::CreateFolder(Win("base")) && plat::CreateFolder(Win("target")));
  ASSERT_TRUE(MakeTree(Win("base"), base) && MakeTree(Win("target"), target));
  Tree batchOnly = target;
  batchOnly[kst::kRemoverBatchName] = "";
  const struct { std::string arguments, input; int exit; Tree left; /* batch content aside */ } cases[] = {
      {"base", "", 2, target},
      {"base target --colour", "", 2, target},
      {"base base/", "", 1, target},
      {"base missing", "", 1, target},
      {"base . --recursive", "", 1, target},
      {"base target --log base/x.log", "", 1, target},
      {"base target", "n\n", 1, target},
      {"base target --recursive --simulate --log log.txt", "", 0, batchOnly},
      {"base target --pattern '*.txt' --yes", "", 0,
       {{"sub\\b.txt", "b"}, {"new.txt", "n"}, {kst::kRemoverBatchName, ""}}},
      {"base target --recursive", "y\n", 0, {{"sub\\", ""}, {"new.txt", "n"}, {kst::kRemoverBatchName, ""}}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Run("remove-excess " + c.arguments, c.input), c.exit) << c.arguments << ": " << said;
    Tree left = ReadTree(Win("target"));
    if (left.count(kst::kRemoverBatchName)) left[kst::kRemoverBatchName] = "";
    EXPECT_EQ(left, c.left) << c.arguments;
    EXPECT_EQ(ReadTree(Win("base")), base) << c.arguments;
  }
  EXPECT_NE(testenv::ReadFile(Win("log.txt")).find("Inside Target: 3"), std::string::npos);
  // A name Windows cannot hold is left alone, and the run is trouble.
  std::FILE* odd = std::fopen((host + "/base/q\\..\\new.txt").c_str(), "w");
  ASSERT_TRUE(odd != nullptr && std::fclose(odd) == 0);
  EXPECT_EQ(Run("remove-excess base target --simulate"), 2);
}

}  // namespace
