// Comparing two equal 1 GB files block by block, timed against the
// system's cmp in the same run and against the floor: reading both files
// through one BuffSize buffer each and comparing nothing. Both files are
// read once before timing so that every round reads them from the page
// cache. Usage: compare_bench FOLDER (a host folder with 2 GB free).
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "compare/compare_blocks.h"
#include "frame/platform/emulation.h"
#include "frame/settings/settings.h"
#include "frame/threads/job_control.h"

namespace {

using namespace bench;

// What reading the two files costs at the least: one read() of each per
// block, alternating, as the comparison reads them.
bool ReadBoth(const std::string& a, const std::string& b, int32_t buffSize) {
  const kst::BlockBuffers buffers(buffSize);
  const size_t blockSize = kst::BlockSize(buffSize);
  const int fa = open(a.c_str(), O_RDONLY), fb = open(b.c_str(), O_RDONLY);
  bool ok = buffers.first && fa >= 0 && fb >= 0;
  int64_t total = 0;
  while (ok) {
    const ssize_t n = read(fa, buffers.first, blockSize), m = read(fb, buffers.second, blockSize);
    if (n <= 0 || m != n) break;
    total += n;
  }
  if (fa >= 0) close(fa);
  if (fb >= 0) close(fb);
  return ok && total == kFileBytes;
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  fs::path root;
  if (!BenchRoot("compare_bench", argc, argv, &root)) return 2;
  fs::create_directories(root);
  const std::string a = (root / "a.bin").string(), b = (root / "b.bin").string();
  if (!MakeFile(a)) return std::fprintf(stderr, "compare_bench: cannot write %s\n", a.c_str()), 1;
  fs::copy_file(a, b);
  Shell("cat " + Quote(a) + " " + Quote(b) + " >/dev/null");

  kst::CompareRequest request;
  request.firstPath = plat::EmuWindowsPath(a);
  request.secondPath = plat::EmuWindowsPath(b);
  request.count = kFileBytes;
  request.buffSize = kst::kBuffSizeDefault;

  std::vector<double> ours, theirs, reading, oursCpu(kRounds), theirsCpu(kRounds), readingCpu(kRounds);
  for (int round = 1; round <= kRounds; ++round) {
    kst::JobControl job;
    job.keepGoing = true;
    auto kestrova = [&] {
      ours.push_back(Seconds("compare_bench", [&] {
        return kst::CompareBlocks(request, job).outcome == kst::CompareOutcome::Equal;
      }, &oursCpu[round - 1]));
    };
    auto cmp = [&] {
      theirs.push_back(Seconds("compare_bench", [&] { return Shell("cmp " + Quote(a) + " " + Quote(b)); },
                               &theirsCpu[round - 1]));
    };
    reading.push_back(Seconds("compare_bench", [&] { return ReadBoth(a, b, request.buffSize); },
                              &readingCpu[round - 1]));
    InTurn(round, kestrova, cmp);
    std::fprintf(stderr, "round %d of %d: compare %.3f s, cmp %.3f s, reading alone %.3f s\n", round, kRounds,
                 ours.back(), theirs.back(), reading.back());
  }
  fs::remove_all(root);

  std::printf("two equal 1 GB files, BuffSize %d, median of %d, in %s\n", kst::kBuffSizeDefault,
              kRounds, argv[1]);
  Report("compare", "cmp", ours, theirs);
  ReportProcessor("compare", "cmp", oursCpu, theirsCpu);
  Report("compare", "reading", ours, reading);
  ReportProcessor("compare", "reading", oursCpu, readingCpu);
  return 0;
}
