#include "restore/join_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

// n records that can all be joined (TakeJoin only looks at their marks).
void Fill(kst::RestoreList& list, int n) {
  for (int id = 1; id <= n; ++id) {
    list.records.emplace_back();
    list.records.back().id = id;
  }
}

// The hand-over between the window, which starts the joining thread when a
// request finds none active, and the thread, which stops only when it
// finds the queue empty.
TEST(JoinQueue, ARequestEitherReachesTheActiveJoinerOrStartsOne) {
  enum Op { Request, Claim, Take, Release, Abort };
  struct Step {
    Op op;
    bool result;  // Claim: start a thread; Take: got one; Release: the thread stops
  };
  struct Case {
    const char* what;
    std::vector<Step> steps;
  } cases[] = {
      {"nothing waits: no thread", {{Claim, false}}},
      {"one request, one thread", {{Request, true}, {Claim, true}, {Claim, false}, {Take, true}, {Release, true}}},
      {"a request while the thread joins",
       {{Request, true}, {Claim, true}, {Take, true}, {Request, true}, {Claim, false}, {Release, false},
        {Take, true}, {Release, true}, {Claim, false}}},
      {"a request after the thread stopped starts another",
       {{Request, true}, {Claim, true}, {Take, true}, {Release, true}, {Request, true}, {Claim, true}}},
      {"an abort drops the waiting joins",
       {{Request, true}, {Request, true}, {Claim, true}, {Take, true}, {Abort, true}, {Take, false},
        {Request, true}, {Claim, true}}},
  };
  for (const Case& c : cases) {
    kst::RestoreList list;
    Fill(list, 10);
    kst::JoinQueue queue;
    int next = 1;
    for (size_t i = 0; i < c.steps.size(); ++i) {
      const Step& s = c.steps[i];
      kst::JoinRequest taken;
      bool result = true;
      switch (s.op) {
        case Request: kst::RequestJoin(queue, {next++, false, false}); break;
        case Claim: result = kst::ClaimJoiner(queue); break;
        case Take: result = kst::TakeJoin(queue, list, &taken); break;
        case Release: result = kst::ReleaseJoiner(queue, false); break;
        case Abort: result = kst::ReleaseJoiner(queue, true); break;
      }
      EXPECT_EQ(result, s.result) << c.what << ", step " << i;
    }
  }
}

// Requests from one thread while joiners come and go: none is left waiting
// with no thread to take it.
TEST(JoinQueue, NoRequestIsLeftBehindByAThreadThatIsStopping) {
  constexpr int kRequests = 2000;
  kst::RestoreList list;
  Fill(list, kRequests);
  kst::JoinQueue queue;
  std::atomic<int> taken{0};
  std::vector<std::thread> joiners;
  for (int id = 1; id <= kRequests; ++id) {
    kst::RequestJoin(queue, {id, false, false});
    if (!kst::ClaimJoiner(queue)) continue;
    joiners.emplace_back([&] {
      kst::JoinRequest r;
      do {
        while (kst::TakeJoin(queue, list, &r)) ++taken;
      } while (!kst::ReleaseJoiner(queue, false));
    });
  }
  for (std::thread& t : joiners) t.join();
  EXPECT_EQ(taken.load(), kRequests);
  EXPECT_TRUE(queue.waiting.empty());
  EXPECT_FALSE(queue.joinerActive);
}

}  // namespace
