// Files the end-to-end tests write and read back: patterned contents,
// whole reads for small files, streamed comparisons for large ones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

// size bytes whose bytes differ from their neighbours', different per seed.
std::string Pattern(int64_t size, unsigned seed);
bool WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);  // empty when it cannot be read

// A large patterned file written in 1 MiB blocks; every block differs from
// the others, so a block out of place or twice is seen.
bool WriteLargeFile(const std::string& path, int64_t size, unsigned seed);
// The file's size, or -1 when it is not there.
int64_t FileSize(const std::string& path);
// True when file a holds exactly the first length bytes of file b (the
// whole of b when length is -1), read side by side in large blocks.
bool SameBytes(const std::string& a, const std::string& b, int64_t length = -1);
// A sparse file of size bytes: large and quick to make.
bool WriteSparseFile(const std::string& path, int64_t size);
// file + ".001" for split 1.
std::string SplitPath(const std::string& file, int k);
bool EndsWith(const std::string& text, const std::string& tail);
// The names of the files and folders at the top of folder, sorted.
std::vector<std::string> NamesIn(const std::string& folder);

}  // namespace e2e
