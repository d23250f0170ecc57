// Splitting a 1 GB file into 100 MB splits and joining it again, timed
// against the system's split -b and cat in the same run: cat joins the
// splits Kestrova made (the same bytes as split's), so both joins read the same
// pages. The file is read once before timing so that every tool reads it
// from the page cache. Then what the check file costs: kestrova-cli split
// with it against split --no-check-file, and kestrova-cli join of one set
// with its .SFV against the same set with the .SFV put aside, each pair in
// alternating turns, as the throughput ratio (at least 0.95 is the aim).
// Usage: split_bench FOLDER (a host folder with 4 GB free), with
// kestrova-cli built beside the bench folder. KESTROVA_BENCH_MB makes the
// file that many MB (its splits in proportion): a quick check that the
// benchmark runs, whose figures mean little.
#include <sys/stat.h>
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
#include "frame/platform/emulation.h"
#include "frame/settings/settings.h"
#include "frame/threads/job_control.h"
#include "split/file_splitting.h"
#include "split/join_splits.h"

namespace {

using namespace bench;

// The file's size: 1 GB unless KESTROVA_BENCH_MB says otherwise.
int64_t FileBytes() {
  const char* mb = std::getenv("KESTROVA_BENCH_MB");
  const int64_t asked = mb ? std::atoll(mb) : 0;
  return asked > 0 ? asked << 20 : kFileBytes;
}

// A pair of medians of kestrova against itself, and the throughput with
// the check file as a part of the throughput without it.
void ReportCheckFile(const char* what, const char* with, const char* without, const std::vector<double>& a,
                     const std::vector<double>& b) {
  const double withSeconds = Median(a), withoutSeconds = Median(b);
  std::printf("%-7s %s %7.3f s  %s %7.3f s  throughput ratio %.3f (aim: 0.95 or more)\n", what, with, withSeconds,
              without, withoutSeconds, withoutSeconds / withSeconds);
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  fs::path root;
  if (!BenchRoot("split_bench", argc, argv, &root)) return 2;
  const std::string file = (root / "big.bin").string();
  const std::string ours = (root / "ours").string(), theirs = (root / "theirs").string();
  const std::string cli = CliBesideBench();
  if (cli.empty()) return std::fprintf(stderr, "split_bench: kestrova-cli is not built\n"), 1;
  const int64_t fileBytes = FileBytes();
  // 100 MB splits of 1 GB, what split -b 100M cuts.
  const int64_t splitBytes = fileBytes / 1024 * 100;
  for (const char* folder : {"ours", "theirs", "checked", "unchecked"}) fs::create_directories(root / folder);
  if (!MakeFile(file, fileBytes)) return std::fprintf(stderr, "split_bench: cannot write %s\n", file.c_str()), 1;
  Shell("cat " + Quote(file) + " >/dev/null");

  kst::FileSplittingInput input;
  input.file = plat::EmuWindowsPath(file);
  input.folder = plat::EmuWindowsPath(ours);
  input.splitSize = splitBytes;
  input.buffSize = kst::kBuffSizeDefault;
  kst::JoinSet set;
  set.folder = input.folder;
  set.name = "big.bin";
  set.count = static_cast<int>((fileBytes + splitBytes - 1) / splitBytes);

  // kestrova-cli in the folder of big.bin; a join without checks finds no
  // big.bin.SFV beside the splits, which is how a set without one joins.
  const std::string in = "cd " + Quote(root.string()) + " && ", quiet = " </dev/null >/dev/null 2>&1";
  const std::string splitChecked = in + Quote(cli) + " split big.bin --size " + std::to_string(splitBytes) +
                                   " --folder checked --yes" + quiet;
  const std::string splitUnchecked = in + Quote(cli) + " split big.bin --size " + std::to_string(splitBytes) +
                                     " --folder unchecked --no-check-file --yes" + quiet;
  const std::string join = in + "cd checked && " + Quote(cli) + " join big.bin.BAT" + quiet;
  const std::string joined = in + "cmp -s big.bin checked/big.bin && rm checked/big.bin";

  std::vector<double> splitOurs, splitTheirs, joinOurs, joinTheirs;
  std::vector<double> splitWith, splitWithout, joinWith, joinWithout;
  for (int round = 1; round <= kRounds; ++round) {
    kst::JobControl job;
    job.keepGoing = true;
    InTurn(round,
        [&] {
          splitOurs.push_back(Seconds("split_bench", [&] {
            return kst::RunFileSplitting(input, job).outcome == kst::SplitOutcome::Done;
          }));
        },
        [&] {
          splitTheirs.push_back(Seconds("split_bench", [&] {
            return Shell("split -b " + std::to_string(splitBytes) + " " + Quote(file) + " " +
                         Quote(theirs + "/big.bin."));
          }));
        });
    // Both joins read the same splits (ours, which hold the same bytes as
    // split's), so where their pages lie cannot favour either.
    InTurn(round, [&] { joinOurs.push_back(Seconds("split_bench", [&] { return kst::JoinSplits(set, input.buffSize, job); })); },
           [&] {
             joinTheirs.push_back(Seconds("split_bench", [&] {
               return Shell("cat " + Quote(ours) + "/big.bin.[0-9][0-9][0-9] >" +
                            Quote(theirs + "/joined"));
             }));
           });
    if (!Shell("cmp -s " + Quote(file) + " " + Quote(ours + "/big.bin")) ||
        !Shell("cmp -s " + Quote(file) + " " + Quote(theirs + "/joined"))) {
      std::fprintf(stderr, "split_bench: the joined file differs\n");
      return 1;
    }
    for (const fs::path& folder : {fs::path(ours), fs::path(theirs)})
      for (const auto& entry : fs::directory_iterator(folder)) fs::remove(entry.path());

    // The check file's cost: both splits read the file from the page
    // cache, both joins read the same splits.
    InTurn(round, [&] { splitWith.push_back(Seconds("split_bench", [&] { return Shell(splitChecked); })); },
           [&] { splitWithout.push_back(Seconds("split_bench", [&] { return Shell(splitUnchecked); })); });
    if (!fs::exists(root / "checked" / "big.bin.SFV") || fs::exists(root / "unchecked" / "big.bin.SFV"))
      return std::fprintf(stderr, "split_bench: --no-check-file did not decide the check file\n"), 1;
    // A join without checks: the set with its .SFV put aside, as a set
    // that has none joins.
    auto timedJoin = [&](std::vector<double>* seconds, bool checked) {
      const fs::path sfv = root / "checked" / "big.bin.SFV", aside = root / "big.bin.SFV";
      if (!checked) fs::rename(sfv, aside);
      seconds->push_back(Seconds("split_bench", [&] { return Shell(join); }));
      if (!checked) fs::rename(aside, sfv);
      if (!Shell(joined)) std::exit((std::fprintf(stderr, "split_bench: the joined file differs\n"), 1));
    };
    InTurn(round, [&] { timedJoin(&joinWith, true); }, [&] { timedJoin(&joinWithout, false); });
    for (const char* folder : {"checked", "unchecked"})
      for (const auto& entry : fs::directory_iterator(root / folder)) fs::remove(entry.path());
    std::fprintf(stderr, "round %d of %d: split %.3f/%.3f s, join %.3f/%.3f s; check file: split %.3f/%.3f s, "
                 "join %.3f/%.3f s\n", round, kRounds, splitOurs.back(), splitTheirs.back(), joinOurs.back(),
                 joinTheirs.back(), splitWith.back(), splitWithout.back(), joinWith.back(), joinWithout.back());
  }
  fs::remove_all(root);

  std::printf("%lld MB in %d splits of %lld bytes, BuffSize %d, median of %d, in %s\n",
              static_cast<long long>(fileBytes >> 20), set.count, static_cast<long long>(splitBytes),
              kst::kBuffSizeDefault, kRounds, argv[1]);
  Report("split", "split -b", splitOurs, splitTheirs);
  Report("join", "cat", joinOurs, joinTheirs);
  ReportCheckFile("split", "with .SFV", "--no-check-file", splitWith, splitWithout);
  ReportCheckFile("join", "checked", "no .SFV", joinWith, joinWithout);
  return 0;
}
