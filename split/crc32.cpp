#include "split/crc32.h"

#include <zlib.h>

namespace kst {

uint32_t Crc32Add(uint32_t crc, const void* bytes, size_t size) {
  const Bytef* p = static_cast<const Bytef*>(bytes);
  // zlib takes a length in uInt: a larger piece goes in parts.
  while (size > 0) {
    const uInt n = size > 0x40000000u ? 0x40000000u : static_cast<uInt>(size);
    crc = static_cast<uint32_t>(crc32(crc, p, n));
    p += n;
    size -= n;
  }
  return crc;
}

}  // namespace kst
