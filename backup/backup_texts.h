// The texts of Split &/Or Copy's run that the text table adds, in one table.
#pragma once

namespace kst {

enum BackupText {
  kTextTempOnDestination = 1108,
  kTextFileOnDestination = 1109,
  kTextPathTooLong = 1110,
  kTextSameName = 1111,
  kTextSourceChanged = 1112,
  kTextTooManySplitsAtGo = 1113,
  kTextBadDiskSize = 1114,
  kTextNoTemporaryFolder = 1115,
  kTextHoldsCarriedPieces = 1116,
  kTextEraseFailed = 1117,
  kTextNoDestinationFolder = 1118,
  kTextCannotGo = 1119,
  kTextBatchFailed = 1120,
  kTextNoKstFolder = 1121,
  kTextTooManyForAutoSave = 1122,
  kTextNoDestination = 1123,
  kTextCdFolderNotDeleted = 1124,
  kTextSourceUnreadable = 1127,
  kTextTemporaryFault = 1128,
  kTextChangedWhileCarried = 1129,
  kTextCheckFileFailed = 1401,
};

}  // namespace kst
