#include "frame/platform/park.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace plat;

TEST(Park, AWakeBeforeTheParkIsKept) {
  ParkEvent event;
  Wake(event);
  EXPECT_TRUE(ParkSelfFor(event, 1000));   // returns at once
  EXPECT_FALSE(ParkSelfFor(event, 20));    // the wake was used up
}

TEST(Park, NoWakeIsLostBetweenTwoThreads) {
  // A worker parks after every step and the other side wakes it; a lost
  // wake-up would leave the worker parked for good and the loop would stall.
  ParkEvent toWorker, toMain;
  std::atomic<int> steps{0};
  std::thread worker([&] {
    for (int i = 0; i < 2000; ++i) {
      if (!ParkSelfFor(toWorker, 5000)) return;
      ++steps;
      Wake(toMain);
    }
  });
  int answered = 0;
  for (int i = 0; i < 2000; ++i) {
    Wake(toWorker);
    if (!ParkSelfFor(toMain, 5000)) break;
    ++answered;
  }
  worker.join();
  EXPECT_EQ(answered, 2000);
  EXPECT_EQ(steps.load(), 2000);
}
