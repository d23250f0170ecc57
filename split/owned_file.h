// A platform file handle that closes itself, so that every way out of a
// file operation releases its files.
#pragma once

#include "frame/platform/platform.h"

namespace kst {

struct OwnedFile {
  OwnedFile() = default;
  explicit OwnedFile(plat::FileHandle h) : handle(h) {}
  ~OwnedFile() { Close(); }
  OwnedFile(const OwnedFile&) = delete;
  OwnedFile& operator=(const OwnedFile&) = delete;

  bool IsOpen() const { return handle != plat::kNoFile; }
  // False when the system reports a failure on closing: a write it had
  // deferred did not reach the file, so a written file is not whole.
  bool Close() {
    const bool ok = !IsOpen() || plat::FileClose(handle);
    handle = plat::kNoFile;
    return ok;
  }

  plat::FileHandle handle = plat::kNoFile;
};

}  // namespace kst
