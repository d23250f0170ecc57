// Builds performance-data blobs as the registry gives them, so that the
// parser can be tried on normal, odd and hostile ones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kst::test {

struct BlobInstance {
  std::u16string name;
  uint32_t processId = 0;
};

struct BlobObject {
  uint32_t nameIndex = 230;
  uint32_t idCounter = 784;
  uint32_t counterLength = 40;  // each counter definition's length
  int counters = 3;             // the id counter is the last one
  int32_t instances = 0;        // written as the instance count (-1: none)
  std::vector<BlobInstance> list;
};

inline void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  if (b.size() < at + 4) b.resize(at + 4);
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

inline std::vector<uint8_t> ObjectBytes(const BlobObject& o) {
  const uint32_t header = 64;
  std::vector<uint8_t> b(header);
  for (int c = 0; c < o.counters; ++c) {
    size_t at = b.size();
    b.resize(at + o.counterLength);
    Put32(b, at, o.counterLength);
    Put32(b, at + 4, c + 1 == o.counters ? o.idCounter : 1000 + c);
    Put32(b, at + 32, 4);          // size
    Put32(b, at + 36, 8 + 4 * c);  // offset in the counter block
  }
  uint32_t definition = static_cast<uint32_t>(b.size());
  for (const BlobInstance& in : o.list) {
    size_t at = b.size();
    uint32_t nameBytes = static_cast<uint32_t>(2 * (in.name.size() + 1));
    uint32_t length = (24 + nameBytes + 7) / 8 * 8;
    b.resize(at + length);
    Put32(b, at, length);
    Put32(b, at + 16, 24);
    Put32(b, at + 20, nameBytes);
    for (size_t k = 0; k < in.name.size(); ++k) {
      b[at + 24 + 2 * k] = static_cast<uint8_t>(in.name[k]);
      b[at + 25 + 2 * k] = static_cast<uint8_t>(in.name[k] >> 8);
    }
    size_t block = b.size();
    uint32_t blockLength = 8 + 4 * o.counters;
    b.resize(block + blockLength);
    Put32(b, block, blockLength);
    Put32(b, block + 8 + 4 * (o.counters - 1), in.processId);
  }
  Put32(b, 0, static_cast<uint32_t>(b.size()));
  Put32(b, 4, definition);
  Put32(b, 8, header);
  Put32(b, 12, o.nameIndex);
  Put32(b, 32, static_cast<uint32_t>(o.counters));
  Put32(b, 40, static_cast<uint32_t>(o.instances));
  return b;
}

inline std::vector<uint8_t> Blob(const std::vector<BlobObject>& objects) {
  std::vector<uint8_t> b(88);
  const char sig[] = "PERF";
  for (int i = 0; i < 4; ++i) b[2 * i] = static_cast<uint8_t>(sig[i]);
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
  for (int i = 0; i < count; ++i)
    o.list.push_back({u"prog" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)), static_cast<uint32_t>(100 + i)});
  return o;
}

}  // namespace kst::test
