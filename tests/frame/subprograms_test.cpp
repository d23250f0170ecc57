// The show, start, pause, abort and hide protocol between the Command
// Center, a subprogram's Main thread and its Second thread, run on real
// threads with a stand-in for the windows.
#include "frame/subprograms.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "frame/texts.h"

using namespace kst;

namespace {

// Stands in for the windows: a modal run "opens" the window and waits
// until DialogExit closes it.
struct FakeWindows {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<int> closedSubprograms;
  int missingTemplates = 0;
  std::vector<std::string> questions;
  int answer = kAnswerYes;
  std::vector<void*> broughtToFront;
};

FakeWindows& Fake() {
  static FakeWindows fake;
  return fake;
}

template <typename Check>
bool WaitFor(Check check) {
  std::unique_lock<std::mutex> lock(Fake().mutex);
  return Fake().changed.wait_for(lock, std::chrono::seconds(5), check);
}

void Notify() {
  std::lock_guard<std::mutex> lock(Fake().mutex);
  Fake().changed.notify_all();
}

void InstallFakes() {
  DialogHooks d;
  d.runModal = [](DialogState& state, int) {
    static int nextWindow = 1;
    {
      std::unique_lock<std::mutex> lock(Fake().mutex);
      state.window = reinterpret_cast<void*>(static_cast<intptr_t>(nextWindow++));
      Fake().changed.notify_all();
      Fake().changed.wait(lock, [&] { return state.window.load() == nullptr; });
    }
    return state.exitValue;
  };
  d.exit = [](DialogState& state, int value) {
    std::lock_guard<std::mutex> lock(Fake().mutex);
    state.exitValue = value;
    state.window = nullptr;
    Fake().changed.notify_all();
  };
  d.bringToFront = [](WindowRef window) {
    std::lock_guard<std::mutex> lock(Fake().mutex);
    Fake().broughtToFront.push_back(window);
  };
  SetDialogHooks(d);

  SlotHooks s;
  s.dialogClosed = [](int id) {
    std::lock_guard<std::mutex> lock(Fake().mutex);
    Fake().closedSubprograms.push_back(id);
    Fake().changed.notify_all();
  };
  s.missingTemplate = [] {
    std::lock_guard<std::mutex> lock(Fake().mutex);
    ++Fake().missingTemplates;
    Fake().changed.notify_all();
  };
  SetSlotHooks(s);

  SetAskHandler([](const AskRequest& request) {
    std::lock_guard<std::mutex> lock(Fake().mutex);
    Fake().questions.push_back(request.heading + "|" + request.message);
    return Fake().answer;
  });
}

class Subprograms : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    InstallFakes();
    ClearRecords();
    for (int id = 0; id < kSubprogramCount; ++id) BindRecord(GetSubprogram(id).record, GetSubprogram(id).state);
    for (int t : {31, 32, 33, 34, 1076}) SetText(t, "text " + std::to_string(t));
    RegisterTemplate(106, {{1, ControlType::Button, "Go"}});
    RegisterTemplate(119, {{1, ControlType::Button, "Go"}});
    StartSlots(nullptr, 0);
  }
  void TearDown() override {
    std::lock_guard<std::mutex> lock(Fake().mutex);
    Fake().questions.clear();
    Fake().closedSubprograms.clear();
    Fake().broughtToFront.clear();
  }

  static void Open(int id) {
    ShowSubprogram(id);
    DialogState& state = GetSubprogram(id).state;
    ASSERT_TRUE(WaitFor([&] { return state.window.load() != nullptr; })) << "dialog " << id << " did not open";
  }
};

}  // namespace

TEST_F(Subprograms, ShowingRunsTheSetUpAndHidingParksTheMainThreadAgain) {
  Subprogram& s = GetSubprogram(kFileSplitting);
  int setUps = 0;
  s.setUp = [&](Subprogram&) { ++setUps; };
  Open(kFileSplitting);
  EXPECT_EQ(setUps, 1);
  EXPECT_TRUE(s.job.shown);

  EXPECT_EQ(SwitchOff(kFileSplitting), ToggleOff::Closed);
  ASSERT_TRUE(WaitFor([] { return !Fake().closedSubprograms.empty(); }));
  EXPECT_EQ(Fake().closedSubprograms[0], kFileSplitting);
  EXPECT_FALSE(s.job.shown);

  Open(kFileSplitting);  // a fresh dialog each time it is shown
  EXPECT_EQ(setUps, 2);
  SwitchOff(kFileSplitting);
  ASSERT_TRUE(WaitFor([] { return !Fake().closedSubprograms.empty(); }));
  s.setUp = nullptr;
}

