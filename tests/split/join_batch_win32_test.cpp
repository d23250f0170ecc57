#include <windows.h>

#include <gtest/gtest.h>

#include "frame/platform/platform.h"
#include "split/check_file.h"
#include "split/file_splitting.h"
#include "split/join_splits.h"
#include "tests/split/split_test_support.h"
#include "tests/support/test_env.h"

namespace {

using testenv::PatternBytes;
using testenv::ReadFile;

// The name reaches cmd through a variable ("&" or "^" on its command line
// would be parsed); Wine's cmd expands "%" in a batch's name however it is
// quoted, so such a batch runs from a copy (it still deletes itself).
bool RunBatch(const std::string& folder, const std::string& batchName, const std::string& answer) {
  const bool copied = batchName.find('%') != std::string::npos;
  const std::string copy = folder + "\\~run.bat";
  if (copied && !CopyFileA((folder + "\\" + batchName).c_str(), copy.c_str(), FALSE)) return false;
  SetEnvironmentVariableA("KST_BATCH", copied ? "~run.bat" : batchName.c_str());
  std::string command = "cmd /c \"\"%KST_BATCH%\"\"";
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE typed = nullptr;
  PROCESS_INFORMATION process{};
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING, 0, nullptr);
  startup.hStdError = startup.hStdOutput;
  bool ended = CreatePipe(&startup.hStdInput, &typed, &inheritable, 0) &&
               SetHandleInformation(typed, HANDLE_FLAG_INHERIT, 0) &&
               CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &startup,
                              &process);
  DWORD written = 0;
  if (ended) ::WriteFile(typed, answer.data(), static_cast<DWORD>(answer.size()), &written, nullptr);
  for (HANDLE ours : {startup.hStdInput, startup.hStdOutput, typed})
    if (ours) CloseHandle(ours);
  ended = ended && WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0;
  if (process.hProcess && !ended) TerminateProcess(process.hProcess, 1);
  for (HANDLE child : {process.hThread, process.hProcess})
    if (child) CloseHandle(child);
  if (copied) DeleteFileA(copy.c_str());
  return ended;
}

// 30 splits make three copy lines; an accented letter is read in the
// interpreter's code page; with a split missing, "copy /b" would write a
// short file without an error.
TEST(JoinBatchUnderCmd, RebuildsEveryNameAndDeletesOnlyOnYesWithNoSplitMissing) {
  splittest::UseSplitTexts();
  testenv::ScratchFolder scratch;
  struct Case { std::string name; int splits, missing; const char* answer; } cases[] = {
      {"my movie.avi", 30, 0, "N\r\n"}, {"my movie.avi", 30, 0, "Y\r\n"}, {"100%.bin", 3, 2, "Y\r\n"},
      {"100%.bin", 3, 0, "Y\r\n"},      {"p%cd%x.bin", 3, 0, "Y\r\n"},    {"a&b.bin", 3, 0, "Y\r\n"},
      {"x^y.bin", 3, 0, "Y\r\n"},       {"wow!.bin", 3, 0, "Y\r\n"},      {"a b  c.bin", 3, 0, "Y\r\n"},
      {"caf\xE9.bin", 3, 0, "Y\r\n"}};
  uint32_t seed = 80;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name + " without " + std::to_string(c.missing) + ", " + c.answer);
    const std::string file = scratch.Path(c.name), bytes = PatternBytes(c.splits * 1000 - 123, ++seed);
    auto split = [&](int k) { return kst::SplitName(scratch.path, c.name, k); };
    splittest::RunningJob running;
    ASSERT_TRUE(testenv::WriteFile(file, bytes));
    auto result = kst::RunFileSplitting({file, scratch.path, 1000}, running.job);
    ASSERT_EQ(result.outcome, kst::SplitOutcome::Done);
    ASSERT_TRUE(plat::DeleteOneFile(file));  // only the batch can bring it back
    kst::JoinSet set;  // the count is read back from the names as written
    EXPECT_EQ(kst::FindJoinSet(result.batchPath, &set), kst::JoinProblem::None);
    EXPECT_EQ(set.count, c.splits);
    ASSERT_TRUE(!c.missing || plat::DeleteOneFile(split(c.missing)));
    ASSERT_TRUE(RunBatch(scratch.path, c.name + ".BAT", c.answer));
    EXPECT_EQ(ReadFile(file), c.missing ? "" : bytes);
    const bool kept = c.missing || c.answer[0] == 'N';
    for (int k = 1; k <= c.splits; ++k) EXPECT_EQ(plat::PathExists(split(k)), kept && k != c.missing) << k;
    EXPECT_EQ(plat::PathExists(result.batchPath), kept);
    for (int k = 1; k <= c.splits; ++k) plat::DeleteOneFile(split(k));
    for (const std::string& left : {result.batchPath, kst::CheckFilePath(scratch.path, file), file})
      plat::DeleteOneFile(left);
  }
}

// The euro sign of code page 1252, which 437 lacks.
TEST(JoinBatchUnderCmd, ANameTheInterpreterCannotReadIsRefusedBeforeAnySplit) {
  const std::string name = "x\x80.bin";
  std::string oem;
  if (plat::OemName(name, &oem)) GTEST_SKIP() << "skipped: the OEM code page holds every letter of " << name;
  splittest::UseSplitTexts();
  testenv::ScratchFolder scratch;
  ASSERT_TRUE(testenv::WriteFile(scratch.Path(name), PatternBytes(2500, 90)));
  splittest::ScriptedPerson person;
  splittest::RunningJob running;
  EXPECT_EQ(kst::RunFileSplitting({scratch.Path(name), scratch.path, 1000}, running.job).failure,
            kst::SplitFailure::BatchName);
  EXPECT_FALSE(plat::PathExists(kst::SplitName(scratch.path, name, 1)));
  ASSERT_EQ(person.asked.size(), 1u);
  EXPECT_NE(person.asked[0].message.find(name), std::string::npos) << person.asked[0].message;
}

}  // namespace
