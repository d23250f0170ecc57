#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "frame/dialogs/dialog_errors.h"
#include "frame/dialogs/run_figures.h"
#include "frame/texts/language_files.h"
#include "frame/texts/texts.h"

using namespace kst;

namespace {

class DialogStates : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterTemplate(9001, {{10, ControlType::Button, "Go"}, {11, ControlType::Edit, ""},
                            {12, ControlType::ListBox, ""}, {13, ControlType::Progress, ""}});
    ASSERT_TRUE(DialogInit(9001, state));
  }
  void TearDown() override { SetDialogHooks(DialogHooks{}); }
  DialogState state;
};

}  // namespace

TEST_F(DialogStates, ChangesAreMarkedPendingFlushedThroughTheHookAndUninitEmptiesThem) {
  EXPECT_EQ(DialogGet(state, 10), "Go");
  EXPECT_EQ(DialogGetValue(state, 12), -1);  // a list starts without selection
  DialogState missing;
  EXPECT_FALSE(DialogInit(9999, missing));
  int flushes = 0;
  DialogHooks hooks;
  hooks.flush = [&](DialogState& s) {
    std::lock_guard<std::mutex> lock(s.mutex);
    for (Control& c : s.controls) c.pending = 0;
    return ++flushes, s.changesPending = false, true;
  };
  SetDialogHooks(hooks);

  DialogSet(state, 11, "A:\\movie.avi");
  DialogSetEnabled(state, 10, false);
  DialogSetValue(state, 99, 5);  // no such control: nothing happens
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    EXPECT_EQ(FindControl(state, 11)->pending * 16 + FindControl(state, 10)->pending, kPendText * 16u + kPendEnabled);
  }
  DialogFlush(state);
  EXPECT_FALSE(state.changesPending || DialogGetEnabled(state, 10));
  EXPECT_EQ(DialogGet(state, 11), "A:\\movie.avi");

  // A selection past the new entries would point outside the list.
  DialogSetItems(state, 12, {"a", "b"});
  DialogSetValue(state, 12, 1);
  DialogSetItems(state, 12, {"c"});
  EXPECT_EQ(DialogGetValue(state, 12), -1);
  EXPECT_EQ(flushes, 1);
  // A value is no reason to set the title again; a new title is.
  EXPECT_FALSE(state.titlePending);
  DialogSetTitle(state, "File Splitting");
  EXPECT_TRUE(state.titlePending);
  DialogUninit(state);
  EXPECT_EQ(std::to_string(state.templateId) + DialogGet(state, 10), "-1");
}

TEST_F(DialogStates, ApplyTextsTakesTheTableAndAWorkerQueuesOneFlushAndPacesItsProgress) {
  Record(3).savedLeft = 100;
  ClearRecords();
  EXPECT_EQ(Record(3).savedLeft, -1);  // a cleared record forgets where its window was
  BindRecord(3, state);
  SetText(87, "File Splitting"), SetText(88, "&Go");
  SetText(580, std::string(300, 'x'));  // longer than a short text: kept whole
  SetRecordTexts(3, DialogTexts{87, {{10, 88, 580}, {77, 88, 0}}});  // 77: no such control
  DialogPrepare(3);
  ApplyTexts(3);
  EXPECT_EQ(state.title + DialogGet(state, 10), "File Splitting&Go");
  ASSERT_EQ(Record(3).tooltips.size(), 4u);  // one per control
  EXPECT_EQ(Record(3).tooltips[0], std::string(300, 'x'));
  DialogRelease(3);
  EXPECT_TRUE(Record(3).tooltips.empty());

  // On the window's thread the flush hook applies at once; queued counts the tries to queue a flush.
  struct Case { const char* what; bool onWindowThread, queueFails; int changes; bool windowTakesBetween; int queued; };
  const Case cases[] = {{"a worker's burst", false, false, 5000, false, 1},
                        {"taken, then another burst", false, false, 200, true, 2},
                        {"on the window's thread", true, false, 50, false, 0},
                        {"a queue that fails lets the next flush try", false, true, 3, false, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(DialogInit(9001, state));
    std::atomic<int> queued{0}, applied{0};  // queue attempts, flushes applied at once
    DialogHooks hooks;
    hooks.flush = [&](DialogState&) { return c.onWindowThread && ++applied; };
    hooks.queueFlush = [&](DialogState&) { return ++queued && !c.queueFails; };
    SetDialogHooks(hooks);
    for (int bursts = c.windowTakesBetween ? 2 : 1; bursts-- > 0; TakeQueuedFlush(state)) {
      std::thread worker([&] {
        for (int i = 1; i <= c.changes; ++i) {
          DialogSetValue(state, 13, i);
          DialogSet(state, 11, std::to_string(i));
          DialogFlush(state);
        }
      });
      worker.join();
    }
    EXPECT_EQ(queued.load(), c.queued);
    EXPECT_EQ(applied.load(), c.onWindowThread ? c.changes : 0);
    EXPECT_EQ(DialogGetValue(state, 13), c.changes) << "the state holds the last change";
  }

  ASSERT_TRUE(DialogInit(9001, state));  // afresh for the bar
  std::vector<int> shown;  // the bar's position at each flush
  DialogHooks hooks;
  hooks.flush = [&](DialogState& s) {
    std::lock_guard<std::mutex> lock(s.mutex);
    return shown.push_back(FindControl(s, 13)->value), true;
  };
  SetDialogHooks(hooks);
  ProgressSink bar = ProgressBarSink(state, 13);
  auto start = std::chrono::steady_clock::now();
  bar.setRange(20000);
  for (int i = 1; i <= 20000; ++i) bar.setPosition(i);
  int64_t ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - start).count();
  EXPECT_LE(shown.size(), 2u + ms / kProgressIntervalMs) << "range, end, and one per interval";
  ASSERT_GE(shown.size(), 2u);
  EXPECT_EQ(shown.front() * 100000 + shown.back(), 20000) << "the range goes out at once, the end is always shown";

  // Straight after the end a new range and a reset are shown; a step waits in the state.
  shown.clear();
  bar.setRange(10);
  for (int twice : {3, 3}) bar.setPosition(twice);
  EXPECT_EQ(DialogGetValue(state, 13), 3);
  bar.setPosition(0);
  EXPECT_EQ(shown, (std::vector<int>{20000, 0}));
  std::this_thread::sleep_for(std::chrono::milliseconds(kProgressIntervalMs + 5));
  bar.setPosition(4);
  EXPECT_EQ(shown.back(), 4) << "after the interval a step goes out";
}

