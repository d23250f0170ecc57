#include "systools/perf_data.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "tests/systools/perf_blob.h"

namespace kst {
namespace {

using test::Blob;
using test::BlobObject;
using test::ProcessObject;

const PerfIndexes kIndexes{230, 784, true};

struct BlobCase {
  const char* what;
  std::vector<uint8_t> blob;
  bool valid;
  size_t instances;
  uint32_t lastId;  // the last instance's id, when there are any
};

std::vector<uint8_t> Cut(std::vector<uint8_t> blob, size_t size) {
  blob.resize(size);
  return blob;
}

std::vector<uint8_t> WithByte(std::vector<uint8_t> blob, size_t at, uint32_t value) {
  test::Put32(blob, at, value);
  return blob;
}

std::vector<BlobCase> Cases() {
  BlobObject other;
  other.nameIndex = 2;
  other.instances = -1;
  BlobObject wide = ProcessObject(4);
  wide.counterLength = 48;
  BlobObject none = ProcessObject(2);  // instances present, the count says none
  none.instances = -1;
  BlobObject many = ProcessObject(300);
  BlobObject lying = ProcessObject(3);
  lying.instances = 1000000;  // says more than it holds
  std::vector<uint8_t> normal = Blob({ProcessObject(5)});
  const size_t firstInstance = 88 + 64 + 3 * 40;
  std::vector<uint8_t> notPerf = normal;
  notPerf[0] = 'Q';
  return {
      {"normal", normal, true, 5, 104},
      {"process object not first", Blob({other, ProcessObject(3)}), true, 3, 102},
      {"48-byte counter definitions", Blob({wide}), true, 4, 103},
      {"-1 instances", Blob({none}), true, 0, 0},
      {"no objects, as under Wine", Blob({}), true, 0, 0},
      {"more than 255 instances", Blob({many}), true, 300, 399},
      {"count larger than the instances held", Blob({lying}), true, 3, 102},
      {"not PERF", notPerf, false, 0, 0},
      {"shorter than a header", Cut(normal, 20), false, 0, 0},
      {"cut in the third instance", Cut(normal, firstInstance + 2 * 60 + 30), true, 2, 101},
      {"instance length 0", WithByte(normal, firstInstance, 0), true, 0, 0},
      {"name outside its instance", WithByte(normal, firstInstance + 20, 5000), true, 0, 0},
      {"counter block longer than the object", WithByte(normal, firstInstance + 40, 0x7FFFFFF0), true, 0, 0},
      {"object length past the end", WithByte(normal, 88, 0xFFFFFFF0), true, 5, 104},
      {"counter length 0", WithByte(normal, 88 + 64, 0), true, 0, 0},
      {"header offset past the end", WithByte(normal, 24, 0xFFFFFF00), true, 0, 0},
  };
}

TEST(PerfData, ReadsTheProcessInstancesOfEveryBlob) {
  for (const BlobCase& c : Cases()) {
    SCOPED_TRACE(c.what);
    // A copy of its own size, so that the sanitizers see any read past it.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[c.blob.size()]);
    std::memcpy(exact.get(), c.blob.data(), c.blob.size());
    PerfProcesses read = ParsePerfProcesses(exact.get(), c.blob.size(), kIndexes);
    EXPECT_EQ(read.valid, c.valid);
    ASSERT_EQ(read.instances.size(), c.instances);
    if (c.instances) {
      EXPECT_EQ(read.instances.back().processId, c.lastId);
      EXPECT_EQ(read.instances.front().name, u"progA");
    }
  }
}

TEST(PerfData, SurvivesTheBlobCutAtEveryLength) {
  std::vector<uint8_t> blob = Blob({BlobObject{2, 40, -1, {}}, ProcessObject(4)});
  size_t most = 0;
  for (size_t size = 0; size <= blob.size(); ++size) {
    std::unique_ptr<uint8_t[]> cut(new uint8_t[size ? size : 1]);
    std::memcpy(cut.get(), blob.data(), size);
    PerfProcesses read = ParsePerfProcesses(cut.get(), size, kIndexes);
    EXPECT_GE(read.instances.size(), most) << "at " << size;  // a longer piece never reads fewer
    most = read.instances.size();
  }
  EXPECT_EQ(most, 4u);
}

TEST(PerfData, FindsTheProcessIndexesInTheCounterNames) {
  struct Case {
    const char* what;
    std::string names;
    bool found;
    uint32_t object, counter;
  };
  using namespace std::string_literals;
  const Case cases[] = {
      {"usual", "1\0001847\0002\0System\000230\000Process\000784\000ID Process\000"s, true, 230, 784},
      {"lower case", "230\0process\000784\0id process\0"s, true, 230, 784},
      {"no id counter", "230\0Process\0"s, false, 230, 0},
      {"index not a number", "x\0Process\000784\0ID Process\0"s, false, 0, 784},
      {"no final zero", "230\0Process\000784\0ID Process"s, true, 230, 784},
      {"empty", ""s, false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PerfIndexes got = FindProcessIndexes(c.names.data(), c.names.size());
    EXPECT_EQ(got.found, c.found);
    EXPECT_EQ(got.processObject, c.object);
    EXPECT_EQ(got.processIdCounter, c.counter);
  }
}

}  // namespace
}  // namespace kst
