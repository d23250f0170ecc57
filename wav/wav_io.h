// What both directions share: whole reads and writes through the platform
// layer, the progress bar scaled to 65535 and the ending of a failed run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "frame/platform/platform.h"
#include "frame/threads/job_control.h"
#include "wav/wav_outcome.h"

namespace kst {

// Reads exactly size bytes; a short read (the file ended) or an error is a
// failure, with LastError() 0 for the former.
bool ReadAll(plat::FileHandle h, void* buffer, size_t size);
// Reads until size bytes or the file's end; *got gets the count. False on an error.
bool ReadUpTo(plat::FileHandle h, void* buffer, size_t size, size_t* got);
// Writes exactly size bytes; a short write is a failure with 112 (disk full).
bool WriteAll(plat::FileHandle h, const void* buffer, size_t size);

// Whether path may be written as an output: LinkTarget when it is a link,
// SameFile when it is one of inputs under another name (a hard link, a
// short name), None otherwise (also when it does not exist).
WavFault CheckOutput(const std::string& path, const std::vector<std::string>& inputs);
// Opens an output for writing, empty: a missing one is made new (never
// through a link left dangling), an existing one is opened without being
// cut, checked as CheckOutput does, and only then cut. A fault leaves
// *handle kNoFile and the file as it was; OpenFailed leaves the code in
// LastError().
WavFault OpenOutput(const std::string& path, const std::vector<std::string>& inputs,
                    plat::FileHandle* handle);

// Moves a bar over `chunks` buffers, never with a range above 65535.
struct BarMover {
  BarMover(ProgressSink* sink, uint64_t chunks);
  void Move(uint64_t chunk);
  ProgressSink* sink;
  ProgressScale scale;
};

// Sets the fault and returns the result, for `return Failed(...)`.
WavResult Failed(WavResult* result, WavFault fault, const std::string& path, uint32_t error = 0);

}  // namespace kst
