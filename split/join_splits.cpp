#include "split/join_splits.h"

#include <algorithm>
#include <map>
#include <memory>
#include <new>
#include <vector>

#include "frame/files/partial_files.h"
#include "frame/files/whole_files.h"
#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"
#include "split/check_file.h"
#include "split/crc_beside.h"
#include "split/join_batch.h"
#include "split/owned_file.h"
#include "split/split_writer.h"

namespace kst {

namespace {

// The largest file taken for a join batch: 999 del lines of long names
// stay far below it.
constexpr int64_t kLargestBatch = 1 << 20;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string FolderPart(const std::string& path) {
  size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string ReadSmallFile(const std::string& path) {
  std::string text;
  ReadWholeFile(path, kLargestBatch, &text);
  return text;
}

// The highest split number among the batch's lines del "<name>.<kkk>",
// the name written as the batch writes it, or as it is (batches written
// before names had their "%" doubled). Every other line, the guard lines
// "IF NOT EXIST" among them, is passed over.
int CountInBatch(const std::string& batchPath, const std::string& name) {
  const std::string text = ReadSmallFile(batchPath);
  std::string written;
  if (!NameInBatch(name, &written)) written = name;
  int count = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    for (const std::string& form : {written, name}) {
      const std::string head = "del \"" + form + ".";
      if (line.size() != head.size() + 4 || line.compare(0, head.size(), head) != 0) continue;
      const char* d = line.c_str() + head.size();
      if (!IsDigit(d[0]) || !IsDigit(d[1]) || !IsDigit(d[2]) || d[3] != '"') continue;
      int k = (d[0] - '0') * 100 + (d[1] - '0') * 10 + (d[2] - '0');
      if (k > count) count = k;
    }
  }
  return count;
}

// The size most of splits 1 to count-1 have (the earliest on a tie): a
// split of another size is the odd one, even when it is split 1.
int64_t CommonSize(const std::vector<int64_t>& sizes) {
  std::map<int64_t, int> seen;
  int64_t common = sizes.front();
  for (size_t k = 0; k + 1 < sizes.size(); ++k)
    if (++seen[sizes[k]] > seen[common]) common = sizes[k];
  return common;
}

// How many splits from .001 upward exist and keep to the rule: the count
// ends after a split smaller than the first (the last one) and before a
// missing, empty or larger one. 0 when .001 is missing.
int CountPresent(const JoinSet& set) {
  const int64_t first = plat::SizeOfPath(SplitName(set.folder, set.name, 1));
  if (first < 0) return 0;
  int count = 1;
  for (int64_t size = first; count < 999 && size == first; ++count) {
    size = plat::SizeOfPath(SplitName(set.folder, set.name, count + 1));
    if (size <= 0 || size > first) break;
  }
  return count;
}

}  // namespace

std::string JoinTarget(const JoinSet& set) { return set.folder + "\\" + set.name; }

JoinProblem CheckJoinSet(const JoinSet& set, std::string* fault) {
  if (set.count < 1) {
    if (fault) *fault = SplitName(set.folder, set.name, 1);
    return JoinProblem::NoSplits;
  }
  std::vector<int64_t> sizes;
  for (int k = 1; k <= set.count; ++k) {
    sizes.push_back(plat::SizeOfPath(SplitName(set.folder, set.name, k)));
    if (sizes.back() < 0) {
      if (fault) *fault = SplitName(set.folder, set.name, k);
      return JoinProblem::MissingSplit;
    }
  }
  const int64_t common = CommonSize(sizes);
  for (int k = 1; k <= set.count; ++k) {
    const int64_t size = sizes[static_cast<size_t>(k - 1)];
    if (size > 0 && (k == set.count ? size <= common : size == common)) continue;
    if (fault) *fault = SplitName(set.folder, set.name, k);
    return JoinProblem::OddSplit;
  }
  // A file is cut into two splits at least: without a batch, a lone .001
  // means .002 is missing, not a set of one.
  if (set.batchPath.empty() && set.count < 2) {
    if (fault) *fault = SplitName(set.folder, set.name, 2);
    return JoinProblem::MissingSplit;
  }
  return JoinProblem::None;
}

JoinProblem FindJoinSet(const std::string& path, JoinSet* set, std::string* fault) {
  *set = JoinSet();
  const std::string trimmed = Trimmed(path);
  const std::string file = SplitBaseName(trimmed);
  if (file.size() < 5 || file[file.size() - 4] != '.') return JoinProblem::NotASplit;
  const std::string extension = file.substr(file.size() - 3);
  bool isBatch = SameText(extension, "BAT");
  if (!isBatch && !(IsDigit(extension[0]) && IsDigit(extension[1]) && IsDigit(extension[2])))
    return JoinProblem::NotASplit;

  set->folder = FolderPart(trimmed);
  set->name = file.substr(0, file.size() - 4);
  const std::string batchPath = set->folder + "\\" + set->name + ".BAT";
  if (plat::PathExists(batchPath)) set->batchPath = batchPath;
  const std::string checkPath = set->folder + "\\" + set->name + ".SFV";
  if (plat::PathExists(checkPath)) set->checkPath = checkPath;
  set->count = set->batchPath.empty() ? CountPresent(*set) : CountInBatch(set->batchPath, set->name);
  return CheckJoinSet(*set, fault);
}

namespace {

// A join checks keep-going every 16 MiB: copying between files, the system
// takes larger pieces at fewer calls than a buffer's worth.
constexpr uint64_t kJoinStep = 16 << 20;
// A checked join passes the bytes through its buffer to sum them; a piece
// this large hands the sum's thread few pieces, so the handovers cost
// little beside the copy (a smaller BuffSize is raised to it).
constexpr uint32_t kCheckedPiece = 4 << 20;

// Appends the whole split to target. False on a failed read or write,
// on a read that ends before the split's size (a join must not come out
// short), or when keep-going was cleared.
bool AppendSplit(const std::string& splitPath, plat::FileHandle target, char* buffer,
                 uint32_t buffSize, JobControl& job, uint32_t* sum) {
  OwnedFile split(plat::FileOpen(splitPath, plat::kRead, plat::Disposition::OpenExisting,
                                 plat::kShareRead));
  if (!split.IsOpen()) return false;
  const int64_t size = plat::FileSize(split.handle);
  if (size < 0) return false;
  uint64_t left = static_cast<uint64_t>(size);
  // Summed through the buffer a buffer's worth at a time, on the sum's own
  // thread while the bytes are written; it is done with the buffer before
  // this returns.
  CrcBeside beside;
  while (left > 0) {
    if (!CheckPoint(job)) return false;
    const uint64_t step = std::min(left, kJoinStep);
    uint64_t got = 0, put = 0;
    if (sum) {
      const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(left, buffSize));
      uint32_t read = 0, written = 0;
      CrcBesideWait(&beside);
      if (!plat::FileRead(split.handle, buffer, n, &read) || read != n) return false;
      CrcBesideStart(&beside, buffer, n);
      if (!plat::FileWrite(target, buffer, n, &written) || written != n) return false;
      left -= n;
      continue;
    }
    if (!plat::FileCopy(split.handle, target, step, buffer, buffSize, &got, &put) || got != step ||
        put != got)
      return false;
    left -= step;
  }
  if (sum) *sum = CrcBesideEnd(&beside);
  return true;
}

}  // namespace

