#include "tests/support/test_env.h"

#include <atomic>

#include "frame/platform/platform.h"

namespace testenv {

ScratchFolder::ScratchFolder() {
  static std::atomic<uint32_t> counter{0};
  std::string base = plat::TempFolder() + "kst_test_" + std::to_string(plat::TickCount()) + "_";
  do path = base + std::to_string(counter++);
  while (!plat::CreateFolder(path) && plat::LastError() == plat::kErrAlreadyExists);
}

ScratchFolder::~ScratchFolder() {
  plat::ShellFileOperation(plat::ShellOp::Delete, path, "", plat::kShellSilent | plat::kShellNoConfirmation);
}

std::string ScratchFolder::Path(const std::string& name) const { return name.empty() ? path : path + "\\" + name; }

bool WriteFile(const std::string& path, const std::string& bytes, int64_t at) {
  plat::FileHandle h =
      plat::FileOpen(path, plat::kWrite, at < 0 ? plat::Disposition::CreateAlways : plat::Disposition::OpenAlways);
  if (h == plat::kNoFile) return false;
  uint32_t done = 0;
  bool ok = (at < 0 || plat::FileSeek(h, at)) &&
            (bytes.empty() || (plat::FileWrite(h, bytes.data(), static_cast<uint32_t>(bytes.size()), &done) &&
                               done == bytes.size()));
  plat::FileClose(h);
  return ok;
}

std::string MissingDrive() {
  for (char letter = 'Y'; letter > 'B'; --letter) {
    std::string drive = std::string(1, letter) + ":";
    if (plat::DriveType(drive + "\\") == plat::kDriveNoRoot) return drive;
  }
  return "";
}

std::string ReadFile(const std::string& path, bool* ok) {
  if (ok) *ok = false;
  plat::FileHandle h =
      plat::FileOpen(path, plat::kRead, plat::Disposition::OpenExisting, plat::kShareRead | plat::kShareWrite);
  if (h == plat::kNoFile) return std::string();
  std::string bytes(static_cast<size_t>(plat::FileSize(h)), '\0');
  uint32_t done = 0;
  bool good = bytes.empty() ||
              (plat::FileRead(h, bytes.data(), static_cast<uint32_t>(bytes.size()), &done) && done == bytes.size());
  plat::FileClose(h);
  if (ok) *ok = good;
  return good ? bytes : std::string();
}

std::string PatternBytes(size_t count, uint32_t seed) {
  std::string bytes(count, '\0');
  uint32_t x = seed * 2654435761u + 12345u;
  for (size_t i = 0; i < count; ++i) {
    x ^= x << 13, x ^= x >> 17, x ^= x << 5;
    bytes[i] = static_cast<char>(x >> 24);
  }
  return bytes;
}

}  // namespace testenv
