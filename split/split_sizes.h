// The split size of File Splitting: the size field with its unit list, and
// the rules that turn a wanted size into the size used, the number of
// splits and the size of the last one.
#pragma once

#include <cstdint>
#include <string>

namespace kst {

constexpr int kSizeUnitCount = 7;       // B, kB, MB, GB, TB, PB, EB
constexpr int kSizeUnitFirstText = 1029;
constexpr int kMostSplits = 999;

struct SplitPlan {
  int64_t splitSize = 0;  // S, after the rules
  int32_t count = 0;      // N
  int64_t lastSize = 0;   // the size of split N
};

// The size rules, in order: S of 0 or less becomes a floppy's 1457664; S
// above 4294967295 becomes 4294967295; S below fileSize / 999 + 1 is raised
// to it (at most 999 splits); S above a non-empty file's size becomes that.
int64_t ApplySizeRules(int64_t splitSize, int64_t fileSize);
// The rules, then N and the last split's size.
SplitPlan PlanSplits(int64_t fileSize, int64_t splitSize);
// Whether Go may start a run: a file that fits one split is not split, and
// one that would need more than 999 splits (beyond 999 x 4294967295 bytes)
// cannot be, since split names would repeat.
bool CanStartSplitting(bool fileOk, bool folderOk, int64_t fileSize, const SplitPlan& plan,
                       bool running);

// The size field: number x 1024^unit in whole bytes (fractions allowed,
// cut to whole bytes; too large for 64 bits gives the largest value);
// 0 or less gives 1457664.
int64_t SizeFieldBytes(double number, int unit);
int64_t SizeFieldBytes(const std::string& field, int unit);
// What the size field shows for bytes in unit: at most three decimals,
// without trailing zeros ("1423.5").
std::string SizeFieldText(int64_t bytes, int unit);

// The unit's text (1029 to 1035), and the unit whose text matches (case
// ignored); 0 ("B") for a text that matches none.
std::string SizeUnitText(int unit);
int SizeUnitOf(const std::string& text);

}  // namespace kst
