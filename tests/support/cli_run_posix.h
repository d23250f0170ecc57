// kestrova-cli run as a user runs it, in a scratch folder of its own.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "frame/platform/emulation.h"
#include "tests/support/test_env.h"

namespace testenv {

inline std::string ShellQuote(const std::string& s) { return "'" + s + "'"; }

// Runs a shell command; keeps what it said (stdout and stderr) and returns
// its exit status (-1 when it did not exit).
inline int RunCommand(const std::string& command, std::string* said) {
  FILE* out = popen((command + " 2>&1").c_str(), "r");
  said->clear();
  for (int c; (c = fgetc(out)) != EOF;) *said += static_cast<char>(c);
  const int status = pclose(out);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Built beside the tests.
inline std::string CliProgram() {
  return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "kestrova-cli").string();
}

struct CliTest : ::testing::Test {
  void SetUp() override { ASSERT_EQ(access(cli.c_str(), X_OK), 0) << cli << " is not built"; }
  // The cli in the scratch folder with input on stdin; shell, when given,
  // runs first (limits for the cli).
  int Run(const std::string& arguments, const std::string& input = "", const std::string& shell = "") {
    return RunCommand("cd " + ShellQuote(host) + " && " + shell + " printf '%s' " + ShellQuote(input) + " | " +
                          ShellQuote(cli) + " " + arguments,
                      &said);
  }
  std::string Win(const std::string& name) const { return scratch.Path(name); }
  std::string cli = CliProgram();
  ScratchFolder scratch;
  std::string host = plat::EmuHostPath(scratch.path), said;
};

}  // namespace testenv