TEST_F(Subprograms, SwitchingOffWhileWorkingAsksAndNeverCloses) {
  Subprogram& s = GetSubprogram(kFileSplitting);
  std::atomic<int> idles{0};
  s.work = [](Subprogram& self) {
    while (CheckPoint(self.job)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  };
  s.idle = [&](Subprogram&) {
    ++idles;
    Notify();
  };
  Open(kFileSplitting);
  StartWork(kFileSplitting);
  ASSERT_TRUE(s.job.running);

  Fake().answer = kAnswerNo;
  EXPECT_EQ(SwitchOff(kFileSplitting), ToggleOff::AbortAsked);
  EXPECT_TRUE(s.job.keepGoing);  // No: the work goes on
  EXPECT_NE(s.state.window.load(), nullptr);

  Fake().answer = kAnswerYes;
  EXPECT_EQ(SwitchOff(kFileSplitting), ToggleOff::AbortAsked);
  ASSERT_TRUE(WaitFor([&] { return idles.load() == 1; }));
  EXPECT_FALSE(s.job.running);
  EXPECT_NE(s.state.window.load(), nullptr);  // the dialog stays open
  ASSERT_EQ(Fake().questions.size(), 2u);
  EXPECT_EQ(Fake().questions[0], "text 31|text 32");

  EXPECT_EQ(SwitchOff(kFileSplitting), ToggleOff::Closed);
  ASSERT_TRUE(WaitFor([] { return !Fake().closedSubprograms.empty(); }));
  s.work = nullptr;
  s.idle = nullptr;
}

TEST_F(Subprograms, AnOpenChildOrQuestionKeepsTheDialogShown) {
  Subprogram& s = GetSubprogram(kFileSplitting);
  Open(kFileSplitting);

  DialogState about;
  BindRecord(4, about);
  about.window = reinterpret_cast<void*>(0x4444);
  EXPECT_EQ(SwitchOff(kFileSplitting), ToggleOff::ChildInFront);
  EXPECT_EQ(Fake().broughtToFront.back(), reinterpret_cast<void*>(0x4444));
  about.window = nullptr;
  Record(4).state = nullptr;

  s.job.inQuestion = true;
  EXPECT_EQ(SwitchOff(kFileSplitting), ToggleOff::QuestionFirst);
  s.job.inQuestion = false;
  EXPECT_NE(s.state.window.load(), nullptr);

  EXPECT_EQ(SwitchOff(kFileSplitting), ToggleOff::Closed);
  ASSERT_TRUE(WaitFor([] { return !Fake().closedSubprograms.empty(); }));
}

TEST_F(Subprograms, CopyOrJoinAsksAboutTheJoiningWhenOnlyItRuns) {
  Subprogram& s = GetSubprogram(kCopyOrJoin);
  s.extraWork = [](Subprogram& self) {
    while (CheckPoint(self.extraJob)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    Notify();
  };
  Open(kCopyOrJoin);
  StartExtraWork(kCopyOrJoin);
  Fake().answer = kAnswerYes;
  EXPECT_EQ(SwitchOff(kCopyOrJoin), ToggleOff::AbortAsked);
  ASSERT_TRUE(WaitFor([&] { return !s.extraJob.running.load(); }));
  EXPECT_EQ(Fake().questions.back(), "text 31|text 34");
  SwitchOff(kCopyOrJoin);
  ASSERT_TRUE(WaitFor([] { return !Fake().closedSubprograms.empty(); }));
  s.extraWork = nullptr;
}

TEST_F(Subprograms, AMissingTemplateIsReportedAndTheThreadParksAgain) {
  int before = Fake().missingTemplates;
  ShowSubprogram(kTestDisks);  // no template registered for it
  ASSERT_TRUE(WaitFor([&] { return Fake().missingTemplates == before + 1; }));
  ShowSubprogram(kTestDisks);
  ASSERT_TRUE(WaitFor([&] { return Fake().missingTemplates == before + 2; }));
}

TEST(SubprogramTable, ButtonsAndSlotsBelongToTheirSubprograms) {
  EXPECT_EQ(SubprogramOfToggle(1000), kFileSplitting);
  EXPECT_EQ(SubprogramOfToggle(1017), kProgramMaster);
  EXPECT_EQ(SubprogramOfShow(1085), kData2Wav);
  EXPECT_EQ(SubprogramOfShow(1178), kTargetPractice);
  EXPECT_EQ(SubprogramOfToggle(1074), -1);
  EXPECT_EQ(GetSubprogram(kCopyOrJoin).workSlots[1], 20);
  EXPECT_EQ(SlotNameText(1), 966);
  EXPECT_EQ(SlotNameText(20), 985);
  EXPECT_EQ(SlotNameText(23), 1039);
}
