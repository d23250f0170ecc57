// kestrova-cli run as a user would run it: split a file, join it again.
#include <sys/statvfs.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "split/join_batch.h"
#include "tests/split/split_test_support.h"
#include "tests/support/cli_run_posix.h"

namespace {

using testenv::CliTest, testenv::PatternBytes, testenv::ReadFile, testenv::WriteFile;
const auto Quote = testenv::ShellQuote;

// In order: later cases meet what earlier ones left. Made on the host as
// they are: names the emulation would fold or trim.
TEST_F(CliTest, EachArgumentCaseGivesItsExitCodeAndSaysWhy) {
  splittest::UseSplitTexts();
  const std::string bytes = PatternBytes(5000, 33), other = PatternBytes(7000, 34);
  const std::string floppyAndOne = PatternBytes(1457665, 32), quoted = "a\" & echo INJECTED & \".bin";
  const std::pair<std::string, std::string> files[] = {
      {"f.bin", bytes}, {"small.bin", "tiny"}, {"a b.bin", floppyAndOne}, {"e.bin", ""}, {"one.bin", "1"},
      {"g.bin ", bytes}, {"bad\n\"x.bin", bytes}, {"F.BIN", other}, {quoted, bytes},
      {"s.bin.001", bytes.substr(0, 2000)}, {"s.bin.002", bytes.substr(2000, 1999)}, {"s.bin.003", bytes.substr(4000)},
      {"m.bin.001", bytes.substr(0, 2000)}, {"m.bin.003", bytes.substr(4000)}, {"s.bin", "older"}, {"m.bin", "older"}};
  for (const auto& [name, content] : files) ASSERT_TRUE(std::ofstream(host + "/" + name, std::ios::binary) << content);
  ASSERT_EQ(Run("split F.BIN --size 3000"), 0) << said;
  for (const char* folder : {"out", "out2", "out3", "out3\\f.bin.002", "out4", "out5", "out6", "out7"})
    ASSERT_TRUE(plat::CreateFolder(Win(folder)));
  ASSERT_EQ(symlink((host + "/f.bin").c_str(), (host + "/out6/f.bin.002").c_str()), 0);
  for (const char* left : {"f.bin.001.~ks", "f.bin.BAT.~ks", "g.bin.001.~ks"})
    ASSERT_TRUE(WriteFile(Win(std::string("out7\\") + left), "short"));
  std::string batch;
  for (const char* set : {"s.bin", "m.bin"}) ASSERT_TRUE(kst::WriteJoinBatch(scratch.path, set, 3, &batch));

  struct Case { std::string arguments, input; int exit; std::string says, shell = ""; } cases[] = {
      {"split e.bin", "", 1, "e.bin is empty (0 bytes): nothing to split"},
      {"split one.bin", "", 1, "one.bin (1 byte) fits in one split: nothing to split"},
      {"split f.bin --size 0", "", 2, "not a size: 0 (a number of at least 1 byte"},
      {"split f.bin --size 12QB", "", 2, "not a size: 12QB"},
      {"split f.bin --folder", "", 2, "--folder needs a value"},
      {"split f.bin --bogus", "", 2, "unknown option: --bogus"},
      {"split f.bin --folder nowhere", "", 2, host + "/nowhere: no such folder for the splits"},
      {"frobnicate", "", 2, "unknown command: frobnicate"},
      {"", "", 2, "usage: kestrova-cli split FILE"},
      {"join small.bin", "", 2, "small.bin: not a join batch"},
      {"join absent.001", "", 2, "no splits found: " + host + "/absent.001 is missing"},
      {"join s.bin.BAT --yes", "", 2, host + "/s.bin.002 (1999 bytes) breaks the set of 3 splits"},
      {"join m.bin.001 --yes", "", 2, host + "/m.bin.002 is missing; the batch names 3 splits"},
      // Exact host names: no other case, no trimmed blank, nothing Windows cannot hold; a split name
      // that is the file itself, through a link; the leftovers of a killed run go, another file's stay.
      {"split 'f.bin '", "", 2, "f.bin : no such file"},
      {"split 'g.bin '", "", 1, "g.bin : a blank at the end of the name; Windows cannot hold such a name"},
      {"split bad*x.bin", "", 1, "bad\\n\"x.bin: a control character in the name"},
      {"split " + Quote(quoted), "", 1, quoted + ": one of \" < > | * ? : in the name"},
      {"split f.bin --size 2000 --folder out6 --yes", "", 1, host + "/out6/f.bin.002 is f.bin itself"},
      {"split f.bin --size 2000 --folder out7", "", 0, "3 splits of 2000 bytes (the last 1000) in " + host + "/out7"},
      {"split f.bin --size=2000 --folder=out", "", 0, "3 splits of 2000 bytes (the last 1000) in " + host + "/out"},
      {"split f.bin --size 1.5kB --folder out5 --no-batch", "", 0, "4 splits of 1536 bytes (the last 392)"},
      {"split " + Quote(host + "/a b.bin"), "", 0, "2 splits of 1457664 bytes (the last 1) in " + host},
      {"split f.bin --size 2000B --folder out", "", 1, host + "/out/f.bin.001 was not replaced; nothing was written"},
      {"split f.bin --size 2000B --folder out --no-batch", "y\n", 0,
       "Error: File " + host + "/out/f.bin.001 already exists! Replace?"},
      {"split f.bin --size 1 --folder=out2 --no-batch", "", 0,
       "the split size was raised from 1 to 6 bytes, so that at most 999 splits are needed"},
      {"split f.bin --size 2000 --folder out3 --yes", "", 2,
       "could not create " + host + "/out3/f.bin.002: Permission denied; deleted the 1 split written before it"},
      {"split f.bin --size 2000 --folder out4", "", 2,
       "could not write " + host + "/out4/f.bin.001: File too large; nothing was written",
       "trap '' XFSZ; ulimit -f 1;"},  // a file of at most 512 bytes
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Run(c.arguments, c.input, c.shell), c.exit) << c.arguments << ": " << said;
    EXPECT_NE(said.find(c.says), std::string::npos) << c.arguments << ": " << said;
    EXPECT_EQ(said.find("Unknown problem"), std::string::npos) << said;
  }

