#include "systools/program_master.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "frame/texts/language_files.h"
#include "frame/threads/subprograms.h"
#include "systools/format_interface.h"

namespace kst {
namespace {

ProcessRecord Program(uint32_t id, const char* name, uint64_t start, std::vector<WindowEntry> windows = {}) {
  ProcessRecord r;
  r.processId = id, r.name = name, r.creationTime = start, r.priorityClass = kNormalClass;
  r.windows = std::move(windows);
  return r;
}

// Four programs; notepad gets High for Real Time and cannot be opened for Idle.
struct ProgramMasterActions : ::testing::Test {
  void SetUp() override {
    LoadBuiltInTexts();
    programs = {Program(4, "System.exe", 1), Program(600, "csrss.exe", 2), Program(1000, "Kestrova.exe", 3),
                Program(1200, "notepad.exe", 4, {{0x51, 7, "Untitled"}, {0x52, 7, "Find"}})};
    source.list = [this](bool, std::vector<ProcessRecord>* list) { return listWorks && (*list = programs, true); };
    source.creationTime = [this](uint32_t id) -> uint64_t {
      for (const ProcessRecord& p : programs)
        if (p.processId == id) return p.creationTime;
      return 0;
    };
    source.setPriority = [](uint32_t id, uint32_t cls) {
      return id != 1200 ? cls : cls == kRealTimeClass ? kHighClass : cls == kIdleClass ? 0 : cls;
    };
    source.terminate = [this](uint32_t id) { return terminated.push_back(id), true; };
    source.postClose = [this](uint64_t window, uint32_t) { return closed.push_back(window), true; };
    pm = ProgramMaster{}, pm.ownId = 1000;
    asked.clear(), terminated.clear(), closed.clear();
    SetAskHandler([this](const AskRequest& r) {
      if (duringQuestion) duringQuestion();
      return asked.push_back(r.heading), answer;
    });
    ASSERT_TRUE(RefreshList(pm, source));
  }
  void TearDown() override { SetAskHandler(nullptr); }
  void Select(uint32_t id) {
    for (size_t i = 0; i < pm.list.size(); ++i)
      if (pm.list[i].processId == id) pm.selected = static_cast<int>(i);
  }

