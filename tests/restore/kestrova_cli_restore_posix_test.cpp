// kestrova-cli restore and scan run as a user would run them, on disks
// that kestrova-cli backup made in folders.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "frame/texts/language_files.h"
#include "tests/support/cli_run_posix.h"

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

struct CliRestoreTest : testenv::CliTest {
  void SetUp() override {
    CliTest::SetUp();
    kst::LoadBuiltInTexts();
    for (const auto& [name, text] : {std::pair{"swap.sh", kBackupSwapper}, std::pair{"feed.sh", kRestoreFeeder}}) {
      ASSERT_TRUE(WriteFile(Win(name), text));
      fs::permissions(host + "/" + name, fs::perms::owner_all);
    }
    for (const char* folder : {"src", "stack", "tmp", "disk", "drive"}) ASSERT_TRUE(plat::CreateFolder(Win(folder)));
    sources = {{"a.bin", PatternBytes(300000, 51)}, {"big.bin", PatternBytes(3000000, 52)},
               {"c.bin", PatternBytes(700000, 53)}};
    for (const auto& [name, bytes] : sources) ASSERT_TRUE(WriteFile(Win("src\\" + name), bytes));
    ASSERT_EQ(Run("backup src/a.bin src/big.bin src/c.bin --to disk --disk-size 1423.5kB --temp tmp --new-disk-command ./swap.sh"), 0)
        << said;
    fs::create_directories(host + "/stack/3");
    for (const auto& e : fs::directory_iterator(host + "/disk")) fs::rename(e.path(), host + "/stack/3/" + e.path().filename().string());
  }
  std::map<std::string, std::string> Folder(const std::string& name) const {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(host + "/" + name))
      files[e.path().filename().string()] = ReadFile(plat::EmuWindowsPath(e.path().string()));
    return files;
  }
  std::map<std::string, std::string> sources;
};

// The backed-up files come back whole in any disk order; scan and restore
// say what stays unjoined, name a damaged split and where it came from,
// and keep the user's files against every hostile case.
TEST_F(CliRestoreTest, EachRunSaysWhatItDidAndKeepsTheUsersFiles) {
  for (const char* folder : {"set", "plain", "whole", "good"}) fs::create_directories(host + "/" + folder);
  ASSERT_EQ(Run("split src/big.bin --size 1000000 --folder set"), 0) << said;
  ASSERT_EQ(Run("split src/c.bin --size 300000 --folder plain --no-check-file"), 0) << said;
  ASSERT_EQ(Run("split src/a.bin --size 100000 --folder whole"), 0) << said;
  fs::copy_file(host + "/set/big.bin.002", host + "/good/big.bin.002");
  std::string split2 = ReadFile(Win("set\\big.bin.002"));
  split2[4321] = static_cast<char>(split2[4321] ^ 0x5a);
  ASSERT_TRUE(WriteFile(Win("set\\big.bin.002"), split2));
  const std::string big = sources["big.bin"], a = sources["a.bin"];
  std::map<std::string, std::string> cutBack = Folder("set");
  cutBack["big.bin.001"] = big.substr(0, 1000000);
  const char* twoNames = "mkdir out && cp stack/1/* out/ && ln -s out link";
  std::map<std::string, std::string> withSplits = sources;
  for (const char* disk : {"stack/1", "stack/2", "stack/3"})
    for (const auto& [name, bytes] : Folder(disk))
      if (name.rfind("big.bin.", 0) == 0) withSplits[name] = bytes;
  // prepare: shell lines run in the scratch folder first; out: files of out/
  // and their bytes ({} = not looked at); whole: out holds nothing else.
  struct Case {
    std::string prepare, arguments;
    int status;
    std::vector<std::string> said;
    std::map<std::string, std::string> out;
    bool whole = true;
  } cases[] = {
      {"", "restore stack/3 stack/1 stack/2 stack/2 --to out", 0, {"big.bin -- 3000000 bytes -- joined"}, sources},
      {"printf '2\\n3\\n2\\n1\\n' >order", "restore drive --to out --new-disk-command ./feed.sh", 0,
       {"big.bin -- 3000000 bytes -- joined"}, sources},
      {"", "restore stack/1 stack/2 stack/3 --to out --keep-splits", 0, {"big.bin -- 3000000 bytes -- joined"}, withSplits},
      {"", "scan stack/3 stack/1", 1,
       {"big.bin -- 1542336 bytes -- splits present 1, 3 -- missing 2 -- batch 3 splits -- not joinable"}, {}},
      {"", "scan stack/1 stack/2 stack/3", 0,
       {"big.bin -- 3000000 bytes -- splits present 1-3 -- missing none -- batch 3 splits -- joinable"}, {}},
      {"", "restore stack/1 stack/3 --to out", 1, {"big.bin -- 1542336 bytes -- splits present 1, 3 -- missing 2"}, {}},
      {"", "restore stack/nowhere --to out", 2, {"stack/nowhere: no such folder"}, {}},
      {"", "scan", 2, {"give the folders"}, {}},
      {"", "restore set --to out", 1, {"-- damaged split 2 (from " + host + "/set/big.bin.002, disk 1)", "not joined"},
       cutBack},
      {"", "restore set good --to out", 0, {"big.bin -- 3000000 bytes -- joined", "set/big.bin.002, disk 1. "},
       {{"big.bin", big}}},
      {"", "restore plain --to out", 0, {"c.bin -- 700000 bytes -- joined"}, {{"c.bin", sources["c.bin"]}}},
      {"", "scan set whole --check", 1, {"-- damaged split 2 (from " + host + "/set/big.bin.002)", "1 split differs"}, {}},
      {"", "scan whole plain --check", 0, {"a.bin -- 300000 bytes -- splits present 1-3 -- missing none -- batch 3"}, {}},
      {"mkdir out && printf user >out/a.bin", "restore stack/1 --to out", 1,
       {"a.bin -- not taken: the file in the destination was kept"}, {{"a.bin", "user"}}, false},
      {"mkdir out && printf user >out/a.bin", "restore stack/1 --to out --yes", 1, {"took 2 files"}, {{"a.bin", a}},
       false},
      {twoNames, "restore link --to out", 1, {"can't be the same folder"}, {{"a.bin", a}}, false},
      {twoNames, "restore out --to link", 1, {"can't be the same folder"}, {{"a.bin", a}}, false},
      {"cp stack/1/* drive/", "restore drive --to out --new-disk-command true", 2, {"the same disk came three times"},
       {{"a.bin", a}}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    fs::remove_all(host + "/out");
    fs::remove(host + "/link");
    for (const auto& e : fs::directory_iterator(host + "/drive")) fs::remove(e.path());
    ASSERT_EQ(std::system(("cd '" + host + "' && " + (c.prepare.empty() ? "true" : c.prepare)).c_str()), 0) << c.prepare;
    EXPECT_EQ(Run(c.arguments), c.status) << said;
    for (const std::string& words : c.said) EXPECT_NE(said.find(words), std::string::npos) << said;
    EXPECT_TRUE(!c.whole || c.out.empty() || Folder("out") == c.out);
    for (const auto& [name, bytes] : c.out) EXPECT_TRUE(ReadFile(Win("out\\" + name)) == bytes) << name;
  }
  EXPECT_EQ(ReadFile(Win("log")), "restore-disk 1\nrestore-disk 2\nrestore-disk 3\nrestore-disk 4\nrestore-disk 5\n");
  for (const char* disk : {"stack/1", "stack/2", "stack/3"}) EXPECT_FALSE(Folder(disk).empty());  // the disks keep their files
}

}  // namespace
