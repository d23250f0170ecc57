// Test Disks' two passes over a 1 GB emulated disk, timed against the
// system's tools moving the same bytes in the same run: the write pass
// (the random buffer made and written to the test file in the temporary
// folder and to the disk) against dd copying the test file onto the disk;
// the read-back pass (the disk's file copied into the temporary folder and
// compared with the test file as it comes) against cmp reading the disk's
// file and the test file.
// Usage: disktest_bench FOLDER (a host folder with 4 GB free).
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "disktest/disk_passes.h"
#include "disktest/random_data.h"
#include "frame/platform/emulation.h"
#include "frame/platform/platform.h"
#include "frame/settings/settings.h"
#include "frame/threads/job_control.h"

using namespace bench;

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  fs::path root;
  if (!BenchRoot("disktest_bench", argc, argv, &root)) return 2;
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
  const std::string hostT = plat::EmuHostPath(t), hostD = plat::EmuHostPath(d), hostR = plat::EmuHostPath(r);
  const std::string hostDd = (root / "disk" / "dd.bin").string();
  const kst::RandomBits random = kst::SeededRandomBits();
  const uint32_t buffSize = kst::kBuffSizeDefault;

  std::vector<double> writePass, dd, readPass, cmp;
  // Processor seconds of each step as well: on a busy machine they vary far less.
  std::vector<double> writeCpu(kRounds), ddCpu(kRounds), readCpu(kRounds), cmpCpu(kRounds);
  for (int round = 1; round <= kRounds; ++round) {
    // Each pass starts as in a test: the files it makes are not there yet.
    for (const std::string& host : {hostT, hostD, hostR, hostDd}) fs::remove(host);
    kst::JobControl job;
    job.keepGoing = true;
    writePass.push_back(Seconds("disktest_bench", [&] {
      const std::unique_ptr<char[]> buffer = kst::MakeRandomBuffer(buffSize, random);
      return buffer && kst::WriteTestFiles(buffer.get(), buffSize, t, d, kFileBytes, job, nullptr, -1)
                               .outcome == kst::WriteOutcome::Written;
    }, &writeCpu[round - 1]));
    dd.push_back(Seconds("disktest_bench", [&] {
      return Shell("dd if=" + Quote(hostT) + " of=" + Quote(hostDd) + " bs=512000 status=none");
    }, &ddCpu[round - 1]));
    fs::remove(hostDd);
    readPass.push_back(Seconds("disktest_bench", [&] {
      const kst::ReadBackResult back =
          kst::ReadBackAndCompare(d, r, t, kFileBytes, static_cast<int32_t>(buffSize), job, nullptr, -1);
      return back.diskRead && back.compared.outcome == kst::CompareOutcome::Equal;
    }, &readCpu[round - 1]));
    cmp.push_back(Seconds(
        "disktest_bench", [&] { return Shell("cmp " + Quote(hostD) + " " + Quote(hostT)); },
        &cmpCpu[round - 1]));
    std::fprintf(stderr, "round %d of %d: write %.3f s (dd %.3f s); read %.3f s (cmp %.3f s)\n", round,
                 kRounds, writePass.back(), dd.back(), readPass.back(), cmp.back());
  }
  fs::remove_all(root);
  std::printf("a 1 GB emulated disk, BuffSize %u, median of %d, in %s\n", buffSize, kRounds,
              argv[1]);
  Report("write", "dd", writePass, dd);
  Report("read", "cmp", readPass, cmp);
  ReportProcessor("write", "dd", writeCpu, ddCpu);
  ReportProcessor("read", "cmp", readCpu, cmpCpu);
  return 0;
}
