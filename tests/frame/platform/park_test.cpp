// Parking a thread until another wakes it: the subprograms' threads wait so.
#include "frame/platform/park.h"

#include <gtest/gtest.h>

#include <thread>

using namespace plat;

TEST(Park, AWakeBeforeTheParkIsKeptOnce) {
  ParkEvent event;
  Wake(event);
  EXPECT_TRUE(ParkSelfFor(event, 1000));  // returns at once
  EXPECT_FALSE(ParkSelfFor(event, 20));   // the wake was used up
}

TEST(Park, NoWakeIsLostBetweenTwoThreads) {
  // A worker parks after every step and the other side wakes it; a lost
  // wake-up would leave the worker parked for good and the loop would stall.
  ParkEvent toWorker, toMain;
  int steps = 0, answered = 0;
  std::thread worker([&] {
    while (steps < 2000 && ParkSelfFor(toWorker, 5000)) {
      ++steps;
      Wake(toMain);
    }
  });
  while (answered < 2000) {
    Wake(toWorker);
    if (!ParkSelfFor(toMain, 5000)) break;
    ++answered;
  }
  worker.join();
  EXPECT_EQ(answered, 2000);
  EXPECT_EQ(steps, 2000);
}
