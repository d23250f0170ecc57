#include "restore/restore_names.h"

#include "frame/files/partial_files.h"
#include "frame/files/whole_files.h"
#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"
#include "split/join_batch.h"
#include "split/split_writer.h"

namespace kst {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The character before the dot of a four-character ending exists and is
// not the folder separator.
bool EndingStartsInsideName(const std::string& name) {
  return name.size() > 4 && name[name.size() - 5] != '\\';
}

}  // namespace

std::string GrownName(const std::string& base, int last, int64_t bytes) {
  return PartialNameOf(base + "." + SplitNumber(last) + "." + std::to_string(bytes));
}

bool GrownNameParts(const std::string& path, std::string* base, int* last, int64_t* bytes) {
  if (!IsPartialName(path)) return false;
  const std::string name = Trimmed(path).substr(0, Trimmed(path).size() - std::string(kPartialEnding).size());
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot + 1 >= name.size() || name.size() - dot > 19) return false;
  int64_t value = 0;
  for (size_t i = dot + 1; i < name.size(); ++i) {
    if (!IsDigit(name[i])) return false;
    value = value * 10 + (name[i] - '0');
  }
  if (!SplitNameParts(name.substr(0, dot), base, last) || *last < 1) return false;
  *bytes = value;
  return true;
}

bool SplitNameParts(const std::string& name, std::string* base, int* number) {
  const std::string trimmed = Trimmed(name);
  const size_t n = trimmed.size();
  if (!EndingStartsInsideName(trimmed) || trimmed[n - 4] != '.' || !IsDigit(trimmed[n - 3]) ||
      !IsDigit(trimmed[n - 2]) || !IsDigit(trimmed[n - 1]))
    return false;
  if (base) *base = trimmed.substr(0, n - 4);
  if (number) *number = (trimmed[n - 3] - '0') * 100 + (trimmed[n - 2] - '0') * 10 + (trimmed[n - 1] - '0');
  return true;
}

bool BatchNameBase(const std::string& name, std::string* base) {
  const std::string trimmed = Trimmed(name);
  const size_t n = trimmed.size();
  if (!EndingStartsInsideName(trimmed) || trimmed[n - 4] != '.' || !SameText(trimmed.substr(n - 3), "BAT"))
    return false;
  if (base) *base = trimmed.substr(0, n - 4);
  return true;
}

int SplitCountInBatchText(const char* text, size_t size) {
  int count = 0;
  size_t start = 0;
  for (size_t i = 0; i + 1 < size; ++i) {
    if (text[i] != '\r' || text[i + 1] != '\n') continue;
    const char* line = text + start;
    const size_t length = i - start;
    start = i + 2;
    if (length < 5 || line[0] != 'd' || line[1] != 'e' || line[2] != 'l' || line[3] != ' ') continue;
    size_t from = line[4] == '"' ? 5 : 4, to = from;
    while (to < length && line[to] != '"') ++to;
    int number = 0;
    if (SplitNameParts(std::string(line + from, to - from), nullptr, &number) && number > count)
      count = number;
  }
  return count;
}

bool ReadJoinBatch(const std::string& path, int* splitCount) {
  *splitCount = 0;
  std::string text;
  if (!ReadWholeFile(path, kLargestJoinBatch, &text)) return false;
  *splitCount = SplitCountInBatchText(text.data(), text.size());
  return *splitCount > 0;
}

}  // namespace kst
