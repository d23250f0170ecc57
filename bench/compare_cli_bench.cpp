// kestrova-cli compare timed against the system's tools in the same run:
// two equal 1 GB files against cmp, and a folder of 10,000 small files
// with its copy against diff -rq. Both are read once before timing so that
// every round reads the page cache. Usage: compare_cli_bench FOLDER (a host
// folder with 2 GB free); kestrova-cli is taken from beside the bench folder.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"

namespace {

using namespace bench;
namespace fs = std::filesystem;

constexpr int kSmallFiles = 10000;

// 10,000 files of 1 to 4 kB in 100 folders.
bool MakeTree(const fs::path& root) {
  std::string bytes(4096, '\0');
  uint32_t x = 88172645u;
  for (int i = 0; i < kSmallFiles; ++i) {
    const fs::path folder = root / ("d" + std::to_string(i / 100));
    fs::create_directories(folder);
    for (char& c : bytes) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      c = static_cast<char>(x);
    }
    FILE* f = std::fopen((folder / ("f" + std::to_string(i) + ".bin")).c_str(), "wb");
    if (!f) return false;
    const size_t size = 1024 + x % 3072;
    const bool ok = std::fwrite(bytes.data(), 1, size, f) == size;
    if (std::fclose(f) != 0 || !ok) return false;
  }
  return true;
}

// Rounds alternating which tool goes first.
void Race(const char* what, const std::string& ours, const char* tool, const std::string& theirs) {
  std::vector<double> a, b, aCpu, bCpu;
  for (int round = 1; round <= kRounds; ++round) {
    auto run = [&](const std::string& command, std::vector<double>& into, std::vector<double>& cpu) {
      cpu.push_back(0);
      into.push_back(Seconds("compare_cli_bench", [&] { return Shell(command + " >/dev/null"); }, &cpu.back()));
    };
    if (round % 2) run(ours, a, aCpu), run(theirs, b, bCpu);
    else run(theirs, b, bCpu), run(ours, a, aCpu);
    std::fprintf(stderr, "%s round %d of %d: kestrova %.3f s, %s %.3f s\n", what, round, kRounds, a.back(), tool,
                 b.back());
  }
  Report(what, tool, a, b);
  ReportProcessor(what, tool, aCpu, bCpu);
}

}  // namespace

int main(int argc, char** argv) {
  fs::path root;
  if (!BenchRoot("compare_cli_bench", argc, argv, &root)) return 2;
  const std::string cli = (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "kestrova-cli").string();
  fs::create_directories(root);
  const std::string a = (root / "a.bin").string(), b = (root / "b.bin").string();
  if (!MakeFile(a)) return std::fprintf(stderr, "compare_cli_bench: cannot write %s\n", a.c_str()), 1;
  fs::copy_file(a, b);
  Shell("cat " + Quote(a) + " " + Quote(b) + " >/dev/null");
  Race("1 GB", Quote(cli) + " compare " + Quote(a) + " " + Quote(b), "cmp", "cmp " + Quote(a) + " " + Quote(b));
  fs::remove(a);
  fs::remove(b);

  const fs::path one = root / "one", two = root / "two";
  if (!MakeTree(one)) return std::fprintf(stderr, "compare_cli_bench: cannot write the tree\n"), 1;
  fs::copy(one, two, fs::copy_options::recursive);
  Shell("cat " + Quote(one.string()) + "/*/* " + Quote(two.string()) + "/*/* >/dev/null");
  Race("10k files", Quote(cli) + " compare --recursive " + Quote(one.string()) + " " + Quote(two.string()),
       "diff -rq", "diff -rq " + Quote(one.string()) + " " + Quote(two.string()));
  fs::remove_all(root);
  return 0;
}
