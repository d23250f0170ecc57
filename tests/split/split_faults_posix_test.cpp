// Splitting and joining when the disk lets them down (faults injected by
// the emulation), when a run is stopped, and when names lead back to the source.
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "frame/files/partial_files.h"
#include "frame/platform/emulation.h"
#include "split/file_splitting.h"
#include "split/join_batch.h"
#include "split/join_splits.h"
#include "split/split_writer.h"
#include "tests/split/split_test_support.h"

namespace {

using plat::EmuHostPath, plat::Fault, testenv::PatternBytes, testenv::ReadFile, testenv::WriteFile;
using Failure = kst::SplitFailure;

struct SplitFaultTest : ::testing::Test {
  void SetUp() override { splittest::UseSplitTexts(); ASSERT_TRUE(WriteFile(file, bytes)); }
  void TearDown() override { plat::EmuClearFaults(); }
  std::string Split(int k) const { return kst::SplitName(scratch.path, "data.bin", k); }
  bool WriteFirstSplit() {  // bytes 1 to 5000 through a 1000-byte buffer
    return kst::WriteSplit({file, Split(1), 1, 5000, 1000, -1, {}, false, nullptr}, running.job, nullptr, &why);
  }
  void HardLink(const std::string& from, const std::string& to) {
    ASSERT_EQ(link(plat::EmuHostPath(from).c_str(), plat::EmuHostPath(to).c_str()), 0) << to;
  }
  testenv::ScratchFolder scratch;
  std::string file = scratch.Path("data.bin"), bytes = PatternBytes(3000000, 9);
  splittest::RunningJob running;
  Failure why = Failure::None;
};

// code: plat::LastError() after the call. An old split stays until the
// new one is whole.
TEST_F(SplitFaultTest, EachFaultFailsTheSplitWithItsCauseAndCodeAndLeavesNoPartOfIt) {
  struct Case { Fault fault; int skip; const char* where; Failure why; uint32_t code; } cases[] = {
      {Fault::ShortWrite, 2, ".001", Failure::ShortWrite, plat::kErrDiskFull},
      {Fault::DiskFull, 0, ".001", Failure::ShortWrite, plat::kErrDiskFull},
      {Fault::ShortRead, 1, "data.bin", Failure::ShortRead, plat::kErrNone},
      {Fault::OpenFails, 0, "data.bin", Failure::SourceOpen, plat::kErrAccessDenied},
      {Fault::OpenFails, 0, ".001", Failure::SplitOpen, plat::kErrAccessDenied}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where + std::to_string(c.skip));
    plat::EmuInjectFault(c.fault, c.skip, c.where);
    EXPECT_FALSE(WriteFirstSplit());
    EXPECT_EQ(why, c.why);
    EXPECT_EQ(plat::LastError(), c.code);
    EXPECT_FALSE(plat::PathExists(Split(1)) || plat::PathExists(kst::PartialNameOf(Split(1))));
  }
  const std::string old = PatternBytes(9000, 4);
  ASSERT_TRUE(WriteFile(Split(1), old));
  splittest::ScriptedPerson person({kst::kAnswerYes});
  plat::EmuInjectFault(Fault::ShortWrite, 1, ".001");
  EXPECT_FALSE(WriteFirstSplit());
  EXPECT_EQ(ReadFile(Split(1)), old);
  ASSERT_TRUE(plat::DeleteOneFile(Split(1)));
  HardLink(file, Split(1));
  EXPECT_FALSE(WriteFirstSplit());
  EXPECT_EQ(why, Failure::IsSource);
  EXPECT_EQ(ReadFile(file), bytes);
}

