#include "frame/texts.h"

#include <vector>

namespace kst {

namespace {

// Entry 0 is unused so that ids index the table directly.
std::vector<std::string>& Table() {
  static std::vector<std::string> table(kTextCount + 1);
  return table;
}

bool ValidId(int id) { return id >= 1 && id <= kTextCount; }

}  // namespace

std::string GetText(int id, bool terminate) {
  std::string text = ValidId(id) ? Table()[static_cast<size_t>(id)].substr(0, kTextWidth) : "";
  text.resize(kTextWidth, ' ');
  if (terminate) text.push_back('\0');
  return text;
}

std::string FullText(int id) { return ValidId(id) ? Table()[static_cast<size_t>(id)] : ""; }

void SetText(int id, const char* characters, size_t length, bool append) {
  if (!ValidId(id)) return;
  std::string& entry = Table()[static_cast<size_t>(id)];
  if (append)
    entry.append(characters, length);
  else
    entry.assign(characters, length);
  if (entry.empty()) entry = " ";
}

}  // namespace kst
