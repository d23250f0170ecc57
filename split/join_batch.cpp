#include "split/join_batch.h"

#include "frame/files/typed_path.h"
#include "frame/files/whole_files.h"
#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "split/split_writer.h"

namespace kst {

namespace {

const char kLineEnd[] = "\r\n";

// Copy lines are laid out for a line buffer of this many characters; a name
// too long for it still gets complete lines, only longer ones.
constexpr int kLineWidth = 260;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The first lines after "@ECHO OFF": unless every split is there, the batch
// goes to its end at once. A missing source would otherwise make "copy /b"
// write a short file without an error, and the question that follows would
// offer to delete the splits of a file that was never rebuilt.
std::string GuardLines(const std::string& name, int count) {
  std::string lines;
  for (int k = 1; k <= count; ++k)
    lines += "IF NOT EXIST " + Quoted(name + "." + SplitNumber(k)) + " GOTO END" + kLineEnd;
  return lines;
}

// The copy lines: split names joined by " + " into "copy /b" lines. A line
// that has no room left for two more names ends with the target, and the
// next line goes on by appending to that target. name is the name as
// written, so a doubled "%" counts twice, as the interpreter reads it.
std::string CopyLines(const std::string& name, int count) {
  const int nameLength = static_cast<int>(name.size());
  const std::string target = Quoted(name);
  std::string lines;
  std::string line = "copy /b ";
  for (int k = 1; k < count; ++k) {
    line += Quoted(name + "." + SplitNumber(k)) + " + ";
    int p = static_cast<int>(line.size()) + 1;  // the next free position, counted from 1
    if (kLineWidth - p < 2 * (nameLength + 4) + 4) {
      line.resize(line.size() - 3);
      lines += line + " " + target + kLineEnd;
      line = "copy /b " + target + " + ";
    }
  }
  line += Quoted(name + "." + SplitNumber(count)) + " " + target + kLineEnd;
  return lines + line;
}

}  // namespace

std::string JoinBatchPath(const std::string& folder, const std::string& sourcePath) {
  std::string path = Trimmed(folder);
  if (path.empty() || path.back() != '\\') path += '\\';
  return path + SplitBaseName(sourcePath) + ".BAT";
}

bool NameInBatch(const std::string& name, std::string* written) {
  std::string oem;
  written->clear();
  // A quote would close the quoted name and let the rest of the name run
  // as commands; the other characters Windows refuses cannot be joined to.
  if (CheckWindowsName(name) != NameFault::None) return false;
  if (!plat::OemName(name, &oem)) return false;
  for (char c : oem) {
    if (c == '%') *written += '%';
    *written += c;
  }
  return true;
}

std::string JoinBatchText(const std::string& sourcePath, int count) {
  std::string name;
  if (!NameInBatch(SplitBaseName(sourcePath), &name)) return std::string();
  std::string text = std::string("@ECHO OFF") + kLineEnd;
  text += GuardLines(name, count);
  text += CopyLines(name, count);
  text += "CHOICE /C:" + Trimmed(GetText(309)) + kLineEnd;
  text += std::string("IF ERRORLEVEL 2 GOTO END") + kLineEnd;
  for (int k = 1; k <= count; ++k) text += "del " + Quoted(name + "." + SplitNumber(k)) + kLineEnd;
  text += "del " + Quoted(name + ".BAT") + kLineEnd;
  text += ":END";
  return text;
}

bool WriteJoinBatch(const std::string& folder, const std::string& sourcePath, int count,
                    std::string* batchPath, bool replaceAgreed) {
  *batchPath = JoinBatchPath(folder, sourcePath);
  plat::SetLastErrorCode(plat::kErrNone);
  if (count < 1 || count > 999) return false;  // split names would repeat
  const std::string text = JoinBatchText(sourcePath, count);
  if (text.empty()) return plat::SetLastErrorCode(plat::kErrInvalidName), false;
  return WriteWholeFile(*batchPath, text, replaceAgreed);
}

}  // namespace kst
