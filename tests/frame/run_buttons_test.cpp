#include "frame/threads/run_buttons.h"

#include <gtest/gtest.h>

#include <tuple>

#include "frame/texts/language_files.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"

using namespace kst;

namespace {

constexpr int kGo = 10, kHide = 11, kPause = 12, kField = 13;
constexpr int kRecord = 3, kBox = 22, kQuestion = 32;

// Abort has no tooltip; Pause is a button of its own; the field's content is no label.
DialogTexts TextsOf(RunPhase phase) {
  const bool idle = phase == RunPhase::Idle, paused = phase == RunPhase::Paused;
  return DialogTexts{87, {{kGo, idle ? 79 : paused ? 90 : 89, 572}, {kHide, idle ? 80 : 88, idle ? 573 : 0},
                         {kPause, paused ? 90 : 89, 574}, {kField, 0, 577}}};
}

struct RunButtonsPress : ::testing::Test {
  void SetUp() override {
    LoadBuiltInTexts();
    RegisterTemplate(9002, {{kGo, ControlType::Button, "&Go"}, {kHide, ControlType::Button, "&Hide"},
                            {kPause, ControlType::Button, "&Pause"}, {kField, ControlType::Edit, "C:\\film.avi"}});
    DialogHooks hooks;
    hooks.exit = [this](DialogState&, int) { ++exits; };
    SetDialogHooks(hooks);
    SetAskHandler([this](const AskRequest& request) {
      if (endBehind) EndTurn(*endBehind, TurnNumber(*endBehind));
      return asked.push_back(request), answer;
    });
  }
  void TearDown() override { SetDialogHooks(DialogHooks{}), SetAskHandler(nullptr); }
  void Open() {
    ASSERT_TRUE(DialogInit(9002, state));
    DialogSetTooltip(state, kHide, "Closes the window");
    exits = 0, asked.clear();
  }
  std::string Label(int id) { return DialogGet(state, id); }
  std::string Tooltip(int id) {
    std::lock_guard<std::mutex> lock(state.mutex);
    return FindControl(state, id)->tooltip;
  }
  static std::string Text(int id) { return Trimmed(GetText(id)); }

  RunButtons buttons{.record = kRecord, .boxRecord = kBox, .go = kGo, .hide = kHide,
                     .relabelled = {kPause}, .abortQuestion = kQuestion, .textsOf = TextsOf};
  DialogState state;
  int exits = 0, answer = kAnswerYes;
  JobControl* endBehind = nullptr;  // a run that ends while the question stands
  std::vector<AskRequest> asked;
};

}  // namespace

// The labels follow the phase, and so do the record's texts, from which a language change relabels them.
TEST_F(RunButtonsPress, GoAndHideDoWhatTheRunsStateAllows) {
  // label: Go's and Pause's text after the press (0: as opened); endsBehind: the run ends behind the question.
  struct Case { const char* what; bool go, active, running, paused; int question, answer, starts, exits, questions;
                bool aborted, pausedAfter; int label; bool endsBehind; };
  const Case cases[] = {
      {"go idle", true, false, false, false, kQuestion, kAnswerYes, 1, 0, 0, false, false, 0, false},
      {"go working", true, true, true, false, kQuestion, kAnswerYes, 0, 0, 0, false, true, 90, false},
      {"go paused", true, true, true, true, kQuestion, kAnswerYes, 0, 0, 0, false, false, 89, false},
      {"go ending", true, true, false, false, kQuestion, kAnswerYes, 0, 0, 0, false, false, 0, false},
      {"hide idle", false, false, false, false, kQuestion, kAnswerYes, 0, 1, 0, false, false, 0, false},
      {"hide yes", false, true, true, false, kQuestion, kAnswerYes, 0, 0, 1, true, false, 0, false},
      {"hide no", false, true, true, false, kQuestion, kAnswerNo, 0, 0, 1, false, false, 0, false},
      {"hide ending", false, true, false, false, kQuestion, kAnswerYes, 0, 0, 0, false, false, 0, false},
      {"hide, no question", false, true, true, false, 0, kAnswerNo, 0, 0, 0, true, false, 0, false},
      {"hide yes, ended behind the question", false, true, true, false, kQuestion, kAnswerYes, 0, 0, 1, false,
       false, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Open();
    SetRecordTexts(kRecord, TextsOf(RunPhase::Idle));
    JobControl job;
    job.running = c.running, job.paused = c.paused, job.keepGoing = true;
    buttons.abortQuestion = c.question, answer = c.answer, endBehind = c.endsBehind ? &job : nullptr;
    int starts = 0;
    if (c.go)
      PressGo(state, buttons, job, c.active, [&](DialogState&) { ++starts; });
    else
      EXPECT_EQ(PressHide(state, buttons, job, c.active), c.aborted);
    EXPECT_EQ(std::make_tuple(starts, exits, !job.keepGoing.load(), job.paused.load()),
              std::make_tuple(c.starts, c.exits, c.aborted || c.endsBehind, c.pausedAfter));
    ASSERT_EQ(asked.size(), size_t(c.questions));
    if (c.questions) {
      EXPECT_EQ(Trimmed(asked[0].message), Text(kQuestion));
      EXPECT_EQ(asked[0].boxRecord * 100 + asked[0].ownerRecord, kBox * 100 + kRecord);
    }
    EXPECT_EQ(Label(kGo) + "|" + Label(kPause) + "|" + Label(kHide) + "|" + Label(kField),
              c.label ? Text(c.label) + "|" + Text(c.label) + "|" + Text(88) + "|C:\\film.avi"
                      : "&Go|&Pause|&Hide|C:\\film.avi");
    // Abort has no tooltip of its own: Hide's would say the wrong thing.
    EXPECT_EQ(Tooltip(kHide), c.label ? "" : "Closes the window");
    EXPECT_EQ(RecordTexts(kRecord)->controls[0].labelText, c.label ? c.label : 79);
  }
}
