// The Clocking System's rounds with a fake tick and a fake window: when the
// first figure comes, what a minimized window gets, the field emptied when
// a job stops, no rewrite of an unchanged text, a new run's fresh interval.
#include "frame/clock/clock_system.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/texts/texts.h"

using namespace kst;

namespace {

struct FakeWindow {
  bool open = true, running = false, minimized = false, paused = false, finished = false;
  uint64_t turn = 1;
  std::vector<std::string> figures, watches;  // every text written, in order
};

ClockTrack TrackOf(FakeWindow& w) {
  ClockTrack track;
  track.view.open = [&w] { return w.open; };
  track.view.running = [&w] { return w.running; };
  track.view.minimized = [&w] { return w.minimized; };
  track.view.paused = [&w] { return w.paused; };
  track.view.finished = [&w] { return w.finished; };
  track.view.turn = [&w] { return w.turn; };
  track.view.showFigure = [&w](const std::string& t) { w.figures.push_back(t); };
  track.view.showWatch = [&w](const std::string& t) { w.watches.push_back(t); };
  return track;
}

plat::LocalTime Second(int s) {
  plat::LocalTime t;
  t.year = 2026, t.month = 12, t.day = 6, t.hour = 10, t.minute = 0, t.second = s;
  return t;
}

class ClockRounds : public ::testing::Test {
 protected:
  void SetUp() override {
    SetText(958, "kB/s");
    SetText(959, "s");
    ClockStart(counters, 10000000);
  }
  // A round at second s of the fake tick.
  void Round(int s) { ClockRound(track, counters, 1000000 + s * 1000ull, Second(s), 0); }
  FakeWindow w;
  ClockTrack track = TrackOf(w);
  ClockCounters counters;
};

}  // namespace

TEST_F(ClockRounds, FirstFigureOneSecondAfterTheRunIsSeen) {
  ClockAdd(counters, 3000000);  // moved before the clock saw the run: no interval's
  w.running = true;
  Round(0);
  EXPECT_TRUE(w.figures.empty());
  ClockAdd(counters, 1000000);
  Round(1);
  ASSERT_EQ(w.figures.size(), 1u);
  EXPECT_EQ(w.figures[0], "6s  1000 kB/s");  // not the 1 B/s of a mark at 0
  ClockAdd(counters, 2000000);
  Round(2);
  EXPECT_EQ(w.figures.back(), "2s  2000 kB/s");
}

TEST_F(ClockRounds, NothingWhileMinimizedThenTheWholeInterval) {
  w.running = true;
  Round(0);
  w.minimized = true;
  const size_t watchesBefore = w.watches.size();
  for (int s = 1; s <= 4; ++s) {
    ClockAdd(counters, 1000000);
    Round(s);
  }
  EXPECT_TRUE(w.figures.empty());
  EXPECT_EQ(w.watches.size(), watchesBefore);
  w.minimized = false;
  Round(5);
  ASSERT_EQ(w.figures.size(), 1u);
  EXPECT_EQ(w.figures[0], "7s  800 kB/s");  // 4 MB over the 5 s since the mark
}

TEST_F(ClockRounds, FieldEmptiedWhenTheJobStopsAndUnchangedTextsNotRewritten) {
  ClockStart(counters, int64_t{1} << 50);  // the longest time left, every round
  w.running = true;
  Round(0);
  ClockAdd(counters, 1000000);
  Round(1);
  ClockAdd(counters, 1000000);
  Round(2);  // the same figure again: not written
  EXPECT_EQ(w.figures.size(), 1u);
  Round(2);  // the same second: the watch text is not written again either
  EXPECT_EQ(w.watches.size(), 3u);
  w.running = false;
  Round(3);
  Round(4);
  ASSERT_EQ(w.figures.size(), 2u);
  EXPECT_EQ(w.figures.back(), "");
}

TEST_F(ClockRounds, ANewRunStartsItsIntervalWhenSeen) {
  w.running = true;
  Round(0);
  ClockAdd(counters, 1000000);
  Round(1);
  w.running = false;
  Round(2);
  ClockStart(counters, 10000000);
  ClockAdd(counters, 9000000);  // before the clock sees the new run
  Round(20);
  w.running = true;
  Round(21);
  EXPECT_EQ(w.figures.back(), "");
  ClockAdd(counters, 500000);
  Round(22);
  EXPECT_EQ(w.figures.back(), "1s  500 kB/s");  // one second, not 21
}

TEST_F(ClockRounds, AFinishedRunSaysDoneUntilTheNextRunWhichWaitsForBytes) {
  SetText(1366, "Done!");
  w.running = true;
  Round(0);
  ClockAdd(counters, 1000000);
  Round(1);
  w.running = false, w.finished = true;
  Round(2);
  EXPECT_EQ(w.figures.back(), "Done!");
  w.running = true, w.finished = false, w.turn = 2;
  Round(3);
  EXPECT_EQ(w.figures.back(), "");
  Round(4);  // a second that moved nothing: still no figure
  Round(5);
  EXPECT_EQ(w.figures.size(), 3u);
  w.running = false;  // stopped without finishing
  ClockAdd(counters, 1000000);
  Round(6);
  Round(7);
  EXPECT_EQ(w.figures.back(), "");
  w.turn = 3, w.finished = true;  // a run that ended between two rounds
  Round(8);
  EXPECT_EQ(w.figures.back(), "Done!");
  w.open = false;
  Round(9);
  w.open = true;  // opened again: its finish was told already
  Round(10);
  EXPECT_EQ(w.figures.size(), 4u);
}

TEST_F(ClockRounds, APauseHoldsTheFigureAndItsTimeDoesNotCount) {
  w.running = true;
  Round(0);
  ClockAdd(counters, 2000000);
  Round(1);
  w.paused = true;
  for (int s = 2; s <= 9; ++s) Round(s);
  EXPECT_EQ(w.figures.size(), 1u);
  w.paused = false;
  ClockAdd(counters, 1000000);
  Round(10);
  EXPECT_EQ(w.figures.back(), "7s  1000 kB/s");  // one second, not nine
}

TEST_F(ClockRounds, AClosedWindowGetsNothing) {
  w.open = false;
  w.running = true;
  for (int s = 0; s < 3; ++s) Round(s);
  EXPECT_TRUE(w.figures.empty());
  EXPECT_TRUE(w.watches.empty());
}

TEST(ClockWatch, TheOffsetShiftsTheWatchField) {
  FakeWindow w;
  ClockTrack track = TrackOf(w);
  ClockCounters counters;
  ClockRound(track, counters, 5000, Second(30), -3600);
  ASSERT_EQ(w.watches.size(), 1u);
  EXPECT_EQ(w.watches[0], "06:09:00:30");
}
