#include "restore/join_main_file.h"

#include <gtest/gtest.h>

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
  struct Case { const char* what; Fault fault; JoinOutcome outcome; } faults[] = {
      {"full disk", DiskFullOnSecondAppend, JoinOutcome::Failed},
      {"half of a split written", HalfWritten, JoinOutcome::Failed},
      {"short read", ShortRead, JoinOutcome::Failed},
      {"split 3 missing", MissingSplit3, JoinOutcome::Failed},
      {"abort", Abort, JoinOutcome::Stopped},
      {"byte flipped in split 3", DamagedSplit3, JoinOutcome::Damaged},
  };
  for (size_t k = 0; k < 2 * std::size(faults); ++k) {  // each with delete on, then off
    const Case& c = faults[k / 2];
    const bool del = k % 2 == 0;
    SCOPED_TRACE(std::string(c.what) + (del ? ", delete on" : ", delete off"));
    restoretest::JoinBench b(true);
    const std::string split3 = b.file.splits[2];
    if (c.fault == DiskFullOnSecondAppend) plat::EmuInjectFault(plat::Fault::DiskFull, 1, "big.bin");
    if (c.fault == HalfWritten) plat::EmuInjectFault(plat::Fault::ShortWrite, 1, "big.bin");
    if (c.fault == ShortRead) plat::EmuInjectFault(plat::Fault::ShortRead, 0, "big.bin.003");
    if (c.fault == MissingSplit3) plat::DeleteOneFile(split3);
    if (c.fault == Abort) b.bar.setPosition = [&b](int position) {
        if (position == 2) kst::AbortJob(b.job);
      };
    const std::string damaged = c.fault == DamagedSplit3 ? restoretest::Damage(split3) : "";
    EXPECT_EQ(b.Join(del), c.outcome);
    plat::EmuClearFaults();
    kst::RestoreRecord r = restoretest::Record(b.list, b.id);
    EXPECT_TRUE(!r.joined && !r.busy && !b.Exists(b.Target()));
    // With delete on, split 1 grown by split 2 is never under a real name.
    const std::string grown = kst::GrownName(b.dir.Path("big.bin"), 2, 2000);
    EXPECT_TRUE(plat::SizeOfPath(del ? grown : b.file.splits[0]) == (del ? 2000 : 1000) && b.Exists(b.file.splits[0]) == !del);
    // A write cut off by a kill leaves bytes behind the name's count: they
    // are cut off again.
    if (del) testenv::WriteFile(grown, testenv::ReadFile(grown) + "stale tail of a cut-off write");
    EXPECT_EQ(b.Exists(b.file.splits[1]), !del);
    const bool damage = c.fault == DamagedSplit3;
    EXPECT_EQ(b.person.Under(993), c.fault == Abort || damage ? 0 : 1);
    EXPECT_TRUE(b.person.Under(kst::kTextDamagedHeading) == damage && (r.slots[2].state == kst::SlotState::Damaged) == damage);
    // A damaged split is left in place, and the join waits for another copy.
    EXPECT_TRUE(!damage || (testenv::ReadFile(split3) == damaged && b.Join(del) != JoinOutcome::Joined));

    // The fault cleared: the next join gives the file.
    if (c.fault == MissingSplit3 || damage) testenv::WriteFile(split3, b.file.bytes.substr(2000, 1000));
    if (damage) restoretest::Add(b.list, split3, kst::AddSource::Copied);
    b.bar.setPosition = nullptr;
    b.job.keepGoing = true;
    EXPECT_EQ(b.Join(del), JoinOutcome::Joined);
    EXPECT_EQ(testenv::ReadFile(b.Target()), b.file.bytes);
    for (const std::string& kept : {b.file.splits[0], b.file.splits[1], b.file.splits[2], b.file.splits[3], b.file.batch, b.file.check})
      EXPECT_EQ(b.Exists(kept), !del) << kept;
    EXPECT_TRUE(restoretest::Record(b.list, b.id).joined && kst::Totals(b.list).fileCount == 1);
  }
}

}  // namespace
