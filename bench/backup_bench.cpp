// kestrova-cli backup of a 1 GB file onto 100 MB folder disks, timed
// against split -b 100M, and its verification of the same stack against
// cmp over the same bytes (each split against its range of the file). The
// disk changes are renames done by a small command, as a user would script
// them. The file is read once before timing so that every tool reads it
// from the page cache. Usage: backup_bench FOLDER (a host folder with 4 GB
// free), with kestrova-cli built beside the bench folder.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_support.h"

namespace {

using namespace bench;

constexpr int64_t kDiskBytes = 100 << 20;
constexpr int kDisks = static_cast<int>((kFileBytes + kDiskBytes - 1) / kDiskBytes);

// New disk k: the folder holds disk k-1, which goes onto the stack. Verify
// disk k: the disk in the folder goes back to its place (the last one, at
// the first, to the end of the stack) and disk k comes in.
const char kSwapper[] =
    "#!/bin/sh\n"
    "set -e\n"
    "k=$KESTROVA_DISK\n"
    "if [ \"$KESTROVA_PROMPT\" = new-disk ]; then\n"
    "  [ \"$k\" -gt 1 ] || exit 0\n"
    "  mkdir stack/$((k-1)); mv disk/* stack/$((k-1))/\n"
    "else\n"
    "  if [ -n \"$(ls disk)\" ]; then\n"
    "    if [ \"$k\" = 1 ]; then to=$(($(ls stack | wc -l)+1)); else to=$((k-1)); fi\n"
    "    mkdir -p stack/$to; mv disk/* stack/$to/\n"
    "  fi\n"
    "  mv stack/$k/* disk/\n"
    "fi\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: backup_bench FOLDER\n");
    return 2;
  }
  namespace fs = std::filesystem;
  const std::string cli =
      (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "kestrova-cli").string();
  if (access(cli.c_str(), X_OK) != 0)
    return std::fprintf(stderr, "backup_bench: %s is not built\n", cli.c_str()), 1;
  const fs::path root = fs::path(argv[1]) / ("kst_backup_bench_" + std::to_string(getpid()));
  for (const char* folder : {"stack", "disk", "tmp", "theirs"}) fs::create_directories(root / folder);
  const std::string file = (root / "big.bin").string();
  if (!MakeFile(file)) return std::fprintf(stderr, "backup_bench: cannot write %s\n", file.c_str()), 1;
  std::ofstream(root / "swap.sh") << kSwapper;
  fs::permissions(root / "swap.sh", fs::perms::owner_all);
  Shell("cat " + Quote(file) + " >/dev/null");

  const std::string in = "cd " + Quote(root.string()) + " && ";
  const std::string backup = in + Quote(cli) + " backup big.bin --to disk --temp tmp --disk-size 100MB" +
                             " --new-disk-command ./swap.sh --save-lists l1 l2 </dev/null 2>/dev/null";
  const std::string verify =
      in + Quote(cli) + " backup --load l2 --disk-size 100MB --new-disk-command ./swap.sh" +
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
    // Which tool goes first alternates by round: memory a guest touches for
    // the first time costs more, and the one that writes first meets more of it.
    auto inTurn = [round](const std::function<void()>& a, const std::function<void()>& b) {
      if (round % 2) {
        a();
        b();
      } else {
        b();
        a();
      }
    };
    inTurn([&] { backupOurs.push_back(Seconds("backup_bench", [&] { return Shell(backup); })); },
           [&] { backupTheirs.push_back(Seconds("backup_bench", [&] { return Shell(split); })); });
    // The last disk is still in the folder: put it onto the stack, where cmp reads it.
    if (!Shell(in + "mkdir stack/" + std::to_string(kDisks) + " && mv disk/* stack/" +
               std::to_string(kDisks) + "/"))
      return std::fprintf(stderr, "backup_bench: the stack is not as expected\n"), 1;
    double* cpu[] = {&verifyOursCpu[round - 1], &verifyTheirsCpu[round - 1]};
    inTurn([&] { verifyOurs.push_back(Seconds("backup_bench", [&] { return Shell(verify); }, cpu[0])); },
           [&] { verifyTheirs.push_back(Seconds("backup_bench", [&] { return Shell(cmp); }, cpu[1])); });
    Shell(tidy);
    std::fprintf(stderr, "round %d of %d: backup %.3f/%.3f s, verify %.3f/%.3f s\n", round, kRounds,
                 backupOurs.back(), backupTheirs.back(), verifyOurs.back(), verifyTheirs.back());
  }
  fs::remove_all(root);

  std::printf("1 GB onto %d folder disks of 100 MB, median of %d, in %s\n", kDisks, kRounds, argv[1]);
  Report("backup", "split -b", backupOurs, backupTheirs);
  std::printf("        throughput ratio (split -b time / backup time) %.2f\n",
              Median(backupTheirs) / Median(backupOurs));
  Report("verify", "cmp", verifyOurs, verifyTheirs);
  ReportProcessor("verify", "cmp", verifyOursCpu, verifyTheirsCpu);
  return 0;
}
