// What the backup tests share: persons who answer from a script, save list
// bytes built apart from the program's writer, and whole runs onto the
// emulated floppy in A: with a stack of disks kept in host folders.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "backup/backup_worker.h"
#include "backup/save_list.h"
#include "backup/transport_list.h"
#include "frame/dialogs/ask.h"
#include "frame/platform/emulation.h"
#include "frame/platform/platform.h"
#include "frame/texts/language_files.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "split/crc32.h"
#include "tests/support/scripted_person.h"
#include "tests/support/test_env.h"

namespace backuptest {

// Answers by heading text id (else No, or Cancel); remembers every box.
struct Person {
  Person() {
    kst::LoadBuiltInTexts();
    kst::SetAskHandler([this](const kst::AskRequest& r) {
      boxes.push_back(r);
      if (r.style == kst::kAskOk) return static_cast<int>(kst::kAnswerOk);
      for (const auto& [id, answer] : answers)
        if (r.heading == kst::Trimmed(kst::GetText(id))) return answer;
      return static_cast<int>(r.style == kst::kAskYesNo ? kst::kAnswerNo : kst::kAnswerCancel);
    });
  }
  ~Person() { kst::SetAskHandler(nullptr); }
  Person(const Person&) = delete;
  // The boxes under the heading of text id: how many, and their messages.
  int Under(int heading) const {
    int n = 0;
    for (const kst::AskRequest& b : boxes) n += b.heading == kst::Trimmed(kst::GetText(heading));
    return n;
  }
  std::string Told(int heading) const {
    std::string told;
    for (const kst::AskRequest& b : boxes)
      if (b.heading == kst::Trimmed(kst::GetText(heading))) told += (told.empty() ? "" : "\n") + b.message;
    return told;
  }
  std::map<int, int> answers;  // heading id -> answer
  std::vector<kst::AskRequest> boxes;
};

struct ScriptedPerson : testenv::ScriptedPerson {
  explicit ScriptedPerson(std::vector<int> answers = {}) : testenv::ScriptedPerson(std::move(answers)) {
    kst::LoadBuiltInTexts();
  }
};

// Little-endian integers and blank-padded 260-character texts.
struct Bytes {
  std::string data;
  Bytes& Int(uint64_t value, int count) {
    for (int i = 0; i < count; ++i) data += static_cast<char>(value >> (8 * i));
    return *this;
  }
  Bytes& Text(const std::string& text) {
    data += text + std::string(260 - text.size(), ' ');
    return *this;
  }
  Bytes& Header(int files, uint32_t length, const std::string& dest, const std::string& temp) {
    return Int(files, 1).Int(length, 4).Text(dest).Text(temp);
  }
  // Sizes and counts go in as their two's complement, negative ones too.
  Bytes& File(const std::string& path, int64_t size, int32_t splits, int copied, int busy, int temp) {
    return Text(path).Int(static_cast<uint64_t>(size), 8).Int(static_cast<uint32_t>(splits), 4)
        .Int(copied, 1).Int(busy, 1).Int(temp, 1);
  }
  Bytes& Split(const std::string& path, int64_t size, int safe, int copied) {
    return Text(path).Int(static_cast<uint64_t>(size), 8).Int(safe, 1).Int(copied, 1);
  }
};

// Two save files in a scratch folder; every start and end of a save is noted.
struct SaveFilesTest : ::testing::Test {
  SaveFilesTest() {
    files.names[0] = scratch.Path("first.lst");
    files.names[1] = scratch.Path("second.lst");
    files.onSaving = [this](bool saving) { savingCalls.push_back(saving); };
  }
  kst::MessageOwner owner;
  testenv::ScratchFolder scratch;
  kst::TransportList list;
  kst::SaveListFiles files;
  std::vector<bool> savingCalls;
};

namespace fs = std::filesystem;
using Files = std::map<std::string, int64_t>;  // name -> size

// The check file of bytes cut into pieces of sizes, apart from the writer.
inline std::string ExpectedCheckFile(const std::string& name, const std::string& bytes,
                                     const std::vector<int64_t>& sizes) {
  std::string text = "; Kestrova check file of " + std::to_string(sizes.size()) + " splits\r\n";
  size_t at = 0;
  for (size_t k = 0; k < sizes.size(); ++k) {
    char line[300];
    std::snprintf(line, sizeof line, "%s.%03zu %08X\r\n", name.c_str(), k + 1,
                  static_cast<unsigned>(kst::Crc32Add(0, bytes.data() + at, static_cast<size_t>(sizes[k]))));
    text += line;
    at += static_cast<size_t>(sizes[k]);
  }
  return text;
}

const std::vector<int64_t> kThreePieces = {1457664, 1457664, 84672};  // 3000000 bytes on floppies

struct Scenario : Person {
  Scenario() {
    testenv::PrepareFloppy();
    floppy = plat::EmuHostPath("A:\\");
    stack = plat::EmuHostPath(scratch.Path("stack"));
    fs::create_directories(stack);
    plat::CreateFolder(scratch.Path("src"));
    plat::CreateFolder(scratch.Path("tmp"));
    settings.destination = "A:\\";
    settings.temporary = scratch.Path("tmp");
    settings.diskSize = 1457664;
    person.insertDisk = [this](const kst::DiskPrompt& p, bool* erase) { return InsertDisk(p, erase); };
    person.diskNotEmpty = [this](const kst::NotEmptyPrompt& p, bool* erase) {
      notEmpty.push_back(p);
      return onNotEmpty ? onNotEmpty(p, erase) : kst::PromptAnswer::Closed;
    };
  }
  ~Scenario() {
    plat::EmuClearFaults();
    testenv::ReleaseFloppy();
  }
  Scenario(const Scenario&) = delete;

