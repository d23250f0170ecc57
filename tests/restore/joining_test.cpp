#include "restore/join_main_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "frame/files/partial_files.h"
#include "restore/join_queue.h"
#include "restore/restore_names.h"
#include "restore/restore_texts.h"
#include "tests/restore/restore_test_support.h"

namespace {

using kst::AddSource;
using kst::JoinOutcome;
using restoretest::Add;

TEST(JoinMainFile, AnUnsafeOrDeclinedTargetAsksForAnotherName) {
  restoretest::JoinBench b;
  ASSERT_TRUE(plat::CreateFolder(b.dir.Path("folder")) && testenv::WriteFile(b.dir.Path("full.bin"), "data") &&
              testenv::WriteFile(b.dir.Path("empty.bin"), ""));
  std::vector<std::string> names = {b.file.splits[1], b.file.batch, b.dir.Path("folder"), b.dir.Path("full.bin"),
                                    b.dir.Path("empty.bin")};
  std::vector<std::string> proposed;
  b.context.autoName = false;
  b.context.nameTarget = [&](const std::string& p, std::string* chosen) {
    proposed.push_back(p);
    if (proposed.size() > names.size()) return false;
    *chosen = names[proposed.size() - 1];
    return true;
  };
  EXPECT_EQ(b.Join(false), JoinOutcome::Joined);
  EXPECT_TRUE(proposed.size() == 5 && proposed[0] == b.Target());
  // Two splits' names and a folder refused, No to the full file.
  EXPECT_TRUE(b.person.Under(993) == 3 && b.person.Under(322) == 1);
  EXPECT_EQ(testenv::ReadFile(b.dir.Path("full.bin")), "data");
  EXPECT_TRUE(testenv::ReadFile(b.dir.Path("empty.bin")) == b.file.bytes);
  EXPECT_EQ(testenv::ReadFile(b.file.splits[1]), b.file.bytes.substr(1000, 1000));
  EXPECT_EQ(restoretest::Record(b.list, b.id).name, b.dir.Path("empty.bin"));
}

// Split 1 (read before it grows) or split 2 (summed as it is appended)
// damaged: the file is cut back, the split stays, and a good copy completes
// the join. A check file that gives no sums checks nothing.
TEST(JoinMainFile, ADamagedSplitWaitsForAGoodCopy) {
  // check: "" for the check file of the splits' sums.
  struct Case { const char* what; int damaged; bool del; std::string check; } cases[] = {
      {"split 1, delete on", 1, true, ""},   {"split 1, delete off", 1, false, ""},
      {"split 2, delete on", 2, true, ""},   {"split 2, delete off", 2, false, ""},
      {"no blank", 2, true, "big.bin.002DEADBEEF\r\n"},
      {"bad hex", 2, true, "big.bin.002 DEADBEEG\r\nbig.bin.001 1234567\r\n"},
      {"NUL bytes", 2, false, std::string("big.bin.002 DEAD\0EEF\r\n\0", 23)},
      {"very long line", 2, true, std::string(3 << 20, 'x') + " 00000000\r\n"},
      {"other file's sums", 2, true, "big.bin.bak.002 00000000\r\nbig.001 00000000\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    restoretest::JoinBench b;
    restoretest::WriteCheck(b.dir.path, &b.file);
    if (!c.check.empty()) testenv::WriteFile(b.file.check, c.check);
    Add(b.list, b.file.check, AddSource::Copied, {false, false});
    const std::string split = b.file.splits[static_cast<size_t>(c.damaged - 1)];
    const std::string bytes = restoretest::Damage(split);
    const bool hostile = !c.check.empty();
    EXPECT_EQ(b.person.Under(kst::kTextCheckFileHeading), hostile ? 1 : 0);
    if (hostile) {  // joined as without a check file
      EXPECT_TRUE(b.Join(c.del) == JoinOutcome::Joined && testenv::ReadFile(b.Target()) != b.file.bytes);
      continue;
    }
    EXPECT_EQ(b.Join(c.del), JoinOutcome::Damaged);
    kst::RestoreRecord r = restoretest::Record(b.list, b.id);
    EXPECT_EQ(r.slots[static_cast<size_t>(c.damaged - 1)].state, kst::SlotState::Damaged);
    EXPECT_EQ(testenv::ReadFile(b.file.splits[0]), c.damaged == 1 ? bytes : b.file.bytes.substr(0, 1000));
    EXPECT_EQ(testenv::ReadFile(split), bytes);
    EXPECT_TRUE(!b.Exists(b.Target()) && !b.Exists(kst::PartialNameOf(b.Target())));
    ASSERT_EQ(b.person.Under(kst::kTextDamagedHeading), 1);
    EXPECT_NE(b.person.boxes.back().message.find(split), std::string::npos);
    EXPECT_NE(kst::RecordRow(r).find(" -- Not Joined -- Damaged"), std::string::npos);
    EXPECT_EQ(kst::SlotRows(r)[static_cast<size_t>(c.damaged - 1)], split + " -- 1000 -- Damaged");
    EXPECT_EQ(kst::SlotRows(r).back(), b.file.check + " -- " + std::to_string(plat::SizeOfPath(b.file.check)));
    EXPECT_EQ(kst::ArrivalOf(b.list, split, 1000), kst::Arrival::Damaged);

    testenv::WriteFile(split, b.file.bytes.substr(static_cast<size_t>(c.damaged - 1) * 1000, 1000));
    ASSERT_TRUE(Add(b.list, split, AddSource::Copied).added);
    EXPECT_EQ(b.Join(c.del), JoinOutcome::Joined);
    EXPECT_TRUE(testenv::ReadFile(b.Target()) == b.file.bytes && b.Exists(b.file.check) == !c.del);
  }
}

TEST(JoinQueue, JoinsInOrderOfRequestAndPassesOverJoinedAndBusyRecords) {
  restoretest::Person person;
  testenv::ScratchFolder dir;
  kst::RestoreList list;
  std::vector<int> ids;
  for (const char* name : {"a", "b", "c", "d"}) {
    const restoretest::SplitFile f = restoretest::MakeSplits(dir.path, name, 50, 20, 17);
    for (const std::string& p : f.splits) Add(list, p, AddSource::Copied, {false, false});
    ids.push_back(kst::FindMainFile(list, dir.Path(name)));
  }
  plat::DeleteOneFile(dir.Path("d.002"));
  list.records[3].slots[1] = kst::RestoreSlot();
  list.records[1].busy = true;  // b
  kst::JoinQueue queue;
  const kst::MessageOwner owner;
  // c twice is once in the queue; d misses split 2.
  for (const auto& [k, del, accepted] : {std::tuple{2, false, true}, {0, true, true}, {1, false, true}, {2, false, true},
                                         {3, false, false}})
    EXPECT_EQ(kst::RequestJoinFromList(queue, list, {ids[size_t(k)], del, false}, owner), accepted) << k;
  EXPECT_EQ(person.Under(317), 1);
  kst::JobControl job;
  job.keepGoing = true;
  kst::JoinContext c;
  c.list = &list;
  c.job = &job;
  // The batchless sets are joined because the person asked for them.
  EXPECT_EQ(kst::RunQueuedJoins(queue, c), 2);
  for (size_t k = 0; k < 4; ++k) EXPECT_EQ(restoretest::Record(list, ids[k]).joined, k % 2 == 0) << k;
  EXPECT_TRUE(!plat::PathExists(dir.Path("a.001")) && plat::PathExists(dir.Path("c.001")));  // its own delete flag
  // A joined record asked for again is passed over.
  kst::RequestJoin(queue, {ids[2], false, true});
  EXPECT_EQ(kst::RunQueuedJoins(queue, c), 0);
}

// n records that can all be joined (TakeJoin only looks at their marks).
void Fill(kst::RestoreList& list, int n) {
  for (int id = 1; id <= n; ++id) {
    list.records.emplace_back();
    list.records.back().id = id;
  }
}

// The window starts the joining thread when a request finds none active;
// the thread stops only when it finds the queue empty.
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