  auto joined = [&](const std::string& name) {
    return ReadFile(Win(name + ".001")) + ReadFile(Win(name + ".002")) + ReadFile(Win(name + ".003"));
  };
  EXPECT_EQ(ReadFile(Win("f.bin")), bytes);
  EXPECT_EQ(ReadFile(Win("s.bin")) + ReadFile(Win("m.bin")), "olderolder");
  EXPECT_EQ(joined("F.BIN") + joined("out\\f.bin") + joined("out7\\f.bin"), other + bytes + bytes);
  EXPECT_EQ(ReadFile(Win("F.BIN.BAT")) + ReadFile(Win("out\\f.bin.BAT")),
            kst::JoinBatchText("F.BIN", 3) + kst::JoinBatchText("f.bin", 3));
  EXPECT_EQ(plat::SizeOfPath(Win("out2\\f.bin.834")), 2);
  for (const char* none : {"out3\\f.bin.001", "out4\\f.bin.001", "out4\\f.bin.001.~ks", "out7\\f.bin.001.~ks",
                           "out7\\f.bin.BAT.~ks"})
    EXPECT_FALSE(plat::PathExists(Win(none))) << none;
  EXPECT_EQ(ReadFile(Win("out7\\g.bin.001.~ks")), "short");
  EXPECT_EQ(ReadFile(Win("out5\\f.bin.004")), bytes.substr(3 * 1536));
  EXPECT_EQ(ReadFile(Win("a b.bin.002")), floppyAndOne.substr(1457664));

  ASSERT_TRUE(WriteFile(Win("out\\f.bin"), "older"));
  EXPECT_EQ(Run("join out/f.bin.BAT"), 1) << said;
  EXPECT_EQ(ReadFile(Win("out\\f.bin")), "older");
  EXPECT_EQ(Run("join out/f.bin.BAT --yes --delete"), 0) << said;
  EXPECT_EQ(ReadFile(Win("out\\f.bin")), bytes);
  for (const char* gone : {"out\\f.bin.001", "out\\f.bin.003", "out\\f.bin.BAT", "out\\f.bin.SFV"})
    EXPECT_FALSE(plat::PathExists(Win(gone))) << gone;
  EXPECT_EQ(Run("--help"), 0) << said;
  EXPECT_NE(said.find("--size[=]N"), std::string::npos) << said;
}

