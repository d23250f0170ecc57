// The CRC-32 of zip and gzip (polynomial 0xEDB88320, reflected), the sum a
// check file (.SFV) keeps for each split. Taken piece by piece while the
// bytes pass through a buffer, so no file is read twice for it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kst {

// The sum of the bytes so far followed by size more; start with 0.
uint32_t Crc32Add(uint32_t crc, const void* bytes, size_t size);

}  // namespace kst
