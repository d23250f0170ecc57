// Test Disks' two passes over a 1 GB emulated disk, timed against the
// system's tools moving the same bytes in the same run. The write pass
// (the random test file made in the temporary folder, then copied onto
// the disk) against dd copying that file onto the disk; the read-back
// pass (the disk's file copied into the temporary folder, then compared
// with the test file) against cmp reading the disk's file and the test
// file. The lines "make" and "compare" time the first step of each pass
// alone: the copies through the temporary folder are the passes' extra.
// Usage: disktest_bench FOLDER (a host folder with 4 GB free).
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "compare/compare_blocks.h"
#include "disktest/random_data.h"
#include "frame/job_control.h"
#include "frame/platform/emulation.h"
#include "frame/platform/platform.h"
#include "frame/settings.h"

namespace {

using namespace bench;

bool Copy(const std::string& from, const std::string& to) {
  return plat::ShellFileOperation(plat::ShellOp::Copy, from, to,
                                  plat::kShellSilent | plat::kShellNoConfirmation) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: disktest_bench FOLDER\n");
    return 2;
  }
  namespace fs = std::filesystem;
  const fs::path root = fs::path(argv[1]) / ("kst_disktest_bench_" + std::to_string(getpid()));
  fs::create_directories(root / "disk");
  fs::create_directories(root / "tmp");
  plat::EmulatedDrive disk;
  disk.hostFolder = (root / "disk").string();
  disk.type = plat::kDriveRemovable;
  disk.capacity = kFileBytes;
  plat::EmuMapDrive('T', disk);
  const std::string t = plat::EmuWindowsPath((root / "tmp" / "KST1.tmp").string());
  const std::string r = plat::EmuWindowsPath((root / "tmp" / "KST2.tmp").string());
  const std::string d = "T:\\KST1.tmp";
  const std::string hostT = plat::EmuHostPath(t), hostD = plat::EmuHostPath(d);
  const std::string hostDd = (root / "disk" / "dd.bin").string();
  const kst::RandomBits random = kst::SeededRandomBits();

  // Each pass in its two steps, so that what the copies cost shows apart.
  std::vector<double> make, copyOut, copyBack, compare, dd, cmp;
  for (int round = 1; round <= kRounds; ++round) {
    kst::JobControl job;
    job.keepGoing = true;
    make.push_back(Seconds("disktest_bench", [&] {
      return kst::WriteRandomFile(t, kFileBytes, kst::kBuffSizeDefault, random, job, nullptr, -1) ==
             kst::WriteOutcome::Written;
    }));
    copyOut.push_back(Seconds("disktest_bench", [&] { return Copy(t, d); }));
    copyBack.push_back(Seconds("disktest_bench", [&] { return Copy(d, r); }));
    compare.push_back(Seconds("disktest_bench", [&] {
      kst::CompareRequest request;
      request.firstPath = t;
      request.secondPath = r;
      request.count = kFileBytes;
      return kst::CompareBlocks(request, job).outcome == kst::CompareOutcome::Equal;
    }));
    fs::remove(hostD);
    dd.push_back(Seconds("disktest_bench", [&] {
      return Shell("dd if=" + Quote(hostT) + " of=" + Quote(hostDd) + " bs=512000 status=none");
    }));
    cmp.push_back(
        Seconds("disktest_bench", [&] { return Shell("cmp " + Quote(hostDd) + " " + Quote(hostT)); }));
    fs::remove(hostDd);
    fs::remove(plat::EmuHostPath(r));
    std::fprintf(stderr,
                 "round %d of %d: make %.3f s, copy out %.3f s (dd %.3f s); copy back %.3f s, compare %.3f s "
                 "(cmp %.3f s)\n",
                 round, kRounds, make.back(), copyOut.back(), dd.back(), copyBack.back(), compare.back(),
                 cmp.back());
  }
  std::vector<double> writePass, readPass;
  for (int i = 0; i < kRounds; ++i) {
    writePass.push_back(make[i] + copyOut[i]);
    readPass.push_back(copyBack[i] + compare[i]);
  }
  fs::remove_all(root);
  std::printf("a 1 GB emulated disk, BuffSize %d, median of %d, in %s\n", kst::kBuffSizeDefault, kRounds,
              argv[1]);
  Report("write", "dd", writePass, dd);
  Report("make", "dd", make, dd);
  Report("read", "cmp", readPass, cmp);
  Report("compare", "cmp", compare, cmp);
  return 0;
}
