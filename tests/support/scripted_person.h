// A person who answers every box from a script: OK to OK boxes, the
// script's answers in turn (then No) to questions; every box is remembered.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "frame/dialogs/ask.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"

namespace testenv {

struct ScriptedPerson {
  explicit ScriptedPerson(std::vector<int> answers = {}) : answers(std::move(answers)) {
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

}  // namespace testenv
