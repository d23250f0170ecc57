// Data2Wav: wraps a file in a .wav container (see wav_format.h), as the
// "Wav2Data & Data2Wav Second" thread does it.
#pragma once

#include <cstdint>
#include <string>

#include "frame/settings/settings.h"
#include "frame/threads/job_control.h"
#include "wav/wav_outcome.h"

namespace kst {

struct Data2WavInput {
  std::string source;                    // the file to wrap
  std::string target;                    // the .wav, the target name rule applied already
  uint32_t buffSize = kBuffSizeDefault;  // the BuffSize setting
  WavPerson person;
};

// Fills the record from the source's directory entry; false when the
// source is missing, a folder or empty.
bool LookUpSource(const std::string& path, WavRecord* record);

// One conversion. Refuses a missing or empty source, a source whose name
// Wav2Data would refuse, and a target that is a link or the source under
// any name, before asking anything; asks before replacing an existing
// target, which is cut only once open and checked again. A failed close
// is a failed write. The bar stays full after a finished run. Reads keep-going before every buffer (waiting there while
// paused), moves the bar once per buffer (range at most 65535) and feeds
// Data2Wav's clock counters. A failed or stopped run leaves what it wrote.
// The person is asked but not told: see TellWavOutcome.
WavResult RunData2Wav(const Data2WavInput& input, JobControl& job, ProgressSink* bar = nullptr);

}  // namespace kst
