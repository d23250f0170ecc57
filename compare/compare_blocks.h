// The block comparison: are count bytes of one file, from its own start
// position, the same as count bytes of another from its own? File(s)
// Comparing and the verification of Split &/Or Copy both use it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "frame/platform/platform.h"
#include "frame/settings/settings.h"
#include "frame/threads/job_control.h"

namespace kst {

enum class CompareOutcome {
  Equal,      // every byte of the range is the same
  Different,  // position names the first byte that differs
  Error,      // a file would not open, a read failed or came back short
  Aborted,    // keep-going was cleared before the range was done
};

struct BlockBuffers;

struct CompareRequest {
  std::string firstPath;
  std::string secondPath;
  int64_t firstStart = 1;   // 1-based position in the first file
  int64_t secondStart = 1;  // 1-based position in the second file
  int64_t count = 0;        // bytes to compare
  int32_t buffSize = kBuffSizeDefault;  // the BuffSize setting; 512000 when not above 0
  int clock = -1;           // the ClockId whose counters grow per block, -1 for none
  // The two blocks a caller comparing many files lends (made for the same
  // buffSize); null to take them for this call.
  const BlockBuffers* buffers = nullptr;
};

// The block size buffSize stands for: 512000 when it is not above 0.
uint32_t BlockSize(int32_t buffSize);

// The two block buffers, each starting on a page: the system copies file
// bytes into a page-aligned buffer markedly faster (a fifth less time on
// page-cache-resident files). first is null when memory ran out.
struct BlockBuffers {
  explicit BlockBuffers(int32_t buffSize);
  std::unique_ptr<char[]> memory;
  char* first = nullptr;
  char* second = nullptr;
};

struct CompareResult {
  CompareOutcome outcome = CompareOutcome::Error;
  // 1-based offset of the first differing byte, counted from the start of
  // the compared range; -1 when equal; -2 otherwise (error or aborted), so
  // that a failed read is never taken for a difference.
  int64_t position = -2;
};

// Compares block by block through one buffer of buffSize bytes per file.
// Reads keep-going before every block (waiting there while paused). With a
// progress sink the bar's range is the blocks scaled to at most 65535, it
// moves once per block and goes back to 0 at the end. A count of 0 is equal
// once both files open.
CompareResult CompareBlocks(const CompareRequest& request, JobControl& job,
                            ProgressSink* progress = nullptr);

// A file open for comparing: reading, sharing reading, sequential. It
// closes itself on every way out.
struct ComparedFile {
  explicit ComparedFile(const std::string& path);
  ~ComparedFile();
  ComparedFile(const ComparedFile&) = delete;
  ComparedFile& operator=(const ComparedFile&) = delete;

  plat::FileHandle handle = plat::kNoFile;
  bool ok = false;  // open
};

// The same over two files the caller has open for reading and closes
// itself (request's paths are not used): a caller that needs a file's size
// before comparing takes it from the handle it compares through.
CompareResult CompareOpenFiles(plat::FileHandle first, plat::FileHandle second,
                               const CompareRequest& request, JobControl& job,
                               ProgressSink* progress = nullptr);

}  // namespace kst
