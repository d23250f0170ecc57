#include "wav/wav_outcome.h"

#include "frame/files/folders.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"

namespace kst {

namespace {

// Data2Wav & Wav2Data's own texts beyond the original table.
enum WavText {
  kTextSourceUnusable = 1275,
  kTextSameFile = 1276,
  kTextNotWav = 1277,
  kTextBadRecord = 1278,
  kTextBadSize = 1279,
  kTextBadName = 1280,
  kTextPathTooLong = 1281,
  kTextNoFolder = 1282,
  kTextDataCut = 1283,
  kTextFinishFailed = 1284,
  kTextBadBlocks = 1285,
  kTextDone = 1288,
  kTextWrapped = 1289,
  kTextRestored = 1290,
  kTextNotDone = 1291,
  kTextSourceName = 1292,
  kTextLinkTarget = 1293,
};

std::string Said(int id) { return Trimmed(GetText(id)); }

// A stored name as one line: control characters as \xNN.
std::string Visible(const std::string& name) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string shown;
  for (char c : name) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 32) shown += std::string("\\x") + kHex[u >> 4] + kHex[u & 15];
    else shown += c;
  }
  return shown;
}

}  // namespace

WavFault FaultOfHead(WavHeadFault fault) {
  switch (fault) {
    case WavHeadFault::None: return WavFault::None;
    case WavHeadFault::NotRiff:
    case WavHeadFault::NoMark: return WavFault::NotWav;
    case WavHeadFault::BadRecord: return WavFault::BadRecord;
    case WavHeadFault::BadSize: return WavFault::BadSize;
    case WavHeadFault::BadName: return WavFault::BadName;
  }
  return WavFault::NotWav;
}

bool AskReplaceWav(const std::string& path, const WavPerson& person) {
  PlayAlert();
  const std::string question = Said(45) + " " + Trimmed(path) + " " + Said(46);
  if (AskUser(kAskYesNo, person.window, GetText(44), question, person.boxRecord,
              person.ownerRecord) == kAnswerYes)
    return true;
  PlayAlert();
  AskUser(kAskOk, person.window, GetText(47), GetText(48), person.boxRecord, person.ownerRecord);
  return false;
}

std::string WavFaultText(const WavResult& result) {
  switch (result.fault) {
    case WavFault::None: return "";
    case WavFault::SourceUnusable: return Said(kTextSourceUnusable) + " " + result.failedPath;
    case WavFault::SourceName: return Said(kTextSourceName) + " " + result.failedPath;
    case WavFault::SameFile: return Said(kTextSameFile) + " " + result.failedPath;
    case WavFault::LinkTarget: return Said(kTextLinkTarget) + " " + result.failedPath;
    case WavFault::NotWav: return Said(kTextNotWav);
    case WavFault::BadRecord: return Said(kTextBadRecord);
    case WavFault::BadSize: return Said(kTextBadSize);
    case WavFault::BadName: return Said(kTextBadName) + " \"" + Visible(result.storedName) + "\"";
    case WavFault::PathTooLong: return Said(kTextPathTooLong);
    case WavFault::NoFolder: return Said(kTextNoFolder) + " " + result.failedPath;
    case WavFault::DataCut: return Said(kTextDataCut) + " " + result.failedPath;
    case WavFault::FinishFailed: return Said(kTextFinishFailed) + " " + result.failedPath;
    case WavFault::Declined:
    case WavFault::Stopped:
    case WavFault::NoMemory:
    case WavFault::OpenFailed:
    case WavFault::ReadFailed:
    case WavFault::WriteFailed: break;
  }
  return Said(1101);
}

std::string BadBlocksText(const WavResult& result) {
  return std::to_string(static_cast<unsigned long long>(result.badBlocks)) + " " +
         Said(kTextBadBlocks) + " " + result.reportPath;
}

std::string WavStatusText(const WavResult& result) {
  if (!result.ok()) return Said(kTextNotDone) + " " + WavFaultText(result);
  // The folders stand in the fields above the status: the names say enough.
  WavResult named = result;
  named.reportPath = FileNameOf(result.reportPath);
  if (result.badBlocks > 0) return Said(kTextDone) + " " + BadBlocksText(named);
  const bool extracted = !result.reportPath.empty();
  return Said(kTextDone) + " " + Said(extracted ? kTextRestored : kTextWrapped) + " " + FileNameOf(result.outputPath);
}

void TellWavOutcome(const WavResult& result, const WavPerson& person) {
  if (result.ok()) {
    if (result.badBlocks == 0) return;
    PlayAlert();
    AskUser(kAskOk, person.window, GetText(382), BadBlocksText(result), person.boxRecord,
            person.ownerRecord);
    return;
  }
  const std::string text = WavFaultText(result);
  if (text.empty()) return;
  PlayAlert();
  AskUser(kAskOk, person.window, GetText(1100), text, person.boxRecord, person.ownerRecord);
}

}  // namespace kst
