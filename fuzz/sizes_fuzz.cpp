// The split size: a file size, a raw split size, a unit and the text of the
// size field, from any bytes. Whatever the field says, the rules must give
// a plan that covers the file exactly, and a run may start only with 2 to
// 999 splits of at most 4294967295 bytes each (or a file too big for
// that). The field's text for a size must read back as that size.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "frame/threads/process_state.h"
#include "fuzz/fuzz_check.h"
#include "split/split_sizes.h"

namespace {

int64_t Take64(const uint8_t*& data, size_t& size) {
  uint64_t v = 0;
  const size_t n = size < 8 ? size : 8;
  std::memcpy(&v, data, n);
  data += n;
  size -= n;
  return static_cast<int64_t>(v);
}

void CheckPlan(int64_t fileSize, int64_t wanted) {
  const kst::SplitPlan plan = kst::PlanSplits(fileSize, wanted);
  const int64_t s = plan.splitSize;
  FUZZ_CHECK(s >= 1);
  if (fileSize > 0) FUZZ_CHECK(s <= fileSize);
  if (fileSize == 0) {
    FUZZ_CHECK(plan.count == 0);
    return;
  }
  FUZZ_CHECK(plan.count >= 1);
  FUZZ_CHECK(plan.lastSize >= 1 && plan.lastSize <= s);
  // In 128 bits, so that a broken plan cannot overflow the check itself.
  const __int128 covered = static_cast<__int128>(s) * (plan.count - 1) + plan.lastSize;
  if (plan.count == std::numeric_limits<int32_t>::max()) {
    // More splits than an int32 counts: the count stops there, never starts.
    FUZZ_CHECK(covered <= fileSize);
    FUZZ_CHECK(!kst::CanStartSplitting(true, true, fileSize, plan, false));
    return;
  }
  FUZZ_CHECK(covered == fileSize);
  const bool fitsIn999 = fileSize <= static_cast<int64_t>(kst::kMostSplits) * kst::kLargestSplit;
  // A size of 0 or less becomes a floppy's without the raise to 999 splits.
  if (fitsIn999 && wanted >= 1) FUZZ_CHECK(plan.count <= kst::kMostSplits);
  if (kst::CanStartSplitting(true, true, fileSize, plan, false)) {
    FUZZ_CHECK(plan.count >= 2 && plan.count <= kst::kMostSplits);
    // The raise to fileSize / 999 + 1 passes the largest split from a file
    // of exactly 999 largest splits on.
    if (fileSize < static_cast<int64_t>(kst::kMostSplits) * kst::kLargestSplit)
      FUZZ_CHECK(s <= kst::kLargestSplit);
  }
}

// What the field shows for bytes reads back as bytes, give or take its
// three decimals (and what a double holds of a large number).
void CheckFieldText(int64_t bytes, int unit) {
  const double scale = std::pow(1024.0, unit);
  if (static_cast<double>(bytes) / scale < 0.001) return;  // shown as "0"
  const std::string text = kst::SizeFieldText(bytes, unit);
  const int64_t back = kst::SizeFieldBytes(text, unit);
  const double slack = 0.0005 * scale + 2 + static_cast<double>(bytes) * 1e-15;
  FUZZ_CHECK(std::fabs(static_cast<double>(back) - static_cast<double>(bytes)) <= slack);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int64_t fileSize = Take64(data, size) & std::numeric_limits<int64_t>::max();
  const int64_t raw = Take64(data, size);
  int unit = 0;
  if (size > 0) {
    unit = static_cast<int8_t>(*data);
    ++data;
    --size;
  }
  const std::string field(reinterpret_cast<const char*>(data), size);

  const int64_t fromField = kst::SizeFieldBytes(field, unit);
  FUZZ_CHECK(fromField >= 1);
  CheckPlan(fileSize, fromField);
  CheckPlan(fileSize, raw);
  if (unit >= 0 && unit < kst::kSizeUnitCount) {
    CheckFieldText(fromField, unit);
    CheckFieldText(kst::ApplySizeRules(fromField, fileSize), unit);
  }
  return 0;
}
