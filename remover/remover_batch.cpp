#include "remover/remover_batch.h"

#include "frame/files/partial_files.h"

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
      done != text.size()) {
    batch.failed = true;
    batch.error = plat::LastError();
  }
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
  batch = RemoverBatch{};
  batch.path = path;
  batch.failed = true;
  // Wine's interpreter and the next run would follow a link there.
  const uint32_t real = plat::GetAttributes(path);
  if (real != plat::kAttrInvalid && (real & (plat::kAttrReparsePoint | plat::kAttrDirectory))) return false;
  const std::string partial = PartialNameOf(path);
  const uint32_t left = plat::GetAttributes(partial);
  if (left != plat::kAttrInvalid &&
      ((left & (plat::kAttrReparsePoint | plat::kAttrDirectory)) || !plat::DeleteOneFile(partial)))
    return false;
  batch.handle = plat::FileOpen(partial, plat::kWrite, plat::Disposition::CreateNew);
  if (!plat::OpenSucceeded(batch.handle)) {
    batch.error = plat::LastError();
    if (batch.handle != plat::kNoFile) plat::FileClose(batch.handle);
    batch.handle = plat::kNoFile;
    return false;
  }
  batch.failed = false;
  return WriteAll(batch, RemoverBatchStart(choice));
}

bool AddToRemoverBatch(RemoverBatch& batch, const std::string& relative, bool folder) {
  return WriteAll(batch, RemoverBatchEntry(relative, folder));
}

bool EndRemoverBatch(RemoverBatch& batch) {
  if (batch.handle == plat::kNoFile) return false;
  bool ok = WriteAll(batch, kRemoverBatchEnd);
  if (!plat::FileClose(batch.handle) && ok) {
    ok = false;
    batch.error = plat::LastError();
  }
  batch.handle = plat::kNoFile;
  const std::string partial = PartialNameOf(batch.path);
  // The earlier batch goes only when it is still a plain file: its name,
  // never what a link there would lead to.
  const uint32_t real = plat::GetAttributes(batch.path);
  if (ok && real != plat::kAttrInvalid &&
      ((real & (plat::kAttrReparsePoint | plat::kAttrDirectory)) || !plat::DeleteOneFile(batch.path)))
    ok = false, batch.error = plat::LastError();
  if (ok && !CommitPartial(partial, batch.path)) ok = false, batch.error = plat::LastError();
  if (!ok) plat::DeleteOneFile(partial);
  batch.failed = !ok;
  return ok;
}

}  // namespace kst
