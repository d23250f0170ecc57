#include "systools/perf_data.h"

#include <cstring>

namespace kst {

namespace {

// The layouts, by offset (all little-endian 32-bit values).
constexpr size_t kBlockTotal = 20, kBlockHeader = 24, kBlockObjects = 28, kBlockMinimum = 32;
constexpr size_t kObjectTotal = 0, kObjectDefinition = 4, kObjectHeader = 8, kObjectName = 12,
                 kObjectInstances = 40, kObjectMinimum = 48;
constexpr size_t kCounterLength = 0, kCounterName = 4, kCounterSize = 32, kCounterOffset = 36,
                 kCounterMinimum = 40;
constexpr size_t kInstanceLength = 0, kInstanceNameOffset = 16, kInstanceNameLength = 20,
                 kInstanceMinimum = 24;
// A blob holds a few dozen objects; more is not a blob of the system's.
constexpr uint32_t kMostObjects = 4096;

uint32_t Read32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Whether length bytes at `at` lie before end, without overflowing.
bool Fits(size_t at, size_t length, size_t end) { return at <= end && length <= end - at; }

bool SameNoCase(const char* a, size_t length, const char* b) {
  if (std::strlen(b) != length) return false;
  for (size_t i = 0; i < length; ++i) {
    char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
    if (x != b[i]) return false;
  }
  return true;
}

bool ParseIndex(const char* text, size_t length, uint32_t* value) {
  if (length == 0 || length > 9) return false;
  uint32_t v = 0;
  for (size_t i = 0; i < length; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + static_cast<uint32_t>(text[i] - '0');
  }
  *value = v;
  return true;
}

// The id counter's offset in a counter block of the object at `object`.
bool FindIdCounter(const uint8_t* blob, size_t object, size_t definitionEnd, size_t headerLength,
                   uint32_t counter, uint32_t* offset) {
  size_t at = object + headerLength;
  while (Fits(at, kCounterMinimum, definitionEnd)) {
    uint32_t length = Read32(blob + at + kCounterLength);
    if (length < kCounterMinimum || !Fits(at, length, definitionEnd)) return false;
    uint32_t size = Read32(blob + at + kCounterSize);
    if (Read32(blob + at + kCounterName) == counter && size >= 4) {
      *offset = Read32(blob + at + kCounterOffset);
      return true;
    }
    at += length;
  }
  return false;
}

void ReadInstances(const uint8_t* blob, size_t object, size_t end, uint32_t counter, PerfProcesses* out) {
  uint32_t definition = Read32(blob + object + kObjectDefinition);
  uint32_t header = Read32(blob + object + kObjectHeader);
  int32_t count = static_cast<int32_t>(Read32(blob + object + kObjectInstances));
  if (header < kObjectMinimum || header > definition || !Fits(object, definition, end)) return;
  uint32_t idOffset = 0;
  if (!FindIdCounter(blob, object, object + definition, header, counter, &idOffset)) return;
  if (count <= 0) return;  // -1: an object without instances
  size_t wanted = static_cast<size_t>(count) < kMostPerfInstances ? static_cast<size_t>(count) : kMostPerfInstances;
  size_t at = object + definition;
  for (size_t k = 0; k < wanted; ++k) {
    if (!Fits(at, kInstanceMinimum, end)) return;
    uint32_t length = Read32(blob + at + kInstanceLength);
    if (length < kInstanceMinimum || !Fits(at, length, end)) return;
    uint32_t nameOffset = Read32(blob + at + kInstanceNameOffset);
    uint32_t nameLength = Read32(blob + at + kInstanceNameLength);
    if (nameOffset > length || nameLength > length - nameOffset) return;
    size_t block = at + length;
    if (!Fits(block, 4, end)) return;
    uint32_t blockLength = Read32(blob + block);
    if (blockLength < 4 || !Fits(block, blockLength, end)) return;
    if (idOffset > blockLength || blockLength - idOffset < 4) return;
    PerfInstance instance;
    const uint8_t* name = blob + at + nameOffset;
    for (size_t c = 0; c + 1 < nameLength; c += 2) {
      char16_t ch = static_cast<char16_t>(name[c] | name[c + 1] << 8);
      if (ch == 0) break;
      instance.name += ch;
    }
    instance.processId = Read32(blob + block + idOffset);
    out->instances.push_back(std::move(instance));
    at = block + blockLength;
  }
}

}  // namespace

PerfIndexes FindProcessIndexes(const char* data, size_t size) {
  PerfIndexes found;
  bool object = false, counter = false;
  size_t at = 0;
  const char* previous = nullptr;
  size_t previousLength = 0;
  while (at < size) {
    const void* zero = std::memchr(data + at, '\0', size - at);
    size_t length = zero ? static_cast<const char*>(zero) - (data + at) : size - at;
    const char* text = data + at;
    if (previous) {
      uint32_t index = 0;
      if (!object && SameNoCase(text, length, "process") && ParseIndex(previous, previousLength, &index)) {
        found.processObject = index;
        object = true;
      } else if (!counter && SameNoCase(text, length, "id process") &&
                 ParseIndex(previous, previousLength, &index)) {
        found.processIdCounter = index;
        counter = true;
      }
    }
    previous = text;
    previousLength = length;
    at += length + 1;
  }
  found.found = object && counter;
  return found;
}

PerfProcesses ParsePerfProcesses(const uint8_t* blob, size_t size, const PerfIndexes& indexes) {
  PerfProcesses out;
  static const uint8_t kSignature[8] = {'P', 0, 'E', 0, 'R', 0, 'F', 0};
  if (!blob || size < kBlockMinimum || std::memcmp(blob, kSignature, 8) != 0) return out;
  out.valid = true;
  // The blob may say it is longer than what was read: what was read bounds it.
  size_t end = Read32(blob + kBlockTotal);
  if (end > size) end = size;
  size_t at = Read32(blob + kBlockHeader);
  uint32_t objects = Read32(blob + kBlockObjects);
  if (at < kBlockMinimum) return out;
  for (uint32_t i = 0; i < objects && i < kMostObjects; ++i) {
    if (!Fits(at, kObjectMinimum, end)) break;
    uint32_t total = Read32(blob + at + kObjectTotal);
    if (total < kObjectMinimum) break;
    if (Read32(blob + at + kObjectName) == indexes.processObject) {
      // A cut blob still gives the instances it holds whole.
      ReadInstances(blob, at, Fits(at, total, end) ? at + total : end, indexes.processIdCounter, &out);
      break;
    }
    if (!Fits(at, total, end)) break;
    at += total;
  }
  return out;
}

}  // namespace kst
