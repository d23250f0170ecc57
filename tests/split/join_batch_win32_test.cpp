// The join batch run by the system's own command interpreter: it must
// rebuild the file byte for byte, and delete the splits and itself only on
// the first choice letter.
#include <windows.h>

#include <gtest/gtest.h>

#include "frame/platform/platform.h"
#include "split/file_splitting.h"
#include "tests/split/split_test_support.h"
#include "tests/support/test_env.h"

namespace {

using testenv::PatternBytes;
using testenv::ReadFile;
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

TEST(JoinBatchUnderCmd, NoJoinsAndKeepsAllThenYesJoinsAndDeletesSplitsAndBatch) {
  // 30 splits: three copy lines, the later two appending to the file the
  // first made; the name holds a blank.
  splittest::UseSplitTexts();
  testenv::ScratchFolder scratch;
  const std::string name = "my movie.avi", file = scratch.Path(name), bytes = PatternBytes(30 * 4000 - 123, 77);
  ASSERT_TRUE(WriteFile(file, bytes));
  splittest::RunningJob running;
  auto result = kst::RunFileSplitting({file, scratch.path, 4000}, running.job);
  ASSERT_EQ(result.outcome, kst::SplitOutcome::Done);
  ASSERT_EQ(result.plan.count, 30);

  for (const char* answer : {"N\r\n", "Y\r\n"}) {
    SCOPED_TRACE(answer);
    ASSERT_TRUE(plat::DeleteOneFile(file));  // only the batch can bring it back
    ASSERT_TRUE(RunBatch(scratch.path, name + ".BAT", answer));
    EXPECT_EQ(ReadFile(file), bytes);
    const bool kept = answer[0] == 'N';
    for (int k = 1; k <= 30; ++k) EXPECT_EQ(plat::PathExists(kst::SplitName(scratch.path, name, k)), kept) << k;
    EXPECT_EQ(plat::PathExists(result.batchPath), kept);
  }
}

}  // namespace
