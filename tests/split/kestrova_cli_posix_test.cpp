// kestrova-cli run as a user would run it: split a file, join it again.
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "frame/platform/emulation.h"
#include "frame/platform/platform.h"
#include "frame/texts.h"
#include "split/join_batch.h"
#include "tests/split/split_test_support.h"
#include "tests/support/test_env.h"

namespace {

using testenv::PatternBytes;
using testenv::ReadFile;
using testenv::ScratchFolder;
using testenv::WriteFile;

// The cli is built beside the tests.
std::string CliPath() {
  char self[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return "kestrova-cli";
  std::string path(self, static_cast<size_t>(n));
  return path.substr(0, path.find_last_of('/')) + "/kestrova-cli";
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

struct CliTest : ::testing::Test {
  void SetUp() override {
    splittest::UseSplitTexts();
    host = plat::EmuHostPath(scratch.path);
    ASSERT_EQ(access(CliPath().c_str(), X_OK), 0) << CliPath() << " is not built";
  }
  // Runs the cli in the scratch folder with input on stdin; returns its
  // exit status and keeps what it said.
  int Run(const std::string& arguments, const std::string& input = "") {
    std::string log = host + "/cli.log";
    std::string command = "cd " + Quote(host) + " && printf '%s' " + Quote(input) + " | " +
                          Quote(CliPath()) + " " + arguments + " >" + Quote(log) + " 2>&1";
    int status = std::system(command.c_str());
    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    said = text.str();
    unlink(log.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Win(const std::string& name) const { return scratch.Path(name); }
  ScratchFolder scratch;
  std::string host, said;
};

TEST_F(CliTest, SplitAndJoinRoundTrip) {
  const std::string bytes = PatternBytes(3000000, 31);
  ASSERT_TRUE(WriteFile(Win("movie.avi"), bytes));
  ASSERT_TRUE(plat::CreateFolder(Win("out")));

  ASSERT_EQ(Run("split movie.avi --folder out --size 1423.5kB"), 0) << said;
  EXPECT_EQ(ReadFile(Win("out\\movie.avi.001")), bytes.substr(0, 1457664));
  EXPECT_EQ(ReadFile(Win("out\\movie.avi.003")).size(), 84672u);
  EXPECT_EQ(ReadFile(Win("out\\movie.avi.BAT")), kst::JoinBatchText("movie.avi", 3));

  ASSERT_EQ(Run("join out/movie.avi.BAT --delete"), 0) << said;
  EXPECT_EQ(ReadFile(Win("out\\movie.avi")), bytes);
  EXPECT_FALSE(plat::PathExists(Win("out\\movie.avi.001")));
  EXPECT_FALSE(plat::PathExists(Win("out\\movie.avi.003")));
  EXPECT_FALSE(plat::PathExists(Win("out\\movie.avi.BAT")));
}

TEST_F(CliTest, DefaultsAreAFloppyInTheFilesFolderWithABatch) {
  const std::string bytes = PatternBytes(2 * 1457664 + 1, 32);
  ASSERT_TRUE(WriteFile(Win("a b.bin"), bytes));
  ASSERT_EQ(Run("split " + Quote(host + "/a b.bin")), 0) << said;
  EXPECT_EQ(ReadFile(Win("a b.bin.003")), bytes.substr(2 * 1457664));
  EXPECT_TRUE(plat::PathExists(Win("a b.bin.BAT")));

  // From the first split, without a batch, keeping the splits.
  ASSERT_TRUE(plat::DeleteOneFile(Win("a b.bin.BAT")));
  ASSERT_TRUE(plat::DeleteOneFile(Win("a b.bin")));
  ASSERT_EQ(Run("join 'a b.bin.001'"), 0) << said;
  EXPECT_EQ(ReadFile(Win("a b.bin")), bytes);
  EXPECT_TRUE(plat::PathExists(Win("a b.bin.001")));
}

TEST_F(CliTest, ExistingSplitIsReplacedOnlyOnYes) {
  const std::string bytes = PatternBytes(5000, 33);
  ASSERT_TRUE(WriteFile(Win("f.bin"), bytes));
  ASSERT_TRUE(WriteFile(Win("f.bin.002"), "mine"));

  EXPECT_EQ(Run("split f.bin --size 2000B --no-batch", "n\n"), 1) << said;
  EXPECT_NE(said.find("Error: File "), std::string::npos) << said;
  EXPECT_EQ(ReadFile(Win("f.bin.002")), "mine");
  EXPECT_FALSE(plat::PathExists(Win("f.bin.001")));
  EXPECT_EQ(ReadFile(Win("f.bin")), bytes);

  EXPECT_EQ(Run("split f.bin --size 2000B --no-batch", "y\n"), 0) << said;
  EXPECT_EQ(ReadFile(Win("f.bin.002")), bytes.substr(2000, 2000));
  EXPECT_FALSE(plat::PathExists(Win("f.bin.BAT")));

  EXPECT_EQ(Run("split f.bin --size 2000B --yes"), 0) << said;
  EXPECT_TRUE(plat::PathExists(Win("f.bin.BAT")));
}

TEST_F(CliTest, JoinAsksBeforeReplacingAFile) {
  ASSERT_TRUE(WriteFile(Win("g.bin"), PatternBytes(5000, 34)));
  ASSERT_EQ(Run("split g.bin --size 2000"), 0) << said;
  ASSERT_TRUE(WriteFile(Win("g.bin"), "older"));
  EXPECT_EQ(Run("join g.bin.BAT"), 1) << said;  // no answer is No
  EXPECT_EQ(ReadFile(Win("g.bin")), "older");
  EXPECT_EQ(Run("join g.bin.BAT --yes"), 0) << said;
  EXPECT_EQ(ReadFile(Win("g.bin")), PatternBytes(5000, 34));
}

TEST_F(CliTest, RefusalsAndErrors) {
  ASSERT_TRUE(WriteFile(Win("small.bin"), "tiny"));
  EXPECT_EQ(Run("split small.bin"), 1) << said;  // fits one split
  EXPECT_FALSE(plat::PathExists(Win("small.bin.001")));
  EXPECT_EQ(Run("split absent.bin"), 2) << said;
  EXPECT_FALSE(plat::PathExists(Win("absent.bin")));
  EXPECT_EQ(Run("split small.bin --size 12QB"), 2) << said;
  EXPECT_EQ(Run("split small.bin --folder nowhere"), 2) << said;
  EXPECT_EQ(Run("split small.bin --bogus"), 2) << said;
  EXPECT_EQ(Run("join small.bin"), 2) << said;
  EXPECT_EQ(Run("join absent.001"), 2) << said;
  EXPECT_EQ(Run("frobnicate"), 2) << said;
  EXPECT_EQ(Run(""), 2) << said;
  EXPECT_EQ(Run("--help"), 0) << said;
  EXPECT_NE(said.find("usage: kestrova-cli split FILE"), std::string::npos);
}

// A folder for the 4 GB test: in memory when there is room for the splits
// and the joined file (8.6 GB), so the test does not wait on the disk.
struct BigFolder {
  BigFolder() {
    struct statvfs fs;
    char pattern[] = "/dev/shm/kst_big_XXXXXX";
    if (statvfs("/dev/shm", &fs) == 0 &&
        static_cast<uint64_t>(fs.f_bavail) * fs.f_frsize > (uint64_t{10} << 30) && mkdtemp(pattern))
      host = pattern;
  }
  ~BigFolder() {
    if (!host.empty()) std::filesystem::remove_all(host);
  }
  std::string host;
};

TEST_F(CliTest, FileBeyondFourGigabytes) {
  BigFolder memory;
  const std::string folder = memory.host.empty() ? host : memory.host;
  auto win = [&](const std::string& name) { return plat::EmuWindowsPath(folder + "/" + name); };
  // A sparse file of 4 GB + 3 MB with data at its start, across the 4 GB
  // mark and at its end; split into the largest split and the rest.
  const int64_t size = (int64_t{4} << 30) + (3 << 20);
  const std::string head = PatternBytes(4096, 1), middle = PatternBytes(8192, 2),
                    tail = PatternBytes(4096, 3);
  {
    plat::FileHandle h = plat::FileOpen(win("big.img"), plat::kWrite, plat::Disposition::CreateAlways);
    ASSERT_NE(h, plat::kNoFile);
    uint32_t done = 0;
    ASSERT_TRUE(plat::FileWrite(h, head.data(), 4096, &done));
    ASSERT_TRUE(plat::FileSeek(h, (int64_t{4} << 30) - 4096));
    ASSERT_TRUE(plat::FileWrite(h, middle.data(), 8192, &done));
    ASSERT_TRUE(plat::FileSeek(h, size - 4096));
    ASSERT_TRUE(plat::FileWrite(h, tail.data(), 4096, &done));
    plat::FileClose(h);
  }
  ASSERT_EQ(Run("split " + Quote(folder + "/big.img") + " --size 4GB --no-batch"), 0) << said;
  EXPECT_EQ(plat::SizeOfPath(win("big.img.001")), 4294967295);
  EXPECT_EQ(plat::SizeOfPath(win("big.img.002")), size - 4294967295);
  ASSERT_EQ(rename((folder + "/big.img").c_str(), (folder + "/original.img").c_str()), 0);

  ASSERT_EQ(Run("join " + Quote(folder + "/big.img.001") + " --delete"), 0) << said;
  EXPECT_FALSE(plat::PathExists(win("big.img.001")));
  ASSERT_EQ(plat::SizeOfPath(win("big.img")), size);
  std::string compare = "cmp -s " + Quote(folder + "/big.img") + " " + Quote(folder + "/original.img");
  EXPECT_EQ(std::system(compare.c_str()), 0);
}

}  // namespace
