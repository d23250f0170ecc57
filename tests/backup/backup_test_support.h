// What the backup tests share: the built-in texts, a person who answers
// from a script and remembers every box, save list bytes built field by
// field, apart from the program's own writer, and a pair of save files.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "backup/save_list.h"
#include "frame/ask.h"
#include "frame/language_files.h"
#include "frame/text_numbers.h"
#include "frame/texts.h"
#include "tests/support/test_env.h"

namespace backuptest {

// OK to OK boxes, the script's answers (then No) to questions.
struct ScriptedPerson {
  explicit ScriptedPerson(std::vector<int> answers = {}) : answers(std::move(answers)) {
    kst::LoadBuiltInTexts();
    kst::SetAskHandler([this](const kst::AskRequest& r) {
      asked.push_back(r);
      if (r.style == kst::kAskOk) return static_cast<int>(kst::kAnswerOk);
      return next < this->answers.size() ? this->answers[next++] : static_cast<int>(kst::kAnswerNo);
    });
  }
  ~ScriptedPerson() { kst::SetAskHandler(nullptr); }
  ScriptedPerson(const ScriptedPerson&) = delete;
  // The last box shown was heading over message (text ids).
  bool Said(int heading, int message) const {
    return !asked.empty() && asked.back().heading == kst::Trimmed(kst::GetText(heading)) &&
           asked.back().message == kst::Trimmed(kst::GetText(message));
  }
  std::vector<int> answers;
  size_t next = 0;
  std::vector<kst::AskRequest> asked;
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

}  // namespace backuptest
