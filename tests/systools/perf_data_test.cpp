// Performance-data blobs built as the registry gives them (little-endian).
#include "systools/perf_data.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <tuple>

namespace kst {
namespace {

using Bytes = std::vector<uint8_t>;

// counterLength: each counter definition's; instances: the count written
// (-1: none); held: the instances there, k named "prog" + 'A' + k with id 100 + k.
struct BlobObject { uint32_t nameIndex = 230, counterLength = 40; int32_t instances = 0, held = 0; };

Bytes Put32(Bytes b, size_t at, uint32_t v) {
  if (b.size() < at + 4) b.resize(at + 4);
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
  return b;
}

// Three counters, the process id (784) last; 64 header bytes.
Bytes ObjectBytes(const BlobObject& o) {
  Bytes b(64);
  for (uint32_t c = 0; c < 3; ++c) {
    const size_t at = b.size();
    b.resize(at + o.counterLength);
    b = Put32(Put32(b, at, o.counterLength), at + 4, c == 2 ? 784 : 1000 + c);
    b = Put32(Put32(b, at + 32, 4), at + 36, 8 + 4 * c);  // size, offset in the counter block
  }
  const uint32_t definition = static_cast<uint32_t>(b.size());
  for (int k = 0; k < o.held; ++k) {
    const size_t at = b.size();
    const std::u16string name = u"prog" + std::u16string(1, static_cast<char16_t>(u'A' + k % 26));
    const uint32_t nameBytes = static_cast<uint32_t>(2 * (name.size() + 1)), length = (24 + nameBytes + 7) / 8 * 8;
    b = Put32(b, at + length + 20 - 4, 0);  // instance and counter block, zeroed
    b = Put32(Put32(Put32(b, at, length), at + 16, 24), at + 20, nameBytes);
    for (size_t i = 0; i < name.size(); ++i) b = Put32(b, at + 24 + 2 * i, name[i]);
    b = Put32(Put32(b, at + length, 20), at + length + 16, static_cast<uint32_t>(100 + k));
  }
  b = Put32(Put32(Put32(b, 0, static_cast<uint32_t>(b.size())), 4, definition), 8, 64);
  return Put32(Put32(Put32(b, 12, o.nameIndex), 32, 3), 40, static_cast<uint32_t>(o.instances));
}

Bytes Blob(const std::vector<BlobObject>& objects) {
  Bytes b(88);
  for (int i = 0; i < 4; ++i) b[2 * i] = static_cast<uint8_t>("PERF"[i]);
  b = Put32(Put32(b, 24, 88), 28, static_cast<uint32_t>(objects.size()));
  for (const BlobObject& o : objects) {
    const Bytes bytes = ObjectBytes(o);
    b.insert(b.end(), bytes.begin(), bytes.end());
  }
  return Put32(b, 20, static_cast<uint32_t>(b.size()));
}

// A copy of its own size, so that the sanitizers see any read past it.
PerfProcesses Parse(const Bytes& blob, size_t size) {
  std::unique_ptr<uint8_t[]> exact(new uint8_t[size ? size : 1]);
  std::memcpy(exact.get(), blob.data(), size);
  return ParsePerfProcesses(exact.get(), size, PerfIndexes{230, 784, true});
}

TEST(PerfData, ReadsTheProcessInstancesOfEveryBlob) {
  const Bytes normal = Blob({{230, 40, 5, 5}});
  const size_t firstInstance = 88 + 64 + 3 * 40;
  const BlobObject other{2, 40, -1, 0};
  // size: the bytes given, 0 all; lastId: the last instance's id, when there are any.
  const struct { const char* what; Bytes blob; size_t size; bool valid; size_t instances; uint32_t lastId; } cases[] = {
      {"normal", normal, 0, true, 5, 104},
      {"process object not first", Blob({other, {230, 40, 3, 3}}), 0, true, 3, 102},
      {"48-byte counter definitions", Blob({{230, 48, 4, 4}}), 0, true, 4, 103},
      {"-1 instances", Blob({{230, 40, -1, 2}}), 0, true, 0, 0},
      {"no objects, as under Wine", Blob({}), 0, true, 0, 0},
      {"more than 255 instances", Blob({{230, 40, 300, 300}}), 0, true, 300, 399},
      {"count larger than the instances held", Blob({{230, 40, 1000000, 3}}), 0, true, 3, 102},
      {"not PERF", Put32(normal, 0, 'Q'), 0, false, 0, 0},
      {"shorter than a header", normal, 20, false, 0, 0},
      {"cut in the third instance", normal, firstInstance + 2 * 60 + 30, true, 2, 101},
      {"instance length 0", Put32(normal, firstInstance, 0), 0, true, 0, 0},
      {"name outside its instance", Put32(normal, firstInstance + 20, 5000), 0, true, 0, 0},
      {"counter block longer than the object", Put32(normal, firstInstance + 40, 0x7FFFFFF0), 0, true, 0, 0},
      {"object length past the end", Put32(normal, 88, 0xFFFFFFF0), 0, true, 5, 104},
      {"counter length 0", Put32(normal, 88 + 64, 0), 0, true, 0, 0},
      {"header offset past the end", Put32(normal, 24, 0xFFFFFF00), 0, true, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const PerfProcesses read = Parse(c.blob, c.size ? c.size : c.blob.size());
    EXPECT_EQ(read.valid, c.valid);
    ASSERT_EQ(read.instances.size(), c.instances);
    if (!c.instances) continue;
    EXPECT_EQ(read.instances.back().processId, c.lastId);
    EXPECT_EQ(read.instances.front().name, u"progA");
  }
  // Cut at every length: a longer piece never reads fewer.
  const Bytes blob = Blob({other, {230, 40, 4, 4}});
  size_t most = 0;
  for (size_t size = 0; size <= blob.size(); ++size) {
    const size_t read = Parse(blob, size).instances.size();
    EXPECT_GE(read, most) << "at " << size;
    most = read;
  }
  EXPECT_EQ(most, 4u);
}

TEST(PerfData, FindsTheProcessIndexesInTheCounterNames) {
  using namespace std::string_literals;
  const struct { const char* what; std::string names; bool found; uint32_t object, counter; } cases[] = {
      {"usual", "1\0001847\0002\0System\000230\000Process\000784\000ID Process\000"s, true, 230, 784},
      {"lower case", "230\0process\000784\0id process\0"s, true, 230, 784},
      {"no id counter", "230\0Process\0"s, false, 230, 0},
      {"index not a number", "x\0Process\000784\0ID Process\0"s, false, 0, 784},
      {"no final zero", "230\0Process\000784\0ID Process"s, true, 230, 784},
      {"empty", ""s, false, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const PerfIndexes got = FindProcessIndexes(c.names.data(), c.names.size());
    EXPECT_EQ(std::make_tuple(got.found, got.processObject, got.processIdCounter),
              std::make_tuple(c.found, c.object, c.counter));
  }
}

}  // namespace
}  // namespace kst