bool JoinSplits(const JoinSet& set, uint32_t buffSize, JobControl& job, ProgressSink* progress,
                std::string* damaged) {
  if (buffSize == 0 || CheckJoinSet(set) != JoinProblem::None) return false;
  const std::string targetPath = JoinTarget(set);
  // A target that is one of the splits under another name (a link) would
  // be cut before it is read.
  for (int k = 1; k <= set.count; ++k)
    if (plat::SameObject(targetPath, SplitName(set.folder, set.name, k)))
      return plat::SetLastErrorCode(plat::kErrAccessDenied), false;
  std::vector<uint32_t> sums;
  std::vector<bool> listed(static_cast<size_t>(set.count), false);
  if (!set.checkPath.empty()) ReadCheckSums(ReadSmallFile(set.checkPath), set.name, set.count, &sums, &listed);
  if (std::find(listed.begin(), listed.end(), true) != listed.end()) buffSize = std::max(buffSize, kCheckedPiece);
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[buffSize]);
  if (!buffer) return false;
  // The target grows under its partial name and takes its own name only
  // when whole: a kill or a failure never leaves a short file as the target.
  const std::string partial = PartialNameOf(targetPath);
  plat::DeleteOneFile(partial);  // a leftover of a join that was stopped
  OwnedFile target(plat::FileOpen(partial, plat::kWrite, plat::Disposition::CreateNew, plat::kShareNone));
  if (!plat::OpenSucceeded(target.handle)) return false;
  if (progress && progress->setRange) progress->setRange(set.count);
  bool ok = true;
  for (int k = 1; ok && k <= set.count; ++k) {
    const std::string splitPath = SplitName(set.folder, set.name, k);
    const bool checked = listed[static_cast<size_t>(k - 1)];
    uint32_t sum = 0;
    ok = AppendSplit(splitPath, target.handle, buffer.get(), buffSize, job, checked ? &sum : nullptr);
    if (ok && checked && sum != sums[static_cast<size_t>(k - 1)]) {
      ok = false;
      plat::SetLastErrorCode(plat::kErrNone);
      if (damaged) *damaged = splitPath;
    }
    if (ok && progress && progress->setPosition) progress->setPosition(k);
  }
  uint32_t error = plat::LastError();
  if (!target.Close() && ok) ok = false, error = plat::LastError();
  // The person agreed to replace a target that was there before.
  if (ok && plat::PathExists(targetPath) && !plat::DeleteOneFile(targetPath)) ok = false, error = plat::LastError();
  if (ok && !CommitPartial(partial, targetPath)) ok = false, error = plat::LastError();
  if (!ok) {
    plat::DeleteOneFile(partial);
    plat::SetLastErrorCode(error);
  }
  if (progress && progress->setPosition) progress->setPosition(0);
  return ok;
}

bool DeleteJoinSet(const JoinSet& set) {
  bool ok = true;
  for (int k = 1; k <= set.count; ++k) ok = plat::DeleteOneFile(SplitName(set.folder, set.name, k)) && ok;
  if (!set.batchPath.empty()) ok = plat::DeleteOneFile(set.batchPath) && ok;
  if (!set.checkPath.empty()) ok = plat::DeleteOneFile(set.checkPath) && ok;
  return ok;
}

}  // namespace kst
