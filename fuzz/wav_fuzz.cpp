// A .wav from any bytes. A head the reader takes names one plain file,
// a size of 1 to 2^63 - 1 and a data start inside what was read, and
// written again it reads back the same. The whole extraction, run on the
// bytes through a small buffer, never writes anything but that file and
// its report into its folder, and finishes (or refuses) without a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "frame/dialogs/ask.h"
#include "frame/platform/emulation.h"
#include "frame/platform/platform.h"
#include "frame/texts/language_files.h"
#include "fuzz/fuzz_check.h"
#include "wav/wav2data.h"
#include "wav/wav_format.h"

namespace {

void CheckHead(const uint8_t* data, size_t size) {
  kst::WavHeadInfo info;
  if (kst::ReadWavHead(data, size, &info) != kst::WavHeadFault::None) return;
  FUZZ_CHECK(kst::StoredNameIsPlain(info.record.name));
  FUZZ_CHECK(info.record.size >= 1 && info.record.size <= kst::kWavLargestData);
  FUZZ_CHECK(info.dataOffset <= size);
  const std::string again = kst::WavHead(info.record);
  kst::WavHeadInfo back;
  FUZZ_CHECK(kst::ReadWavHead(reinterpret_cast<const unsigned char*>(again.data()), again.size(), &back) ==
             kst::WavHeadFault::None);
  FUZZ_CHECK(back.record.name == info.record.name && back.record.size == info.record.size);
  FUZZ_CHECK(back.record.writeTime == info.record.writeTime && back.dataOffset == kst::kWavHeadSize);
}

// Drive W: holds the .wav, drive V: the folder it is restored into.
struct Drives {
  Drives() {
    char in[] = "/tmp/kst_wav_fuzz_in_XXXXXX", out[] = "/tmp/kst_wav_fuzz_out_XXXXXX";
    FUZZ_CHECK(mkdtemp(in) && mkdtemp(out));
    plat::EmuMapDrive('W', plat::EmulatedDrive{in, plat::kDriveFixed});
    plat::EmuMapDrive('V', plat::EmulatedDrive{out, plat::kDriveFixed});
    kst::LoadBuiltInTexts();
    kst::SetAskHandler([](const kst::AskRequest& r) {
      return r.style == kst::kAskOk ? static_cast<int>(kst::kAnswerOk) : static_cast<int>(kst::kAnswerYes);
    });
  }
};

// Empties V:\, counting what was there; only name and name.TXT may be.
void CheckAndEmptyTarget(const std::string& name) {
  plat::FindEntry e;
  plat::FindHandle h = plat::FindFirst("V:\\*.*", &e);
  if (h == plat::kNoFind) return;
  do {
    FUZZ_CHECK(!(e.attributes & plat::kAttrDirectory));
    FUZZ_CHECK(!name.empty() && (e.name == name || e.name == name + ".TXT"));
    plat::SetAttributes("V:\\" + e.name, plat::kAttrNormal);
    plat::DeleteOneFile("V:\\" + e.name);
  } while (plat::FindNext(h, &e));
  plat::FindClose(h);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Drives drives;
  CheckHead(data, size);

  plat::FileHandle h = plat::FileOpen("W:\\in.wav", plat::kWrite, plat::Disposition::CreateAlways);
  uint32_t done = 0;
  FUZZ_CHECK(h != plat::kNoFile && plat::FileWrite(h, data, static_cast<uint32_t>(size), &done));
  plat::FileClose(h);
  kst::JobControl job;
  job.running = job.keepGoing = true;
  kst::Wav2DataInput input;
  input.wav = "W:\\in.wav";
  input.folder = "V:\\";
  input.buffSize = 333;
  const kst::WavResult result = kst::RunWav2Data(input, job);
  // Only a head the reader takes may lead to files, and only to these two.
  kst::WavHeadInfo info;
  const bool taken = kst::ReadWavHead(data, size, &info) == kst::WavHeadFault::None;
  CheckAndEmptyTarget(taken ? info.record.name : std::string());
  if (result.ok()) FUZZ_CHECK(result.size == info.record.size);
  plat::FindEntry e;
  plat::FindHandle w = plat::FindFirst("W:\\*.*", &e);
  int files = 0;
  if (w != plat::kNoFind) {
    do files += 1;
    while (plat::FindNext(w, &e));
    plat::FindClose(w);
  }
  FUZZ_CHECK(files == 1);  // the .wav alone: nothing was written beside it
  return 0;
}
