#include "frame/files/typed_path.h"

#include <algorithm>
#include <string_view>

namespace kst {

namespace {

std::string WithoutBlanks(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::string TypedPath(const std::string& text) {
  std::string path = WithoutBlanks(text);
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
    path = WithoutBlanks(path.substr(1, path.size() - 2));
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

NameFault CheckWindowsName(const std::string& name) {
  if (name.empty()) return NameFault::Empty;
  for (char c : name) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 32) return NameFault::Control;
    if (std::string_view("\"<>|*?:").find(c) != std::string_view::npos) return NameFault::Reserved;
    if (c == '\\' || c == '/') return NameFault::Separator;
  }
  if (name.back() == ' ') return NameFault::TrailingBlank;
  if (name.back() == '.') return NameFault::TrailingDot;
  return NameFault::None;
}

std::vector<std::string> ResolvedNames(const std::string& path, size_t from, size_t keep) {
  std::vector<std::string> names;
  size_t i = from;
  while (i < path.size()) {
    while (i < path.size() && path[i] == '\\') ++i;
    size_t j = path.find('\\', i);
    if (j == std::string::npos) j = path.size();
    const std::string name = path.substr(i, j - i);
    if (name == "..") {
      if (names.size() > keep) names.pop_back();
    } else if (!name.empty() && name != ".") {
      names.push_back(name);
    }
    i = j;
  }
  return names;
}

}  // namespace kst
