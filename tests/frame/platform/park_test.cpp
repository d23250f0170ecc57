#include "frame/platform/park.h"

#include <gtest/gtest.h>

#include <thread>

using namespace plat;

// A wake before the park is kept once; a lost wake-up would stall the loop.
TEST(Park, NoWakeIsLostBetweenTwoThreads) {
  ParkEvent event;
  Wake(event);
  EXPECT_TRUE(ParkSelfFor(event, 1000));  // returns at once
  EXPECT_FALSE(ParkSelfFor(event, 20));   // the wake was used up
  ParkEvent toWorker, toMain;
  int steps = 0, answered = 0;
  std::thread worker([&] {
    while (steps < 2000 && ParkSelfFor(toWorker, 5000)) ++steps, Wake(toMain);
  });
  while (answered < 2000 && (Wake(toWorker), ParkSelfFor(toMain, 5000))) ++answered;
  worker.join();
  EXPECT_EQ(answered + steps, 4000);
}