TEST(DialogFigures, ASavedPlaceIsBroughtOntoTheWorkAreaErrorCodesGetTheirTextsAndTimesOfDayWrap) {
  const ScreenArea work{0, 0, 1280, 994};  // a taskbar below
  const ScreenArea left{-1920, 0, 0, 1080};  // a second monitor left of the first
  struct Case { const char* what; int left, top, width, height; ScreenArea area; ScreenPoint expect; };
  const Case cases[] = {
      {"touching the far corner: unchanged", 880, 694, 400, 300, work, {880, 694}},
      {"one pixel over", 881, 695, 400, 300, work, {880, 694}},
      {"edited far away", 2147483000, 2147483000, 400, 300, work, {880, 694}},
      {"larger than the area: its corner on it", 500, -40, 2000, 1200, work, {0, 0}},
      {"on a monitor left of the primary", -1500, 100, 400, 300, left, {-1500, 100}},
      {"past it", -2500, 900, 400, 300, left, {-1920, 780}},
  };
  for (const Case& c : cases) {
    ScreenPoint at = PlaceOnArea(c.left, c.top, c.width, c.height, c.area);
    EXPECT_EQ(std::make_pair(at.left, at.top), std::make_pair(c.expect.left, c.expect.top)) << c.what;
  }

  LoadBuiltInTexts();
  // A few words from each text, enough to tell a swapped number.
  const std::pair<uint32_t, const char*> errors[] = {
      {1, "lStructSize"}, {2, "initialization"}, {3, "a corresponding template"}, {4, "instance handle"},
      {5, "load a specified string"}, {6, "find a specified resource"}, {7, "load a specified resource"},
      {8, "lock a specified resource"}, {9, "allocate memory"}, {10, "lock the memory"}, {11, "ENABLEHOOK"},
      {12289, "subclass a list box"}, {12290, "filename is invalid"}, {12291, "too small"},
      {12, "Unknown error"}, {12288, "Unknown error"}, {12292, "Unknown error"}, {0xFFFFFFFFu, "Unknown error"},
  };
  for (const auto& c : errors)
    EXPECT_NE(GetText(DialogErrorText(c.first)).find(c.second), std::string::npos) << c.first;
  EXPECT_EQ(DialogErrorText(0), 0);  // a cancelled dialog: no box at all

  const std::pair<int64_t, const char*> times[] = {
      {0, "00:00:00"}, {3723, "01:02:03"}, {86399, "23:59:59"}, {86400 + 61, "00:01:01"}, {-1, "23:59:59"}};
  for (const auto& [seconds, shown] : times) EXPECT_EQ(TimeOfDay(seconds), shown) << seconds;
}
