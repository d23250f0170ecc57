// Which subprogram's running work uses a drive: the drive a worker names,
// else the folder field of its window that names the run's disk.
#include "frame/threads/drives_in_use.h"

#include <gtest/gtest.h>

#include "frame/threads/subprograms.h"
#include "resources/resource_ids.h"

using namespace kst;

TEST(DrivesInUse, OnlyRunningWorkHoldsADrive) {
  Subprogram& disks = GetSubprogram(kTestDisks);
  Subprogram& backup = GetSubprogram(kSplitOrCopy);
  RegisterTemplate(9117, {{IDC_TD_DRIVE, ControlType::ComboBox, "a:\\"}});
  ASSERT_TRUE(DialogInit(9117, disks.state));
  const struct {
    const char* what;
    bool disksRun, backupRun;
    const char* marked;  // the backup worker's own word, "" none
    const char* asked;
    int user;
  } cases[] = {
      {"nothing runs", false, false, "", "A:", -1},
      {"the disk test's field", true, false, "", "a:", kTestDisks},
      {"a path on the drive", true, false, "", "A:\\x\\y", kTestDisks},
      {"another drive", true, false, "", "B:", -1},
      {"a worker's word", false, true, "b:\\backup", "B:", kSplitOrCopy},
      {"a word of a run that ended", false, false, "b:\\backup", "B:", -1},
      {"no drive at all", true, false, "", "\\\\server\\share", -1},
  };
  for (const auto& c : cases) {
    disks.job.running = c.disksRun;
    backup.job.running = c.backupRun;
    MarkDriveInUse(kSplitOrCopy, c.marked);
    EXPECT_EQ(DriveUser(c.asked), c.user) << c.what;
  }
  disks.job.running = backup.job.running = false;
  ClearDriveInUse(kSplitOrCopy);
  DialogUninit(disks.state);
}
