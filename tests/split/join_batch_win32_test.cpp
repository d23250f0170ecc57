// The join batch run by the system's own command interpreter: it must
// rebuild the file byte for byte, and delete the splits and itself only on
// the first choice letter.
#include <windows.h>

#include <gtest/gtest.h>

#include "frame/platform/platform.h"
#include "split/file_splitting.h"
#include "split/join_splits.h"
#include "tests/split/split_test_support.h"
#include "tests/support/test_env.h"

namespace {

using testenv::PatternBytes;
using testenv::ReadFile;
using testenv::WriteFile;

bool RunCmd(const std::string& folder, const std::string& batchName, const std::string& answer);

// Runs "cmd /c <batch>" in folder with answer as its typed input. False
// when the interpreter could not be started or did not end in time. Wine's
// cmd expands "%" in the name of the batch it is to run, however it is
// quoted or handed over, so a batch whose name holds "%" runs from a copy
// (it still deletes itself by its own name).
bool RunBatch(const std::string& folder, const std::string& batchName, const std::string& answer) {
  if (batchName.find('%') == std::string::npos) return RunCmd(folder, batchName, answer);
  const std::string copy = folder + "\\~run.bat";
  if (!CopyFileA((folder + "\\" + batchName).c_str(), copy.c_str(), FALSE)) return false;
  const bool ran = RunCmd(folder, "~run.bat", answer);
  DeleteFileA(copy.c_str());
  return ran;
}

bool RunCmd(const std::string& folder, const std::string& batchName, const std::string& answer) {
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
  // The name reaches cmd through a variable: on its command line "&" or
  // "^" in it would be parsed.
  SetEnvironmentVariableA("KST_BATCH", batchName.c_str());
  std::string command = "cmd /c \"\"%KST_BATCH%\"\"";
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

// Splits the file name in folder (bytes) into splits of splitSize with the
// batch beside them, and deletes the file: only the batch can bring it back.
kst::FileSplittingResult SplitAway(const std::string& folder, const std::string& name, const std::string& bytes,
                                   int64_t splitSize) {
  splittest::RunningJob running;
  const std::string file = folder + "\\" + name;
  EXPECT_TRUE(WriteFile(file, bytes)) << name;
  auto result = kst::RunFileSplitting({file, folder, splitSize}, running.job);
  EXPECT_EQ(result.outcome, kst::SplitOutcome::Done) << name;
  EXPECT_TRUE(plat::DeleteOneFile(file)) << name;
  return result;
}

TEST(JoinBatchUnderCmd, NoJoinsAndKeepsAllThenYesJoinsAndDeletesSplitsAndBatch) {
  // 30 splits: three copy lines, the later two appending to the file the
  // first made; the name holds a blank.
  splittest::UseSplitTexts();
  testenv::ScratchFolder scratch;
  const std::string name = "my movie.avi", file = scratch.Path(name), bytes = PatternBytes(30 * 4000 - 123, 77);
  auto result = SplitAway(scratch.path, name, bytes, 4000);
  ASSERT_EQ(result.plan.count, 30);

  for (const char* answer : {"N\r\n", "Y\r\n"}) {
    SCOPED_TRACE(answer);
    plat::DeleteOneFile(file);
    ASSERT_TRUE(RunBatch(scratch.path, name + ".BAT", answer));
    EXPECT_EQ(ReadFile(file), bytes);
    const bool kept = answer[0] == 'N';
    for (int k = 1; k <= 30; ++k) EXPECT_EQ(plat::PathExists(kst::SplitName(scratch.path, name, k)), kept) << k;
    EXPECT_EQ(plat::PathExists(result.batchPath), kept);
  }
}

TEST(JoinBatchUnderCmd, YesRebuildsEveryNameAndDeletesNothingWithASplitMissing) {
  // "%" is expanded even inside quotes, "&", "^" and "!" mean something to
  // the interpreter outside them, and an accented letter is read in the
  // interpreter's code page, not the program's. With a split missing,
  // "copy /b" would write a short file without an error.
  splittest::UseSplitTexts();
  testenv::ScratchFolder scratch;
  struct Case {
    std::string name;
    int missing;  // the split deleted before the run, 0: none
  } cases[] = {{"100%.bin", 2}, {"100%.bin", 0}, {"p%cd%x.bin", 0}, {"a&b.bin", 0},
               {"x^y.bin", 0},  {"wow!.bin", 0}, {"a b  c.bin", 0}, {"caf\xE9.bin", 0}};
  uint32_t seed = 80;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name + " without " + std::to_string(c.missing));
    const std::string bytes = PatternBytes(2500, ++seed), split = kst::SplitName(scratch.path, c.name, c.missing);
    auto result = SplitAway(scratch.path, c.name, bytes, 1000);
    kst::JoinSet set;  // the count is read back from the names as written
    EXPECT_EQ(kst::FindJoinSet(result.batchPath, &set), kst::JoinProblem::None);
    EXPECT_EQ(set.count, 3);
    ASSERT_TRUE(!c.missing || plat::DeleteOneFile(split));
    ASSERT_TRUE(RunBatch(scratch.path, c.name + ".BAT", "Y\r\n"));
    EXPECT_EQ(ReadFile(scratch.Path(c.name)), c.missing ? "" : bytes);
    for (int k = 1; k <= 3; ++k)
      EXPECT_EQ(plat::PathExists(kst::SplitName(scratch.path, c.name, k)), c.missing && k != c.missing) << k;
    EXPECT_EQ(plat::PathExists(result.batchPath), c.missing != 0);
    // A batch left by a missing split would be a file to replace for the next row.
    for (int k = 1; k <= 3; ++k) plat::DeleteOneFile(kst::SplitName(scratch.path, c.name, k));
    plat::DeleteOneFile(result.batchPath);
  }
}

TEST(JoinBatchUnderCmd, ANameTheInterpreterCannotReadIsRefusedBeforeAnySplit) {
  const std::string name = "x\x80.bin";  // the euro sign of code page 1252, which 437 lacks
  std::string oem;
  if (plat::OemName(name, &oem)) GTEST_SKIP() << "skipped: the OEM code page holds every letter of " << name;
  splittest::UseSplitTexts();
  testenv::ScratchFolder scratch;
  const std::string file = scratch.Path(name);
  ASSERT_TRUE(WriteFile(file, PatternBytes(2500, 90)));
  splittest::ScriptedPerson person;
  splittest::RunningJob running;
  auto result = kst::RunFileSplitting({file, scratch.path, 1000}, running.job);
  EXPECT_EQ(result.outcome, kst::SplitOutcome::Failed);
  EXPECT_EQ(result.failure, kst::SplitFailure::BatchName);
  EXPECT_FALSE(plat::PathExists(kst::SplitName(scratch.path, name, 1)));
  ASSERT_EQ(person.asked.size(), 1u);
  EXPECT_NE(person.asked[0].message.find(name), std::string::npos) << person.asked[0].message;
}

}  // namespace
