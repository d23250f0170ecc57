// The .wav container that carries a file on an audio track: a 46-byte
// RIFF/WAVE head (16-bit stereo PCM at 44100 Hz), the mark
// "KestrovaldineWav2Data", a 328-byte record of the packed file's directory
// entry, then the file's bytes in 2048-byte blocks, each followed by its
// 8-byte block sum. Also the bad-block report's lines, the estimates the
// window shows and the rules for the names a container may carry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kst {

constexpr int64_t kWavBlock = 2048;
constexpr int64_t kWavSumBytes = 8;
constexpr size_t kWavRiffHead = 46;  // up to and with the two zero bytes after the data size
constexpr char kWavMagic[] = "KestrovaldineWav2Data";
constexpr size_t kWavMagicSize = sizeof(kWavMagic) - 1;  // 21
constexpr size_t kWavRecordSize = 328;
constexpr size_t kWavHeadSize = kWavRiffHead + kWavMagicSize + kWavRecordSize;  // 395
constexpr int64_t kWavBytesPerSecond = 176400;
// The mark is looked for this far beyond byte 44, whatever the buffer size.
constexpr size_t kWavMarkWindow = 65536;
constexpr size_t kWavNameField = 260;
constexpr size_t kWavShortNameField = 14;
// Only read-only, hidden, system and archive travel to the restored file.
constexpr uint32_t kWavKeptAttributes = 0x27;
// The largest packed size: a signed 64-bit count.
constexpr uint64_t kWavLargestData = 0x7FFFFFFFFFFFFFFFull;

// The packed file's directory entry, as the record carries it.
struct WavRecord {
  uint32_t attributes = 0;
  uint64_t creationTime = 0;  // platform file times (100 ns units since 1601)
  uint64_t accessTime = 0;
  uint64_t writeTime = 0;
  uint64_t size = 0;
  std::string name;       // the long name, without folder
  std::string shortName;  // the 8.3 name, "" when there is none
};

// T = 395 + S + 8 x ceil(S / 2048).
uint64_t WavFileSize(uint64_t dataSize);
uint64_t WavBlockCount(uint64_t dataSize);
// The file a .wav of wavSize bytes carries: floor((W - 395) / 2056) x 2048;
// 0 below 395 bytes.
int64_t EstimatedDataSize(int64_t wavSize);
// Playing time in whole seconds.
inline int64_t SoundSeconds(int64_t wavSize) { return wavSize / kWavBytesPerSecond; }

// The target name rule: ".WAV" is appended unless the name holds ".WAV"
// (any case) somewhere after its first character.
std::string WavTargetName(const std::string& name);

// The 395 bytes before the data. The 32-bit RIFF and data sizes stop at
// 0xFFFFFFFF for files too big for them; every byte not taken by the
// record's fields is zero, so equal files give equal heads.
std::string WavHead(const WavRecord& record);

// The sum of a block's bytes taken as little-endian 64-bit words from the
// block's first byte, modulo 2^64; a last word of fewer than 8 bytes is
// filled with zeros. Bytes may come in pieces of any length.
struct BlockSum {
  uint64_t sum = 0;
  uint64_t word = 0;  // the bytes of a word not yet complete
  unsigned filled = 0;

  void Add(const unsigned char* bytes, size_t count);
  // Adds count bytes and copies them to `to` in the same pass.
  void AddCopy(unsigned char* to, const unsigned char* from, size_t count);
  uint64_t Finish();  // the block's sum; starts the next block
};
uint64_t SumOfBlock(const unsigned char* bytes, size_t count);
void PutLittle64(unsigned char* at, uint64_t value);
uint64_t GetLittle64(const unsigned char* at);

// Why a container's head cannot be used.
enum class WavHeadFault {
  None,
  NotRiff,      // it does not start with "RIFF", or is shorter than the head
  NoMark,       // no mark within 64 KiB after byte 44
  BadRecord,    // the record is not 328 bytes long or the file ends inside it
  BadSize,      // the stored size is 0 or above 2^63 - 1
  BadName,      // the stored name is no plain file name (see StoredNameIsPlain)
};

struct WavHeadInfo {
  WavRecord record;
  uint64_t dataOffset = 0;  // where the first block starts
  uint32_t riffSize = 0;    // as read; the data are found without them
  uint32_t dataSize = 0;
};

// How many bytes of a .wav's start ReadWavHead needs at most.
constexpr size_t kWavHeadWindow = 44 + kWavMarkWindow + kWavMagicSize + kWavRecordSize;

// Reads the head from the first bytes of a .wav (up to kWavHeadWindow of
// them, fewer when the file is shorter).
WavHeadFault ReadWavHead(const unsigned char* bytes, size_t count, WavHeadInfo* info);

// A stored name names one file in the target folder: not empty, its NUL
// within 260 bytes, no character below 32 nor \ / : * ? " < > |, not "."
// or "..", no trailing dot or blank, not a device name (CON, PRN, AUX,
// NUL, COM1-9, LPT1-9 and COM or LPT with a superscript 1, 2 or 3, with
// any extension, in any case). Data2Wav wraps only a file whose name
// passes, so that what it wraps can come back.
bool StoredNameIsPlain(const std::string& name);

// The report of bad blocks: its first line and one 48-byte line per block
// (number right-aligned in 10, two blanks, the sum found in the restored
// data and the stored sum as 16 hex digits each, two blanks between, CR LF).
std::string ReportFirstLine(const std::string& label);
std::string ReportLine(uint64_t block, uint64_t found, uint64_t stored);

}  // namespace kst
