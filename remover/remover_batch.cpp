#include "remover/remover_batch.h"

namespace kst {

namespace {

const char kLineEnd[] = "\r\n";

// The name as the interpreter must read it: in its code page (where the
// name has no form there, its bytes as they are), each "%" doubled.
std::string BatchName(const std::string& relative) {
  std::string oem;
  if (!plat::OemName(relative, &oem)) oem = relative;
  std::string name;
  for (char c : oem) {
    name += c;
    if (c == '%') name += '%';
  }
  return "\"." + name + "\"";
}

bool WriteAll(RemoverBatch& batch, const std::string& text) {
  if (batch.failed || batch.handle == plat::kNoFile) return false;
  uint32_t done = 0;
  if (!plat::FileWrite(batch.handle, text.data(), static_cast<uint32_t>(text.size()), &done) ||
      done != text.size())
    batch.failed = true;
  return !batch.failed;
}

}  // namespace

std::string RemoverBatchStart(const std::string& choice) {
  return std::string("@ECHO OFF") + kLineEnd + "CHOICE /C:" + choice + kLineEnd +
         "IF ERRORLEVEL 2 GOTO END" + kLineEnd;
}

std::string RemoverBatchEntry(const std::string& relative, bool folder) {
  const std::string name = BatchName(relative);
  if (folder) return "attrib -r -h -s " + name + kLineEnd + "rd " + name + kLineEnd;
  return "attrib -r -h -s -a " + name + kLineEnd + "del " + name + kLineEnd;
}

bool StartRemoverBatch(RemoverBatch& batch, const std::string& path, const std::string& choice) {
  batch.failed = false;
  batch.handle = plat::FileOpen(path, plat::kWrite, plat::Disposition::CreateAlways);
  if (!plat::OpenSucceeded(batch.handle)) {
    if (batch.handle != plat::kNoFile) plat::FileClose(batch.handle);
    batch.handle = plat::kNoFile;
    batch.failed = true;
    return false;
  }
  return WriteAll(batch, RemoverBatchStart(choice));
}

bool AddToRemoverBatch(RemoverBatch& batch, const std::string& relative, bool folder) {
  return WriteAll(batch, RemoverBatchEntry(relative, folder));
}

bool EndRemoverBatch(RemoverBatch& batch) {
  if (batch.handle == plat::kNoFile) return false;
  const bool ok = WriteAll(batch, kRemoverBatchEnd);
  plat::FileClose(batch.handle);
  batch.handle = plat::kNoFile;
  return ok;
}

}  // namespace kst
