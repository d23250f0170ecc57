#include "frame/files/whole_files.h"

#include "frame/files/partial_files.h"
#include "frame/platform/platform.h"

namespace kst {

bool WriteWholeFile(const std::string& path, const std::string& text, bool replaceAgreed, bool* created) {
  if (created) *created = false;
  const bool replacing = plat::PathExists(path);
  if (replacing && !replaceAgreed) return plat::SetLastErrorCode(plat::kErrAlreadyExists), false;
  const std::string partial = PartialNameOf(path);
  plat::DeleteOneFile(partial);  // a leftover of a file that was stopped
  plat::FileHandle h = plat::FileOpen(partial, plat::kWrite, plat::Disposition::CreateNew, plat::kShareNone);
  if (!plat::OpenSucceeded(h)) {
    if (h != plat::kNoFile) plat::FileClose(h);
    return false;
  }
  if (created) *created = true;
  uint32_t done = 0;
  bool written = plat::FileWrite(h, text.data(), static_cast<uint32_t>(text.size()), &done);
  uint32_t error = written ? plat::kErrNone : plat::LastError();
  if (written && done != text.size()) written = false, error = plat::kErrDiskFull;
  // A close that fails lost a write the system had deferred.
  if (!plat::FileClose(h) && written) written = false, error = plat::LastError();
  // The old file goes only for a whole new one.
  if (written && replacing && !plat::DeleteOneFile(path)) written = false, error = plat::LastError();
  if (written && !CommitPartial(partial, path)) written = false, error = plat::LastError();
  if (!written) {
    plat::DeleteOneFile(partial);
    plat::SetLastErrorCode(error);
  }
  return written;
}

bool ReadWholeFile(const std::string& path, int64_t limit, std::string* text) {
  text->clear();
  plat::FileHandle h = plat::FileOpen(path, plat::kRead, plat::Disposition::OpenExisting, plat::kShareRead);
  if (!plat::OpenSucceeded(h)) {
    if (h != plat::kNoFile) plat::FileClose(h);
    return false;
  }
  const int64_t size = plat::FileSize(h);
  uint32_t done = 0;
  bool read = size > 0 && size <= limit;
  if (read) {
    text->resize(static_cast<size_t>(size));
    read = plat::FileRead(h, text->data(), static_cast<uint32_t>(size), &done) && done == size;
  }
  plat::FileClose(h);
  if (!read) text->clear();
  return read;
}

}  // namespace kst
