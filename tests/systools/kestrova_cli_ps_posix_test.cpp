#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "systools/process_list.h"
#include "tests/support/cli_run_posix.h"

namespace {

TEST(KestrovaCliPs, ListsThisTestWithItsThreadsAndRefusesUnknownOptions) {
  const std::string ps = testenv::CliProgram() + " ps", line = "\n" + kst::Hex8(uint32_t(getpid())) + " -- ";
  std::string said;
  EXPECT_EQ(testenv::RunCommand(ps + " --all </dev/null", &said), 2);
  EXPECT_EQ(said, "kestrova-cli: unknown option: --all (ps takes --threads and --windows)\n");
  std::thread second([&] {  // this test's second thread, while the cli runs
    for (const bool withThreads : {false, true}) {
      size_t ours = 0, threads = 0;  // this process's threads now, and the lines listing them
      for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) ours += task.exists();
      EXPECT_EQ(testenv::RunCommand(ps + (withThreads ? " --threads --windows" : "") + "</dev/null", &said), 0) << said;
      const size_t at = said.find(line);
      ASSERT_NE(at, std::string::npos) << "this test is not listed";
      for (size_t end = said.find('\n', at + 1); end != std::string::npos && said.compare(end + 1, 4, "    ") == 0;
           end = said.find('\n', end + 1))
        ++threads;
      EXPECT_EQ(threads, withThreads ? ours : 0);
    }
  });
  second.join();
}

}  // namespace
