// The run buttons: what a press on Go or Hide does in each state of a run,
// and which labels the window shows afterwards.
#include "frame/run_buttons.h"

#include <gtest/gtest.h>

#include "frame/language_files.h"
#include "frame/text_numbers.h"
#include "frame/texts.h"

using namespace kst;

namespace {

constexpr int kGo = 10, kHide = 11, kPause = 12, kField = 13;
constexpr int kRecord = 3, kBox = 22, kQuestion = 32;

// A window whose Hide is Abort without a tooltip during a run, with a
// button of its own for Pause and a field whose content is no label.
DialogTexts TextsOf(RunPhase phase) {
  const bool idle = phase == RunPhase::Idle, paused = phase == RunPhase::Paused;
  return DialogTexts{87,
                     {{kGo, idle ? 79 : paused ? 90 : 89, 572},
                      {kHide, idle ? 80 : 88, idle ? 573 : 0},
                      {kPause, paused ? 90 : 89, 574},
                      {kField, 0, 577}}};
}

class RunButtonsPress : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadBuiltInTexts();
    RegisterTemplate(9002, {{kGo, ControlType::Button, "&Go"},
                            {kHide, ControlType::Button, "&Hide"},
                            {kPause, ControlType::Button, "&Pause"},
                            {kField, ControlType::Edit, "C:\\film.avi"}});
    DialogHooks hooks;
    hooks.exit = [this](DialogState&, int) { ++exits; };
    SetDialogHooks(hooks);
    SetAskHandler([this](const AskRequest& request) {
      asked.push_back(request);
      return answer;
    });
  }
  void TearDown() override {
    SetDialogHooks(DialogHooks{});
    SetAskHandler(nullptr);
  }
  // The window as it opens, before any press.
  void Open() {
    ASSERT_TRUE(DialogInit(9002, state));
    DialogSetTooltip(state, kHide, "Closes the window");
    exits = 0;
    asked.clear();
  }
  std::string Label(int id) { return DialogGet(state, id); }
  std::string Tooltip(int id) {
    std::lock_guard<std::mutex> lock(state.mutex);
    return FindControl(state, id)->tooltip;
  }
  static std::string Text(int id) { return Trimmed(GetText(id)); }

  RunButtons buttons{.record = kRecord,
                     .boxRecord = kBox,
                     .go = kGo,
                     .hide = kHide,
                     .relabelled = {kPause},
                     .abortQuestion = kQuestion,
                     .textsOf = TextsOf};
  DialogState state;
  int exits = 0;
  int answer = kAnswerYes;
  std::vector<AskRequest> asked;
};

}  // namespace

// Go starts when no run is active, pauses and releases a working run, and
// is ignored while the run ends; the labels follow the phase.
TEST_F(RunButtonsPress, GoStartsPausesReleasesOrWaitsForTheEnd) {
  struct Case {
    const char* what;
    bool active, running, paused;
    int starts;
    bool pausedAfter;
    int goLabel, hideLabel, pauseLabel;  // 0: as the template has it
  };
  const Case cases[] = {
      {"idle", false, false, false, 1, false, 0, 0, 0},
      {"working", true, true, false, 0, true, 90, 88, 90},
      {"paused", true, true, true, 0, false, 89, 88, 89},
      {"ending", true, false, false, 0, false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    Open();
    JobControl job;
    job.running = c.running;
    job.paused = c.paused;
    int starts = 0;
    PressGo(state, buttons, job, c.active, [&](DialogState&) { ++starts; });
    EXPECT_EQ(starts, c.starts) << c.what;
    EXPECT_EQ(job.paused.load(), c.pausedAfter) << c.what;
    EXPECT_EQ(Label(kGo), c.goLabel ? Text(c.goLabel) : "&Go") << c.what;
    EXPECT_EQ(Label(kHide), c.hideLabel ? Text(c.hideLabel) : "&Hide") << c.what;
    EXPECT_EQ(Label(kPause), c.pauseLabel ? Text(c.pauseLabel) : "&Pause") << c.what;
    EXPECT_EQ(Label(kField), "C:\\film.avi") << c.what;
    // Abort has no tooltip of its own: Hide's would say the wrong thing.
    EXPECT_EQ(Tooltip(kHide), c.hideLabel ? "" : "Closes the window") << c.what;
    EXPECT_EQ(exits, 0) << c.what;
  }
}

// Hide leaves an idle window, asks before it aborts a working run (or
// aborts at once when the window has no question), and asks nothing of a
// run that is ending.
TEST_F(RunButtonsPress, HideLeavesOrAbortsAfterTheQuestion) {
  struct Case {
    const char* what;
    bool active, running;
    int question, answer;
    int exits, questions;
    bool aborted;
  };
  const Case cases[] = {
      {"idle", false, false, kQuestion, kAnswerYes, 1, 0, false},
      {"yes", true, true, kQuestion, kAnswerYes, 0, 1, true},
      {"no", true, true, kQuestion, kAnswerNo, 0, 1, false},
      {"ending", true, false, kQuestion, kAnswerYes, 0, 0, false},
      {"no question", true, true, 0, kAnswerNo, 0, 0, true},
  };
  for (const Case& c : cases) {
    Open();
    JobControl job;
    job.running = c.running;
    job.keepGoing = true;
    buttons.abortQuestion = c.question;
    answer = c.answer;
    EXPECT_EQ(PressHide(state, buttons, job, c.active), c.aborted) << c.what;
    EXPECT_EQ(!job.keepGoing.load(), c.aborted) << c.what;
    EXPECT_EQ(exits, c.exits) << c.what;
    ASSERT_EQ(asked.size(), size_t(c.questions)) << c.what;
    if (c.questions) {
      EXPECT_EQ(Trimmed(asked[0].message), Text(kQuestion)) << c.what;
      EXPECT_EQ(asked[0].boxRecord, kBox) << c.what;
      EXPECT_EQ(asked[0].ownerRecord, kRecord) << c.what;
    }
  }
}

// A language change relabels the window from its record's texts: they
// must be the phase's, not the idle ones.
TEST_F(RunButtonsPress, TheRecordKeepsThePhasesTexts) {
  Open();
  ShowRunPhase(state, buttons, RunPhase::Paused);
  const DialogTexts* texts = RecordTexts(kRecord);
  ASSERT_NE(texts, nullptr);
  ASSERT_EQ(texts->controls.size(), 4u);
  EXPECT_EQ(texts->controls[0].labelText, 90);
  EXPECT_EQ(texts->controls[1].labelText, 88);
}
