#include "frame/clock/clock_system.h"

#include <gtest/gtest.h>

#include "frame/texts/texts.h"

using namespace kst;

namespace {

struct FakeWindow {
  std::string flags;  // r running, m minimized, p paused, f finished, c closed
  uint64_t turn = 1;
  std::vector<std::string> figures, watches;  // every text written, in order
  bool Has(char flag) const { return flags.find(flag) != std::string::npos; }
};

ClockTrack TrackOf(FakeWindow& w) {
  ClockTrack t;
  auto has = [&w](char flag) { return [&w, flag] { return w.Has(flag); }; };
  t.view.open = [&w] { return !w.Has('c'); }, t.view.running = has('r'), t.view.minimized = has('m');
  t.view.paused = has('p'), t.view.finished = has('f'), t.view.turn = [&w] { return w.turn; };
  t.view.showFigure = [&w](const std::string& text) { w.figures.push_back(text); };
  t.view.showWatch = [&w](const std::string& text) { w.watches.push_back(text); };
  return t;
}

plat::LocalTime Second(int s) { return plat::LocalTime{2026, 12, 0, 6, 10, 0, s}; }

// A round after add bytes moved ('s': a new run of 10 MB starts first); figure: the text written (nullptr: none).
struct Step { int second; int64_t add; const char* flags; uint64_t turn; const char* figure; bool watch; };

}  // namespace

TEST(ClockRounds, EachRoundWritesOnlyWhatChanged) {
  for (const auto& [id, text] : {std::pair<int, const char*>{958, "kB/s"}, {959, "s"}, {996, "m"}, {997, "h"},
                                 {998, "d"}, {1366, "Done!"}})
    SetText(id, text);
  const char* const longest = "99d23h59m59s  1000 kB/s";
  const struct { const char* what; int64_t total; std::vector<Step> steps; } cases[] = {
      {"bytes moved before the run was seen are no interval's", 10000000,
       {{0, 3000000, "r", 1, nullptr, true}, {1, 1000000, "r", 1, "6s  1000 kB/s", true},
        {2, 2000000, "r", 1, "2s  2000 kB/s", true}}},
      {"nothing while minimized, then the whole interval", 10000000,
       {{0, 0, "r", 1, nullptr, true}, {1, 1000000, "rm", 1, nullptr, false}, {4, 3000000, "rm", 1, nullptr, false},
        {5, 0, "r", 1, "7s  800 kB/s", true}}},
      {"unchanged texts are not written; a stop empties the field", int64_t{1} << 50,
       {{0, 0, "r", 1, nullptr, true}, {1, 1000000, "r", 1, longest, true}, {2, 1000000, "r", 1, nullptr, true},
        {2, 0, "r", 1, nullptr, false}, {3, 0, "", 1, "", true}, {4, 0, "", 1, nullptr, true}}},
      {"a new run starts its interval when seen", 10000000,
       {{0, 0, "r", 1, nullptr, true}, {1, 1000000, "r", 1, "9s  1000 kB/s", true}, {2, 0, "", 1, "", true},
        {20, 9000000, "s", 1, nullptr, true}, {21, 0, "r", 1, nullptr, true},
        {22, 500000, "r", 1, "1s  500 kB/s", true}}},
      {"a finish says Done! once per turn; the next run waits for bytes", 10000000,
       {{0, 0, "r", 1, nullptr, true}, {1, 1000000, "r", 1, "9s  1000 kB/s", true}, {2, 0, "f", 1, "Done!", true},
        {3, 0, "r", 2, "", true}, {5, 0, "r", 2, nullptr, true}, {6, 1000000, "", 2, nullptr, true},
        {8, 0, "f", 3, "Done!", true}, {9, 0, "cf", 3, nullptr, false}, {10, 0, "f", 3, nullptr, true}}},
      {"a pause holds the figure and its time does not count", 10000000,
       {{0, 0, "r", 1, nullptr, true}, {1, 2000000, "r", 1, "4s  2000 kB/s", true}, {2, 0, "rp", 1, nullptr, true},
        {9, 0, "rp", 1, nullptr, true}, {10, 1000000, "r", 1, "7s  1000 kB/s", true}}},
      {"a closed window gets nothing", 10000000,
       {{0, 1000000, "rc", 1, nullptr, false}, {2, 1000000, "rc", 1, nullptr, false}}},
  };
  for (const auto& c : cases) {
    FakeWindow w;
    ClockTrack track = TrackOf(w);
    ClockCounters counters;
    ClockStart(counters, c.total);
    for (const Step& s : c.steps) {
      SCOPED_TRACE(std::string(c.what) + ", second " + std::to_string(s.second));
      w.flags = s.flags, w.turn = s.turn;
      if (w.Has('s')) ClockStart(counters, 10000000);
      ClockAdd(counters, s.add);
      const size_t figures = w.figures.size(), watches = w.watches.size();
      ClockRound(track, counters, 1000000 + s.second * 1000ull, Second(s.second), 0);
      ASSERT_EQ(w.figures.size(), figures + (s.figure ? 1 : 0));
      EXPECT_TRUE(!s.figure || w.figures.back() == s.figure) << w.figures.back();
      EXPECT_EQ(w.watches.size(), watches + (s.watch ? 1 : 0));
    }
  }
  FakeWindow w;
  ClockTrack track = TrackOf(w);
  ClockCounters counters;
  ClockRound(track, counters, 5000, Second(30), -3600);
  EXPECT_EQ(w.watches, std::vector<std::string>{"06:09:00:30"});
}
