// The join batch run by the system's own command interpreter: it must
// rebuild the file byte for byte, and delete the splits and itself only on
// the first choice letter.
#include <windows.h>

#include <gtest/gtest.h>

#include "frame/platform/platform.h"
#include "split/file_splitting.h"
#include "split/split_writer.h"
#include "tests/split/split_test_support.h"
#include "tests/support/test_env.h"

namespace {

using testenv::PatternBytes;
using testenv::ReadFile;
using testenv::ScratchFolder;
using testenv::WriteFile;

// Runs "cmd /c <batch>" in folder with answer as its typed input. False
// when the interpreter could not be started or did not end in time.
bool RunBatch(const std::string& folder, const std::string& batchName, const std::string& answer) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE inputRead = nullptr, inputWrite = nullptr;
  if (!CreatePipe(&inputRead, &inputWrite, &inherit, 0)) return false;
  SetHandleInformation(inputWrite, HANDLE_FLAG_INHERIT, 0);
  HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = inputRead;
  startup.hStdOutput = nul;
  startup.hStdError = nul;
  PROCESS_INFORMATION process{};
  std::string command = "cmd /c \"" + batchName + "\"";
  BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                folder.c_str(), &startup, &process);
  CloseHandle(inputRead);
  CloseHandle(nul);
  if (started) {
    DWORD written = 0;
    ::WriteFile(inputWrite, answer.data(), static_cast<DWORD>(answer.size()), &written, nullptr);
  }
  CloseHandle(inputWrite);
  if (!started) return false;
  bool ended = WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return ended;
}

struct JoinBatchUnderCmdTest : ::testing::Test {
  void SetUp() override { splittest::UseSplitTexts(); }
  // Splits a file of size bytes into splits of splitSize, then removes the
  // file so that only the batch can bring it back.
  void Split(const std::string& fileName, size_t size, int64_t splitSize) {
    name = fileName;
    bytes = PatternBytes(size, 77);
    ASSERT_TRUE(WriteFile(scratch.Path(name), bytes));
    kst::FileSplittingInput input;
    input.file = scratch.Path(name);
    input.folder = scratch.path;
    input.splitSize = splitSize;
    splittest::RunningJob running;
    result = kst::RunFileSplitting(input, running.job);
    ASSERT_EQ(result.outcome, kst::SplitOutcome::Done);
    ASSERT_TRUE(plat::DeleteOneFile(scratch.Path(name)));
  }
  ScratchFolder scratch;
  std::string name, bytes;
  kst::FileSplittingResult result;
};

TEST_F(JoinBatchUnderCmdTest, YesJoinsAndDeletesSplitsAndBatch) {
  // 30 splits: the copy takes three lines, the later two appending to the
  // part-joined file; the name holds blanks.
  Split("my movie.avi", 30 * 4000 - 123, 4000);
  ASSERT_EQ(result.plan.count, 30);
  ASSERT_TRUE(RunBatch(scratch.path, name + ".BAT", "Y\r\n"));
  EXPECT_EQ(ReadFile(scratch.Path(name)), bytes);
  for (int k = 1; k <= 30; ++k) EXPECT_FALSE(plat::PathExists(kst::SplitName(scratch.path, name, k))) << k;
  EXPECT_FALSE(plat::PathExists(result.batchPath));
}

TEST_F(JoinBatchUnderCmdTest, NoJoinsAndKeepsEverything) {
  Split("movie.avi", 3000000, 1457664);
  ASSERT_TRUE(RunBatch(scratch.path, name + ".BAT", "N\r\n"));
  EXPECT_EQ(ReadFile(scratch.Path(name)), bytes);
  for (int k = 1; k <= 3; ++k) EXPECT_TRUE(plat::PathExists(kst::SplitName(scratch.path, name, k)));
  EXPECT_TRUE(plat::PathExists(result.batchPath));
}

}  // namespace
