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
  // result: of Claim, start a thread; of Take, got one; of Release, the thread stops.
  struct Step { Op op; bool result; };
  struct Case { const char* what; std::vector<Step> steps; } cases[] = {
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
      kst::JoinRequest taken;
      const Op op = c.steps[i].op;
      if (op == Request) kst::RequestJoin(queue, {next++, false, false});
      const bool result = op == Request ? true
                          : op == Claim ? kst::ClaimJoiner(queue)
                          : op == Take  ? kst::TakeJoin(queue, list, &taken)
                                        : kst::ReleaseJoiner(queue, op == Abort);
      EXPECT_EQ(result, c.steps[i].result) << c.what << ", step " << i;
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
  EXPECT_TRUE(queue.waiting.empty() && !queue.joinerActive);
}

}  // namespace
