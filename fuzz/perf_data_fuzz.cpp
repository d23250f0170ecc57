// The registry's performance data, from any bytes: the parser must stay
// inside the blob (the sanitizers watch), never read more than the
// instance cap, keep every name inside the blob, and give instances only
// for a blob that is performance data. The counter names list is read
// from the same bytes.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "fuzz/fuzz_check.h"
#include "systools/perf_data.h"
#include "systools/process_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly size bytes, so that a read past it is seen.
  std::unique_ptr<uint8_t[]> blob(new uint8_t[size ? size : 1]);
  for (size_t i = 0; i < size; ++i) blob[i] = data[i];
  const kst::PerfIndexes indexes{230, 784, true};
  kst::PerfProcesses read = kst::ParsePerfProcesses(blob.get(), size, indexes);
  FUZZ_CHECK(read.valid || read.instances.empty());
  FUZZ_CHECK(read.instances.size() <= kst::kMostPerfInstances);
  size_t nameBytes = 0;
  for (const kst::PerfInstance& in : read.instances) nameBytes += 2 * in.name.size();
  FUZZ_CHECK(nameBytes <= size);
  std::vector<kst::ProcessRecord> records = kst::RecordsFromPerf(read.instances, kst::NarrowAscii);
  FUZZ_CHECK(records.size() + 2 <= read.instances.size() || records.empty());
  for (const kst::ProcessRecord& r : records) FUZZ_CHECK(r.processId != 0 && r.name.size() <= kst::kProgramNameLength);

  kst::PerfIndexes names = kst::FindProcessIndexes(reinterpret_cast<const char*>(blob.get()), size);
  FUZZ_CHECK(names.found || (names.processObject == 0 || names.processIdCounter == 0));
  return 0;
}