// 3,000,000 bytes into floppy splits (15 buffers each, the last split one).
// stopAfter: keep-going cleared after this many buffers; whole: splits
// 1..whole stand whole, the others not at all; told: the start of the last
// box; kept: the user's files; link: a name that is the source, left so.
TEST_F(SplitFaultTest, HostileRunsLeaveTheSourceAndOnlyWholeSplits) {
  using O = kst::SplitOutcome;
  struct Case { const char* what; std::function<void()> before; int stopAfter; std::vector<int> answers; O outcome;
                Failure failure; int whole; bool batch; std::string told; std::vector<std::string> kept = {};
                std::string link = "", file = ""; };
  testenv::ScratchFolder dir;
  const std::string out = dir.Path("out"), source = dir.Path("data.bin"), batch = out + "\\data.bin.BAT";
  const std::string hostOut = plat::EmuHostPath(out), hostSource = plat::EmuHostPath(source);
  const std::string quoted = "a\" & echo INJECTED & \".bin", other = out + "\\other.bin.001.~ks";
  const std::string aborted = "File Splitting Aborted!\n", same = "Same File!\n", unknown = "Unknown problem!\n";
  auto split = [&](int k) { return kst::SplitName(out, "data.bin", k); };
  auto user = [](const std::string& path) { ASSERT_TRUE(WriteFile(path, "the user's " + path)); };
  auto symlinkTo = [&](const std::string& at) { ASSERT_EQ(symlink(hostSource.data(), EmuHostPath(at).data()), 0); };
  const std::vector<int> yes = {kst::kAnswerYes};
  const Case cases[] = {
      {"nothing to split", [&] { user(dir.Path("small.bin")); }, 0, yes, O::NotStarted, Failure::None, 0, false, "",
       {}, "", dir.Path("small.bin")},
      {"no folder", [&] { ASSERT_TRUE(plat::RemoveFolder(out)); }, 0, yes, O::Failed, Failure::SplitOpen, 0, false,
       unknown},
      {"the source gone after Go", [] {}, 0, yes, O::Failed, Failure::SourceOpen, 0, false,
       unknown + "Unknown problem with File for splitting\n" + dir.Path("gone.bin") + ": ", {}, "",
       dir.Path("gone.bin")},
      {"a folder where the batch goes", [&] { ASSERT_TRUE(plat::CreateFolder(batch)); user(batch + "\\keep.txt"); }, 0,
       yes, O::Failed, Failure::None, 0, false, unknown, {batch + "\\keep.txt"}},
      {"stopped inside split 2", [] {}, 20, {}, O::Stopped, Failure::Stopped, 1, false, aborted},
      {"stopped after split 1's last buffer", [] {}, 15, {}, O::Stopped, Failure::Stopped, 1, false, aborted},
      {"stopped after split 2", [] {}, 30, {}, O::Stopped, Failure::Stopped, 2, false, aborted},
      {"disk full in split 2", [] { plat::EmuInjectFault(Fault::DiskFull, 3, ".002"); }, 0, {}, O::Failed,
       Failure::ShortWrite, 0, false, unknown},
      {"batch cut short", [] { plat::EmuInjectFault(Fault::ShortWrite, 0, ".BAT"); }, 0, {}, O::Failed, Failure::None,
       0, false, unknown},
      {"leftovers of a killed run, another file's kept", [&] {
         for (const char* name : {"002.~ks", "007.~ks", "BAT.~ks"}) user(out + "\\data.bin." + name);
         user(other);
       }, 0, {}, O::Done, Failure::None, 3, true, "", {other}},
      {"a partial name that is a link to the source", [&] { symlinkTo(kst::PartialNameOf(split(1))); }, 0, {},
       O::Done, Failure::None, 3, true, ""},
      {"the user's file under split 2's name, No", [&] { user(split(2)); }, 0, {kst::kAnswerNo}, O::Declined,
       Failure::Refused, 0, false, "File Exists! And Ya ain't gonna replace!\n", {split(2)}},
      {"the user's file under split 2's name, Yes", [&] { user(split(2)); }, 0, yes, O::Done, Failure::None, 3,
       true, "File Exists!\n"},
      {"split 1 a symbolic link to the source", [&] { symlinkTo(split(1)); }, 0, yes, O::Failed, Failure::IsSource,
       0, false, same, {}, split(1)},
      {"split 3 a hard link to the source", [&] { HardLink(source, split(3)); }, 0, yes, O::Failed,
       Failure::IsSource, 0, false, same, {}, split(3)},
      {"the batch a link to the source", [&] { symlinkTo(batch); }, 0, yes, O::Failed, Failure::IsSource, 0, false,
       same, {}, batch},
      {"the folder a link to the source's, split 2 the source there", [&] {
         ASSERT_TRUE(plat::RemoveFolder(out) && symlink(EmuHostPath(dir.path).c_str(), hostOut.c_str()) == 0);
         HardLink(source, dir.Path("data.bin.002"));
       }, 0, yes, O::Failed, Failure::IsSource, 0, false, same, {}, split(2)},
      {"a quote in the name", [&] { ASSERT_TRUE(WriteFile(dir.Path(quoted), bytes)); }, 0, {}, O::Failed,
       Failure::BadName, 0, false, "Bad File Name!\n", {}, "", dir.Path(quoted)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(hostOut);
    for (const char* name : {"data.bin.001", "data.bin.002", "data.bin.003"})
      std::filesystem::remove(plat::EmuHostPath(dir.Path(name)));
    ASSERT_TRUE(WriteFile(source, bytes) && plat::CreateFolder(out));
    c.before();
    kst::FileSplittingInput input{c.file.empty() ? source : c.file, out};
    input.buffSize = 100000;
    splittest::RunningJob job;
    splittest::RecordedBar splitBar;
    int buffers = 0;
    splitBar.onMove = [&](int position) { if (position > 0 && ++buffers == c.stopAfter) job.job.keepGoing = false; };
    splittest::ScriptedPerson person(c.answers);
    const kst::FileSplittingResult result = kst::RunFileSplitting(input, job.job, nullptr, &splitBar.sink);
    plat::EmuClearFaults();
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_EQ(result.failure, c.failure);
    EXPECT_EQ(ReadFile(source), bytes);
    const auto& asked = person.asked;
    const std::string box = asked.empty() ? "" : asked.back().heading + "\n" + asked.back().message;
    EXPECT_EQ(box.substr(0, c.told.size()), c.told);
    EXPECT_EQ(box.empty(), c.told.empty());
    for (int k = 1; k <= 3; ++k) {
      if (std::count(c.kept.begin(), c.kept.end(), split(k)) || c.link == split(k)) continue;
      const size_t at = static_cast<size_t>(k - 1) * 1457664;
      EXPECT_EQ(ReadFile(split(k)), k <= c.whole ? bytes.substr(at, k < 3 ? 1457664 : std::string::npos) : "") << k;
      EXPECT_EQ(plat::PathExists(split(k)), k <= c.whole) << k;
    }
    EXPECT_EQ(c.link == batch ? "" : ReadFile(batch), c.batch ? kst::JoinBatchText(source, 3) : "");
    EXPECT_TRUE(c.link.empty() || plat::SameObject(c.link, source));
    for (const std::string& kept : c.kept) EXPECT_EQ(ReadFile(kept), "the user's " + kept);
    std::error_code none;  // "no folder" leaves none
    for (const auto& entry : std::filesystem::directory_iterator(hostOut, none)) {
      const std::string name = entry.path().filename().string();
      EXPECT_FALSE(kst::IsPartialName(name) && name.rfind("data.bin.", 0) == 0) << name;
      EXPECT_EQ(name.find("INJECTED"), std::string::npos) << name;
    }
  }
  // The batch writer refuses such a name for every caller.
  std::string path;
  EXPECT_EQ(kst::JoinBatchText(quoted, 2), "");
  EXPECT_FALSE(kst::WriteJoinBatch(out, dir.Path(quoted), 2, &path));
  EXPECT_EQ(plat::LastError(), plat::kErrInvalidName);
  EXPECT_FALSE(plat::PathExists(path));
}

TEST_F(SplitFaultTest, AFailedJoinLeavesNoPartAndKeepsTheTargetThatWasThere) {
  ASSERT_TRUE(WriteFile(Split(1), bytes.substr(0, 5000)) && WriteFile(Split(2), bytes.substr(5000, 5000)));
  ASSERT_TRUE(plat::DeleteOneFile(file) && WriteFile(file, "kept"));
  kst::JoinSet set;
  ASSERT_EQ(kst::FindJoinSet(Split(1), &set), kst::JoinProblem::None);
  for (const auto& [fault, skip, where] : {std::tuple{Fault::ShortWrite, 1, "\\data.bin"},
                                           {Fault::ShortRead, 2, ".001"}, {Fault::CloseFails, 0, ".~ks"}}) {
    plat::EmuInjectFault(fault, skip, where);
    EXPECT_FALSE(kst::JoinSplits(set, 1000, running.job)) << where;
  }
  EXPECT_EQ(ReadFile(file), "kept");
  EXPECT_FALSE(plat::PathExists(kst::PartialNameOf(file)));
  plat::EmuClearFaults();
  ASSERT_TRUE(kst::JoinSplits(set, 1000, running.job));
  EXPECT_EQ(ReadFile(file), bytes.substr(0, 10000));
  ASSERT_TRUE(plat::DeleteOneFile(file));
  ASSERT_EQ(symlink(plat::EmuHostPath(Split(1)).c_str(), plat::EmuHostPath(file).c_str()), 0);
  EXPECT_FALSE(kst::JoinSplits(set, 1000, running.job));
  EXPECT_EQ(ReadFile(Split(1)), bytes.substr(0, 5000));
}

}  // namespace
