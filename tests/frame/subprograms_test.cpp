#include "frame/threads/subprograms.h"

#include <gtest/gtest.h>

#include <tuple>
#include <thread>

#include "frame/texts/texts.h"
#include "frame/threads/exit_stop.h"

using namespace kst;

namespace {

// Stands in for the windows: a modal run "opens" the window until DialogExit closes it.
struct FakeWindows {
  std::mutex mutex;
  std::vector<int> closedSubprograms;
  std::vector<std::string> questions;
  int missingTemplates = 0, answer = kAnswerYes;
  void* broughtToFront = nullptr;
} g_fake;
using Lock = std::lock_guard<std::mutex>;

void Sleep1() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

// Polls: a thread may change what check reads after its last word to the test.
template <typename Check>
bool WaitFor(Check check) {
  for (int waited = 0; waited < 5000; ++waited, Sleep1()) {
    Lock lock(g_fake.mutex);
    if (check()) return true;
  }
  return false;
}

void InstallFakes() {
  DialogHooks d;
  d.runModal = [](DialogState& state, int) {
    for (state.window = &state; state.window.load();) Sleep1();
    return state.exitValue;
  };
  d.exit = [](DialogState& state, int value) { state.exitValue = value, state.window = nullptr; };
  d.bringToFront = [](WindowRef window) { Lock lock(g_fake.mutex); g_fake.broughtToFront = window; };
  SetDialogHooks(d);
  SlotHooks s;
  s.dialogClosed = [](int id) { Lock lock(g_fake.mutex); g_fake.closedSubprograms.push_back(id); };
  s.missingTemplate = [] { Lock lock(g_fake.mutex); ++g_fake.missingTemplates; };
  SetSlotHooks(s);
  SetAskHandler([](const AskRequest& r) {
    Lock lock(g_fake.mutex);
    return g_fake.questions.push_back(r.heading + "|" + r.message), g_fake.answer;
  });
}

class Subprograms : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    InstallFakes();
    ClearRecords();
    for (int id = 0; id < kSubprogramCount; ++id) BindRecord(GetSubprogram(id).record, GetSubprogram(id).state);
    for (int t : {31, 32, 34}) SetText(t, "text " + std::to_string(t));
    for (int id : {106, 119}) RegisterTemplate(id, {{1, ControlType::Button, "Go"}});  // Splitting's, Join's
    StartSlots(nullptr, 0);
  }
  void TearDown() override { Lock lock(g_fake.mutex); g_fake.questions.clear(), g_fake.closedSubprograms.clear(); }

  static void Open(int id) {
    ShowSubprogram(id);
    ASSERT_TRUE(WaitFor([&] { return GetSubprogram(id).state.window.load(); })) << "dialog " << id << " did not open";
  }
  static void Close(int id) {
    EXPECT_EQ(SwitchOff(id), ToggleOff::Closed);
    ASSERT_TRUE(WaitFor([] { return !g_fake.closedSubprograms.empty(); }));
  }
};

}  // namespace

TEST_F(Subprograms, SwitchingOffDefersToChildrenAndQuestionsAndAsksBeforeStoppingWork) {
  Subprogram& s = GetSubprogram(kFileSplitting);
  std::atomic<int> idles{0};
  s.work = [](Subprogram& self) { while (CheckPoint(self.job)) Sleep1(); };
  s.idle = [&](Subprogram&) { ++idles; };
  Open(kFileSplitting);

  DialogState about;  // an open child is brought forward instead
  BindRecord(4, about), about.window = reinterpret_cast<void*>(0x4444);
  EXPECT_EQ(SwitchOff(kFileSplitting), ToggleOff::ChildInFront);
  EXPECT_EQ(g_fake.broughtToFront, reinterpret_cast<void*>(0x4444));
  about.window = nullptr, Record(4).state = nullptr;
  s.job.inQuestion = true;  // and a question open must be answered first
  EXPECT_EQ(SwitchOff(kFileSplitting), ToggleOff::QuestionFirst);
  s.job.inQuestion = false;

  StartWork(kFileSplitting);
  g_fake.answer = kAnswerNo;
  EXPECT_EQ(SwitchOff(kFileSplitting), ToggleOff::AbortAsked);
  EXPECT_TRUE(s.job.keepGoing);  // No: the work goes on
  g_fake.answer = kAnswerYes;
  EXPECT_EQ(SwitchOff(kFileSplitting), ToggleOff::AbortAsked);
  ASSERT_TRUE(WaitFor([&] { return idles.load() == 1 && !s.job.running; }));
  EXPECT_EQ(g_fake.questions, (std::vector<std::string>{"text 31|text 32", "text 31|text 32"}));
  EXPECT_NE(s.state.window.load(), nullptr);  // none of these closed the dialog

  Close(kFileSplitting);
  s.work = nullptr, s.idle = nullptr;

  // Copy &/Or Join asks about the joining when only it runs.
  Subprogram& join = GetSubprogram(kCopyOrJoin);
  join.extraWork = [](Subprogram& self) { while (CheckPoint(self.extraJob)) Sleep1(); };
  Open(kCopyOrJoin);
  StartExtraWork(kCopyOrJoin);
  EXPECT_EQ(SwitchOff(kCopyOrJoin), ToggleOff::AbortAsked);
  ASSERT_TRUE(WaitFor([&] { return !join.extraJob.running.load(); }));
  EXPECT_EQ(g_fake.questions.back(), "text 31|text 34");
  g_fake.closedSubprograms.clear();
  Close(kCopyOrJoin);
  join.extraWork = nullptr;
}

