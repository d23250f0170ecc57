// A save list file from any bytes. A file the reader takes must keep to the
// layout's limits (at most the capacity and 255 entries, 0 to 999 splits of
// sizes that add up to no more than their file), and written again it must
// give back the same bytes, apart from the blank padding of its texts. A
// file the reader refuses leaves the image empty.
#include <cstddef>
#include <cstdint>
#include <string>

#include "backup/save_list.h"
#include "fuzz/fuzz_check.h"

namespace {

// Capacities around the one-byte count of entries and the default list size.
constexpr size_t kCapacities[] = {0, 1, 3, 255, 256};

void CheckLimits(const kst::ListImage& image, size_t capacity) {
  FUZZ_CHECK(image.entries.size() <= capacity);
  FUZZ_CHECK(image.entries.size() <= kst::kMostSavedEntries);
  for (const kst::FileEntry& file : image.entries) {
    FUZZ_CHECK(file.size >= 0);
    FUZZ_CHECK(file.splits.size() <= static_cast<size_t>(kst::kMostSplitsPerFile));
    int64_t sum = 0;
    for (const kst::SplitEntry& split : file.splits) {
      FUZZ_CHECK(split.size >= 0);
      sum += split.size;
    }
    FUZZ_CHECK(sum <= file.size);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (size_t capacity : kCapacities) {
    kst::ListImage image;
    const kst::ListFault fault = kst::DecodeList(bytes, capacity, &image);
    if (fault != kst::ListFault::None) {
      FUZZ_CHECK(image.entries.empty());
      continue;
    }
    CheckLimits(image, capacity);
    std::string again;
    FUZZ_CHECK(kst::EncodeList(image, &again) == kst::ListFault::None);
    FUZZ_CHECK(again.size() == bytes.size());
    kst::ListImage reread;
    FUZZ_CHECK(kst::DecodeList(again, capacity, &reread) == kst::ListFault::None);
    FUZZ_CHECK(reread.entries.size() == image.entries.size());
    std::string third;
    FUZZ_CHECK(kst::EncodeList(reread, &third) == kst::ListFault::None && third == again);
  }
  return 0;
}
