#include <windows.h>

#include <gtest/gtest.h>

#include "split/file_splitting.h"
#include "split/join_splits.h"
#include "tests/split/split_test_support.h"

namespace {

using testenv::PatternBytes, testenv::ReadFile;

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
  HANDLE typed = nullptr, nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING, 0, {});
  PROCESS_INFORMATION process{};
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = nul;
  bool ended = CreatePipe(&startup.hStdInput, &typed, &inheritable, 0) &&
               SetHandleInformation(typed, HANDLE_FLAG_INHERIT, 0) &&
               CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &startup,
                              &process);
  DWORD written = 0;
  if (ended) ::WriteFile(typed, answer.data(), static_cast<DWORD>(answer.size()), &written, nullptr);
  for (HANDLE ours : {startup.hStdInput, nul, typed}) if (ours) CloseHandle(ours);
  ended = ended && WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0;
  if (process.hProcess && !ended) TerminateProcess(process.hProcess, 1);
  for (HANDLE child : {process.hThread, process.hProcess}) if (child) CloseHandle(child);
  if (copied) DeleteFileA(copy.c_str());
  return ended;
}

// 30 splits make three copy lines; an accented letter is read in the
// interpreter's code page; with a split missing, "copy /b" would write a
// short file without an error. A name the interpreter cannot read (the euro
// sign of code page 1252, which 437 lacks; answer "") is refused before any
// split.
TEST(JoinBatchUnderCmd, RebuildsEveryNameAndDeletesOnlyOnYesWithNoSplitMissing) {
  splittest::UseSplitTexts();
  struct Case { std::string name; int splits, missing; const char* answer; } cases[] = {
      {"my movie.avi", 30, 0, "N\r\n"}, {"my movie.avi", 30, 0, "Y\r\n"}, {"100%.bin", 3, 2, "Y\r\n"},
      {"100%.bin", 3, 0, "Y\r\n"},      {"p%cd%x.bin", 3, 0, "Y\r\n"},    {"a&b.bin", 3, 0, "Y\r\n"},
      {"x^y.bin", 3, 0, "Y\r\n"},       {"wow!.bin", 3, 0, "Y\r\n"},      {"a b  c.bin", 3, 0, "Y\r\n"},
      {"caf\xE9.bin", 3, 0, "Y\r\n"},   {"x\x80.bin", 3, 0, ""}};
  uint32_t seed = 80;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name + " without " + std::to_string(c.missing) + ", " + c.answer);
    testenv::ScratchFolder scratch;
    const std::string file = scratch.Path(c.name), bytes = PatternBytes(c.splits * 1000 - 123, ++seed);
    auto split = [&](int k) { return kst::SplitName(scratch.path, c.name, k); };
    splittest::RunningJob running;
    splittest::ScriptedPerson person;
    ASSERT_TRUE(testenv::WriteFile(file, bytes));
    auto result = kst::RunFileSplitting({file, scratch.path, 1000}, running.job);
    std::string oem;
    if (!*c.answer && !plat::OemName(c.name, &oem)) {
      EXPECT_EQ(result.failure, kst::SplitFailure::BatchName);
      EXPECT_FALSE(plat::PathExists(split(1)));
      ASSERT_EQ(person.asked.size(), 1u);
      EXPECT_NE(person.asked[0].message.find(c.name), std::string::npos) << person.asked[0].message;
      continue;
    }
    ASSERT_EQ(result.outcome, kst::SplitOutcome::Done);
    ASSERT_TRUE(plat::DeleteOneFile(file));  // only the batch can bring it back
    kst::JoinSet set;  // the count is read back from the names as written
    EXPECT_EQ(kst::FindJoinSet(result.batchPath, &set), kst::JoinProblem::None);
    EXPECT_EQ(set.count, c.splits);
    ASSERT_TRUE(!c.missing || plat::DeleteOneFile(split(c.missing)));
    ASSERT_TRUE(RunBatch(scratch.path, c.name + ".BAT", *c.answer ? c.answer : "Y\r\n"));
    EXPECT_EQ(ReadFile(file), c.missing ? "" : bytes);
    const bool kept = c.missing || c.answer[0] == 'N';
    for (int k = 1; k <= c.splits; ++k) EXPECT_EQ(plat::PathExists(split(k)), kept && k != c.missing) << k;
    EXPECT_EQ(plat::PathExists(result.batchPath), kept);
  }
}

}  // namespace
