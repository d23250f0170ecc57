// kestrova-cli run as a user would run it: split a file, join it again.
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "frame/platform/emulation.h"
#include "frame/platform/platform.h"
#include "split/join_batch.h"
#include "tests/split/split_test_support.h"
#include "tests/support/test_env.h"

namespace {

using testenv::PatternBytes;
using testenv::ReadFile;
using testenv::WriteFile;

std::string Quote(const std::string& s) { return "'" + s + "'"; }

struct CliTest : ::testing::Test {
  void SetUp() override {
    splittest::UseSplitTexts();
    ASSERT_EQ(access(cli.c_str(), X_OK), 0) << cli << " is not built";
  }
  // Runs the cli in the scratch folder with input on stdin; returns its
  // exit status and keeps what it said.
  int Run(const std::string& arguments, const std::string& input = "") {
    const std::string command = "cd " + Quote(host) + " && printf '%s' " + Quote(input) + " | " + Quote(cli) +
                                " " + arguments + " 2>&1";
    FILE* out = popen(command.c_str(), "r");
    said.clear();
    for (int c; (c = fgetc(out)) != EOF;) said += static_cast<char>(c);
    const int status = pclose(out);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Win(const std::string& name) const { return scratch.Path(name); }
  // Built beside the tests.
  std::string cli = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "kestrova-cli";
  testenv::ScratchFolder scratch;
  std::string host = plat::EmuHostPath(scratch.path), said;
};

TEST_F(CliTest, SplitAndJoinRoundTrips) {
  const std::string bytes = PatternBytes(3000000, 31);
  ASSERT_TRUE(WriteFile(Win("movie.avi"), bytes));
  ASSERT_TRUE(plat::CreateFolder(Win("out")));
  ASSERT_EQ(Run("split movie.avi --folder out --size 1423.5kB"), 0) << said;
  EXPECT_EQ(ReadFile(Win("out\\movie.avi.001")), bytes.substr(0, 1457664));
  EXPECT_EQ(ReadFile(Win("out\\movie.avi.003")).size(), 84672u);
  EXPECT_EQ(ReadFile(Win("out\\movie.avi.BAT")), kst::JoinBatchText("movie.avi", 3));
  ASSERT_EQ(Run("join out/movie.avi.BAT --delete"), 0) << said;
  EXPECT_EQ(ReadFile(Win("out\\movie.avi")), bytes);
  for (const char* gone : {"out\\movie.avi.001", "out\\movie.avi.003", "out\\movie.avi.BAT"})
    EXPECT_FALSE(plat::PathExists(Win(gone))) << gone;

  // By default a floppy's size, beside the file (a host path with a blank);
  // joined from the first split without a batch, the splits stay.
  const std::string other = PatternBytes(2 * 1457664 + 1, 32);
  ASSERT_TRUE(WriteFile(Win("a b.bin"), other));
  ASSERT_EQ(Run("split " + Quote(host + "/a b.bin")), 0) << said;
  EXPECT_EQ(ReadFile(Win("a b.bin.003")), other.substr(2 * 1457664));
  ASSERT_TRUE(plat::DeleteOneFile(Win("a b.bin.BAT")) && plat::DeleteOneFile(Win("a b.bin")));
  ASSERT_EQ(Run("join 'a b.bin.001'"), 0) << said;
  EXPECT_EQ(ReadFile(Win("a b.bin")), other);
  EXPECT_TRUE(plat::PathExists(Win("a b.bin.001")));
}

TEST_F(CliTest, ExitCodesAreDoneRefusedAndError) {
  const std::string bytes = PatternBytes(5000, 33);
  ASSERT_TRUE(WriteFile(Win("f.bin"), bytes));
  ASSERT_TRUE(WriteFile(Win("f.bin.002"), "mine"));
  ASSERT_TRUE(WriteFile(Win("small.bin"), "tiny"));
  // 1: a No to replacing a split (nothing of the run is left), no answer
  // to replacing the joined file, a file that fits one split.
  EXPECT_EQ(Run("split f.bin --size 2000B --no-batch", "n\n"), 1) << said;
  EXPECT_NE(said.find("Error: File "), std::string::npos) << said;
  EXPECT_EQ(ReadFile(Win("f.bin.002")), "mine");
  EXPECT_FALSE(plat::PathExists(Win("f.bin.001")));
  EXPECT_EQ(Run("split f.bin --size 2000B --no-batch", "y\n"), 0) << said;
  EXPECT_EQ(ReadFile(Win("f.bin.002")), bytes.substr(2000, 2000));
  EXPECT_FALSE(plat::PathExists(Win("f.bin.BAT")));
  EXPECT_EQ(Run("split f.bin --size 2000 --yes"), 0) << said;
  ASSERT_TRUE(WriteFile(Win("f.bin"), "older"));
  EXPECT_EQ(Run("join f.bin.BAT"), 1) << said;
  EXPECT_EQ(ReadFile(Win("f.bin")), "older");
  EXPECT_EQ(Run("join f.bin.BAT --yes"), 0) << said;
  EXPECT_EQ(ReadFile(Win("f.bin")), bytes);
  EXPECT_EQ(Run("split small.bin"), 1) << said;
  // 2: whatever cannot be done as asked.
  for (const char* wrong : {"split absent.bin", "split small.bin --size 12QB", "split small.bin --folder nowhere",
                            "split small.bin --bogus", "join small.bin", "join absent.001", "frobnicate", ""})
    EXPECT_EQ(Run(wrong), 2) << wrong << ": " << said;
  EXPECT_FALSE(plat::PathExists(Win("small.bin.001")));
  EXPECT_FALSE(plat::PathExists(Win("absent.bin")));
  EXPECT_EQ(Run("--help"), 0) << said;
  EXPECT_NE(said.find("usage: kestrova-cli split FILE"), std::string::npos);
}

TEST_F(CliTest, JoinTakesOnlySplitsThatHoldTogether) {
  // 5000 bytes in splits of 2000: .001 and .002 of 2000, .003 of 1000,
  // then spoiled. A refused join names the split at fault and leaves no
  // target, nor changes an old one.
  const std::string bytes = PatternBytes(5000, 34), stale = PatternBytes(1000, 35);
  struct Case {
    const char* what;
    std::vector<std::pair<int, std::string>> splits;  // split k rewritten; "" deletes it
    bool batch;                                       // the batch kept
    const char* from;                                 // "BAT" or "001"
    int exit;
    int fault;  // the split named
  } cases[] = {
      {"one byte short", {{2, bytes.substr(2000, 1999)}}, true, "BAT", 2, 2},
      {"half split of a stopped run", {{2, bytes.substr(2000, 700)}}, true, "001", 2, 2},
      {"split missing", {{3, ""}}, true, "001", 2, 3},
      {"stale splits of an earlier run", {{4, stale}, {5, stale}}, false, "001", 0, 0},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string name = "f" + std::to_string(++n) + ".bin";
    auto split = [&](int k) { return Win(name + ".00" + std::to_string(k)); };
    ASSERT_TRUE(WriteFile(Win(name), bytes));
    ASSERT_EQ(Run("split " + name + " --size 2000B"), 0) << said;
    for (const auto& [k, content] : c.splits) {
      ASSERT_TRUE(content.empty() ? plat::DeleteOneFile(split(k)) : WriteFile(split(k), content));
    }
    if (!c.batch) {
      ASSERT_TRUE(plat::DeleteOneFile(Win(name + ".BAT")));
    }
    ASSERT_TRUE(WriteFile(Win(name), "older"));
    EXPECT_EQ(Run("join " + name + "." + c.from + " --yes"), c.exit) << said;
    EXPECT_EQ(ReadFile(Win(name)), c.exit ? "older" : bytes);
    if (c.fault) {
      EXPECT_NE(said.find(plat::EmuHostPath(split(c.fault))), std::string::npos) << said;
    }
  }
}

// In memory when there is room for the splits and the joined file
// (8.6 GB), so that the test does not wait on the disk.
struct BigFolder {
  BigFolder() {
    struct statvfs fs;
    char pattern[] = "/dev/shm/kst_big_XXXXXX";
    if (statvfs("/dev/shm", &fs) == 0 && uint64_t{fs.f_bavail} * fs.f_frsize > (uint64_t{10} << 30) &&
        mkdtemp(pattern))
      host = pattern;
  }
  ~BigFolder() {
    if (!host.empty()) std::filesystem::remove_all(host);
  }
  std::string host;
};

TEST_F(CliTest, FileBeyondFourGigabytesRoundTrips) {
  BigFolder memory;
  const std::string folder = memory.host.empty() ? host : memory.host;
  auto win = [&](const std::string& name) { return plat::EmuWindowsPath(folder + "/" + name); };
  // A sparse 4 GB + 3 MB with data at its start, across the 4 GB mark and
  // at its end; split into the largest split and the rest.
  const int64_t size = (int64_t{4} << 30) + (3 << 20);
  plat::FileHandle h = plat::FileOpen(win("big.img"), plat::kWrite, plat::Disposition::CreateAlways);
  uint32_t done = 0, seed = 0;
  for (int64_t at : {int64_t{0}, (int64_t{4} << 30) - 4096, size - 8192})
    EXPECT_TRUE(plat::FileSeek(h, at) && plat::FileWrite(h, PatternBytes(8192, ++seed).data(), 8192, &done));
  plat::FileClose(h);

  ASSERT_EQ(Run("split " + Quote(folder + "/big.img") + " --size 4GB --no-batch"), 0) << said;
  EXPECT_EQ(plat::SizeOfPath(win("big.img.001")), 4294967295);
  EXPECT_EQ(plat::SizeOfPath(win("big.img.002")), size - 4294967295);
  ASSERT_EQ(rename((folder + "/big.img").c_str(), (folder + "/original.img").c_str()), 0);
  ASSERT_EQ(Run("join " + Quote(folder + "/big.img.001") + " --delete"), 0) << said;
  EXPECT_FALSE(plat::PathExists(win("big.img.001")));
  ASSERT_EQ(plat::SizeOfPath(win("big.img")), size);
  const std::string compare = "cmp -s " + Quote(folder + "/big.img") + " " + Quote(folder + "/original.img");
  EXPECT_EQ(std::system(compare.c_str()), 0);
}

}  // namespace
