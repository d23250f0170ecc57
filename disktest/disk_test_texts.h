// The texts of Test Disks' run that the text table adds, in one table.
#pragma once

namespace kst {

enum DiskTestText {
  kTextNoRoomToTest = 1250,
  kTextFirstDiskAgain = 1251,
  kTextNoTempName = 1252,
  kTextCopyToDiskFailed = 1253,
  kTextStillNotEmpty = 1254,
  kTextNoTempRoom = 1255,
  kTextNotDeleted = 1256,
};

// The status line of a test that did not pass; the text table has no entry for it.
constexpr const char kFlawsFound[] = "Flaws found!";

}  // namespace kst
