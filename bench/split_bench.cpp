// Splitting a 1 GB file into 100 MB splits and joining it again, timed
// against the system's split -b and cat in the same run: cat joins the
// splits Kestrova made (the same bytes as split's), so both joins read the same
// pages. The file is read once before timing so that every tool reads it
// from the page cache. Usage: split_bench FOLDER (a host folder with 4 GB free).
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
#include "frame/job_control.h"
#include "frame/platform/emulation.h"
#include "frame/settings.h"
#include "split/file_splitting.h"
#include "split/join_splits.h"

namespace {

using namespace bench;

constexpr int64_t kSplitBytes = 100 << 20;  // what split -b 100M cuts

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: split_bench FOLDER\n");
    return 2;
  }
  namespace fs = std::filesystem;
  const fs::path root = fs::path(argv[1]) / ("kst_split_bench_" + std::to_string(getpid()));
  const std::string file = (root / "big.bin").string();
  const std::string ours = (root / "ours").string(), theirs = (root / "theirs").string();
  fs::create_directories(ours);
  fs::create_directories(theirs);
  if (!MakeFile(file)) return std::fprintf(stderr, "split_bench: cannot write %s\n", file.c_str()), 1;
  Shell("cat " + Quote(file) + " >/dev/null");

  kst::FileSplittingInput input;
  input.file = plat::EmuWindowsPath(file);
  input.folder = plat::EmuWindowsPath(ours);
  input.splitSize = kSplitBytes;
  input.buffSize = kst::kBuffSizeDefault;
  kst::JoinSet set;
  set.folder = input.folder;
  set.name = "big.bin";
  set.count = static_cast<int>((kFileBytes + kSplitBytes - 1) / kSplitBytes);

  std::vector<double> splitOurs, splitTheirs, joinOurs, joinTheirs;
  for (int round = 1; round <= kRounds; ++round) {
    kst::JobControl job;
    job.keepGoing = true;
    // Which tool goes first alternates by round: in a virtual machine,
    // memory the guest touches for the first time costs more, and the one
    // that writes first meets more of it.
    auto inTurn = [round](const std::function<void()>& a, const std::function<void()>& b) {
      if (round % 2) {
        a();
        b();
      } else {
        b();
        a();
      }
    };
    inTurn(
        [&] {
          splitOurs.push_back(Seconds("split_bench", [&] {
            return kst::RunFileSplitting(input, job).outcome == kst::SplitOutcome::Done;
          }));
        },
        [&] {
          splitTheirs.push_back(Seconds("split_bench", [&] {
            return Shell("split -b 100M " + Quote(file) + " " + Quote(theirs + "/big.bin."));
          }));
        });
    // Both joins read the same splits (ours, which hold the same bytes as
    // split's), so where their pages lie cannot favour either.
    inTurn([&] { joinOurs.push_back(Seconds("split_bench", [&] { return kst::JoinSplits(set, input.buffSize, job); })); },
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
    std::fprintf(stderr, "round %d of %d: split %.3f/%.3f s, join %.3f/%.3f s\n", round, kRounds,
                 splitOurs.back(), splitTheirs.back(), joinOurs.back(), joinTheirs.back());
  }
  fs::remove_all(root);

  std::printf("1 GB in %d splits of 100 MB, BuffSize %d, median of %d, in %s\n", set.count,
              kst::kBuffSizeDefault, kRounds, argv[1]);
  Report("split", "split -b", splitOurs, splitTheirs);
  Report("join", "cat", joinOurs, joinTheirs);
  return 0;
}