TEST_F(CliTest, CheckFileRefusesADamagedSplit) {
  splittest::UseSplitTexts();
  const std::string bytes = PatternBytes(5000, 41);
  ASSERT_TRUE(WriteFile(Win("c.bin"), bytes) && plat::CreateFolder(Win("sums")) && plat::CreateFolder(Win("plain")));
  ASSERT_EQ(Run("split c.bin --size 2000 --folder sums"), 0) << said;
  EXPECT_NE(said.find("their sums in " + host + "/sums/c.bin.SFV"), std::string::npos) << said;
  ASSERT_EQ(Run("split c.bin --size 2000 --folder plain --no-check-file"), 0) << said;
  EXPECT_FALSE(plat::PathExists(Win("plain\\c.bin.SFV")));
  const std::string cksfv = "cd " + Quote(host + "/sums") + " && cksfv -q -f c.bin.SFV >/dev/null 2>&1";
  EXPECT_TRUE(std::system("command -v cksfv >/dev/null 2>&1") != 0 || std::system(cksfv.c_str()) == 0);
  std::string damaged = bytes.substr(2000, 2000);
  damaged[7] = static_cast<char>(damaged[7] ^ 0x20);
  ASSERT_TRUE(WriteFile(Win("sums\\c.bin.002"), damaged) && WriteFile(Win("plain\\c.bin.002"), damaged));
  EXPECT_EQ(Run("join sums/c.bin.BAT --yes --delete"), 2) << said;
  EXPECT_NE(said.find(host + "/sums/c.bin.002 is damaged"), std::string::npos) << said;
  EXPECT_FALSE(plat::PathExists(Win("sums\\c.bin")) || plat::PathExists(Win("sums\\c.bin.~ks")));
  EXPECT_TRUE(plat::PathExists(Win("sums\\c.bin.002")) && plat::PathExists(Win("sums\\c.bin.SFV")));
  EXPECT_EQ(Run("join plain/c.bin.001 --yes"), 0) << said;
  EXPECT_EQ(plat::SizeOfPath(Win("plain\\c.bin")), 5000);
  ASSERT_TRUE(WriteFile(Win("sums\\c.bin.002"), bytes.substr(2000, 2000)));
  EXPECT_EQ(Run("join sums/c.bin.001 --yes --delete"), 0) << said;
  EXPECT_EQ(ReadFile(Win("sums\\c.bin")), bytes);
  EXPECT_FALSE(plat::PathExists(Win("sums\\c.bin.SFV")) || plat::PathExists(Win("sums\\c.bin.001")));
}

// In memory when there is room for the splits and the joined file (8.6 GB).
struct BigFolder {
  BigFolder() {
    struct statvfs fs;
    char pattern[] = "/dev/shm/kst_big_XXXXXX";
    if (statvfs("/dev/shm", &fs) == 0 && uint64_t{fs.f_bavail} * fs.f_frsize > (uint64_t{10} << 30) && mkdtemp(pattern))
      host = pattern;
  }
  ~BigFolder() { if (!host.empty()) std::filesystem::remove_all(host); }
  std::string host;
};

TEST_F(CliTest, FileBeyondFourGigabytesRoundTrips) {
  BigFolder memory;
  const std::string folder = memory.host.empty() ? host : memory.host;
  auto win = [&](const std::string& name) { return plat::EmuWindowsPath(folder + "/" + name); };
  const int64_t size = (int64_t{4} << 30) + (3 << 20);
  uint32_t seed = 0;
  for (int64_t at : {int64_t{0}, (int64_t{4} << 30) - 4096, size - 8192})
    ASSERT_TRUE(WriteFile(win("big.img"), PatternBytes(8192, ++seed), at));
  ASSERT_EQ(Run("split " + Quote(folder + "/big.img") + " --size 4GB --no-batch"), 0) << said;
  EXPECT_EQ(plat::SizeOfPath(win("big.img.001")), 4294967295);
  EXPECT_EQ(plat::SizeOfPath(win("big.img.002")), size - 4294967295);
  ASSERT_EQ(rename((folder + "/big.img").c_str(), (folder + "/original.img").c_str()), 0);
  ASSERT_EQ(Run("join " + Quote(folder + "/big.img.001") + " --delete"), 0) << said;
  EXPECT_FALSE(plat::PathExists(win("big.img.001")));
  ASSERT_EQ(plat::SizeOfPath(win("big.img")), size);
  EXPECT_EQ(std::system(("cmp -s " + Quote(folder + "/big.img") + " " + Quote(folder + "/original.img")).c_str()), 0);
}

}  // namespace
