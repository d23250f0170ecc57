// How a Data2Wav conversion or a Wav2Data extraction ended, and what the
// person is told about it: the same words in the window and on the
// terminal.
#pragma once

#include <cstdint>
#include <string>

#include "frame/dialogs/ask.h"
#include "wav/wav_format.h"

namespace kst {

enum class WavFault {
  None,
  SourceUnusable,  // missing, a folder, or empty
  SourceName,      // Wav2Data could not give the source's name back
  SameFile,        // the target is the file being read, under any name
  LinkTarget,      // an output is a link: nothing is written through it
  NotWav,          // no "RIFF" start, or no mark after byte 44
  BadRecord,       // the record's length is not 328, or the file ends inside it
  BadSize,         // the stored size is 0 or above 2^63 - 1
  BadName,         // the stored name is no plain file name
  PathTooLong,     // folder\name.TXT longer than 259 characters, or name.TXT than 255
  NoFolder,        // the target folder does not exist
  Declined,        // the person would not replace an existing file
  NoMemory,
  OpenFailed,      // a file could not be opened or created
  ReadFailed,      // a read failed, or the source ended before its size
  WriteFailed,     // a write failed or wrote less (a full disk)
  DataCut,         // the .wav ends inside the data: the partial file stays
  FinishFailed,    // the restored file's times or attributes could not be set
  Stopped,         // keep-going was cleared
};

struct WavResult {
  WavFault fault = WavFault::None;
  uint32_t error = 0;       // the failing system call's code, 0 when none
  std::string failedPath;   // the file the fault is about
  std::string storedName;   // the name a .wav carries (shown when it is refused)
  std::string outputPath;   // the .wav made, or the file restored
  std::string reportPath;   // the bad-block report
  uint64_t size = 0;        // the packed file's size
  uint64_t badBlocks = 0;   // blocks whose sum did not match (Wav2Data)

  bool ok() const { return fault == WavFault::None; }
};

// Who is asked and told: the dialog records of the worker and its window.
struct WavPerson {
  WindowRef window = nullptr;
  int boxRecord = 0;
  int ownerRecord = 0;
};

WavFault FaultOfHead(WavHeadFault fault);

// The replace question of both directions ("File Exists!"): true on Yes;
// on No the person is told to start over somewhere else.
bool AskReplaceWav(const std::string& path, const WavPerson& person);

// What went wrong, in the person's language ("" for None).
std::string WavFaultText(const WavResult& result);
// The bad blocks of a finished extraction: their count and the report.
std::string BadBlocksText(const WavResult& result);

// A finished run in one line for the window's status: "Done!" and the
// name of what was made (and the bad blocks, when the report lists any),
// or "Not done!" and why.
std::string WavStatusText(const WavResult& result);

// Tells the person how a run ended: a fault's text, or "... But I didn't
// manage to create the desired file" when no text says more, under
// "Sorry, but ..."; the bad blocks of a finished extraction under "Pay
// Attention!". Nothing for a clean run.
void TellWavOutcome(const WavResult& result, const WavPerson& person);

}  // namespace kst
