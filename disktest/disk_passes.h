// Test Disks' two passes over one disk. Writing: one random buffer goes,
// block by block, both to the test file in the temporary folder and to the
// disk. Reading back: the disk's file is copied into the temporary folder
// and compared with the test file in the same loop. The program moves the
// bytes itself, through its own buffers and without the shell's copy, so
// that no file is read or written more often than the pass needs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "compare/compare_blocks.h"
#include "disktest/random_data.h"
#include "frame/threads/job_control.h"

namespace kst {

// A buffer of size bytes filled by FillRandomBuffer; null when memory ran out.
std::unique_ptr<char[]> MakeRandomBuffer(uint32_t size, const RandomBits& random);

enum class WriteOutcome {
  Written,
  TestFileFailed,  // the test file would not open, or a write to it failed or came short
  DiskFailed,      // the same on the disk; error says why
  Aborted,         // keep-going was cleared between two blocks
};

struct WriteResult {
  WriteOutcome outcome = WriteOutcome::TestFileFailed;
  uint32_t error = 0;  // the system's code when the disk failed (112 when it filled up)
};

// Writes size bytes to test and then to disk (each made, or emptied when
// present): the buffer of buffSize bytes size / buffSize times, then its
// first size % buffSize bytes, each block to both files before the next.
// Keep-going is read before every block (waiting there while paused); the
// bar moves once a block, its range scaled to at most 65535; clock (a
// ClockId, -1 none) grows by the bytes of each block. What was written
// stays: the caller decides what goes.
WriteResult WriteTestFiles(const char* buffer, uint32_t buffSize, const std::string& test,
                           const std::string& disk, int64_t size, JobControl& job, ProgressSink* progress,
                           int clock);

struct ReadBackResult {
  // False when the disk's file would not open or a read from it failed: the
  // disk is asked for again.
  bool diskRead = false;
  // Of the test file's size bytes against what came from the disk, as
  // CompareBlocks gives it for the test file and the read-back file. A disk
  // file shorter or longer than size, a failed or short read or write, and
  // an abort are never Equal.
  CompareResult compared;
};

// Copies the disk's file into back (made, or emptied when present) block by
// block through one buffer of buffSize bytes, comparing each block with the
// same block of test read into a second one. Stops at the first difference.
// Keep-going, the bar and clock as for WriteTestFiles.
ReadBackResult ReadBackAndCompare(const std::string& disk, const std::string& back, const std::string& test,
                                  int64_t size, int32_t buffSize, JobControl& job, ProgressSink* progress,
                                  int clock);

}  // namespace kst
