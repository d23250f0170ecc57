// Recognising what comes back from a disk by its name: a split
// "<name>.<kkk>", a join batch "<name>.BAT", or a plain file; and reading a
// join batch for the number of splits its file has.
#pragma once

#include <cstdint>
#include <string>

namespace kst {

// The largest join batch taken: a batch of 999 splits of long names stays
// near 1 MB, so anything bigger is not one.
constexpr int64_t kLargestJoinBatch = 4 << 20;

// A split name ends with a dot and three digits, and the dot does not
// start the file's own name ("C:\dir\.001" is not a split). *base gets the
// name without ".kkk", *number the value of the digits (0 to 999).
bool SplitNameParts(const std::string& name, std::string* base, int* number);
// A batch name ends with ".BAT" in any case, and the dot does not start
// the file's own name. *base gets the name without ".BAT".
bool BatchNameBase(const std::string& name, std::string* base);

// A file grown by a join from split 1 onward, not yet whole, is named for
// the last split it holds and the bytes it holds, with the partial ending:
// "big.bin.002.3000000.~ks" holds splits 1 and 2, 3000000 bytes; anything
// behind those bytes is a write that was cut off. It is never taken for a
// split or for the whole file, and a later join goes on from it.
std::string GrownName(const std::string& base, int last, int64_t bytes);
// The parts of a grown name; false when path is not one.
bool GrownNameParts(const std::string& path, std::string* base, int* last, int64_t* bytes);

// The split count a join batch gives: the highest split number among its
// lines that start with "del " (each ended by CR LF; what follows the last
// CR LF is not a line). The name runs from after "del " (and an opening
// quote) to the next quote or the line's end; only split names count.
// 0 when no line gives a split number above 0: not a join batch.
int SplitCountInBatchText(const char* text, size_t size);
// Reads the batch at path (a file of 1 to kLargestJoinBatch bytes) and
// gives its split count; false when it cannot be read, is empty, too big,
// or gives no split count.
bool ReadJoinBatch(const std::string& path, int* splitCount);

}  // namespace kst