// Asked for when the work has let go but the slot has not yet taken the turn back.
TEST_F(Subprograms, AStartWhileATurnEndsGetsATurnAndAMissingTemplateParksTheThreadAgain) {
  Subprogram& s = GetSubprogram(kCopyOrJoin);
  std::atomic<int> turns{0};
  std::atomic<bool> running{false}, aborted{false};
  s.extraWork = [&](Subprogram& self) {
    if (++turns == 1) return StartExtraWork(kCopyOrJoin), AbortJob(self.extraJob);
    running = self.extraJob.running.load(), aborted = !self.extraJob.keepGoing.load();
  };
  StartExtraWork(kCopyOrJoin);
  ASSERT_TRUE(WaitFor([&] { return turns.load() == 2 && !s.extraJob.running.load(); }));
  EXPECT_TRUE(running && aborted) << "the second start's flags were cleared behind it, or its abort lost";
  s.extraWork = nullptr;

  int before = g_fake.missingTemplates;
  ShowSubprogram(kTestDisks);  // no template registered for it
  ASSERT_TRUE(WaitFor([&] { return g_fake.missingTemplates == before + 1; }));
  ShowSubprogram(kTestDisks);  // a thread that did not park again would miss this
  ASSERT_TRUE(WaitFor([&] { return g_fake.missingTemplates == before + 2; }));
}

// Once closed the dialog stays closed; the next show runs the set-up on a fresh dialog.
TEST_F(Subprograms, AQuickSecondPressQueuesNoOpeningAndExitStopsEveryJobWithinABound) {
  Subprogram& s = GetSubprogram(kFileSplitting);
  std::atomic<bool> letOpen{false};
  std::atomic<int> setUps{0};
  s.mayOpen = [&](Subprogram&) { return WaitFor([&] { return letOpen.load(); }); };
  s.setUp = [&](Subprogram&) { ++setUps; };
  EXPECT_TRUE(ShowSubprogram(kFileSplitting));
  EXPECT_EQ(SwitchOff(kFileSplitting), ToggleOff::Opening);
  EXPECT_TRUE(!ShowSubprogram(kFileSplitting) && s.job.shown);
  letOpen = true;
  ASSERT_TRUE(WaitFor([&] { return s.state.window.load() != nullptr; }));
  Close(kFileSplitting);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(s.state.window.load(), nullptr) << "the dialog opened again by itself";
  EXPECT_EQ(std::make_tuple(setUps.load(), s.job.shown.load(), g_fake.closedSubprograms.back()),
            std::make_tuple(1, false, int(kFileSplitting)));
  s.mayOpen = nullptr, g_fake.closedSubprograms.clear();
  Open(kFileSplitting);
  EXPECT_EQ(setUps.load(), 2);
  Close(kFileSplitting);
  s.setUp = nullptr;

  // Stopping lets a paused worker go and closes the prompt a worker waits in, as its close box would.
  for (const auto& [id, text] : {std::pair<int, const char*>{12, "File &Splitting"}, {14, "Copy &&/Or &Join"},
                                 {1450, "Still running:"}, {1451, "Stop it?"}})
    SetText(id, text);
  Subprogram& join = GetSubprogram(kCopyOrJoin);
  std::atomic<bool> splitRolledBack{false}, promptClosed{false};
  s.work = [&](Subprogram& self) {
    while (CheckPoint(self.job)) Sleep1();
    splitRolledBack = true;
  };
  join.extraWork = [&](Subprogram& self) {
    DialogState prompt;  // a disk prompt of the joining thread's own
    BindRecord(28, prompt), prompt.window = &prompt;
    while (prompt.window.load()) Sleep1();
    UnbindRecord(28, nullptr), promptClosed = true;
    while (CheckPoint(self.extraJob)) Sleep1();
  };
  EXPECT_EQ(ExitQuestion(SubprogramsAtWork()), GetText(40));
  StartWork(kFileSplitting);
  PauseJob(s.job);
  StartExtraWork(kCopyOrJoin);
  EXPECT_EQ(SubprogramsAtWork(), (std::vector<int>{kFileSplitting, kCopyOrJoin}));
  EXPECT_EQ(ExitQuestion(SubprogramsAtWork()),
            "Still running:\r\n    File Splitting\r\n    Copy &/Or Join\r\n\r\nStop it?");
  EXPECT_TRUE(StopAllWork(5000, [] {}));
  EXPECT_TRUE(SubprogramsAtWork().empty() && splitRolledBack && promptClosed);

  s.work = [](Subprogram&) { std::this_thread::sleep_for(std::chrono::milliseconds(400)); };
  StartWork(kFileSplitting);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(StopAllWork(60, nullptr));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
  ASSERT_TRUE(WaitFor([&] { return !s.job.running.load(); }));
  s.work = nullptr, join.extraWork = nullptr;
}
