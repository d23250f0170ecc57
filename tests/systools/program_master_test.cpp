#include "systools/program_master.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "frame/texts/language_files.h"

namespace kst {
namespace {

// A system of four programs, changed by the tests between the calls.
struct FakeSystem {
  std::vector<ProcessRecord> programs;
  bool listWorks = true;
  std::map<uint32_t, uint32_t> classKept;  // asked class -> the class the system keeps
  std::vector<uint32_t> terminated;
  std::vector<uint64_t> closed;

  ProcessSource Source() {
    ProcessSource s;
    s.list = [this](bool, std::vector<ProcessRecord>* list) { return listWorks && (*list = programs, true); };
    s.creationTime = [this](uint32_t id) -> uint64_t {
      for (const ProcessRecord& p : programs)
        if (p.processId == id) return p.creationTime;
      return 0;
    };
    s.setPriority = [this](uint32_t, uint32_t cls) { return classKept.count(cls) ? classKept[cls] : cls; };
    s.terminate = [this](uint32_t id) { return terminated.push_back(id), true; };
    s.postClose = [this](uint64_t window, uint32_t) { return closed.push_back(window), true; };
    return s;
  }
};

ProcessRecord Program(uint32_t id, const char* name, uint64_t start, std::vector<WindowEntry> windows = {}) {
  ProcessRecord r;
  r.processId = id;
  r.name = name;
  r.creationTime = start;
  r.priorityClass = kNormalClass;
  r.windows = std::move(windows);
  return r;
}

class ProgramMasterActions : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadBuiltInTexts();
    system = FakeSystem{};
    system.programs = {Program(4, "System.exe", 1), Program(600, "csrss.exe", 2), Program(1000, "Kestrova.exe", 3),
                       Program(1200, "notepad.exe", 4, {{0x51, 7, "Untitled"}, {0x52, 7, "Find"}})};
    pm = ProgramMaster{};
    pm.ownId = 1000;
    asked.clear();
    SetAskHandler([this](const AskRequest& r) {
      if (duringQuestion) duringQuestion();
      return asked.push_back(r.heading), answer;
    });
    ASSERT_TRUE(RefreshList(pm, system.Source()));
  }
  void TearDown() override { SetAskHandler(nullptr); }
  void Select(uint32_t id) {
    for (size_t i = 0; i < pm.list.size(); ++i)
      if (pm.list[i].processId == id) pm.selected = static_cast<int>(i);
  }

  FakeSystem system;
  ProgramMaster pm;
  std::vector<std::string> asked;
  int answer = kAnswerYes;
  std::function<void()> duringQuestion;  // the timer or a Refresh press
};

