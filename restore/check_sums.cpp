#include "restore/check_sums.h"

#include <algorithm>

#include "frame/files/whole_files.h"
#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"
#include "restore/restore_names.h"
#include "split/check_file.h"
#include "split/crc32.h"
#include "split/join_batch.h"
#include "split/owned_file.h"
#include "split/split_writer.h"

namespace kst {

bool CheckNameBase(const std::string& name, std::string* base) {
  const std::string trimmed = Trimmed(name);
  const size_t n = trimmed.size();
  if (n <= 4 || trimmed[n - 5] == '\\' || trimmed[n - 4] != '.' || !SameText(trimmed.substr(n - 3), "SFV"))
    return false;
  if (base) *base = trimmed.substr(0, n - 4);
  return true;
}

bool ReadCheckFile(const std::string& path, const std::string& base, std::vector<uint32_t>* sums,
                   std::vector<bool>* listed) {
  sums->clear();
  listed->clear();
  plat::SetLastErrorCode(plat::kErrNone);
  // 999 lines of a name of 260 characters fit in the largest join batch too.
  std::string text;
  if (!ReadWholeFile(path, kLargestJoinBatch, &text)) return false;
  std::vector<uint32_t> all;
  std::vector<bool> found;
  ReadCheckSums(text, SplitBaseName(Trimmed(base)), 999, &all, &found);
  const auto last = std::find(found.rbegin(), found.rend(), true);
  if (last == found.rend()) return false;
  const size_t count = static_cast<size_t>(found.rend() - last);
  sums->assign(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(count));
  listed->assign(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(count));
  return true;
}

bool FileCrc32(const std::string& path, char* buffer, uint32_t buffSize, JobControl* job, uint32_t* crc) {
  *crc = 0;
  OwnedFile file(plat::FileOpen(path, plat::kRead, plat::Disposition::OpenExisting, plat::kShareRead));
  if (!plat::OpenSucceeded(file.handle) || buffSize == 0) return false;
  const int64_t size = plat::FileSize(file.handle);
  for (int64_t left = size; left > 0;) {
    if (job && !CheckPoint(*job)) return false;
    const uint32_t want = static_cast<uint32_t>(std::min<int64_t>(left, buffSize));
    uint32_t got = 0;
    if (!plat::FileRead(file.handle, buffer, want, &got) || got != want) return false;
    *crc = Crc32Add(*crc, buffer, got);
    left -= got;
  }
  return size >= 0;
}

}  // namespace kst
