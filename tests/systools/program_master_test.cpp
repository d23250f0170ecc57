#include "systools/program_master.h"

#include <gtest/gtest.h>

#include <map>

#include "frame/language_files.h"

namespace kst {
namespace {

// A system of a few programs that the tests change between calls.
struct FakeSystem {
  std::vector<ProcessRecord> programs;
  bool listWorks = true;
  std::map<uint32_t, uint32_t> classGiven;  // asked class -> class the system keeps
  std::vector<uint32_t> terminated;
  std::vector<uint64_t> closed;
  int lists = 0;

  ProcessSource Source() {
    ProcessSource s;
    s.list = [this](bool, std::vector<ProcessRecord>* list) {
      ++lists;
      if (!listWorks) return false;
      *list = programs;
      return true;
    };
    s.creationTime = [this](uint32_t id) -> uint64_t {
      for (const ProcessRecord& p : programs)
        if (p.processId == id) return p.creationTime;
      return 0;
    };
    s.setPriority = [this](uint32_t id, uint32_t cls) -> uint32_t {
      auto kept = classGiven.find(cls);
      return kept == classGiven.end() ? cls : kept->second;
    };
    s.terminate = [this](uint32_t id) {
      terminated.push_back(id);
      return true;
    };
    s.postClose = [this](uint64_t window, uint32_t) {
      closed.push_back(window);
      return true;
    };
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
    system.programs = {Program(4, "System.exe", 1), Program(600, "csrss.exe", 2), Program(1000, "Kestrova.exe", 3),
                       Program(1200, "notepad.exe", 4, {{0x51, 7, "Untitled"}, {0x52, 7, "Find"}})};
    pm.ownId = 1000;
    SetAskHandler([this](const AskRequest& r) {
      asked.push_back(r.heading);
      return answer;
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
};

TEST_F(ProgramMasterActions, EndDecisions) {
  const struct {
    const char* what;
    uint32_t id;
    bool friendly;
    int answer;
    ActionResult result;
    std::vector<std::string> asked;
    size_t terminated, closed;
  } cases[] = {
      {"own, unfriendly", 1000, false, kAnswerYes, ActionResult::Refused, {"WHAT..."}, 0, 0},
      {"own, friendly", 1000, true, kAnswerYes, ActionResult::Refused, {"WHAT..."}, 0, 0},
      {"system id", 4, false, kAnswerYes, ActionResult::Refused, {"WHAT..."}, 0, 0},
      {"csrss", 600, false, kAnswerYes, ActionResult::Refused, {"WHAT..."}, 0, 0},
      {"unfriendly, No", 1200, false, kAnswerNo, ActionResult::Declined, {"End it at once?..."}, 0, 0},
      {"unfriendly, Yes", 1200, false, kAnswerYes, ActionResult::Done, {"End it at once?..."}, 1, 0},
      {"friendly closes each window", 1200, true, kAnswerNo, ActionResult::Done, {}, 0, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    system.terminated.clear();
    system.closed.clear();
    answer = c.answer;
    Select(c.id);
    EXPECT_EQ(EndSelected(pm, system.Source(), c.friendly), c.result);
    EXPECT_EQ(asked, c.asked);
    EXPECT_EQ(system.terminated.size(), c.terminated);
    EXPECT_EQ(system.closed.size(), c.closed);
    asked.clear();
  }
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
  system.classGiven[kRealTimeClass] = kHighClass;  // without the right, real time becomes high
  Select(1200);
  EXPECT_EQ(ChangePriority(pm, system.Source(), kRealTimeClass), ActionResult::Done);
  EXPECT_EQ(pm.list[pm.selected].priorityClass, kHighClass);
  system.classGiven[kIdleClass] = 0;  // could not be opened
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
  EXPECT_EQ(pm.list.size(), 4u);
  EXPECT_EQ(pm.list[pm.selected].processId, 1200u);
  system.listWorks = true;
  system.programs.erase(system.programs.begin());
  EXPECT_TRUE(RefreshList(pm, system.Source()));
  ASSERT_EQ(pm.list.size(), 3u);
  EXPECT_EQ(pm.list[pm.selected].processId, 1200u);  // the selection follows its program
}

}  // namespace
}  // namespace kst
