// kestrova-cli restore of the 1 GB backup stack (100 MB folder disks, made
// once by kestrova-cli backup) into a folder, joining as it goes, timed
// against cp of the pieces followed by cat; and the join alone (the splits
// already in the folder, kept) against cat. The splits above MaxSizeToCopy
// are appended straight from their disk, so the restore writes each byte
// once where cp and cat write it twice. The backup writes big.bin.SFV, so
// both the restore and the join check every split's CRC-32 on the way
// (what that costs alone is split_bench's). Usage: restore_bench FOLDER (a host
// folder with 4 GB free), with kestrova-cli built beside the bench folder.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"

using namespace bench;

int main(int argc, char** argv) {
  DiskStackBench b;
  if (!PrepareDiskStack("restore_bench", argc, argv, {"stack", "disk", "tmp", "out", "theirs", "joinset"}, &b))
    return argc != 2 ? 2 : 1;
  const std::string& in = b.in;
  if (!Shell(in + b.cli + " backup big.bin --to disk --temp tmp --disk-size 100MB"
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

  const std::string restore = in + b.cli + " restore" + disks + " --to out </dev/null >/dev/null 2>&1";
  const std::string copyCat = in + "cp stack/*/big.bin.0* theirs/ && cd theirs && cat" + pieces + " >big.bin";
  const std::string join = in + "cd joinset && " + b.cli + " join big.bin.BAT </dev/null 2>/dev/null";
  const std::string cat = in + "cd joinset && cat" + pieces + " >cat.bin";
  const std::string tidy = in + "rm -rf out/* theirs/* joinset/big.bin joinset/cat.bin";

  std::vector<double> restoreOurs, restoreTheirs, joinOurs, joinTheirs;
  for (int round = 1; round <= kRounds; ++round) {
    ShellsInTurn("restore_bench", round, restore, &restoreOurs, copyCat, &restoreTheirs);
    ShellsInTurn("restore_bench", round, join, &joinOurs, cat, &joinTheirs);
    if (!Shell(in + "cmp -s out/big.bin theirs/big.bin && cmp -s joinset/big.bin joinset/cat.bin"))
      return std::fprintf(stderr, "restore_bench: the files differ\n"), 1;
    Shell(tidy);
    TellRound(round, "restore", restoreOurs, restoreTheirs, "join", joinOurs, joinTheirs);
  }
  EndDiskStack(b, "from", argv[1]);
  ReportThroughput("restore", "cp + cat", restoreOurs, restoreTheirs);
  Report("join", "cat", joinOurs, joinTheirs);
  return 0;
}
