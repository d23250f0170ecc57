#include "wav/wav_format.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "frame/files/typed_path.h"
#include "frame/texts/text_numbers.h"

namespace kst {

namespace {

void Put32(std::string& out, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}
void Put16(std::string& out, size_t at, uint16_t value) {
  out[at] = static_cast<char>(value & 0xFF);
  out[at + 1] = static_cast<char>(value >> 8);
}
void Put64(std::string& out, size_t at, uint64_t value) {
  PutLittle64(reinterpret_cast<unsigned char*>(&out[at]), value);
}
uint32_t Get32(const unsigned char* at) {
  return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
         static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}
uint32_t Clamped32(uint64_t value) {
  return value > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(value);
}

// Offsets inside the record.
constexpr size_t kRecAttributes = 8, kRecCreation = 12, kRecAccess = 20, kRecWrite = 28;
constexpr size_t kRecSizeHigh = 36, kRecSizeLow = 40, kRecName = 52;
constexpr size_t kRecShortName = kRecName + kWavNameField;

}  // namespace

uint64_t WavBlockCount(uint64_t dataSize) { return (dataSize + kWavBlock - 1) / kWavBlock; }

uint64_t WavFileSize(uint64_t dataSize) {
  return kWavHeadSize + dataSize + kWavSumBytes * WavBlockCount(dataSize);
}

int64_t EstimatedDataSize(int64_t wavSize) {
  if (wavSize < static_cast<int64_t>(kWavHeadSize)) return 0;
  return (wavSize - static_cast<int64_t>(kWavHeadSize)) / (kWavBlock + kWavSumBytes) * kWavBlock;
}

std::string WavTargetName(const std::string& name) {
  const std::string upper = UpperCase(name);
  const size_t found = upper.find(".WAV", 1);
  return found == std::string::npos ? name + ".WAV" : name;
}

std::string WavHead(const WavRecord& record) {
  std::string head(kWavHeadSize, '\0');
  const uint64_t total = WavFileSize(record.size);
  head.replace(0, 4, "RIFF");
  Put32(head, 4, Clamped32(total - 8));
  head.replace(8, 8, "WAVEfmt ");
  Put32(head, 16, 16);
  Put16(head, 20, 1);
  Put16(head, 22, 2);
  Put32(head, 24, 44100);
  Put32(head, 28, static_cast<uint32_t>(kWavBytesPerSecond));
  Put16(head, 32, 4);
  Put16(head, 34, 16);
  head.replace(36, 4, "data");
  Put32(head, 40, Clamped32(total - kWavRiffHead));
  head.replace(kWavRiffHead, kWavMagicSize, kWavMagic);
  const size_t rec = kWavRiffHead + kWavMagicSize;
  Put32(head, rec, static_cast<uint32_t>(kWavRecordSize));
  Put32(head, rec + kRecAttributes, record.attributes);
  Put64(head, rec + kRecCreation, record.creationTime);
  Put64(head, rec + kRecAccess, record.accessTime);
  Put64(head, rec + kRecWrite, record.writeTime);
  Put32(head, rec + kRecSizeHigh, static_cast<uint32_t>(record.size >> 32));
  Put32(head, rec + kRecSizeLow, static_cast<uint32_t>(record.size));
  // Each name keeps at least one NUL of its field.
  head.replace(rec + kRecName, std::min(record.name.size(), kWavNameField - 1), record.name);
  head.replace(rec + kRecShortName, std::min(record.shortName.size(), kWavShortNameField - 1),
               record.shortName);
  return head;
}

void PutLittle64(unsigned char* at, uint64_t value) {
  for (int i = 0; i < 8; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

uint64_t GetLittle64(const unsigned char* at) {
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = value << 8 | at[i];
  return value;
}

void BlockSum::Add(const unsigned char* bytes, size_t count) {
  while (filled != 0 && count > 0) {  // finish a word begun in an earlier piece
    word |= static_cast<uint64_t>(*bytes++) << (8 * filled);
    --count;
    if (++filled == 8) {
      sum += word;
      word = 0;
      filled = 0;
    }
  }
  uint64_t total = sum;
  for (; count >= 8; count -= 8, bytes += 8) {
    uint64_t w;
    std::memcpy(&w, bytes, 8);
    if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
    total += w;
  }
  sum = total;
  for (; count > 0; --count) word |= static_cast<uint64_t>(*bytes++) << (8 * filled++);
}

void BlockSum::AddCopy(unsigned char* to, const unsigned char* from, size_t count) {
  size_t head = filled == 0 ? 0 : (8 - filled < count ? 8 - filled : count);
  std::memcpy(to, from, head);
  Add(from, head);
  uint64_t total = sum;
  size_t i = head;
  for (; i + 8 <= count; i += 8) {
    uint64_t w;
    std::memcpy(&w, from + i, 8);
    std::memcpy(to + i, &w, 8);
    if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
    total += w;
  }
  sum = total;
  std::memcpy(to + i, from + i, count - i);
  Add(from + i, count - i);
}

uint64_t BlockSum::Finish() {
  const uint64_t result = sum + word;  // the partial word, zero-filled
  sum = word = 0;
  filled = 0;
  return result;
}

uint64_t SumOfBlock(const unsigned char* bytes, size_t count) {
  BlockSum s;
  s.Add(bytes, count);
  return s.Finish();
}

WavHeadFault ReadWavHead(const unsigned char* bytes, size_t count, WavHeadInfo* info) {
  *info = WavHeadInfo();
  if (count < 44 || std::memcmp(bytes, "RIFF", 4) != 0) return WavHeadFault::NotRiff;
  info->riffSize = Get32(bytes + 4);
  info->dataSize = Get32(bytes + 40);
  const size_t searchEnd = std::min(count, 44 + kWavMarkWindow + kWavMagicSize);
  const unsigned char* end = bytes + searchEnd;
  const unsigned char* mark = std::search(bytes + 44, end, kWavMagic, kWavMagic + kWavMagicSize);
  if (mark == end) return WavHeadFault::NoMark;
  const size_t recordAt = static_cast<size_t>(mark - bytes) + kWavMagicSize;
  if (count < recordAt + kWavRecordSize) return WavHeadFault::BadRecord;
  const unsigned char* rec = bytes + recordAt;
  if (Get32(rec) != kWavRecordSize) return WavHeadFault::BadRecord;

  WavRecord& r = info->record;
  r.attributes = Get32(rec + kRecAttributes);
  r.creationTime = GetLittle64(rec + kRecCreation);
  r.accessTime = GetLittle64(rec + kRecAccess);
  r.writeTime = GetLittle64(rec + kRecWrite);
  r.size = static_cast<uint64_t>(Get32(rec + kRecSizeHigh)) << 32 | Get32(rec + kRecSizeLow);
  if (r.size == 0 || r.size > kWavLargestData) return WavHeadFault::BadSize;
  const char* name = reinterpret_cast<const char*>(rec + kRecName);
  const void* nul = std::memchr(name, 0, kWavNameField);
  if (!nul) return WavHeadFault::BadName;
  r.name.assign(name, static_cast<const char*>(nul));
  const char* shortName = reinterpret_cast<const char*>(rec + kRecShortName);
  r.shortName.assign(shortName, strnlen(shortName, kWavShortNameField));
  if (!StoredNameIsPlain(r.name)) return WavHeadFault::BadName;
  info->dataOffset = recordAt + kWavRecordSize;
  return WavHeadFault::None;
}

bool StoredNameIsPlain(const std::string& name) {
  if (name.size() >= kWavNameField || CheckWindowsName(name) != NameFault::None) return false;
  if (name == "." || name == "..") return false;  // a trailing dot already, said for the reader
  // A device answers to its name with any extension and any blanks before it.
  std::string base = UpperCase(name.substr(0, name.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
  for (const char* device : kDevices)
    if (base == device) return false;
  const bool numbered = base.size() == 4 && (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0);
  // Windows reserves the superscript digits too: 1, 2, 3 in code page 1252.
  const unsigned char digit = numbered ? static_cast<unsigned char>(base[3]) : 0;
  return !((digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3);
}

std::string ReportFirstLine(const std::string& label) {
  return Padded(std::to_string(kWavBlock), 11) + Trimmed(label) + "\r\n";
}

std::string ReportLine(uint64_t block, uint64_t found, uint64_t stored) {
  std::string line(48, ' ');
  PutDigits64(static_cast<int64_t>(block & kWavLargestData), line, 1, 10, true);
  PutHex(static_cast<uint32_t>(found >> 32), line, 13, 20);
  PutHex(static_cast<uint32_t>(found), line, 21, 28);
  PutHex(static_cast<uint32_t>(stored >> 32), line, 31, 38);
  PutHex(static_cast<uint32_t>(stored), line, 39, 46);
  line[46] = '\r';
  line[47] = '\n';
  return line;
}

}  // namespace kst