TEST_F(ProgramMasterActions, EndDecisions) {
  const struct {
    const char* what;
    uint32_t id;
    bool friendly;
    int answer;
    ActionResult result;
    const char* asked;  // the box's heading, "" none
    size_t terminated, closed;
  } cases[] = {
      {"own, unfriendly", 1000, false, kAnswerYes, ActionResult::Refused, "WHAT...", 0, 0},
      {"own, friendly", 1000, true, kAnswerYes, ActionResult::Refused, "WHAT...", 0, 0},
      {"system id", 4, false, kAnswerYes, ActionResult::Refused, "WHAT...", 0, 0},
      {"csrss", 600, false, kAnswerYes, ActionResult::Refused, "WHAT...", 0, 0},
      {"unfriendly, No", 1200, false, kAnswerNo, ActionResult::Declined, "End it at once?...", 0, 0},
      {"unfriendly, Yes", 1200, false, kAnswerYes, ActionResult::Done, "End it at once?...", 1, 0},
      {"friendly closes each window", 1200, true, kAnswerNo, ActionResult::Done, "", 0, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    answer = c.answer;
    Select(c.id);
    EXPECT_EQ(EndSelected(pm, system.Source(), c.friendly), c.result);
    EXPECT_EQ(asked, *c.asked ? std::vector<std::string>{c.asked} : std::vector<std::string>{});
    EXPECT_EQ(system.terminated.size(), c.terminated);
    EXPECT_EQ(system.closed.size(), c.closed);
  }
}

// Real Time and Idle on this program or a critical one are asked about;
// No keeps the class. Other classes and other programs are not asked about.
TEST_F(ProgramMasterActions, PriorityQuestions) {
  const struct {
    const char* what;
    uint32_t id, priorityClass;
    int answer;
    ActionResult result;
    bool asked;
    uint32_t classAfter;
  } cases[] = {
      {"own, real time, No", 1000, kRealTimeClass, kAnswerNo, ActionResult::Declined, true, kNormalClass},
      {"own, real time, Yes", 1000, kRealTimeClass, kAnswerYes, ActionResult::Done, true, kRealTimeClass},
      {"own, idle, No", 1000, kIdleClass, kAnswerNo, ActionResult::Declined, true, kNormalClass},
      {"own, high", 1000, kHighClass, kAnswerNo, ActionResult::Done, false, kHighClass},
      {"csrss, idle, No", 600, kIdleClass, kAnswerNo, ActionResult::Declined, true, kNormalClass},
      {"system id, real time, No", 4, kRealTimeClass, kAnswerNo, ActionResult::Declined, true, kNormalClass},
      {"notepad, real time", 1200, kRealTimeClass, kAnswerNo, ActionResult::Done, false, kRealTimeClass},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    answer = c.answer;
    Select(c.id);
    EXPECT_EQ(ChangePriority(pm, system.Source(), c.priorityClass), c.result);
    EXPECT_EQ(asked, c.asked ? std::vector<std::string>{"Are you sure?..."} : std::vector<std::string>{});
    EXPECT_EQ(pm.list[pm.selected].priorityClass, c.classAfter);
  }
}

// The list is built anew while a question stands (the refresh timer, or a
// Refresh press): the action still takes the program the question named.
TEST_F(ProgramMasterActions, AListRefreshedBehindAQuestionIsNoHarm) {
  auto refreshBehind = [this] {
    system.programs.insert(system.programs.begin(), Program(5000, "late.exe", 9));
    std::rotate(system.programs.begin(), system.programs.begin() + 2, system.programs.end());
    ASSERT_TRUE(RefreshList(pm, system.Source()));
    duringQuestion = nullptr;
  };
  duringQuestion = refreshBehind;
  Select(1200);
  EXPECT_EQ(EndSelected(pm, system.Source(), false), ActionResult::Done);
  EXPECT_EQ(system.terminated, std::vector<uint32_t>{1200});

  SetUp();
  duringQuestion = refreshBehind;
  Select(1000);
  EXPECT_EQ(ChangePriority(pm, system.Source(), kRealTimeClass), ActionResult::Done);
  for (const ProcessRecord& r : pm.list)
    EXPECT_EQ(r.priorityClass, r.processId == 1000 ? kRealTimeClass : kNormalClass) << r.name;
}

TEST_F(ProgramMasterActions, AReusedIdIsNotActedOn) {
  Select(1200);
  system.programs[3].creationTime = 99;  // notepad ended; another program got its id
  EXPECT_EQ(EndSelected(pm, system.Source(), false), ActionResult::Stale);
  EXPECT_TRUE(system.terminated.empty());
  EXPECT_EQ(pm.selected, -1);  // refreshed: the new program is not the one chosen
  EXPECT_EQ(pm.list[3].creationTime, 99u);

  Select(1200);
  system.programs[3].creationTime = 100;
  EXPECT_EQ(ChangePriority(pm, system.Source(), kHighClass), ActionResult::Stale);
  EXPECT_EQ(pm.list[3].priorityClass, kNormalClass);
}

TEST_F(ProgramMasterActions, PriorityTakesTheClassReadBack) {
  system.classKept[kRealTimeClass] = kHighClass;  // without the right, real time becomes high
  system.classKept[kIdleClass] = 0;               // the process could not be opened
  Select(1200);
  EXPECT_EQ(ChangePriority(pm, system.Source(), kRealTimeClass), ActionResult::Done);
  EXPECT_EQ(pm.list[pm.selected].priorityClass, kHighClass);
  EXPECT_EQ(ChangePriority(pm, system.Source(), kIdleClass), ActionResult::Failed);
  EXPECT_EQ(pm.list[pm.selected].priorityClass, kHighClass);
  pm.selected = -1;
  EXPECT_EQ(ChangePriority(pm, system.Source(), kIdleClass), ActionResult::NoSelection);
  EXPECT_EQ(EndSelected(pm, system.Source(), true), ActionResult::NoSelection);
}

TEST_F(ProgramMasterActions, AFailedRefreshKeepsTheOldList) {
  Select(1200);
  system.listWorks = false;
  EXPECT_FALSE(RefreshList(pm, system.Source()));
  ASSERT_EQ(pm.list.size(), 4u);
  EXPECT_EQ(pm.list[pm.selected].processId, 1200u);
  system.listWorks = true;
  system.programs.erase(system.programs.begin());
  EXPECT_TRUE(RefreshList(pm, system.Source()));
  ASSERT_EQ(pm.list.size(), 3u);
  EXPECT_EQ(pm.list[pm.selected].processId, 1200u);  // the selection follows its program
}

}  // namespace
}  // namespace kst