  std::vector<ProcessRecord> programs;
  bool listWorks = true;
  ProcessSource source;
  std::vector<uint32_t> terminated;
  std::vector<uint64_t> closed;
  ProgramMaster pm;
  std::vector<std::string> asked;
  int answer = kAnswerYes;
  std::function<void()> duringQuestion;  // the timer or a Refresh press
};

// A list built anew during a question is no harm; a reused id is not acted on.
TEST_F(ProgramMasterActions, EveryDecisionOfEndAndPriority) {
  const uint32_t kEnd = 0, kEndFriendly = 1;  // else the priority class asked for
  enum { kAsListed, kRefreshedBehind, kIdReused };
  const int Y = kAnswerYes, N = kAnswerNo;
  using R = ActionResult;
  const char *what = "WHAT...", *endIt = "End it at once?...", *sure = "Are you sure?...";
  // asked: the box's heading; ends: programs ended or windows closed; classAfter: 0 unchanged.
  const struct { const char* what; uint32_t id, act; int answer, change; R result; const char* asked;
    size_t ends; uint32_t classAfter; } cases[] = {
      {"own, unfriendly", 1000, kEnd, Y, kAsListed, R::Refused, what, 0, 0},
      {"own, friendly", 1000, kEndFriendly, Y, kAsListed, R::Refused, what, 0, 0},
      {"system id", 4, kEnd, Y, kAsListed, R::Refused, what, 0, 0},
      {"csrss", 600, kEnd, Y, kAsListed, R::Refused, what, 0, 0},
      {"unfriendly, No", 1200, kEnd, N, kAsListed, R::Declined, endIt, 0, 0},
      {"unfriendly, Yes", 1200, kEnd, Y, kAsListed, R::Done, endIt, 1, 0},
      {"friendly closes each window", 1200, kEndFriendly, N, kAsListed, R::Done, "", 2, 0},
      {"unfriendly, refreshed behind", 1200, kEnd, Y, kRefreshedBehind, R::Done, endIt, 1, 0},
      {"unfriendly, id reused", 1200, kEnd, Y, kIdReused, R::Stale, endIt, 0, 0},
      {"nothing selected, end", 0, kEndFriendly, Y, kAsListed, R::NoSelection, "", 0, 0},
      {"own, real time, No", 1000, kRealTimeClass, N, kAsListed, R::Declined, sure, 0, 0},
      {"own, real time, Yes", 1000, kRealTimeClass, Y, kAsListed, R::Done, sure, 0, kRealTimeClass},
      {"own, idle, No", 1000, kIdleClass, N, kAsListed, R::Declined, sure, 0, 0},
      {"own, high", 1000, kHighClass, N, kAsListed, R::Done, "", 0, kHighClass},
      {"csrss, idle, No", 600, kIdleClass, N, kAsListed, R::Declined, sure, 0, 0},
      {"system id, real time, No", 4, kRealTimeClass, N, kAsListed, R::Declined, sure, 0, 0},
      {"notepad, real time: the class read back", 1200, kRealTimeClass, N, kAsListed, R::Done, "", 0, kHighClass},
      {"notepad, idle: not opened", 1200, kIdleClass, N, kAsListed, R::Failed, "", 0, 0},
      {"own, real time, refreshed behind", 1000, kRealTimeClass, Y, kRefreshedBehind, R::Done, sure, 0,
       kRealTimeClass},
      {"notepad, high, id reused", 1200, kHighClass, Y, kIdReused, R::Stale, "", 0, 0},
      {"nothing selected, priority", 0, kIdleClass, Y, kAsListed, R::NoSelection, "", 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    answer = c.answer;
    Select(c.id);
    if (c.change == kRefreshedBehind) {
      duringQuestion = [this] {
        programs.insert(programs.begin(), Program(5000, "late.exe", 9));
        std::rotate(programs.begin(), programs.begin() + 2, programs.end());
        ASSERT_TRUE(RefreshList(pm, source));
        duringQuestion = nullptr;
      };
    }
    if (c.change == kIdReused) programs[3].creationTime = 99;  // notepad ended; another program got its id
    const bool friendly = c.act == kEndFriendly;
    EXPECT_EQ(c.act > kEndFriendly ? ChangePriority(pm, source, c.act) : EndSelected(pm, source, friendly), c.result);
    EXPECT_EQ(asked, *c.asked ? std::vector<std::string>{c.asked} : std::vector<std::string>{});
    EXPECT_EQ(terminated, std::vector<uint32_t>(friendly ? 0 : c.ends, c.id));
    EXPECT_EQ(closed.size(), friendly ? c.ends : 0);
    // Refreshed when the id was reused: the new program is not the one chosen.
    EXPECT_EQ(pm.selected < 0, c.change == kIdReused || c.id == 0);
    for (const ProcessRecord& r : pm.list)
      EXPECT_EQ(r.priorityClass, r.processId == c.id && c.classAfter ? c.classAfter : kNormalClass) << r.name;
  }
}

TEST_F(ProgramMasterActions, AFailedRefreshKeepsTheOldList) {
  Select(1200);
  listWorks = false;
  EXPECT_FALSE(RefreshList(pm, source));
  ASSERT_EQ(pm.list.size(), 4u);
  EXPECT_EQ(pm.list[pm.selected].processId, 1200u);
  listWorks = true;
  programs.erase(programs.begin());
  EXPECT_TRUE(RefreshList(pm, source));
  ASSERT_EQ(pm.list.size(), 3u);
  EXPECT_EQ(pm.list[pm.selected].processId, 1200u);  // the selection follows its program
}

// Two boxes open at once, from The Program Master and the Format Interface.
bool Owns(int subprogram, int record) {
  const Subprogram& s = GetSubprogram(subprogram);
  return s.record == record || std::count(std::begin(s.childRecords), std::end(s.childRecords), record);
}

TEST(SystemToolBoxes, TwoBoxesAtOnceRunOnRecordsOfTheirOwn) {
  LoadBuiltInTexts();
  std::mutex mutex;
  std::condition_variable opened;
  std::vector<int> records;
  SetAskHandler([&](const AskRequest& r) {  // each box stays open until both are
    std::unique_lock<std::mutex> lock(mutex);
    records.push_back(r.boxRecord);
    opened.notify_all();
    opened.wait_for(lock, std::chrono::seconds(5), [&] { return records.size() >= 2; });
    return kAnswerOk;
  });
  ProgramMaster pm;  // selects itself: refused with a box
  pm.list.resize(1), pm.selected = 0;
  FormatInterface fi;  // formatting: a close is refused with a box
  fi.formatting = true;
  std::thread master([&] { EndSelected(pm, ProcessSource{}, false); });
  std::thread format([&] { MayClose(fi); });
  master.join(), format.join();
  SetAskHandler(nullptr);

  ASSERT_EQ(records.size(), 2u);
  EXPECT_NE(records[0], records[1]);
  EXPECT_TRUE(Owns(kProgramMaster, pm.boxRecord));
  EXPECT_TRUE(Owns(kFormatInterface, fi.boxRecord));
  const int kFrameBoxes[] = {21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 37, 38, 41, 44, 45};
  for (int record : records) {
    EXPECT_EQ(std::count(std::begin(kFrameBoxes), std::end(kFrameBoxes), record), 0);
    for (int id = 0; id < kSubprogramCount; ++id)
      EXPECT_TRUE(id == kProgramMaster || id == kFormatInterface || !Owns(id, record)) << id;
  }
}

}  // namespace
}  // namespace kst
