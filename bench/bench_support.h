// What every benchmark shares: timing a step, the median of the rounds,
// running the system's own tools, and the 1 GB file they all work on.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace bench {

constexpr int64_t kFileBytes = int64_t{1} << 30;
// Even, so that each tool goes first in as many rounds as it goes second.
constexpr int kRounds = 10;

// Processor seconds (user and system) of this process and of the children
// it has waited for, the system's tools among them.
inline double ProcessorSeconds() {
  double total = 0;
  for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
    rusage u{};
    getrusage(who, &u);
    total += u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
  }
  return total;
}

// The seconds work takes; a step that fails ends the benchmark. With cpu,
// its processor seconds go there too: on a machine busy with other work
// they vary far less than the elapsed time.
inline double Seconds(const char* bench, const std::function<bool()>& work, double* cpu = nullptr) {
  const double cpuStart = ProcessorSeconds();
  auto start = std::chrono::steady_clock::now();
  if (!work()) {
    std::fprintf(stderr, "%s: a timed step failed\n", bench);
    std::exit(1);
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (cpu) *cpu = ProcessorSeconds() - cpuStart;
  return seconds;
}

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t half = v.size() / 2;
  return v.size() % 2 ? v[half] : (v[half - 1] + v[half]) / 2;
}

inline bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

inline std::string Quote(const std::string& s) { return "'" + s + "'"; }

// 1 GB (or bytes) that do not compress or repeat in any way a tool could use.
inline bool MakeFile(const std::string& path, int64_t bytes = kFileBytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::vector<uint32_t> block(1 << 18);
  uint32_t x = 2463534242u;
  for (int64_t done = 0; done < bytes; done += 1 << 20) {
    for (uint32_t& word : block) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      word = x;
    }
    const size_t words = static_cast<size_t>(std::min<int64_t>(bytes - done, 1 << 20) / 4);
    if (std::fwrite(block.data(), 4, words, f) != words) return std::fclose(f), false;
  }
  return std::fclose(f) == 0;
}

// One line of medians: ours against the system's tool, and their time ratio.
inline void Report(const char* what, const char* tool, const std::vector<double>& ours,
                   const std::vector<double>& theirs) {
  const double a = Median(ours), b = Median(theirs);
  std::printf("%-7s kestrova %7.3f s  %-9s %7.3f s  time ratio %.2f\n", what, a, tool, b, a / b);
}

// The same for processor seconds.
inline void ReportProcessor(const char* what, const char* tool, const std::vector<double>& ours,
                            const std::vector<double>& theirs) {
  const double a = Median(ours), b = Median(theirs);
  std::printf("%-7s kestrova %7.3f s  %-9s %7.3f s  processor time ratio %.2f\n", what, a, tool, b, a / b);
}

// Report's line, then the throughput ratio a disk run is judged by: the
// tool's time over ours.
inline void ReportThroughput(const char* what, const char* tool, const std::vector<double>& ours,
                             const std::vector<double>& theirs) {
  Report(what, tool, ours, theirs);
  std::printf("        throughput ratio (%s time / %s time) %.2f\n", tool, what, Median(theirs) / Median(ours));
}

// Which of two steps goes first alternates by round: memory a guest touches
// for the first time costs more, and the one that writes first meets more of it.
inline void InTurn(int round, const std::function<void()>& a, const std::function<void()>& b) {
  if (round % 2) {
    a();
    b();
  } else {
    b();
    a();
  }
}

// One round of two shell commands, timed in turn, each time to its list
// (and its processor seconds where given).
inline void ShellsInTurn(const char* bench, int round, const std::string& ours, std::vector<double>* oursTimes,
                         const std::string& theirs, std::vector<double>* theirsTimes, double* oursCpu = nullptr,
                         double* theirsCpu = nullptr) {
  InTurn(round, [&] { oursTimes->push_back(Seconds(bench, [&] { return Shell(ours); }, oursCpu)); },
         [&] { theirsTimes->push_back(Seconds(bench, [&] { return Shell(theirs); }, theirsCpu)); });
}

// A stack of 100 MB folder disks for kestrova-cli backup and restore: the
// folder disk/ is the drive, stack/k holds disk k once it is out.
constexpr int64_t kDiskBytes = 100 << 20;
constexpr int kDisks = static_cast<int>((kFileBytes + kDiskBytes - 1) / kDiskBytes);

// New disk k: the folder holds disk k-1, which goes onto the stack. Verify
// disk k: the disk in the folder goes back to its place (the last one, at
// the first, to the end of the stack) and disk k comes in.
inline const char kSwapper[] =
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

// The folder of this run, under FOLDER (the one argument); false after
// the usage line when the argument is not there.
inline bool BenchRoot(const char* bench, int argc, char** argv, std::filesystem::path* root) {
  if (argc != 2) return std::fprintf(stderr, "usage: %s FOLDER\n", bench), false;
  *root = std::filesystem::path(argv[1]) / ("kst_" + std::string(bench) + "_" + std::to_string(getpid()));
  return true;
}

// kestrova-cli of the build the running benchmark belongs to, "" when it
// is not built.
inline std::string CliBesideBench() {
  namespace fs = std::filesystem;
  const std::string cli = (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "kestrova-cli").string();
  return access(cli.c_str(), X_OK) == 0 ? cli : std::string();
}

struct DiskStackBench {
  std::filesystem::path root;  // holds big.bin, swap.sh and the folders
  std::string cli;             // kestrova-cli, quoted
  std::string in;              // "cd root && "
};

// Reads FOLDER from the command line, makes a folder of its own there with
// the 1 GB big.bin, swap.sh and the folders named, and finds kestrova-cli
// beside the bench folder. False (after saying why) when any of it fails.
inline bool PrepareDiskStack(const char* bench, int argc, char** argv, const std::vector<const char*>& folders,
                             DiskStackBench* b) {
  namespace fs = std::filesystem;
  if (!BenchRoot(bench, argc, argv, &b->root)) return false;
  const std::string cli = CliBesideBench();
  if (cli.empty()) return std::fprintf(stderr, "%s: kestrova-cli is not built\n", bench), false;
  for (const char* folder : folders) fs::create_directories(b->root / folder);
  const std::string file = (b->root / "big.bin").string();
  if (!MakeFile(file)) return std::fprintf(stderr, "%s: cannot write %s\n", bench, file.c_str()), false;
  std::ofstream(b->root / "swap.sh") << kSwapper;
  fs::permissions(b->root / "swap.sh", fs::perms::owner_all);
  b->cli = Quote(cli);
  b->in = "cd " + Quote(b->root.string()) + " && ";
  return true;
}

// A round's two steps, ours/theirs each, on stderr as the rounds go.
inline void TellRound(int round, const char* first, const std::vector<double>& ours1,
                      const std::vector<double>& theirs1, const char* second, const std::vector<double>& ours2,
                      const std::vector<double>& theirs2) {
  std::fprintf(stderr, "round %d of %d: %s %.3f/%.3f s, %s %.3f/%.3f s\n", round, kRounds, first, ours1.back(),
               theirs1.back(), second, ours2.back(), theirs2.back());
}

// Removes the stack's folder and heads the report: 1 GB onto (or from)
// the stack, in the folder named.
inline void EndDiskStack(const DiskStackBench& b, const char* way, const char* folder) {
  std::filesystem::remove_all(b.root);
  std::printf("1 GB %s %d folder disks of 100 MB, median of %d, in %s\n", way, kDisks, kRounds, folder);
}

}  // namespace bench
