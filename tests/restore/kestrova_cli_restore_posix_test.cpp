// kestrova-cli restore and scan run as a user would run them, on disks
// that kestrova-cli backup made in folders.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "frame/platform/emulation.h"
#include "frame/texts/language_files.h"
#include "tests/support/test_env.h"

namespace {

namespace fs = std::filesystem;
using testenv::PatternBytes;
using testenv::ReadFile;
using testenv::WriteFile;

// Moves disk k-1 onto the stack at every new disk.
const char kBackupSwapper[] =
    "#!/bin/sh\n"
    "if [ \"$KESTROVA_DISK\" -gt 1 ]; then mkdir stack/$((KESTROVA_DISK-1)) && mv disk/* stack/$((KESTROVA_DISK-1))/; fi\n";
// Puts the disk that line k of the file order names into the drive folder.
const char kRestoreFeeder[] =
    "#!/bin/sh\n"
    "echo \"$KESTROVA_PROMPT $KESTROVA_DISK\" >>log\n"
    "d=$(sed -n \"${KESTROVA_DISK}p\" order)\n"
    "[ -n \"$d\" ] || exit 1\n"
    "rm -f drive/*; cp stack/$d/* drive/\n";

struct CliRestoreTest : ::testing::Test {
  void SetUp() override {
    kst::LoadBuiltInTexts();
    ASSERT_EQ(access(cli.c_str(), X_OK), 0) << cli << " is not built";
    for (const auto& [name, text] : {std::pair{"swap.sh", kBackupSwapper}, std::pair{"feed.sh", kRestoreFeeder}}) {
      ASSERT_TRUE(WriteFile(scratch.Path(name), text));
      fs::permissions(host + "/" + name, fs::perms::owner_all);
    }
    for (const char* folder : {"src", "stack", "tmp", "disk", "drive"}) ASSERT_TRUE(plat::CreateFolder(scratch.Path(folder)));
    sources = {{"a.bin", PatternBytes(300000, 51)}, {"big.bin", PatternBytes(3000000, 52)},
               {"c.bin", PatternBytes(700000, 53)}};
    for (const auto& [name, bytes] : sources) ASSERT_TRUE(WriteFile(scratch.Path("src\\" + name), bytes));
    ASSERT_EQ(Run("backup src/a.bin src/big.bin src/c.bin --to disk --disk-size 1423.5kB --temp tmp"
                  " --new-disk-command ./swap.sh"),
              0)
        << said;
    fs::create_directories(host + "/stack/3");
    for (const auto& e : fs::directory_iterator(host + "/disk")) fs::rename(e.path(), host + "/stack/3/" + e.path().filename().string());
  }
  int Run(const std::string& arguments) {
    FILE* out = popen(("cd '" + host + "' && '" + cli + "' " + arguments + " </dev/null 2>&1").c_str(), "r");
    said.clear();
    for (int c; (c = fgetc(out)) != EOF;) said += static_cast<char>(c);
    const int status = pclose(out);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::map<std::string, std::string> Folder(const std::string& name) const {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(host + "/" + name))
      files[e.path().filename().string()] = ReadFile(plat::EmuWindowsPath(e.path().string()));
    return files;
  }
  std::string cli = fs::read_symlink("/proc/self/exe").parent_path() / "kestrova-cli";
  testenv::ScratchFolder scratch;
  std::string host = plat::EmuHostPath(scratch.path), said;
  std::map<std::string, std::string> sources;
};

TEST_F(CliRestoreTest, TheBackedUpFilesComeBackWholeInAnyDiskOrder) {
  struct Case {
    const char* arguments;
    const char* order;  // for the feeder
    int status;
    std::vector<std::string> extra;  // files beside the sources in out
  } cases[] = {
      {"restore stack/3 stack/1 stack/2 stack/2 --to out", "", 0, {}},
      {"restore drive --to out --new-disk-command ./feed.sh", "2\n3\n2\n1\n", 0, {}},
      {"restore stack/1 stack/2 stack/3 --to out --keep-splits", "", 0,
       {"big.bin.001", "big.bin.002", "big.bin.003", "big.bin.BAT", "big.bin.SFV"}},
  };
  for (const Case& c : cases) {
    fs::remove_all(host + "/out");
    ASSERT_TRUE(WriteFile(scratch.Path("order"), c.order));
    EXPECT_EQ(Run(c.arguments), c.status) << c.arguments << "\n" << said;
    const std::map<std::string, std::string> out = Folder("out");
    for (const auto& [name, bytes] : sources) EXPECT_TRUE(out.count(name) && out.at(name) == bytes) << c.arguments << " " << name;
    EXPECT_EQ(out.size(), sources.size() + c.extra.size()) << c.arguments;
    for (const std::string& name : c.extra) EXPECT_EQ(out.count(name), 1u) << c.arguments << " " << name;
    EXPECT_NE(said.find("big.bin -- 3000000 bytes -- joined"), std::string::npos) << said;
  }
  EXPECT_EQ(ReadFile(scratch.Path("log")), "restore-disk 1\nrestore-disk 2\nrestore-disk 3\nrestore-disk 4\nrestore-disk 5\n");
  for (int k = 1; k <= 3; ++k) EXPECT_FALSE(Folder("stack/" + std::to_string(k)).empty());  // the disks keep their files
}

TEST_F(CliRestoreTest, ScanAndRestoreSayWhatStaysUnjoined) {
  struct Case {
    const char* arguments;
    int status;
    const char* said;
  } cases[] = {
      {"scan stack/3 stack/1", 1,
       "big.bin -- 1542336 bytes -- splits present 1, 3 -- missing 2 -- batch 3 splits -- not joinable"},
      {"scan stack/1 stack/2 stack/3", 0,
       "big.bin -- 3000000 bytes -- splits present 1-3 -- missing none -- batch 3 splits -- joinable"},
      {"restore stack/1 stack/3 --to out", 1, "big.bin -- 1542336 bytes -- splits present 1, 3 -- missing 2"},
      {"restore stack/nowhere --to out", 2, "stack/nowhere: no such folder"},
      {"scan", 2, "give the folders"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Run(c.arguments), c.status) << c.arguments << "\n" << said;
    EXPECT_NE(said.find(c.said), std::string::npos) << said;
  }
}

// A split damaged on its way is found by the set's check file: restore
// leaves its file unjoined, cut back to split 1, and names the split and
// the folder it came from; a good copy fed after it completes the join;
// scan --check names it. A set without a check file joins as before.
TEST_F(CliRestoreTest, ADamagedSplitIsNamedAndAGoodCopyCompletesTheJoin) {
  for (const char* folder : {"set", "plain", "whole", "good"}) fs::create_directories(host + "/" + folder);
  ASSERT_EQ(Run("split src/big.bin --size 1000000 --folder set"), 0) << said;
  ASSERT_EQ(Run("split src/c.bin --size 300000 --folder plain --no-check-file"), 0) << said;
  ASSERT_EQ(Run("split src/a.bin --size 100000 --folder whole"), 0) << said;
  fs::copy_file(host + "/set/big.bin.002", host + "/good/big.bin.002");
  std::string split2 = ReadFile(scratch.Path("set\\big.bin.002"));
  split2[4321] = static_cast<char>(split2[4321] ^ 0x5a);
  ASSERT_TRUE(WriteFile(scratch.Path("set\\big.bin.002"), split2));
  const std::string big = sources["big.bin"];
  std::map<std::string, std::string> cutBack = Folder("set");
  cutBack["big.bin.001"] = big.substr(0, 1000000);
  struct Case {
    const char* arguments;
    int status;
    std::vector<std::string> said;
    std::map<std::string, std::string> out;  // every file of out/ ({} = not looked at)
  } cases[] = {
      {"restore set --to out", 1, {"-- damaged split 2 (from " + host + "/set/big.bin.002, disk 1)", "not joined"},
       cutBack},
      {"restore set good --to out", 0, {"big.bin -- 3000000 bytes -- joined", "set/big.bin.002, disk 1. "}, {{"big.bin", big}}},
      {"restore plain --to out", 0, {"c.bin -- 700000 bytes -- joined"}, {{"c.bin", sources["c.bin"]}}},
      {"scan set whole --check", 1, {"-- damaged split 2 (from " + host + "/set/big.bin.002)", "1 split differs"}, {}},
      {"scan whole plain --check", 0, {"a.bin -- 300000 bytes -- splits present 1-3 -- missing none -- batch 3"}, {}},
  };
  for (const Case& c : cases) {
    fs::remove_all(host + "/out");
    EXPECT_EQ(Run(c.arguments), c.status) << c.arguments << "\n" << said;
    for (const std::string& words : c.said) EXPECT_NE(said.find(words), std::string::npos) << c.arguments << "\n" << said;
    if (!c.out.empty()) {
      EXPECT_TRUE(Folder("out") == c.out) << c.arguments;
    }
  }
}

// Hostile cases: a user's file in the destination, one folder under two
// names, and a new-disk command that always answers 0.
TEST_F(CliRestoreTest, KeepsTheUsersFilesAndNeverLoopsForEver) {
  struct Case {
    const char* prepare;  // shell lines run in the scratch folder first
    const char* arguments;
    int status;
    const char* said;
    const char* file;  // a file of out/ and what it holds at the end ("" = the source's bytes)
    const char* bytes;
  } cases[] = {
      {"mkdir out && printf user >out/a.bin", "restore stack/1 --to out", 1,
       "a.bin -- not taken: the file in the destination was kept", "a.bin", "user"},
      {"mkdir out && printf user >out/a.bin", "restore stack/1 --to out --yes", 1, "took 2 files", "a.bin", ""},
      {"mkdir out && cp stack/1/* out/ && ln -s out link", "restore link --to out", 1,
       "can't be the same folder", "a.bin", ""},
      {"mkdir out && cp stack/1/* out/ && ln -s out link", "restore out --to link", 1,
       "can't be the same folder", "a.bin", ""},
      {"cp stack/1/* drive/", "restore drive --to out --new-disk-command true", 2,
       "the same disk came three times", "a.bin", ""},
  };
  for (const Case& c : cases) {
    fs::remove_all(host + "/out");
    fs::remove(host + "/link");
    for (const auto& e : fs::directory_iterator(host + "/drive")) fs::remove(e.path());
    ASSERT_EQ(std::system(("cd '" + host + "' && " + c.prepare).c_str()), 0) << c.prepare;
    EXPECT_EQ(Run(c.arguments), c.status) << c.arguments << "\n" << said;
    EXPECT_NE(said.find(c.said), std::string::npos) << c.arguments << "\n" << said;
    EXPECT_EQ(ReadFile(scratch.Path(std::string("out\\") + c.file)), *c.bytes ? c.bytes : sources[c.file])
        << c.arguments;
  }
}

}  // namespace
