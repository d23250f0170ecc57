// Data2Wav of a 1 GB file and Wav2Data of the result, each timed against
// cat copying the same file in the same run. The files are read once
// before timing so that every round reads them from the page cache.
// Usage: wav_bench FOLDER (a host folder with 4 GB free).
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "frame/platform/emulation.h"
#include "frame/settings/settings.h"
#include "frame/threads/job_control.h"
#include "wav/data2wav.h"
#include "wav/wav2data.h"

namespace {

using namespace bench;

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  fs::path root;
  if (!BenchRoot("wav_bench", argc, argv, &root)) return 2;
  fs::create_directories(root / "out");
  const std::string data = (root / "data.bin").string(), wav = (root / "data.wav").string();
  const std::string copy = (root / "copy.bin").string(), restored = (root / "out" / "data.bin").string();
  if (!MakeFile(data)) return std::fprintf(stderr, "wav_bench: cannot write %s\n", data.c_str()), 1;
  Shell("cat " + Quote(data) + " >/dev/null");

  kst::Data2WavInput convert;
  convert.source = plat::EmuWindowsPath(data);
  convert.target = plat::EmuWindowsPath(wav);
  kst::Wav2DataInput extract;
  extract.wav = convert.target;
  extract.folder = plat::EmuWindowsPath((root / "out").string());
  kst::SetAskHandler([](const kst::AskRequest&) { return static_cast<int>(kst::kAnswerYes); });

  std::vector<double> d2w, w2d, cat, catWav;
  for (int round = 1; round <= kRounds; ++round) {
    kst::JobControl job;
    job.keepGoing = true;
    fs::remove(wav);
    fs::remove(restored);
    fs::remove(restored + ".TXT");
    fs::remove(copy);
    auto ours = [&] {
      d2w.push_back(Seconds("wav_bench", [&] { return kst::RunData2Wav(convert, job).ok(); }));
      w2d.push_back(Seconds("wav_bench", [&] {
        const kst::WavResult r = kst::RunWav2Data(extract, job);
        return r.ok() && r.badBlocks == 0;
      }));
    };
    auto cats = [&] {
      cat.push_back(Seconds("wav_bench", [&] { return Shell("cat " + Quote(data) + " >" + Quote(copy)); }));
    };
    auto catsWav = [&] {
      catWav.push_back(Seconds("wav_bench", [&] { return Shell("cat " + Quote(wav) + " >" + Quote(copy)); }));
    };
    // Which goes first alternates by round.
    if (round % 2) {
      ours();
      cats();
      catsWav();
    } else {
      cats();
      ours();
      catsWav();
    }
    std::fprintf(stderr, "round %d of %d: data2wav %.3f s, wav2data %.3f s, cat %.3f s\n", round, kRounds,
                 d2w.back(), w2d.back(), cat.back());
  }
  fs::remove_all(root);
  std::printf("a 1 GB file, BuffSize %d, median of %d, in %s\n", kst::kBuffSizeDefault, kRounds, argv[1]);
  Report("d2w", "cat", d2w, cat);
  Report("w2d", "cat .wav", w2d, catWav);
  return 0;
}
