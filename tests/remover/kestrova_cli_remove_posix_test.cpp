// kestrova-cli remove-excess run as a user would run it.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/remover/remover_test_support.h"
#include "tests/support/cli_run_posix.h"

namespace {

using removertest::MakeTree;
using removertest::ReadTree;
using removertest::Tree;

// Runs the cli in the scratch folder with input on stdin; its exit status.
int RunCli(const std::string& folder, const std::string& arguments, const std::string& input) {
  const auto Quote = testenv::ShellQuote;
  std::string said;
  return testenv::RunCommand("cd " + Quote(plat::EmuHostPath(folder)) + " && printf '%s' " + Quote(input) + " | " +
                                 Quote(testenv::CliProgram()) + " remove-excess " + arguments,
                             &said);
}

// In order; each case sees what the ones before it left.
TEST(KestrovaCliRemoveExcess, EachCaseGivesItsExitCodeAndLeavesTheTreeItShould) {
  removertest::RemoverScene s;
  const Tree base = {{"a.txt", "a"}, {"sub\\b.txt", "b"}, {"only.txt", "o"}};
  const Tree target = {{"a.txt", "a"}, {"sub\\b.txt", "b"}, {"new.txt", "n"}};
  ASSERT_TRUE(MakeTree(s.base, base) && MakeTree(s.target, target));
  Tree batchOnly = target;
  batchOnly[kst::kRemoverBatchName] = "";
  struct Case {
    std::string arguments, input;
    int exit;
    Tree left;  // the target afterwards, batch content aside
  } cases[] = {
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
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    EXPECT_EQ(RunCli(s.scratch.path, c.arguments, c.input), c.exit);
    Tree left = ReadTree(s.target);
    if (left.count(kst::kRemoverBatchName)) left[kst::kRemoverBatchName] = "";
    EXPECT_EQ(left, c.left);
    EXPECT_EQ(ReadTree(s.base), base);
  }
  EXPECT_NE(testenv::ReadFile(s.scratch.Path("log.txt")).find("Inside Target: 3"), std::string::npos);
  // A name Windows cannot hold is left alone, and the run is trouble.
  std::FILE* odd = std::fopen((plat::EmuHostPath(s.base) + "/q\\..\\new.txt").c_str(), "w");
  ASSERT_TRUE(odd != nullptr && std::fclose(odd) == 0);
  EXPECT_EQ(RunCli(s.scratch.path, "base target --simulate", ""), 2);
}

}  // namespace
