// A check file (<name>.SFV) from any bytes: two bytes give the split count
// a join expects, one byte and as many after it the set's name, the rest is
// the file's text. Whatever the text holds, the reader gives one sum and
// one "listed" per split, a split it lists appears in the text under its
// name with that sum, and the text the program writes for a set reads back
// as its sums, also after hostile lines.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unordered_set>
#include <vector>

#include "frame/files/typed_path.h"
#include "frame/texts/text_numbers.h"
#include "fuzz/fuzz_check.h"
#include "split/check_file.h"
#include "split/split_writer.h"

namespace {

void Read(const std::string& text, const std::string& name, int count, std::vector<uint32_t>* sums,
          std::vector<bool>* listed) {
  kst::ReadCheckSums(text, name, count, sums, listed);
  const size_t expected = static_cast<size_t>(count > 0 ? count : 0);
  FUZZ_CHECK(sums->size() == expected && listed->size() == expected);
}

std::string Hex(uint32_t sum) {
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(sum));
  return hex;
}

// The lines of text that are "<split> <sum>", each as "<SPLIT> <SUM>" in
// upper case: the name at the line's start, blanks, 8 characters, nothing
// but blanks after them. A listed split's sum is on one of them.
std::unordered_set<std::string> SumLines(const std::string& text) {
  std::unordered_set<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = kst::UpperCase(kst::Trimmed(line));
    const size_t blank = line.find_last_of(' ');
    if (blank == std::string::npos || line.size() - blank != 9) continue;
    lines.insert(kst::Trimmed(line.substr(0, blank)) + line.substr(blank));
  }
  return lines;
}

// A name the program would write a check file for: one Windows can hold,
// and not one whose lines every SFV reader takes for comments.
bool Writable(const std::string& name) {
  return kst::CheckWindowsName(name) == kst::NameFault::None && name[0] != ';';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const int count = static_cast<int16_t>(data[0] | data[1] << 8);
  size_t nameSize = data[2] % 32;
  if (nameSize > size - 3) nameSize = size - 3;
  std::string name(reinterpret_cast<const char*>(data + 3), nameSize);
  const std::string text(reinterpret_cast<const char*>(data + 3 + nameSize), size - 3 - nameSize);
  if (!Writable(name)) name = "big.bin";

  std::vector<uint32_t> sums;
  std::vector<bool> listed;
  Read(text, name, count, &sums, &listed);
  const std::unordered_set<std::string> lines = SumLines(text);
  for (size_t k = 0; k < sums.size(); ++k) {
    const std::string split = kst::UpperCase(name + "." + kst::SplitNumber(static_cast<int>(k + 1)));
    if (!listed[k]) FUZZ_CHECK(sums[k] == 0);
    else FUZZ_CHECK(lines.count(split + " " + Hex(sums[k])) == 1);
  }

  // The program's own text for up to 999 splits, the sums drawn from the
  // input: read alone it gives them all back; after the hostile lines each
  // split is listed with its own sum or with the one those lines gave.
  const int made = count < 1 ? 1 : (count > 999 ? 999 : count);
  std::vector<uint32_t> truth(static_cast<size_t>(made));
  uint32_t x = static_cast<uint32_t>(size) * 2654435761u + 1;
  for (uint32_t& sum : truth) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    sum = x;
  }
  const std::string written = kst::CheckFileText("C:\\in\\" + name, truth);
  FUZZ_CHECK(!written.empty() && written[0] == ';' && written.size() >= 2 &&
             written.compare(written.size() - 2, 2, "\r\n") == 0);
  std::vector<uint32_t> back;
  std::vector<bool> backListed;
  Read(written, name, made, &back, &backListed);
  for (size_t k = 0; k < truth.size(); ++k) FUZZ_CHECK(backListed[k] && back[k] == truth[k]);

  std::vector<uint32_t> hostile;
  std::vector<bool> hostileListed;
  Read(text, name, made, &hostile, &hostileListed);
  Read(text + "\n" + written, name, made, &back, &backListed);
  for (size_t k = 0; k < truth.size(); ++k) {
    FUZZ_CHECK(backListed[k]);
    FUZZ_CHECK(back[k] == truth[k] || (hostileListed[k] && back[k] == hostile[k]));
  }
  return 0;
}
