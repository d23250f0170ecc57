// What the .wav tests share: a container built here byte by byte without
// the program's code, and runs of both directions with a job that may go on.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "frame/files/file_info.h"
#include "frame/texts/text_numbers.h"
#include "tests/split/split_test_support.h"
#include "wav/data2wav.h"
#include "wav/wav2data.h"

namespace wavtest {

inline std::string Little(uint64_t value, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i) s += static_cast<char>((value >> (8 * i)) & 0xFF);
  return s;
}

// A block's sum one byte at a time: byte i of the block weighs 2^(8 (i mod 8)).
inline uint64_t SlowSum(const std::string& block) {
  uint64_t sum = 0;
  for (size_t i = 0; i < block.size(); ++i)
    sum += static_cast<uint64_t>(static_cast<unsigned char>(block[i])) << (8 * (i % 8));
  return sum;
}

struct Entry { uint32_t attributes = 0; uint64_t creation = 0, access = 0, write = 0; std::string name; };

inline std::string BuildWav(const std::string& data, const Entry& e) {
  const uint64_t s = data.size(), n = (s + 2047) / 2048, t = 395 + s + 8 * n;
  std::string wav = "RIFF" + Little(t - 8, 4) + "WAVEfmt " + Little(16, 4) + Little(1, 2) + Little(2, 2) +
                    Little(44100, 4) + Little(176400, 4) + Little(4, 2) + Little(16, 2) + "data" +
                    Little(t - 46, 4) + Little(0, 2) + "KestrovaldineWav2Data";
  wav += Little(328, 4) + Little(0, 4) + Little(e.attributes, 4) + Little(e.creation, 8) +
         Little(e.access, 8) + Little(e.write, 8) + Little(s >> 32, 4) + Little(s & 0xFFFFFFFF, 4) +
         std::string(8, '\0') + (e.name + std::string(260, '\0')).substr(0, 260) + std::string(16, '\0');
  for (uint64_t at = 0; at < s; at += 2048) wav += data.substr(at, 2048) + Little(SlowSum(data.substr(at, 2048)), 8);
  return wav;
}

inline Entry EntryOf(const std::string& path) {
  kst::FileInfo info;
  kst::ListingHandle h = kst::kListingStart;
  kst::GetFileInfo(path, &info, &h, true);
  return Entry{info.attributes, info.creationTime, info.accessTime, info.writeTime, info.name};
}

inline std::vector<std::string> Listing(const std::string& folder) {
  std::vector<std::string> names;
  plat::FindEntry e;
  const plat::FindHandle h = plat::FindFirst(folder + "\\*.*", &e);
  for (bool more = h != plat::kNoFind; more; more = plat::FindNext(h, &e))
    if (e.name != "." && e.name != "..") names.push_back(e.name);
  if (h != plat::kNoFind) plat::FindClose(h);
  std::sort(names.begin(), names.end());
  return names;
}

inline kst::WavResult Wrap(const std::string& source, const std::string& target, uint32_t buffSize,
                           kst::ProgressSink* bar = nullptr) {
  splittest::RunningJob running;
  return kst::RunData2Wav({source, target, buffSize, {}}, running.job, bar);
}

inline kst::WavResult Unwrap(const std::string& wav, const std::string& folder, uint32_t buffSize) {
  splittest::RunningJob running;
  return kst::RunWav2Data({wav, folder, buffSize, {}}, running.job);
}

}  // namespace wavtest
