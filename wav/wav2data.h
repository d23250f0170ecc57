// Wav2Data: restores the file a .wav container carries (see wav_format.h)
// into a chosen folder, with its name, times and attributes, and lists the
// blocks whose sums do not match in <name>.TXT beside it, as the "Wav2Data
// & Data2Wav Third" thread does it.
#pragma once

#include <cstdint>
#include <string>

#include "frame/settings/settings.h"
#include "frame/threads/job_control.h"
#include "wav/wav_outcome.h"

namespace kst {

struct Wav2DataInput {
  std::string wav;     // the .wav to read
  std::string folder;  // where the file and its report go
  uint32_t buffSize = kBuffSizeDefault;
  WavPerson person;
};

// One extraction. Everything the head says is checked before any
// question is asked or any file made: a .wav that is not one, a damaged
// record, an impossible size, a stored name that is no plain file name,
// a path of more than 259 characters (or a report name of more than 255), or a restored file or report that
// would be the .wav itself under any name, or a link. An existing file
// or report is replaced only after the replace question. The file is
// written under its partial name and takes its real name (the old file
// going only then) when whole, its times set and every close checked; a
// failed run removes it. A damaged block is written as read and
// listed in the report; sum bytes missing at the file's end count as 0
// (the block is listed). Data missing at the end fail the run and leave
// what was extracted under the partial name, without its times. Reads keep-going before every
// buffer, moves the bar, feeds Wav2Data's clock counters. The person is
// asked but not told: see TellWavOutcome.
WavResult RunWav2Data(const Wav2DataInput& input, JobControl& job, ProgressSink* bar = nullptr);

}  // namespace kst
