// What the restore tests share: the backup tests' person, who answers boxes
// by their heading, and files and splits made in a scratch folder.
#pragma once

#include <string>
#include <vector>

#include "frame/platform/platform.h"
#include "frame/threads/job_control.h"
#include "restore/join_main_file.h"
#include "restore/restore_list.h"
#include "split/check_file.h"
#include "split/crc32.h"
#include "split/join_batch.h"
#include "split/split_writer.h"
#include "tests/backup/backup_scenario_support.h"
#include "tests/support/test_env.h"

namespace restoretest {

using backuptest::Person;

// A file cut into splits (full paths) in a folder, with its join batch and,
// once WriteCheck made it, its check file.
struct SplitFile { std::string name, bytes; std::vector<std::string> splits; std::string batch, check; };

// The check file of f, with the sums of its splits as they are now.
inline std::string WriteCheck(const std::string& folder, SplitFile* f) {
  std::vector<uint32_t> sums;
  for (const std::string& p : f->splits) {
    const std::string bytes = testenv::ReadFile(p);
    sums.push_back(kst::Crc32Add(0, bytes.data(), bytes.size()));
  }
  kst::WriteCheckFile(folder, folder + "\\" + f->name, sums, &f->check);
  return f->check;
}

// Flips one byte in the middle of the file at path; gives its new bytes.
inline std::string Damage(const std::string& path) {
  std::string bytes = testenv::ReadFile(path);
  bytes[bytes.size() / 2] = static_cast<char>(bytes[bytes.size() / 2] ^ 0x20);
  testenv::WriteFile(path, bytes);
  return bytes;
}

inline SplitFile MakeSplits(const std::string& folder, const std::string& name, size_t size, size_t piece,
                            uint32_t seed, bool batch = true) {
  SplitFile f;
  f.name = name;
  f.bytes = testenv::PatternBytes(size, seed);
  for (size_t at = 0; at < size; at += piece) {
    f.splits.push_back(folder + "\\" + name + "." + kst::SplitNumber(static_cast<int>(f.splits.size()) + 1));
    testenv::WriteFile(f.splits.back(), f.bytes.substr(at, piece));
  }
  if (batch) kst::WriteJoinBatch(folder, folder + "\\" + name, static_cast<int>(f.splits.size()), &f.batch);
  return f;
}

inline kst::AddResult Add(kst::RestoreList& list, const std::string& path, kst::AddSource source,
                          kst::AutoJoinOptions options = {}) {
  return kst::AddToRestoreList(list, {path, "", plat::SizeOfPath(path), source}, options, kst::MessageOwner{});
}

inline kst::RestoreRecord Record(kst::RestoreList& list, int id) {
  kst::RestoreRecord r;
  kst::FindRecord(list, id, &r);
  return r;
}

// One file of four splits and its batch (and with check, its check file)
// in a folder, listed, and a join context for it.
struct JoinBench {
  explicit JoinBench(bool check = false) {
    file = MakeSplits(dir.path, "big.bin", 3500, 1000, 11);
    if (check) Add(list, WriteCheck(dir.path, &file), kst::AddSource::Copied, {false, false});
    for (const std::string& p : file.splits) Add(list, p, kst::AddSource::Copied, {false, false});
    Add(list, file.batch, kst::AddSource::Copied, {false, false});
    id = list.records[0].id;
    job.keepGoing = true;
    context.list = &list;
    context.job = &job;
    context.progress = &bar;
    context.buffSize = 4096;
  }
  kst::JoinOutcome Join(bool del) { return kst::JoinMainFile(context, {id, del, false}); }
  std::string Target() const { return dir.Path("big.bin"); }
  bool Exists(const std::string& path) const { return plat::PathExists(path); }

  Person person;
  testenv::ScratchFolder dir;
  SplitFile file;
  kst::RestoreList list;
  int id = 0;
  kst::JobControl job;
  kst::ProgressSink bar;
  kst::JoinContext context;
};

}  // namespace restoretest
