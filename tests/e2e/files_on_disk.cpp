#include "tests/e2e/files_on_disk.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace e2e {
namespace {

constexpr DWORD kBlock = 1 << 20;

HANDLE OpenToRead(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

// Reads up to size bytes; the count read, short only at the file's end.
DWORD ReadUpTo(HANDLE file, char* into, DWORD size) {
  DWORD total = 0, got = 0;
  while (total < size && ReadFile(file, into + total, size - total, &got, nullptr) && got > 0) total += got;
  return total;
}

}  // namespace

std::string Pattern(int64_t size, unsigned seed) {
  std::string bytes(static_cast<size_t>(size), '\0');
  uint32_t x = seed * 2654435761u + 1;
  for (char& c : bytes) {
    x = x * 1103515245u + 12345u;
    c = static_cast<char>(x >> 16);
  }
  return bytes;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD wrote = 0;
  bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr) &&
            wrote == bytes.size();
  CloseHandle(file);
  return ok;
}

std::string ReadBytes(const std::string& path) {
  std::string bytes;
  HANDLE file = OpenToRead(path);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  std::string block(65536, '\0');
  DWORD got = 0;
  while (ReadFile(file, block.data(), static_cast<DWORD>(block.size()), &got, nullptr) && got > 0)
    bytes.append(block.data(), got);
  CloseHandle(file);
  return bytes;
}

bool WriteLargeFile(const std::string& path, int64_t size, unsigned seed) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_FLAG_SEQUENTIAL_SCAN,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::string block = Pattern(kBlock, seed);
  bool ok = true;
  for (int64_t done = 0, index = 0; ok && done < size; ++index) {
    memcpy(block.data(), &index, sizeof index);  // the block's number makes it unlike the others
    const DWORD length = static_cast<DWORD>(std::min<int64_t>(kBlock, size - done));
    DWORD wrote = 0;
    ok = WriteFile(file, block.data(), length, &wrote, nullptr) && wrote == length;
    done += length;
  }
  CloseHandle(file);
  return ok;
}

bool WriteSparseFile(const std::string& path, int64_t size) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER at;
  at.QuadPart = size;
  const bool made = SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  return made;
}

std::string SplitPath(const std::string& file, int k) {
  char number[8];
  snprintf(number, sizeof number, ".%03d", k);
  return file + number;
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

int64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool SameBytes(const std::string& a, const std::string& b, int64_t length) {
  if (length < 0) length = FileSize(b);
  if (length < 0 || FileSize(a) != length || FileSize(b) < length) return false;
  HANDLE first = OpenToRead(a), second = OpenToRead(b);
  bool same = first != INVALID_HANDLE_VALUE && second != INVALID_HANDLE_VALUE;
  std::string one(kBlock, '\0'), two(kBlock, '\0');
  for (int64_t done = 0; same && done < length;) {
    const DWORD want = static_cast<DWORD>(std::min<int64_t>(kBlock, length - done));
    same = ReadUpTo(first, one.data(), want) == want && ReadUpTo(second, two.data(), want) == want &&
           memcmp(one.data(), two.data(), want) == 0;
    done += want;
  }
  if (first != INVALID_HANDLE_VALUE) CloseHandle(first);
  if (second != INVALID_HANDLE_VALUE) CloseHandle(second);
  return same;
}

std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(find, &found));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace e2e
