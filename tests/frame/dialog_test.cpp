// Dialog records and states: what a change marks pending, how texts reach
// the controls, and what a cleared record holds.
#include "frame/dialog.h"

#include <gtest/gtest.h>

#include "frame/texts.h"

using namespace kst;

namespace {

class DialogStates : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterTemplate(9001, {{10, ControlType::Button, "Go"},
                            {11, ControlType::Edit, ""},
                            {12, ControlType::ListBox, ""},
                            {13, ControlType::Progress, ""}});
    ASSERT_TRUE(DialogInit(9001, state));
  }
  void TearDown() override { SetDialogHooks(DialogHooks{}); }
  DialogState state;
};

}  // namespace

TEST_F(DialogStates, InitFillsTheControlsAndUninitEmptiesThem) {
  EXPECT_EQ(DialogGet(state, 10), "Go");
  EXPECT_EQ(DialogGetValue(state, 12), -1);  // a list starts without selection
  DialogState missing;
  EXPECT_FALSE(DialogInit(9999, missing));
  DialogUninit(state);
  EXPECT_EQ(state.templateId, -1);
  EXPECT_EQ(DialogGet(state, 10), "");
}

TEST_F(DialogStates, ChangesAreMarkedPendingAndFlushedThroughTheHook) {
  int flushes = 0;
  DialogHooks hooks;
  hooks.flush = [&](DialogState& s) {
    ++flushes;
    std::lock_guard<std::mutex> lock(s.mutex);
    for (Control& c : s.controls) c.pending = 0;
    s.changesPending = false;
  };
  SetDialogHooks(hooks);

  DialogSet(state, 11, "A:\\movie.avi");
  DialogSetEnabled(state, 10, false);
  DialogSetValue(state, 99, 5);  // no such control: nothing happens
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    EXPECT_EQ(FindControl(state, 11)->pending, uint32_t{kPendText});
    EXPECT_EQ(FindControl(state, 10)->pending, uint32_t{kPendEnabled});
  }
  DialogFlush(state);
  EXPECT_FALSE(state.changesPending);
  EXPECT_EQ(DialogGet(state, 11), "A:\\movie.avi");
  EXPECT_FALSE(DialogGetEnabled(state, 10));

  // A selection past the new entries would point outside the list.
  DialogSetItems(state, 12, {"a", "b"});
  DialogSetValue(state, 12, 1);
  DialogSetItems(state, 12, {"c"});
  EXPECT_EQ(DialogGetValue(state, 12), -1);

  ProgressSink bar = ProgressBarSink(state, 13);
  bar.setRange(500);
  bar.setPosition(7);
  EXPECT_EQ(DialogGetValue(state, 13), 7);
  EXPECT_EQ(flushes, 3);  // the bar shows each step at once
}

TEST_F(DialogStates, ApplyTextsTakesTitleLabelsAndTooltipsFromTheTable) {
  Record(3).savedLeft = 100;
  ClearRecords();
  EXPECT_EQ(Record(3).savedLeft, -1);  // a cleared record forgets where its window was
  BindRecord(3, state);
  SetText(87, "File Splitting");
  SetText(88, "&Go");
  SetText(580, std::string(300, 'x'));  // longer than a short text: kept whole
  SetRecordTexts(3, DialogTexts{87, {{10, 88, 580}, {77, 88, 0}}});  // 77: no such control
  DialogPrepare(3);
  ApplyTexts(3);
  EXPECT_EQ(state.title, "File Splitting");
  EXPECT_EQ(DialogGet(state, 10), "&Go");
  ASSERT_EQ(Record(3).tooltips.size(), 4u);  // one per control
  EXPECT_EQ(Record(3).tooltips[0].size(), 300u);
  DialogRelease(3);
  EXPECT_TRUE(Record(3).tooltips.empty());
}
