// Platform pieces that are the same on every system.
#include <algorithm>
#include <cctype>

#include "frame/platform/platform.h"

namespace plat {

namespace {

bool MatchFrom(const char* n, const char* p) {
  for (;; ++n, ++p) {
    if (*p == '*') {
      while (*p == '*') ++p;
      if (!*p) return true;
      for (; *n; ++n)
        if (MatchFrom(n, p)) return true;
      return MatchFrom(n, p);
    }
    if (!*p) return !*n;
    if (!*n) return false;
    if (*p != '?' && std::toupper(static_cast<unsigned char>(*p)) !=
                         std::toupper(static_cast<unsigned char>(*n)))
      return false;
  }
}

}  // namespace

bool SameObject(const std::string& a, const std::string& b) {
  ObjectId x, y;
  return ObjectIdOf(a, &x) && ObjectIdOf(b, &y) && x == y;
}

uint64_t WidenTick(uint64_t last, uint32_t now) {
  const uint32_t ahead = now - static_cast<uint32_t>(last);
  return ahead < 0x80000000u ? last + ahead : last;
}

bool MatchesPattern(const std::string& name, const std::string& pattern) {
  if (pattern == "*.*" || pattern == "*") return true;
  if (MatchFrom(name.c_str(), pattern.c_str())) return true;
  // "NAME*.*" also matches names without any dot, as on Windows.
  if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0 &&
      name.find('.') == std::string::npos)
    return MatchFrom(name.c_str(), pattern.substr(0, pattern.size() - 2).c_str());
  return false;
}

bool CopyThroughBuffer(FileHandle from, FileHandle to, uint64_t size, void* buffer,
                       uint32_t bufferBytes, uint64_t* read, uint64_t* written) {
  while (*read < size) {
    const uint32_t piece = static_cast<uint32_t>(std::min<uint64_t>(bufferBytes, size - *read));
    uint32_t got = 0, put = 0;
    if (!FileRead(from, buffer, piece, &got)) return false;
    if (got == 0) break;
    *read += got;
    const bool ok = FileWrite(to, buffer, got, &put);
    *written += put;
    if (!ok || put < got) return ok;
    if (got < piece) break;
  }
  return true;
}

}  // namespace plat
