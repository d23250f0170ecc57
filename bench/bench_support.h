// What every benchmark shares: timing a step, the median of the rounds,
// running the system's own tools, and the 1 GB file they all work on.
#pragma once

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

// 1 GB of bytes that do not compress or repeat in any way a tool could use.
inline bool MakeFile(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::vector<uint32_t> block(1 << 18);
  uint32_t x = 2463534242u;
  for (int64_t done = 0; done < kFileBytes; done += 1 << 20) {
    for (uint32_t& word : block) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      word = x;
    }
    if (std::fwrite(block.data(), 4, block.size(), f) != block.size()) return std::fclose(f), false;
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

}  // namespace bench
