#include "compare/info_file.h"

#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"

namespace kst {

namespace {

const char kLineEnd[] = "\r\n";

// A count left-aligned in a field of 11 characters.
std::string Field(int32_t count) {
  std::string text = std::to_string(count);
  if (text.size() < 11) text.append(11 - text.size(), ' ');
  return text;
}

// The one line that says how the pair came out.
std::string Verdict(const PairOutcome& pair) {
  if (pair.zeroSize) return "- At least one of them is 0 in file size!!";
  if (pair.differentContent && pair.position == -2)
    return "- At least one of them was unavailable for reading!";
  if (pair.differentContent)
    return "- They have different content, starting at position " + std::to_string(pair.position);
  if (pair.differentSizes) return "- Equal, as far as the shortest goes!";
  return "- They are Equal!... At least in content!";
}

}  // namespace

bool PairWanted(const PairOutcome& pair, bool showCompared, bool showUnmatched) {
  if (pair.unmatched) return showUnmatched;
  return pair.differentContent || pair.differentSizes || pair.zeroSize || showCompared;
}

std::string InfoEntry(const PairOutcome& pair) {
  if (pair.unmatched) return "Unable to find match for '" + pair.originalPath + "'" + kLineEnd + kLineEnd;
  std::string entry = "Comparing '" + pair.originalPath + "' and '" + pair.clonePath + "'" + kLineEnd;
  entry += "The size of each file are: " + std::to_string(pair.originalSize) + " vs " +
           std::to_string(pair.cloneSize) + kLineEnd;
  if (pair.differentSizes) entry += std::string("- They have different sizes") + kLineEnd;
  return entry + Verdict(pair) + kLineEnd + kLineEnd;
}

std::string InfoTotals(const ComparingCounts& counts) {
  const struct {
    int label;
    int32_t count;
  } lines[] = {{404, counts.compared},
               {405, counts.unmatched},
               {406, counts.differentContents},
               {407, counts.differentSizes}};
  std::string totals = Trimmed(GetText(810));
  for (const auto& line : lines) totals += kLineEnd + Trimmed(GetText(line.label)) + " " + Field(line.count);
  return Trimmed(totals);
}

bool InfoFile::Write(const std::string& text) {
  if (!IsOpen()) return false;
  uint32_t done = 0;
  const uint32_t size = static_cast<uint32_t>(text.size());
  return size == 0 || (plat::FileWrite(handle, text.data(), size, &done) && done == size);
}

bool InfoFile::Close() {
  const bool ok = handle == plat::kNoFile || plat::FileClose(handle);
  handle = plat::kNoFile;
  return ok;
}

}  // namespace kst
