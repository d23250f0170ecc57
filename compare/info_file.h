// The detailed information file of File(s) Comparing: one entry per pair
// worth telling, then the totals. Lines end in CR LF; the counters' labels
// come from the text table in its current language.
#pragma once

#include <cstdint>
#include <string>

#include "frame/platform/platform.h"

namespace kst {

// What the comparison of one original file found.
struct PairOutcome {
  bool unmatched = false;         // no cloned file corresponds to the original
  bool differentContent = false;  // the comparison did not find the pair equal
  bool differentSizes = false;
  bool zeroSize = false;          // one of the two is empty: no bytes were compared
  int64_t position = -1;          // first differing byte (1-based); -1 equal; -2 unreadable
  std::string originalPath, clonePath;
  int64_t originalSize = 0, cloneSize = 0;
};

struct ComparingCounts {
  int32_t compared = 0;
  int32_t unmatched = 0;
  int32_t differentContents = 0;
  int32_t differentSizes = 0;
  int32_t processed = 0;  // compared plus unmatched
};

// Whether a pair gets an entry: anything found different always does.
bool PairWanted(const PairOutcome& pair, bool showCompared, bool showUnmatched);
// The entry of a pair, its empty closing line included.
std::string InfoEntry(const PairOutcome& pair);
// The totals; the last line has no trailing blanks and no line end.
std::string InfoTotals(const ComparingCounts& counts);

// The file, open for the whole run.
struct InfoFile {
  plat::FileHandle handle = plat::kNoFile;

  InfoFile() = default;
  InfoFile(const InfoFile&) = delete;
  InfoFile& operator=(const InfoFile&) = delete;
  ~InfoFile() { Close(); }

  // All of text in one write, or false.
  bool Write(const std::string& text);
  // False when the system could not finish the file.
  bool Close();
  bool IsOpen() const { return handle != plat::kNoFile; }
};

}  // namespace kst
