// The option reader every kestrova-cli command reads its arguments with.
#include "cli/option_argument.h"

#include <gtest/gtest.h>

namespace {

struct Read {
  std::string to, command;
  std::vector<std::string> pair, rest;
  bool yes = false;
  std::string problem;
};

Read ReadArgs(const std::vector<std::string>& args) {
  Read r;
  r.problem = kst::ReadOptions(args,
                               {{"--to", nullptr, &r.to},
                                {"--new-disk-command", nullptr, &r.command},
                                {"--save-lists", nullptr, nullptr, &r.pair, 2, "two file names"},
                                {"--yes", &r.yes}},
                               &r.rest);
  return r;
}

TEST(OptionReader, ReadsEachKindOfArgumentOrSaysWhatIsWrong) {
  struct Case {
    std::vector<std::string> args;
    std::string to, rest, problem;  // rest: the positionals joined by "|"
    bool yes;
  } cases[] = {
      {{"a", "--to", "-x", "b"}, "-x", "a|b", "", false},  // a value may start with "-"
      {{"--to=", "a"}, "", "a", "", false},                 // an empty joined value
      {{"--to=d=e", "--to", "f"}, "f", "", "", false},      // the last one counts
      {{"--new-disk-command=x=1", "-", "a=b"}, "", "-|a=b", "", false},
      {{"--yes", "a"}, "", "a", "", true},
      {{"a", "--yes=1"}, "", "a", "unknown option: --yes=1 (see --help)", false},
      {{"--save-lists=f"}, "", "", "unknown option: --save-lists=f (see --help)", false},
      {{"-y"}, "", "", "unknown option: -y (see --help)", false},
      {{"--to"}, "", "", "--to needs a value (see --help)", false},
      {{"--save-lists", "f"}, "", "", "--save-lists needs two file names (see --help)", false},
  };
  for (const Case& c : cases) {
    const Read r = ReadArgs(c.args);
    std::string rest;
    for (const std::string& p : r.rest) rest += (rest.empty() ? "" : "|") + p;
    const std::string shown = ::testing::PrintToString(c.args);
    EXPECT_EQ(r.problem, c.problem) << shown;
    if (!c.problem.empty()) continue;
    EXPECT_EQ(r.to, c.to) << shown;
    EXPECT_EQ(rest, c.rest) << shown;
    EXPECT_EQ(r.yes, c.yes) << shown;
  }
  // Two values are taken as they stand, options or not.
  const Read pair = ReadArgs({"--save-lists", "--yes", "l2", "x"});
  EXPECT_EQ(pair.pair, (std::vector<std::string>{"--yes", "l2"}));
  EXPECT_FALSE(pair.yes);
  EXPECT_EQ(pair.rest, std::vector<std::string>{"x"});
}

}  // namespace
