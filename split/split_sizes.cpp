#include "split/split_sizes.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "frame/threads/process_state.h"

namespace kst {

int64_t ApplySizeRules(int64_t splitSize, int64_t fileSize) {
  int64_t s = splitSize;
  if (s <= 0)
    s = kFloppyBytes;
  else if (s > kLargestSplit)
    s = kLargestSplit;
  else if (s < fileSize / kMostSplits + 1)
    s = fileSize / kMostSplits + 1;
  if (s > fileSize && fileSize > 0) s = fileSize;
  return s;
}

SplitPlan PlanSplits(int64_t fileSize, int64_t splitSize) {
  SplitPlan plan;
  plan.splitSize = ApplySizeRules(splitSize, fileSize);
  int64_t count = fileSize / plan.splitSize;
  int64_t rest = fileSize - count * plan.splitSize;
  plan.lastSize = plan.splitSize;
  if (rest > 0) {
    ++count;
    plan.lastSize = rest;
  }
  // More splits than an int32 holds can never start (at most 999 can): the
  // count stops at its largest value instead of wrapping into 2..999.
  plan.count = static_cast<int32_t>(std::min<int64_t>(count, std::numeric_limits<int32_t>::max()));
  return plan;
}

bool CanStartSplitting(bool fileOk, bool folderOk, int64_t fileSize, const SplitPlan& plan,
                       bool running) {
  return fileOk && folderOk && fileSize > 0 && plan.splitSize > 0 && plan.count > 1 &&
         plan.count <= kMostSplits && !running;
}

int64_t SizeFieldBytes(double number, int unit) {
  if (unit < 0 || unit >= kSizeUnitCount) unit = 0;
  double bytes = std::floor(number * std::pow(1024.0, unit));
  if (std::isnan(bytes) || bytes <= 0) return kFloppyBytes;
  // 2^63 is the first double beyond int64_t.
  if (bytes >= 9223372036854775808.0) return std::numeric_limits<int64_t>::max();
  return static_cast<int64_t>(bytes);
}

int64_t SizeFieldBytes(const std::string& field, int unit) {
  return SizeFieldBytes(TextToReal(field), unit);
}

std::string SizeFieldText(int64_t bytes, int unit) {
  if (unit < 0 || unit >= kSizeUnitCount) unit = 0;
  std::string text = RealToText(static_cast<double>(bytes) / std::pow(1024.0, unit), 3);
  size_t point = text.find('.');
  if (point != std::string::npos) {
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
  }
  return text;
}

std::string SizeUnitText(int unit) {
  if (unit < 0 || unit >= kSizeUnitCount) unit = 0;
  return Trimmed(GetText(kSizeUnitFirstText + unit));
}

int SizeUnitOf(const std::string& text) {
  for (int unit = 0; unit < kSizeUnitCount; ++unit)
    if (SameText(text, SizeUnitText(unit))) return unit;
  return 0;
}

}  // namespace kst
