// The restore list: one record per main file that comes back, with a slot
// for each of its splits, shared by the window, the restore worker and the
// joining thread. One mutex guards it; it is never held across a file
// operation or a question, so every function here takes it for a moment.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "split/split_writer.h"

namespace kst {

// A split that was appended to its file is gone for good: a file of the
// same name that comes again is not taken. A Damaged split is there but its
// bytes differ from its check file's sum: it is never joined, and the next
// copy of it that comes takes its place.
enum class SlotState { Missing, Present, Appended, Damaged };

struct RestoreSlot {
  SlotState state = SlotState::Missing;
  std::string path;      // where the split is: the destination, or the disk when read in place
                         // (split 1 of a join under way: its grown name, see GrownName)
  int64_t size = 0;      // the size it had when it was listed (a grown split 1: the bytes it holds)
  bool inPlace = false;  // on the origin disk: never deleted
  std::string origin{};  // where it came from: its path on the disk ("" = path)
  int disk = 0;          // the disk of the run it came from (0: not from a disk)
};

struct RestoreRecord {
  int id = 0;            // stable while the record lives; records are found by it
  std::string name;      // the main file's path in the destination (the join target after a join)
  std::string batchName;  // "" when no batch was accepted
  int64_t batchSize = 0;
  int batchCount = 0;    // splits the batch names
  std::string checkName;  // the check file "<name>.SFV", "" when none was taken
  int64_t checkSize = 0;
  std::vector<uint32_t> sums;  // split k's CRC-32 in sums[k - 1] when summed[k - 1]
  std::vector<bool> summed;
  std::vector<RestoreSlot> slots;  // split k in slots[k - 1]
  int64_t plainSize = 0;  // a plain file's size (no slots)
  bool joined = false;    // whole: a plain file, or its join ended
  bool busy = false;      // being joined: not removed, not joined twice
  bool staleTold = false;  // the person was told that batch and splits disagree
  // A split came that has another size than the one of its number already
  // appended: one of the two is stale (a short split an older run left on
  // a disk), so the file is never taken for whole.
  bool conflict = false;
};

struct RestoreList {
  std::mutex mutex;
  int capacity = 256;  // "ListSizes"
  std::vector<RestoreRecord> records;
  int nextId = 1;
};

// Found: a split, batch or grown file already in the destination when a
// run starts (left by an earlier run); it never starts a join by itself,
// and a batch that cannot be read is passed over without a question.
enum class AddSource { User, Copied, InPlace, Found };

// A file that enters the list. listedAs is the path the file has, or would
// have, in the destination: records are found by it, so a split read in
// place from "A:\x.002" joins the record that "C:\dest\x.001" made.
struct AddedFile {
  std::string path;
  std::string listedAs;  // "" = path
  int64_t size = 0;
  AddSource source = AddSource::User;
  std::string origin{};  // a copy's path on the disk
  int disk = 0;        // and the disk of the run it came from
};

// The join options that adds look at.
struct AutoJoinOptions {
  bool autoJoin = true;        // "RAutoJoin"
  bool deleteSplits = true;    // "RAutoJoinDel"
};

struct AddResult {
  bool added = false;
  bool full = false;       // the list had no room for a new main file (told)
  int recordId = 0;
  bool joinNow = false;    // the record is ready for a join
  bool deleteSplits = false;  // the join's delete flag
};

// Counts and totals of one record.
int PresentCount(const RestoreRecord& r);  // slots that are Present or Appended
bool HasDamaged(const RestoreRecord& r);
// The sum split k (from 1) must have; nullptr when the record has none.
const uint32_t* SumOf(const RestoreRecord& r, int k);
int64_t TotalSize(const RestoreRecord& r);
// Every slot is there, a batch was accepted, and its count agrees with the
// highest split number present: the whole file can be joined.
bool IsComplete(const RestoreRecord& r);
// A batch that names fewer splits than the highest split number present.
bool BatchDisagrees(const RestoreRecord& r);

// The list's totals: "Total size already copied and listed" and "Total
// number of files (splits + joined)".
struct RestoreTotals {
  int64_t grandTotal = 0;
  int32_t fileCount = 0;
};
RestoreTotals Totals(RestoreList& list);

// The one entry point of every file. Asks the person (through AskUser) on
// an incompatible batch, on a full list and on a batch that disagrees with
// its splits. A split whose slot was appended already is not taken. A
// check file is read as it enters: one that gives no sums is told (unless
// found) and kept with the set all the same.
AddResult AddToRestoreList(RestoreList& list, const AddedFile& file, const AutoJoinOptions& options,
                           const MessageOwner& owner);

// What a file arriving at destination path would meet in the list.
enum class Arrival {
  New,        // nothing listed there yet (or not a split)
  Refeed,     // the same split again, of the same size
  Appended,   // its split was appended already: leave it
  Known,      // the batch its record took already, not yet joined: nothing new
  Different,  // a listed split of another size: ask first
  Busy,       // its record is being joined
  Conflict,   // its split was appended already, shorter than this one (the record is marked)
  Damaged,    // its split is listed as damaged: this copy replaces it, unasked
};
Arrival ArrivalOf(RestoreList& list, const std::string& destinationPath, int64_t size);
// A split k > 1 read in place can be appended straight from the disk now:
// its record's split 1 is in the destination and every split before k is
// there or appended, and no join runs on it.
bool CanAppendInPlace(RestoreList& list, const std::string& destinationPath);
// Takes slot k of the record listed at destinationPath out again (a split
// read in place that was not appended after all), so that it can be copied.
void ForgetInPlace(RestoreList& list, const std::string& destinationPath);

// A copy of the record of id; false when there is none.
bool FindRecord(RestoreList& list, int id, RestoreRecord* record);
// The id of the record whose name is base (case ignored); 0 when none.
int FindMainFile(RestoreList& list, const std::string& base);
// Removes the record of id, after the question for one that is not joined.
// A record that is being joined is refused (told). True when removed.
bool RemoveRecord(RestoreList& list, int id, const MessageOwner& owner);
// The row of the list box: name -- size -- slots -- Batch -- Joined.
std::string RecordRow(const RestoreRecord& r);
std::vector<std::string> RecordRows(RestoreList& list);
// The split list of one record: "path -- size" per slot ("Unknown" when
// missing, " -- Damaged" after a damaged one), then the check file's row.
std::vector<std::string> SlotRows(const RestoreRecord& r);
// paths with the check files first: a join that the others complete then
// finds its check file read already.
std::vector<std::string> CheckFilesFirst(std::vector<std::string> paths);
// Tells that split k (from 1) of r is damaged: which split, and where it
// came from.
void TellDamaged(const RestoreRecord& r, int k, const MessageOwner& owner);

// Shows an OK message under heading, message and detail joined by a blank.
void TellRestore(int heading, int message, const std::string& detail, const MessageOwner& owner);

}  // namespace kst
