// The texts of Copy &/Or Join that the text table adds, in one table.
#pragma once

namespace kst {

enum RestoreText {
  kTextStaleHeading = 1150,
  kTextStaleBatch = 1151,
  kTextBeingJoined = 1152,
  kTextUnsafeTarget = 1153,
  kTextCannotReadSplit = 1154,
  kTextCannotWriteTarget = 1155,
  kTextCannotRename = 1156,
  kTextJoinedWrongSize = 1157,
  kTextOtherFileHeading = 1158,
  kTextOtherFile = 1159,
  kTextNoFolders = 1160,
  kTextFoldersOverlap = 1161,
  kTextCannotOpenTarget = 1162,
  kTextSpeedLabel = 1163,
  kTextCannotDelete = 1164,
  kTextNotTakenBusy = 1165,
  kTextNothingNewHeading = 1166,
  kTextNothingNew = 1167,
  kTextReplaceHeading = 1168,
  kTextReplaceFile = 1169,
  kTextSystemSays = 1170,
  kTextSplitConflict = 1171,
  kTextDamaged = 1410,
  kTextDamagedHeading = 1411,
  kTextDamagedSplit = 1412,
  kTextDamagedSum = 1413,
  kTextFromDisk = 1414,
  kTextDamagedLeft = 1415,
  kTextCheckFileHeading = 1416,
  kTextCheckFileUnread = 1417,
};

}  // namespace kst
