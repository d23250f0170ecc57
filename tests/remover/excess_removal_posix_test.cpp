// What only the emulation can stage: drive letters, links, faults, sparse files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <tuple>

#include "frame/platform/emulation.h"
#include "tests/remover/remover_test_support.h"

namespace {

using removertest::MakeTree;
using removertest::ReadTree;
using removertest::RemoverScene;
using removertest::Tree;

std::string Host(const std::string& windowsPath) { return plat::EmuHostPath(windowsPath); }

// A file written by its host name, which may hold what Windows cannot.
bool HostWrite(const std::string& hostPath, const std::string& bytes) {
  std::ofstream out(hostPath, std::ios::binary);
  return static_cast<bool>(out << bytes);
}

// Stopped midway: what was deleted stays deleted, what comes after stays.
TEST(ExcessRemovalEmulated, AStoppedRunKeepsWhatComesAfter) {
  // said: the box's heading or message, "" none.
  const struct { const char* name; std::function<void(RemoverScene&, kst::RemoverReport&)> stage; const char* said;
    bool logWritten; int64_t removed; } cases[] = {
      {"a batch that cannot be created", [](RemoverScene& s, kst::RemoverReport&) {
         ASSERT_TRUE(MakeTree(s.target, {{std::string(kst::kRemoverBatchName) + "\\x", "x"}}));
       }, "File not accessible...", true, 0},
      {"aborted after the first pair", [](RemoverScene& s, kst::RemoverReport& report) {
         report.counts = [&s](const kst::RemoverCounts& c) { if (c.processed == 1) s.running.job.keepGoing = false; };
       }, "", true, 1},
      {"a short log write", [](RemoverScene&, kst::RemoverReport&) {
         plat::EmuInjectFault(plat::Fault::ShortWrite, 0, "log.txt");
       }, "Unable to save information to file! Aborting!!!", false, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RemoverScene s;
    ASSERT_TRUE(s.Make({{"a.txt", "a"}, {"b.txt", "b"}}, {{"a.txt", "a"}, {"b.txt", "b"}}));
    s.LogTo(s.scratch.Path("log.txt"));
    kst::RemoverReport report;
    c.stage(s, report);
    const kst::RemoverResult result = s.Run(&report);
    plat::EmuClearFaults();
    EXPECT_EQ(std::make_tuple(result.outcome, result.logWritten, result.counts.removed),
              std::make_tuple(kst::RemoverOutcome::Stopped, c.logWritten, c.removed));
    EXPECT_EQ(s.person.asked.size(), *c.said ? 1u : 0u);
    for (const kst::AskRequest& r : s.person.asked) EXPECT_TRUE(r.heading == c.said || r.message == c.said);
    EXPECT_EQ(plat::PathExists(s.target + "\\a.txt"), c.removed == 0);
    EXPECT_EQ(testenv::ReadFile(s.target + "\\b.txt"), "b");
    const std::string log = testenv::ReadFile(s.input.logPath);
    EXPECT_EQ(log.find("b.txt"), std::string::npos);
    EXPECT_EQ(log.find("Removed: " + std::to_string(c.removed)) != std::string::npos, c.logWritten);
  }
}

// What the run leaves alone is told, never in the batch, never deleted.
TEST(ExcessRemovalEmulated, HostileNamesLinksAndUnreadablePartsAreLeftAloneAndTold) {
  const std::string longName(120, 'd');
  // unlisted: a folder whose listing fails, once counted; a link in the Base is left out untold.
  struct Case { const char* name; Tree base, target; std::function<void(RemoverScene&)> stage;
    const char* notInBatch; const char* unlisted = ""; int troubles = 1; } cases[] = {
      // Joined into a Windows path, target\x\..\..\out.txt is a file outside the target.
      {"a name climbing out", {}, {}, [](RemoverScene& s) {
         ASSERT_TRUE(HostWrite(Host(s.base) + "/x\\..\\..\\out.txt", "o"));
         ASSERT_TRUE(testenv::WriteFile(s.scratch.Path("out.txt"), "o"));
       }, "out.txt"},
      {"a quote ending the batch's quoting", {}, {}, [](RemoverScene& s) {
         ASSERT_TRUE(HostWrite(Host(s.base) + "/z\" & del \"*.doc", "z"));
       }, "*.doc"},
      {"a link loop in the Base, not walked round", {{"a.txt", "a"}}, {}, [](RemoverScene& s) {
         ASSERT_EQ(symlink(Host(s.base).c_str(), Host(s.base + "\\loop").c_str()), 0);
       }, "loop", "", 0},
      {"a target folder linking into the Base", {{"in\\a.txt", "a"}, {"in\\in\\a.txt", "a"}}, {}, [](RemoverScene& s) {
         // Followed, target\in\a.txt would be base\in\in\a.txt, equal to base\in\a.txt.
         ASSERT_EQ(symlink(Host(s.base + "\\in\\in").c_str(), Host(s.target + "\\in").c_str()), 0);
       }, "in"},
      {"a link in the target to a Base file", {{"soft.txt", "s"}}, {}, [](RemoverScene& s) {
         ASSERT_EQ(symlink(Host(s.base + "\\soft.txt").c_str(), Host(s.target + "\\soft.txt").c_str()), 0);
       }, "soft.txt"},
      {"a target folder that links outside", {{"sub\\a.txt", "a"}}, {}, [](RemoverScene& s) {
         ASSERT_TRUE(plat::CreateFolder(s.scratch.Path("out")) && MakeTree(s.scratch.Path("out"), {{"a.txt", "a"}}));
         ASSERT_EQ(symlink(Host(s.scratch.Path("out")).c_str(), Host(s.target + "\\sub").c_str()), 0);
       }, "sub"},
      {"a target folder that will not list", {{"sub\\a.txt", "a"}}, {{"sub\\a.txt", "a"}}, [](RemoverScene&) {},
       "sub", "\\target\\sub\\"},
      {"a Base folder that will not list", {{"sub\\a.txt", "a"}}, {{"sub\\a.txt", "a"}}, [](RemoverScene&) {},
       "sub", "\\base\\sub\\"},
      {"a folder past the path limit", {}, {}, [&longName](RemoverScene& s) {
         for (const std::string& side : {s.base, s.target}) {
           std::filesystem::create_directories(Host(side) + "/" + longName + "/" + longName);
           ASSERT_TRUE(HostWrite(Host(side) + "/" + longName + "/" + longName + "/a.txt", "a"));
         }
       }, "ddd"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RemoverScene s;
    ASSERT_TRUE(s.Make(c.base, c.target));
    c.stage(s);
    Tree outside = ReadTree(s.scratch.path);
    outside.erase("target\\");
    if (*c.unlisted) plat::EmuInjectFault(plat::Fault::ListFails, 1, c.unlisted);  // listed by the count first
    std::vector<std::string> told;
    kst::RemoverReport report;
    report.trouble = [&told](const std::string& path, kst::TreeTrouble, uint32_t) { told.push_back(path); };
    const kst::RemoverResult result = s.Run(&report);
    plat::EmuClearFaults();
    EXPECT_EQ(std::make_tuple(result.outcome, result.counts.troubles, told.size(), result.counts.removed),
              std::make_tuple(kst::RemoverOutcome::Done, c.troubles, size_t(c.troubles), 0));
    EXPECT_EQ(s.Batch().find(c.notInBatch), std::string::npos) << s.Batch();
    Tree after = ReadTree(s.scratch.path);
    after.erase("target\\" + std::string(kst::kRemoverBatchName));
    EXPECT_EQ(after, outside);
  }
}

// Nothing changes through an output or a target that is another name.
TEST(ExcessRemovalEmulated, OutputsThatAreLinksOrInputsAndOtherNamesOfTheBaseChangeNothingThrough) {
  const std::string batch = "target\\" + std::string(kst::kRemoverBatchName);
  using O = kst::RemoverOutcome;
  // from, to: a link in the scratch folder, none when empty; target: the run's, R: the scratch folder.
  struct Case { const char* name; std::string from, to; bool hard, log; O outcome; const char* target = ""; }
  const cases[] = {
      {"the batch a link outside", "precious.txt", batch, false, false, O::Stopped},
      {"the batch a hard link of a Base file", "base\\keep.txt", batch, true, false, O::Done},
      {"the log a link outside", "precious.txt", "log.txt", false, true, O::Stopped},
      {"the log a link to a compared file", "target\\a.txt", "log.txt", false, true, O::Stopped},
      {"the log a hard link of a compared file", "target\\a.txt", "log.txt", true, true, O::Stopped},
      {"the Base under another letter", "", "", false, false, O::Refused, "R:\\base"},
      {"the folder holding the Base under another letter", "", "", false, false, O::Refused, "R:\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RemoverScene s;
    ASSERT_TRUE(s.Make({{"a.txt", "a"}, {"keep.txt", "k"}}, {{"a.txt", "a"}}));
    ASSERT_TRUE(testenv::WriteFile(s.scratch.Path("precious.txt"), "p"));
    const std::string from = Host(s.scratch.Path(c.from)), to = Host(s.scratch.Path(c.to));
    ASSERT_TRUE(c.from.empty() || (c.hard ? link(from.c_str(), to.c_str()) : symlink(from.c_str(), to.c_str())) == 0);
    plat::EmuMapDrive('R', plat::EmulatedDrive{Host(s.scratch.path)});
    if (*c.target) s.input.target = c.target;
    s.input.simulate = true, s.input.log = c.log, s.input.logPath = s.scratch.Path("log.txt");
    EXPECT_EQ(s.Run().outcome, c.outcome);
    plat::EmuUnmapDrive('R');
    EXPECT_EQ(s.person.asked.size(), c.outcome == O::Done ? 0u : 1u);
    EXPECT_EQ(testenv::ReadFile(s.scratch.Path("precious.txt")), "p");
    EXPECT_EQ(ReadTree(s.base), (Tree{{"a.txt", "a"}, {"keep.txt", "k"}}));
    EXPECT_EQ(testenv::ReadFile(s.target + "\\a.txt"), "a");
  }
}

// Not proven the same, never deleted (the snapshot opens the target first).
TEST(ExcessRemovalEmulated, WhatIsNotProvenTheSameIsKept) {
  using Stage = std::function<void(RemoverScene&, kst::RemoverReport&)>;
  const std::string bytes = testenv::PatternBytes(600000, 3);
  auto readFault = [&bytes](plat::Fault fault, int skip) -> Stage {
    return [=](RemoverScene& s, kst::RemoverReport&) {
      ASSERT_TRUE(s.Make({{"a.bin", bytes}}, {{"a.bin", bytes}}));
      plat::EmuInjectFault(fault, skip, "\\target\\a.bin");
    };
  };
  auto sparse = [](int64_t baseSize, int64_t targetSize, const char* targetFirst) -> Stage {
    return [=](RemoverScene& s, kst::RemoverReport&) {
      for (const auto& [path, size] : {std::pair{s.base, baseSize}, {s.target, targetSize}})
        ASSERT_TRUE(testenv::WriteFile(path + "\\a.bin", path == s.base ? "x" : targetFirst) &&
                    (size == 1 || testenv::WriteFile(path + "\\a.bin", "e", size - 1)));
    };
  };
  auto swapped = [](std::function<void(RemoverScene&)> swap) -> Stage {
    return [=](RemoverScene& s, kst::RemoverReport& report) {
      ASSERT_TRUE(s.Make({{"sub\\a.bin", "a"}}, {{"sub\\a.bin", "a"}}));
      report.proven = [&s, swap](const std::string&) { swap(s); };
    };
  };
  const struct { const char* name; Stage stage; const char* kept; /* in the scratch folder */ } cases[] = {
      {"a short read", readFault(plat::Fault::ShortRead, 0), "target\\a.bin"},
      {"an open that fails", readFault(plat::Fault::OpenFails, 1), "target\\a.bin"},
      {"beyond 2 GB", sparse((int64_t{1} << 31) + 1, (int64_t{1} << 31) + 1, "y"), "target\\a.bin"},
      {"4 GB apart", sparse(1, (int64_t{1} << 32) + 1, "x"), "target\\a.bin"},
      {"another file of the same size and time", swapped([](RemoverScene& s) {
         const std::string file = Host(s.target + "\\sub\\a.bin"), other = file + ".new";
         struct stat st;
         ASSERT_TRUE(HostWrite(other, "b") && stat(file.c_str(), &st) == 0);
         const timespec times[2] = {st.st_atim, st.st_mtim};
         ASSERT_TRUE(utimensat(AT_FDCWD, other.c_str(), times, 0) == 0 && rename(other.c_str(), file.c_str()) == 0);
       }), "target\\sub\\a.bin"},
      {"a hard link of the Base file", [](RemoverScene& s, kst::RemoverReport&) {
         ASSERT_TRUE(s.Make({{"a.bin", "h"}}, {}));
         ASSERT_EQ(link(Host(s.base + "\\a.bin").c_str(), Host(s.target + "\\a.bin").c_str()), 0);
       }, "target\\a.bin"},
      {"its folder moved out and linked back", swapped([](RemoverScene& s) {
         const std::string moved = Host(s.scratch.Path("moved"));
         ASSERT_EQ(rename(Host(s.target + "\\sub").c_str(), moved.c_str()), 0);
         ASSERT_EQ(symlink(moved.c_str(), Host(s.target + "\\sub").c_str()), 0);
       }), "moved\\a.bin"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RemoverScene s;
    s.LogTo(s.scratch.Path("log.txt"));
    kst::RemoverReport report;
    c.stage(s, report);
    EXPECT_EQ(s.Run(&report).counts.removed, 0);
    plat::EmuClearFaults();
    EXPECT_TRUE(plat::PathExists(s.scratch.Path(c.kept)));
    EXPECT_NE(testenv::ReadFile(s.input.logPath).find("has NOT been deleted"), std::string::npos);
  }
}

}  // namespace