  std::string Source(const std::string& name, size_t size, uint32_t seed) {
    const std::string path = scratch.Path("src\\" + name);
    sources[name] = testenv::PatternBytes(size, seed);
    testenv::WriteFile(path, sources[name]);
    kst::AddToTransportList(list, path, static_cast<int64_t>(size));
    return path;
  }

  void AutoSave() {
    saveFiles.names[0] = scratch.Path("list1.kst");
    saveFiles.names[1] = scratch.Path("list2.kst");
    saveFiles.autoSave = true;
  }

  // Moves what A: holds onto stack disk n (from 1).
  void PutAway(int n) {
    const fs::path disk = fs::path(stack) / ("disk" + std::to_string(n));
    fs::create_directories(disk);
    for (const auto& e : fs::directory_iterator(floppy)) fs::rename(e.path(), disk / e.path().filename());
  }
  // The first disk stays in the drive holding name (none for ""), and is taken.
  void FirstDiskHolds(const std::string& name, const std::string& bytes) {
    person.insertDisk = [this, name, bytes](const kst::DiskPrompt& p, bool* erase) {
      if (!prompts.empty()) return InsertDisk(p, erase);
      prompts.push_back(p);
      if (!name.empty()) testenv::WriteFile("A:\\" + name, bytes);
      return kst::PromptAnswer::Go;
    };
    onNotEmpty = [](const kst::NotEmptyPrompt&, bool*) { return kst::PromptAnswer::Go; };
  }
  bool FloppyEmpty() const { return fs::is_empty(floppy); }
  bool TemporaryEmpty() const { return fs::is_empty(plat::EmuHostPath(scratch.Path("tmp"))); }

  // New disk: a full disk goes onto the stack, an empty one goes in.
  // Verifying: the disk in the drive goes back, the next of verifyOrder goes in.
  kst::PromptAnswer InsertDisk(const kst::DiskPrompt& p, bool* erase) {
    prompts.push_back(p);
    const kst::PromptAnswer a = onPrompt ? onPrompt(p, erase) : kst::PromptAnswer::Go;
    if (a != kst::PromptAnswer::Go) return a;
    if (!p.verifying) {
      if (inDrive > 0) PutAway(inDrive);
      else if (!FloppyEmpty()) PutAway(++filled);
      inDrive = 0;
      return kst::PromptAnswer::Go;
    }
    if (inDrive == 0 && !FloppyEmpty()) inDrive = ++filled;
    if (inDrive > 0) PutAway(inDrive);
    inDrive = 0;
    if (nextVerify >= verifyOrder.size()) return kst::PromptAnswer::Closed;
    inDrive = verifyOrder[nextVerify++];
    for (const auto& e : fs::directory_iterator(fs::path(stack) / ("disk" + std::to_string(inDrive))))
      fs::rename(e.path(), fs::path(floppy) / e.path().filename());
    return kst::PromptAnswer::Go;
  }

  kst::BackupResult Run() {
    job.keepGoing = true;
    kst::BackupRun run;
    run.settings = settings;
    run.list = &list;
    run.saveFiles = &saveFiles;
    run.job = &job;
    run.person = person;
    run.progress = &progress;
    kst::BackupResult r = kst::RunBackup(run);
    if (!FloppyEmpty() && inDrive == 0) inDrive = ++filled;  // the last disk
    if (inDrive > 0) PutAway(inDrive);
    inDrive = 0;
    return r;
  }

  // The files on stack disk n.
  Files Disk(int n) const {
    Files files;
    const fs::path disk = fs::path(stack) / ("disk" + std::to_string(n));
    if (fs::exists(disk))
      for (const auto& e : fs::recursive_directory_iterator(disk))
        if (e.is_regular_file()) files[fs::relative(e.path(), disk).string()] = static_cast<int64_t>(e.file_size());
    return files;
  }
  std::string DiskFile(int n, const std::string& name) const {
    return testenv::ReadFile(plat::EmuWindowsPath((fs::path(stack) / ("disk" + std::to_string(n)) / name).string()));
  }
  std::vector<int64_t> SplitSizes(size_t entry) {
    std::vector<int64_t> sizes;
    for (const kst::SplitEntry& s : Entry(entry).splits) sizes.push_back(s.size);
    return sizes;
  }
  // name's bytes as the stack disks give them back: whole, or its splits in order.
  std::string Gathered(const std::string& name) const {
    std::string bytes;
    for (int k = 1; k <= filled; ++k)
      for (const auto& [file, size] : Disk(k))
        if (file == name || (file.rfind(name + ".", 0) == 0 && std::isdigit(static_cast<unsigned char>(file.back()))))
          bytes += DiskFile(k, file);
    return bytes;
  }
  kst::FileEntry Entry(size_t i) { return kst::Snapshot(list).entries.at(i); }
  std::string Text(int id) const { return kst::Trimmed(kst::GetText(id)); }

  testenv::ScratchFolder scratch;
  std::string floppy, stack;
  std::map<std::string, std::string> sources;
  kst::TransportList list;
  kst::SaveListFiles saveFiles;
  kst::JobControl job;
  kst::ProgressSink progress;
  kst::RunSettings settings;
  kst::BackupPerson person;
  std::vector<kst::DiskPrompt> prompts;
  std::vector<kst::NotEmptyPrompt> notEmpty;
  std::function<kst::PromptAnswer(const kst::DiskPrompt&, bool*)> onPrompt;
  std::function<kst::PromptAnswer(const kst::NotEmptyPrompt&, bool*)> onNotEmpty;
  std::vector<int> verifyOrder;
  size_t nextVerify = 0;
  int filled = 0;   // disks put onto the stack
  int inDrive = 0;  // the stack disk in A: now, 0 for a new one
};

}  // namespace backuptest
