// Builds performance-data blobs as the registry gives them (little-endian),
// so that the parser can be tried on normal, odd and hostile ones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kst::test {

struct BlobObject {
  uint32_t nameIndex = 230;
  uint32_t counterLength = 40;  // each counter definition's length
  int32_t instances = 0;        // the instance count written (-1: none)
  std::vector<std::u16string> names;  // instance k has process id 100 + k
};

inline void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  if (b.size() < at + 4) b.resize(at + 4);
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Three counters, the process id (784) last; 64 header bytes.
inline std::vector<uint8_t> ObjectBytes(const BlobObject& o) {
  std::vector<uint8_t> b(64);
  for (uint32_t c = 0; c < 3; ++c) {
    size_t at = b.size();
    b.resize(at + o.counterLength);
    Put32(b, at, o.counterLength);
    Put32(b, at + 4, c == 2 ? 784 : 1000 + c);
    Put32(b, at + 32, 4);          // size
    Put32(b, at + 36, 8 + 4 * c);  // offset in the counter block
  }
  const uint32_t definition = static_cast<uint32_t>(b.size());
  for (size_t k = 0; k < o.names.size(); ++k) {
    size_t at = b.size();
    uint32_t nameBytes = static_cast<uint32_t>(2 * (o.names[k].size() + 1));
    uint32_t length = (24 + nameBytes + 7) / 8 * 8;
    Put32(b, at + length + 20 - 4, 0);  // instance and counter block, zeroed
    Put32(b, at, length);
    Put32(b, at + 16, 24);
    Put32(b, at + 20, nameBytes);
    for (size_t i = 0; i < o.names[k].size(); ++i) Put32(b, at + 24 + 2 * i, o.names[k][i]);
    Put32(b, at + length, 20);
    Put32(b, at + length + 16, static_cast<uint32_t>(100 + k));
  }
  Put32(b, 0, static_cast<uint32_t>(b.size()));
  Put32(b, 4, definition);
  Put32(b, 8, 64);
  Put32(b, 12, o.nameIndex);
  Put32(b, 32, 3);
  Put32(b, 40, static_cast<uint32_t>(o.instances));
  return b;
}

inline std::vector<uint8_t> Blob(const std::vector<BlobObject>& objects) {
  std::vector<uint8_t> b(88);
  for (int i = 0; i < 4; ++i) b[2 * i] = static_cast<uint8_t>("PERF"[i]);
  Put32(b, 24, 88);
  Put32(b, 28, static_cast<uint32_t>(objects.size()));
  for (const BlobObject& o : objects) {
    std::vector<uint8_t> bytes = ObjectBytes(o);
    b.insert(b.end(), bytes.begin(), bytes.end());
  }
  Put32(b, 20, static_cast<uint32_t>(b.size()));
  return b;
}

inline BlobObject ProcessObject(int count) {
  BlobObject o;
  o.instances = count;
  for (int i = 0; i < count; ++i) o.names.push_back(u"prog" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)));
  return o;
}

}  // namespace kst::test
