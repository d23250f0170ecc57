// kestrova-cli backup of a 1 GB file onto 100 MB folder disks, timed
// against split -b 100M, and its verification of the same stack against
// cmp over the same bytes (each split against its range of the file). The
// disk changes are renames done by a small command, as a user would script
// them. The file is read once before timing so that every tool reads it
// from the page cache. Usage: backup_bench FOLDER (a host folder with 4 GB
// free), with kestrova-cli built beside the bench folder.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"

using namespace bench;

int main(int argc, char** argv) {
  DiskStackBench b;
  if (!PrepareDiskStack("backup_bench", argc, argv, {"stack", "disk", "tmp", "theirs"}, &b)) return argc != 2 ? 2 : 1;
  const std::string& in = b.in;
  Shell(in + "cat big.bin >/dev/null");

  const std::string backup = in + b.cli + " backup big.bin --to disk --temp tmp --disk-size 100MB" +
                             " --new-disk-command ./swap.sh --save-lists l1 l2 </dev/null 2>/dev/null";
  const std::string verify =
      in + b.cli + " backup --load l2 --disk-size 100MB --new-disk-command ./swap.sh" +
      " --verify </dev/null 2>/dev/null && mv disk/* stack/" + std::to_string(kDisks) + "/";
  // The verification leaves the last disk it read in the folder; it goes
  // back to its place on the stack (a rename) so that cmp finds it.
  // cmp over the bytes the verification reads: split k against its range.
  std::string cmp = in + "set -e; ";
  for (int k = 1; k <= kDisks; ++k) {
    char name[16];
    std::snprintf(name, sizeof name, "%03d", k);
    const int64_t size = std::min<int64_t>(kDiskBytes, kFileBytes - (k - 1) * kDiskBytes);
    cmp += "cmp -s -i " + std::to_string((k - 1) * kDiskBytes) + ":0 -n " + std::to_string(size) +
           " big.bin stack/" + std::to_string(k) + "/big.bin." + name + "; ";
  }
  const std::string split = in + "split -b 100M big.bin theirs/big.bin.";
  const std::string tidy = in + "rm -rf stack/* disk/* theirs/* l1 l2";

  std::vector<double> backupOurs, backupTheirs, verifyOurs, verifyTheirs;
  std::vector<double> verifyOursCpu(kRounds), verifyTheirsCpu(kRounds);
  for (int round = 1; round <= kRounds; ++round) {
    ShellsInTurn("backup_bench", round, backup, &backupOurs, split, &backupTheirs);
    // The last disk is still in the folder: put it onto the stack, where cmp reads it.
    if (!Shell(in + "mkdir stack/" + std::to_string(kDisks) + " && mv disk/* stack/" +
               std::to_string(kDisks) + "/"))
      return std::fprintf(stderr, "backup_bench: the stack is not as expected\n"), 1;
    ShellsInTurn("backup_bench", round, verify, &verifyOurs, cmp, &verifyTheirs, &verifyOursCpu[round - 1],
                 &verifyTheirsCpu[round - 1]);
    Shell(tidy);
    TellRound(round, "backup", backupOurs, backupTheirs, "verify", verifyOurs, verifyTheirs);
  }
  EndDiskStack(b, "onto", argv[1]);
  ReportThroughput("backup", "split -b", backupOurs, backupTheirs);
  Report("verify", "cmp", verifyOurs, verifyTheirs);
  ReportProcessor("verify", "cmp", verifyOursCpu, verifyTheirsCpu);
  return 0;
}
