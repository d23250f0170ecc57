// Files the end-to-end tests write and read back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

// size bytes whose bytes differ from their neighbours', different per seed.
std::string Pattern(int64_t size, unsigned seed);
bool WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);  // empty when it cannot be read

int64_t FileSize(const std::string& path);  // -1 when it is not there
bool WriteSparseFile(const std::string& path, int64_t size);  // large and quick to make
std::string SplitPath(const std::string& file, int k);  // file + ".001" for split 1
bool EndsWith(const std::string& text, const std::string& tail);
// The names of the files and folders at the top of folder, sorted.
std::vector<std::string> NamesIn(const std::string& folder);

}  // namespace e2e
