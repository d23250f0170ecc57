#include "frame/texts/texts.h"

#include <mutex>
#include <vector>

namespace kst {

namespace {

// A language change replaces texts while worker threads fetch theirs: the
// lock keeps a reader from copying a text that is being replaced.
std::mutex g_tableMutex;

// Entry 0 is unused so that ids index the table directly.
std::vector<std::string>& Table() {
  static std::vector<std::string> table(kTextCount + 1);
  return table;
}

bool ValidId(int id) { return id >= 1 && id <= kTextCount; }

}  // namespace

std::string GetText(int id, bool terminate) {
  std::string text;
  if (ValidId(id)) {
    std::lock_guard<std::mutex> lock(g_tableMutex);
    text = Table()[static_cast<size_t>(id)].substr(0, kTextWidth);
  }
  text.resize(kTextWidth, ' ');
  if (terminate) text.push_back('\0');
  return text;
}

std::string TrimmedText(int id) {
  const std::string text = GetText(id);
  const size_t end = text.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

std::string FullText(int id) {
  if (!ValidId(id)) return "";
  std::lock_guard<std::mutex> lock(g_tableMutex);
  return Table()[static_cast<size_t>(id)];
}

void SetText(int id, const char* characters, size_t length, bool append) {
  if (!ValidId(id)) return;
  std::lock_guard<std::mutex> lock(g_tableMutex);
  std::string& entry = Table()[static_cast<size_t>(id)];
  if (append)
    entry.append(characters, length);
  else
    entry.assign(characters, length);
  if (entry.empty()) entry = " ";
}

void ClearTexts() {
  std::lock_guard<std::mutex> lock(g_tableMutex);
  for (std::string& entry : Table()) std::string().swap(entry);
}

std::string HelpPage(int id) {
  std::string page = FullText(id);
  const size_t nul = page.find('\0');
  return nul == std::string::npos ? page : page.substr(0, nul);
}

}  // namespace kst
