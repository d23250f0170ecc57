#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "systools/process_list.h"
#include "tests/support/cli_run_posix.h"

namespace {

TEST(KestrovaCliPs, ListsThisTestWithItsThreadsAndRefusesUnknownOptions) {
  const std::string cli = testenv::CliProgram();
  const std::string line = "\n" + kst::Hex8(static_cast<uint32_t>(getpid())) + " -- ";
  const struct { const char* arguments; int status; bool threadLines; } runs[] = {
      {"ps", 0, false}, {"ps --threads --windows", 0, true}, {"ps --all", 2, false}};
  std::thread second([&] {  // this test's second thread, while the cli runs
    for (const auto& run : runs) {
      size_t ours = 0, threads = 0;  // this process's threads now, and the lines listing them
      for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) ours += task.exists();
      std::string said;
      EXPECT_EQ(testenv::RunCommand(cli + " " + run.arguments + " </dev/null", &said), run.status) << said;
      if (run.status != 0) {
        EXPECT_EQ(said, "kestrova-cli: unknown option: --all (ps takes --threads and --windows)\n");
        continue;
      }
      const size_t at = said.find(line);
      ASSERT_NE(at, std::string::npos) << "this test is not listed";
      for (size_t end = said.find('\n', at + 1); end != std::string::npos && said.compare(end + 1, 4, "    ") == 0;
           end = said.find('\n', end + 1))
        ++threads;
      EXPECT_EQ(threads, run.threadLines ? ours : 0) << run.arguments;
    }
  });
  second.join();
}

}  // namespace
