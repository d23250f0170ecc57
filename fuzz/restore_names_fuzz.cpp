// A join batch and a file name from any bytes. The batch gives a split
// count of 0 to 999, never more than the lines that start with "del " can
// name; a name is a split or a batch name only with its ending in place,
// and its base is the name less that ending.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "restore/restore_names.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  const int count = kst::SplitCountInBatchText(text, size);
  FUZZ_CHECK(count >= 0 && count <= 999);
  const std::string bytes(text, size);
  if (count > 0) FUZZ_CHECK(bytes.find("del ") != std::string::npos && bytes.find("\r\n") != std::string::npos);

  std::string base;
  int number = -1;
  if (kst::SplitNameParts(bytes, &base, &number)) {
    FUZZ_CHECK(number >= 0 && number <= 999);
    FUZZ_CHECK(!base.empty() && base.back() != '\\');
    FUZZ_CHECK(bytes.compare(0, base.size(), base) == 0 && bytes[base.size()] == '.');
  }
  if (kst::BatchNameBase(bytes, &base)) {
    FUZZ_CHECK(!base.empty() && base.back() != '\\');
    FUZZ_CHECK(bytes.compare(0, base.size(), base) == 0 && bytes[base.size()] == '.');
  }
  return 0;
}
