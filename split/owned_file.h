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
  void Close() {
    if (IsOpen()) plat::FileClose(handle);
    handle = plat::kNoFile;
  }

  plat::FileHandle handle = plat::kNoFile;
};

}  // namespace kst
