#include "split/check_file.h"

#include <cstdio>

#include "frame/files/whole_files.h"
#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"
#include "split/split_writer.h"

namespace kst {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Exactly 8 hexadecimal digits.
bool ParseSum(const std::string& text, uint32_t* sum) {
  if (text.size() != 8) return false;
  *sum = 0;
  for (char c : text) {
    const int d = HexDigit(c);
    if (d < 0) return false;
    *sum = (*sum << 4) | static_cast<uint32_t>(d);
  }
  return true;
}

}  // namespace

std::string CheckFilePath(const std::string& folder, const std::string& sourcePath) {
  std::string path = Trimmed(folder);
  if (path.empty() || path.back() != '\\') path += '\\';
  return path + SplitBaseName(sourcePath) + ".SFV";
}

std::string CheckFileText(const std::string& sourcePath, const std::vector<uint32_t>& sums) {
  std::string name;
  if (sums.empty() || !plat::OemName(SplitBaseName(sourcePath), &name)) return std::string();
  std::string text = "; Kestrova check file of " + std::to_string(sums.size()) +
                     (sums.size() == 1 ? " split" : " splits") + "\r\n";
  for (size_t k = 0; k < sums.size(); ++k) {
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(sums[k]));
    text += name + "." + SplitNumber(static_cast<int>(k + 1)) + " " + hex + "\r\n";
  }
  return text;
}

bool WriteCheckFile(const std::string& folder, const std::string& sourcePath,
                    const std::vector<uint32_t>& sums, std::string* checkPath, bool replaceAgreed) {
  *checkPath = CheckFilePath(folder, sourcePath);
  plat::SetLastErrorCode(plat::kErrNone);
  if (sums.empty() || sums.size() > 999) return false;  // split names would repeat
  const std::string text = CheckFileText(sourcePath, sums);
  if (text.empty()) return plat::SetLastErrorCode(plat::kErrInvalidName), false;
  return WriteWholeFile(*checkPath, text, replaceAgreed);
}

void ReadCheckSums(const std::string& text, const std::string& name, int count,
                   std::vector<uint32_t>* sums, std::vector<bool>* listed) {
  sums->assign(static_cast<size_t>(count > 0 ? count : 0), 0);
  listed->assign(sums->size(), false);
  std::string oem;
  if (!plat::OemName(name, &oem)) oem = name;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = Trimmed(line);
    start = end + 1;
    if (line.empty() || line[0] == ';') continue;
    const size_t blank = line.find_last_of(' ');
    uint32_t sum = 0;
    if (blank == std::string::npos || !ParseSum(line.substr(blank + 1), &sum)) continue;
    const std::string file = Trimmed(line.substr(0, blank));
    if (file.size() != oem.size() + 4 || !SameText(file.substr(0, oem.size() + 1), oem + ".")) continue;
    const std::string number = file.substr(oem.size() + 1);
    if (!IsDigit(number[0]) || !IsDigit(number[1]) || !IsDigit(number[2])) continue;
    const int k = std::stoi(number);
    if (k < 1 || k > count) continue;
    (*sums)[static_cast<size_t>(k - 1)] = sum;
    (*listed)[static_cast<size_t>(k - 1)] = true;
  }
}

}  // namespace kst
