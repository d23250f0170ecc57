// kestrova-cli ps run as a user would run it: the running programs, this
// test among them with its threads, and a refused option.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "systools/process_list.h"

namespace {

namespace fs = std::filesystem;

struct CliPs {
  std::string said;
  int Run(const std::string& arguments) {
    const std::string cli = fs::read_symlink("/proc/self/exe").parent_path() / "kestrova-cli";
    FILE* out = popen((cli + " " + arguments + " </dev/null 2>&1").c_str(), "r");
    said.clear();
    for (int c; (c = fgetc(out)) != EOF;) said += static_cast<char>(c);
    const int status = pclose(out);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
};

TEST(KestrovaCliPs, ListsThisTestWithItsThreadsAndRefusesUnknownOptions) {
  CliPs cli;
  // A second thread of this process, so that its threads show below it.
  std::thread waiting([&cli] {
    const struct {
      const char* arguments;
      int status;
    } runs[] = {{"ps", 0}, {"ps --threads --windows", 0}, {"ps --all", 2}};
    for (const auto& run : runs) {
      int status = cli.Run(run.arguments);
      EXPECT_EQ(status, run.status) << run.arguments << ": " << cli.said;
      const std::string line = kst::Hex8(static_cast<uint32_t>(getpid())) + " -- ";
      size_t at = cli.said.find("\n" + line);
      if (run.status == 0) {
        ASSERT_NE(at, std::string::npos) << "this test is not listed";
        size_t end = cli.said.find('\n', at + 1);
        size_t threads = 0;
        while (end != std::string::npos && cli.said.compare(end + 1, 4, "    ") == 0) {
          ++threads;
          end = cli.said.find('\n', end + 1);
        }
        EXPECT_EQ(threads, std::string(run.arguments).find("--threads") != std::string::npos ? 2u : 0u);
      } else {
        EXPECT_EQ(cli.said, "kestrova-cli: unknown option: --all (ps takes --threads and --windows)\n");
      }
    }
  });
  waiting.join();
}

}  // namespace
