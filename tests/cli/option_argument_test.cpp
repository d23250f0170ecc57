#include "cli/option_argument.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

struct Read {
  std::string to, command, problem;
  std::vector<std::string> pair, rest;
  bool yes = false;
};

Read ReadArgs(const std::vector<std::string>& args) {
  Read r;
  r.problem = kst::ReadOptions(args,
                               {{"--to", nullptr, &r.to}, {"--new-disk-command", nullptr, &r.command},
                                {"--save-lists", nullptr, nullptr, &r.pair, 2, "two file names"}, {"--yes", &r.yes}},
                               &r.rest);
  return r;
}

TEST(OptionReader, ReadsEachKindOfArgumentOrSaysWhatIsWrong) {
  struct Case { std::vector<std::string> args; std::string to, rest, problem; bool yes; } cases[] = {  // rest: "a|b"
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
    EXPECT_EQ(r.problem, c.problem) << ::testing::PrintToString(c.args);
    if (c.problem.empty()) { EXPECT_EQ(std::tie(r.to, rest, r.yes), std::tie(c.to, c.rest, c.yes)) << c.rest; }
  }
  // Two values are taken as they stand, options or not.
  const Read pair = ReadArgs({"--save-lists", "--yes", "l2", "x"});
  EXPECT_EQ(pair.pair, (std::vector<std::string>{"--yes", "l2"}));
  EXPECT_TRUE(!pair.yes && pair.rest == std::vector<std::string>{"x"});
}

}  // namespace
