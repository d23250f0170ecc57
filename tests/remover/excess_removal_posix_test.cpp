// What only the emulation can stage: another drive letter on the same
// folder, links, injected read and write faults, and sparse files of
// several gigabytes.
#include <unistd.h>

#include <gtest/gtest.h>

#include "frame/platform/emulation.h"
#include "remover/excess_removal.h"
#include "tests/remover/remover_test_support.h"

namespace {

using removertest::MakeTree;
using removertest::ReadTree;
using removertest::RemoverScene;
using removertest::Tree;

std::string Host(const std::string& windowsPath) { return plat::EmuHostPath(windowsPath); }

TEST(ExcessRemovalEmulated, RefusesTheBaseUnderAnotherDriveLetter) {
  RemoverScene s;
  ASSERT_TRUE(MakeTree(s.base, {{"a.txt", "a"}}));
  plat::EmuMapDrive('R', plat::EmulatedDrive{Host(s.scratch.path)});
  splittest::ScriptedPerson person;
  s.input.target = "R:\\base";
  EXPECT_EQ(s.Run().outcome, kst::RemoverOutcome::Refused);
  s.input.target = "R:\\";  // the scratch folder, which holds the base
  EXPECT_EQ(s.Run().outcome, kst::RemoverOutcome::Refused);
  plat::EmuUnmapDrive('R');
  EXPECT_EQ(person.asked.size(), 2u);
  EXPECT_EQ(testenv::ReadFile(s.base + "\\a.txt"), "a");
}

// Links are never followed into: a linked folder in the target that leads
// into the Base folder, a link loop, and a target file that is the Base
// file itself (a hard link) or a link to it.
TEST(ExcessRemovalEmulated, NeverDeletesThroughALinkNorAFileAgainstItself) {
  RemoverScene s;
  const Tree base = {{"in\\a.txt", "a"}, {"in\\in\\a.txt", "a"}, {"hard.txt", "h"}, {"soft.txt", "s"}};
  ASSERT_TRUE(MakeTree(s.base, base));
  // Followed, target\in\a.txt would be base\in\in\a.txt: another file, equal to base\in\a.txt.
  ASSERT_EQ(symlink(Host(s.base + "\\in\\in").c_str(), Host(s.target + "\\in").c_str()), 0);
  ASSERT_EQ(symlink(Host(s.base).c_str(), Host(s.base + "\\loop").c_str()), 0);
  ASSERT_EQ(link(Host(s.base + "\\hard.txt").c_str(), Host(s.target + "\\hard.txt").c_str()), 0);
  ASSERT_EQ(symlink(Host(s.base + "\\soft.txt").c_str(), Host(s.target + "\\soft.txt").c_str()), 0);
  splittest::ScriptedPerson person;
  s.input.log = true;
  s.input.logPath = s.scratch.Path("log.txt");
  const kst::RemoverResult result = s.Run();
  EXPECT_EQ(result.outcome, kst::RemoverOutcome::Done);
  EXPECT_EQ(result.counts.removed, 0);
  EXPECT_EQ(result.counts.insideBase, 4);  // the loop is not counted round
  EXPECT_EQ(testenv::ReadFile(s.base + "\\in\\in\\a.txt"), "a");
  EXPECT_EQ(testenv::ReadFile(s.base + "\\in\\a.txt"), "a");
  EXPECT_EQ(testenv::ReadFile(s.base + "\\hard.txt"), "h");
  EXPECT_EQ(testenv::ReadFile(s.base + "\\soft.txt"), "s");
  const std::string log = testenv::ReadFile(s.input.logPath);
  EXPECT_NE(log.find("NOT been deleted: '" + s.target + "\\hard.txt'"), std::string::npos);
  EXPECT_EQ(log.find("soft.txt"), std::string::npos);  // a link is no counterpart
  EXPECT_EQ(log.find("a.txt"), std::string::npos);
}

// A read that fails or comes back short proves nothing: the target stays
// and is logged as not deleted.
TEST(ExcessRemovalEmulated, ReadFaultsOnTheTargetKeepIt) {
  for (plat::Fault fault : {plat::Fault::ShortRead, plat::Fault::OpenFails}) {
    RemoverScene s;
    const std::string bytes = testenv::PatternBytes(600000, 3);
    ASSERT_TRUE(MakeTree(s.base, {{"big.bin", bytes}}) && MakeTree(s.target, {{"big.bin", bytes}}));
    splittest::ScriptedPerson person;
    s.input.log = true;
    s.input.logPath = s.scratch.Path("log.txt");
    // The snapshot opens the target once before the comparison does.
    plat::EmuInjectFault(fault, fault == plat::Fault::OpenFails ? 1 : 0, "\\target\\big.bin");
    const kst::RemoverResult result = s.Run();
    plat::EmuClearFaults();
    EXPECT_EQ(result.counts.removed, 0);
    EXPECT_EQ(testenv::ReadFile(s.target + "\\big.bin"), bytes);
    EXPECT_NE(testenv::ReadFile(s.input.logPath).find("has NOT been deleted"), std::string::npos);
  }
}

// A log write that comes back short stops the run with its message; what
// was deleted before stays deleted, nothing after is touched.
TEST(ExcessRemovalEmulated, AShortLogWriteStopsTheRun) {
  RemoverScene s;
  ASSERT_TRUE(MakeTree(s.base, {{"a.txt", "a"}, {"b.txt", "b"}}));
  ASSERT_TRUE(MakeTree(s.target, {{"a.txt", "a"}, {"b.txt", "b"}}));
  splittest::ScriptedPerson person;
  s.input.log = true;
  s.input.logPath = s.scratch.Path("log.txt");
  plat::EmuInjectFault(plat::Fault::ShortWrite, 0, "log.txt");
  const kst::RemoverResult result = s.Run();
  plat::EmuClearFaults();
  EXPECT_EQ(result.outcome, kst::RemoverOutcome::Stopped);
  EXPECT_FALSE(result.logWritten);
  ASSERT_EQ(person.asked.size(), 1u);
  EXPECT_EQ(person.asked[0].message, "Unable to save information to file! Aborting!!!");
  EXPECT_EQ(testenv::ReadFile(s.target + "\\b.txt"), "b");
}

// Sizes in 64 bits: a pair above 2 GB is read (here it differs in its
// first byte, so one block tells), and a pair whose sizes differ by exactly
// 4 GB is not taken for one of equal size. The files are sparse.
TEST(ExcessRemovalEmulated, PairsBeyondTwoAndFourGigabytesAreNeverEqualUnread) {
  RemoverScene s;
  const int64_t big = (int64_t{1} << 31) + 1;
  ASSERT_TRUE(testenv::WriteFile(s.base + "\\late.bin", "x") && testenv::WriteFile(s.base + "\\late.bin", "e", big - 1));
  ASSERT_TRUE(testenv::WriteFile(s.target + "\\late.bin", "y") && testenv::WriteFile(s.target + "\\late.bin", "e", big - 1));
  ASSERT_TRUE(testenv::WriteFile(s.base + "\\four.bin", "z"));
  ASSERT_TRUE(testenv::WriteFile(s.target + "\\four.bin", "z", int64_t{1} << 32));
  splittest::ScriptedPerson person;
  const kst::RemoverResult result = s.Run();
  EXPECT_EQ(result.counts.removed, 0);
  EXPECT_EQ(plat::SizeOfPath(s.target + "\\late.bin"), big);
  EXPECT_EQ(plat::SizeOfPath(s.target + "\\four.bin"), (int64_t{1} << 32) + 1);
}

}  // namespace
