#include "restore/join_main_file.h"

#include <gtest/gtest.h>

#include "frame/platform/emulation.h"
#include "restore/restore_names.h"
#include "restore/restore_texts.h"
#include "tests/restore/restore_test_support.h"

namespace {

using kst::JoinOutcome;

// A join that fails or is stopped can be joined again once the fault is
// gone, and gives the exact file; nothing is lost in between. Every set
// carries its check file: a damaged split waits for a good copy.
TEST(JoinMainFile, AFailedOrStoppedJoinRollsBackAndJoinsWholeLater) {
  enum Fault { DiskFullOnSecondAppend, HalfWritten, ShortRead, MissingSplit3, Abort, DamagedSplit3 };
  struct Case {
    const char* what;
    Fault fault;
    bool del;
    JoinOutcome outcome;
    int64_t firstSplitAfter;  // what split 1 holds after the rollback (grown, with delete on)
  } cases[] = {
      {"full disk, delete on", DiskFullOnSecondAppend, true, JoinOutcome::Failed, 2000},
      {"full disk, delete off", DiskFullOnSecondAppend, false, JoinOutcome::Failed, 1000},
      {"half of split 3 written, delete on", HalfWritten, true, JoinOutcome::Failed, 2000},
      {"half of split 2 written, delete off", HalfWritten, false, JoinOutcome::Failed, 1000},
      {"short read, delete on", ShortRead, true, JoinOutcome::Failed, 2000},
      {"short read, delete off", ShortRead, false, JoinOutcome::Failed, 1000},
      {"split 3 missing, delete on", MissingSplit3, true, JoinOutcome::Failed, 2000},
      {"split 3 missing, delete off", MissingSplit3, false, JoinOutcome::Failed, 1000},
      {"abort, delete on", Abort, true, JoinOutcome::Stopped, 2000},
      {"abort, delete off", Abort, false, JoinOutcome::Stopped, 1000},
      {"byte flipped in split 3, delete on", DamagedSplit3, true, JoinOutcome::Damaged, 2000},
      {"byte flipped in split 3, delete off", DamagedSplit3, false, JoinOutcome::Damaged, 1000},
  };
  for (const Case& c : cases) {
    restoretest::JoinBench b(true);
    std::string damaged;
    const std::string split3 = b.file.splits[2];
    switch (c.fault) {
      case DiskFullOnSecondAppend:
        plat::EmuInjectFault(plat::Fault::DiskFull, 1, "big.bin");
        break;
      case HalfWritten:
        plat::EmuInjectFault(plat::Fault::ShortWrite, 1, "big.bin");
        break;
      case ShortRead:
        plat::EmuInjectFault(plat::Fault::ShortRead, 0, "big.bin.003");
        break;
      case MissingSplit3:
        plat::DeleteOneFile(split3);
        break;
      case Abort:
        b.bar.setPosition = [&b](int position) {
          if (position == 2) kst::AbortJob(b.job);
        };
        break;
      case DamagedSplit3:
        damaged = restoretest::Damage(split3);
        break;
    }
    EXPECT_EQ(b.Join(c.del), c.outcome) << c.what;
    plat::EmuClearFaults();
    kst::RestoreRecord r = restoretest::Record(b.list, b.id);
    EXPECT_FALSE(r.joined) << c.what;
    EXPECT_FALSE(r.busy) << c.what;
    EXPECT_FALSE(b.Exists(b.Target())) << c.what;
    // With delete on, split 1 grown by split 2 is never under a real name.
    const std::string grown = kst::GrownName(b.dir.Path("big.bin"), 2, 2000);
    EXPECT_EQ(plat::SizeOfPath(c.del ? grown : b.file.splits[0]), c.firstSplitAfter) << c.what;
    EXPECT_EQ(b.Exists(b.file.splits[0]), !c.del) << c.what;
    // A write cut off by a kill leaves bytes behind the name's count: they
    // are cut off again.
    if (c.del) testenv::WriteFile(grown, testenv::ReadFile(grown) + "stale tail of a cut-off write");
    EXPECT_EQ(b.Exists(b.file.splits[1]), !c.del) << c.what;
    EXPECT_EQ(b.person.Under(993), c.fault == Abort || c.fault == DamagedSplit3 ? 0 : 1) << c.what;
    EXPECT_EQ(b.person.Under(kst::kTextDamagedHeading), c.fault == DamagedSplit3 ? 1 : 0) << c.what;
    EXPECT_EQ(r.slots[2].state == kst::SlotState::Damaged, c.fault == DamagedSplit3) << c.what;
    if (c.fault == DamagedSplit3) {  // left in place, and the join waits for another copy
      EXPECT_EQ(testenv::ReadFile(split3), damaged) << c.what;
      EXPECT_NE(b.Join(c.del), JoinOutcome::Joined) << c.what;
    }

    // The fault cleared: the next join gives the file.
    if (c.fault == MissingSplit3 || c.fault == DamagedSplit3) testenv::WriteFile(split3, b.file.bytes.substr(2000, 1000));
    if (c.fault == DamagedSplit3) restoretest::Add(b.list, split3, kst::AddSource::Copied);
    b.bar.setPosition = nullptr;
    b.job.keepGoing = true;
    EXPECT_EQ(b.Join(c.del), JoinOutcome::Joined) << c.what;
    EXPECT_EQ(testenv::ReadFile(b.Target()), b.file.bytes) << c.what;
    for (const std::string& split : b.file.splits) EXPECT_EQ(b.Exists(split), !c.del) << c.what << split;
    EXPECT_EQ(b.Exists(b.file.batch), !c.del) << c.what;
    EXPECT_EQ(b.Exists(b.file.check), !c.del) << c.what;
    r = restoretest::Record(b.list, b.id);
    EXPECT_TRUE(r.joined) << c.what;
    EXPECT_EQ(kst::Totals(b.list).fileCount, 1) << c.what;
  }
}

}  // namespace
