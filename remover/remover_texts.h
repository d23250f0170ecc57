// The text ids the Excess Files Remover shows, in one place.
#pragma once

namespace kst {

enum RemoverText {
  kTextAbortQuestion = 36,         // "Do you want to terminate the comparing process?"
  kTextLogOpenHeading = 436,       // "I can't understand it..."
  kTextLogOpen = 437,              // "Unable to open file for save list! Aborting!!!"
  kTextLogWriteHeading = 446,
  kTextLogWrite = 447,             // "Unable to save information to file! Aborting!!!"
  kTextTotals = 810,               // "Total Number of files that were:"
  kTextSameFolderHeading = 854,    // "Don't Even think about THAT..."
  kTextSameFolder = 855,           // "You won't make me delete this folder! ..."
  kTextStarting = 858,             // "Starting Excess Files Removal"
  kTextSavedHeading = 859,         // "Information Saved to file..."
  kTextSavedQuestion = 860,
  kTextUnderWay = 861,             // "File Comparison and Removal under way..."
  kTextBatchCreate = 862,          // "Unable to create/open"
  kTextBatchHeading = 863,         // "File not accessible..."
  kTextBatchChoice = 864,          // the CHOICE letters and question
  kTextBatchWrite = 865,           // "Unable to write the batch file :("
  kTextRemoved = 870,              // "Removed:"
  kTextInsideBase = 871,           // "Inside Base:"
  kTextInsideTarget = 872,         // "Inside Target:"
  kTextNoFoldersHeading = 1225,    // "Nothing to Remove!"
  kTextNoFolders = 1226,           // both folders must be chosen and exist
  kTextNestedFolders = 1227,       // one folder inside the other, with recursion
  kTextLogRefused = 1228,          // the log would be the batch or a compared file
  kTextRemovalDone = 1229,         // "Excess Files Removal done!"
  kTextRemovalAborted = 1230,      // "Excess Files Removal aborted!"
  kTextWouldRemove = 1231,         // "... Would Remove:", the counter's label in a simulation
  kTextTroublesHeading = 1232,     // "Not everything was looked at!"
  kTextTroubles = 1233,            // "part(s) could not be read or reached, ..."
  kTextRemovalSimulated = 1235,    // "Excess Files Removal simulated: nothing was deleted!"
};

}  // namespace kst
