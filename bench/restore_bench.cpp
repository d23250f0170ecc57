// kestrova-cli restore of the 1 GB backup stack (100 MB folder disks, made
// once by kestrova-cli backup) into a folder, joining as it goes, timed
// against cp of the pieces followed by cat; and the join alone (the splits
// already in the folder, kept) against cat. The splits above MaxSizeToCopy
// are appended straight from their disk, so the restore writes each byte
// once where cp and cat write it twice. Usage: restore_bench FOLDER (a host
// folder with 4 GB free), with kestrova-cli built beside the bench folder.
#include <unistd.h>

#include <cstdio>
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

const char kSwapper[] =
    "#!/bin/sh\n"
    "k=$KESTROVA_DISK\n"
    "[ \"$k\" -gt 1 ] || exit 0\n"
    "mkdir stack/$((k-1)) && mv disk/* stack/$((k-1))/\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: restore_bench FOLDER\n");
    return 2;
  }
  namespace fs = std::filesystem;
  const std::string cli =
      (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "kestrova-cli").string();
  if (access(cli.c_str(), X_OK) != 0)
    return std::fprintf(stderr, "restore_bench: %s is not built\n", cli.c_str()), 1;
  const fs::path root = fs::path(argv[1]) / ("kst_restore_bench_" + std::to_string(getpid()));
  for (const char* folder : {"stack", "disk", "tmp", "out", "theirs", "joinset"}) fs::create_directories(root / folder);
  const std::string file = (root / "big.bin").string();
  if (!MakeFile(file)) return std::fprintf(stderr, "restore_bench: cannot write %s\n", file.c_str()), 1;
  std::ofstream(root / "swap.sh") << kSwapper;
  fs::permissions(root / "swap.sh", fs::perms::owner_all);
  const std::string in = "cd " + Quote(root.string()) + " && ";
  if (!Shell(in + Quote(cli) + " backup big.bin --to disk --temp tmp --disk-size 100MB"
                  " --new-disk-command ./swap.sh </dev/null 2>/dev/null && mkdir stack/" +
             std::to_string(kDisks) + " && mv disk/* stack/" + std::to_string(kDisks) + "/ && rm big.bin"))
    return std::fprintf(stderr, "restore_bench: the backup failed\n"), 1;
  std::string disks, pieces;
  for (int k = 1; k <= kDisks; ++k) {
    disks += " stack/" + std::to_string(k);
    char name[32];
    std::snprintf(name, sizeof name, "big.bin.%03d", k);
    pieces += std::string(" ") + name;
  }
  Shell(in + "cp stack/*/big.bin.* joinset/");
  Shell(in + "cat stack/*/* >/dev/null");

  const std::string restore = in + Quote(cli) + " restore" + disks + " --to out </dev/null >/dev/null 2>&1";
  const std::string copyCat = in + "cp stack/*/big.bin.0* theirs/ && cd theirs && cat" + pieces + " >big.bin";
  const std::string join = in + "cd joinset && " + Quote(cli) + " join big.bin.BAT </dev/null 2>/dev/null";
  const std::string cat = in + "cd joinset && cat" + pieces + " >cat.bin";
  const std::string tidy = in + "rm -rf out/* theirs/* joinset/big.bin joinset/cat.bin";

  std::vector<double> restoreOurs, restoreTheirs, joinOurs, joinTheirs;
  for (int round = 1; round <= kRounds; ++round) {
    auto inTurn = [round](const std::function<void()>& a, const std::function<void()>& b) {
      if (round % 2) {
        a();
        b();
      } else {
        b();
        a();
      }
    };
    inTurn([&] { restoreOurs.push_back(Seconds("restore_bench", [&] { return Shell(restore); })); },
           [&] { restoreTheirs.push_back(Seconds("restore_bench", [&] { return Shell(copyCat); })); });
    inTurn([&] { joinOurs.push_back(Seconds("restore_bench", [&] { return Shell(join); })); },
           [&] { joinTheirs.push_back(Seconds("restore_bench", [&] { return Shell(cat); })); });
    if (!Shell(in + "cmp -s out/big.bin theirs/big.bin && cmp -s joinset/big.bin joinset/cat.bin"))
      return std::fprintf(stderr, "restore_bench: the files differ\n"), 1;
    Shell(tidy);
    std::fprintf(stderr, "round %d of %d: restore %.3f/%.3f s, join %.3f/%.3f s\n", round, kRounds,
                 restoreOurs.back(), restoreTheirs.back(), joinOurs.back(), joinTheirs.back());
  }
  fs::remove_all(root);

  std::printf("1 GB from %d folder disks of 100 MB, median of %d, in %s\n", kDisks, kRounds, argv[1]);
  Report("restore", "cp + cat", restoreOurs, restoreTheirs);
  std::printf("        throughput ratio (cp + cat time / restore time) %.2f\n",
              Median(restoreTheirs) / Median(restoreOurs));
  Report("join", "cat", joinOurs, joinTheirs);
  return 0;
}
