#include "remover/remover_log.h"

#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "remover/remover_texts.h"

namespace kst {

namespace {

const char kLineEnd[] = "\r\n";

std::string CountLine(int label, int64_t count) {
  return Trimmed(GetText(label)) + " " + Padded(std::to_string(static_cast<long long>(count)), 11);
}

}  // namespace

std::string RemoverLogEntry(const RemoverPair& pair) {
  std::string entry = "Comparing '" + pair.basePath + "' and '" + pair.targetPath + "'" + kLineEnd;
  if (pair.zeroSize) entry += std::string("- At least one of them is 0 in file size!!") + kLineEnd;
  entry += pair.notDeleted ? "- The following file has NOT been deleted: '"
                           : "- The following file has been deleted: '";
  return entry + pair.targetPath + "'" + kLineEnd + kLineEnd;
}

std::string RemoverLogTotals(const RemoverTotals& totals) {
  std::string text = Trimmed(GetText(kTextTotals)) + kLineEnd;
  text += CountLine(kTextRemoved, totals.removed) + kLineEnd;
  text += CountLine(kTextInsideBase, totals.insideBase) + kLineEnd;
  return text + Trimmed(CountLine(kTextInsideTarget, totals.insideTarget));
}

bool StartRemoverLog(RemoverLog& log, const std::string& path) {
  log.opened = OpenOutputUncut(path);
  log.handle = log.opened.handle;
  log.failed = log.handle == plat::kNoFile;
  return !log.failed;
}

bool WriteRemoverLog(RemoverLog& log, const std::string& text) {
  if (log.failed || log.handle == plat::kNoFile) return false;
  uint32_t done = 0;
  if (!plat::FileWrite(log.handle, text.data(), static_cast<uint32_t>(text.size()), &done) ||
      done != text.size())
    log.failed = true;
  return !log.failed;
}

bool CloseRemoverLog(RemoverLog& log) {
  const bool ok = log.handle == plat::kNoFile || plat::FileClose(log.handle);
  log.handle = plat::kNoFile;
  return ok;
}

}  // namespace kst
