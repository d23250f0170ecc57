// The save list files of Split &/Or Copy: the transport list written to a
// binary file and read back, and the two files that automatic saves
// alternate between, so that a crash while one is written leaves the other
// intact.
//
// Layout (little-endian, no padding, texts blank-padded):
//   0    1    number of file entries F (unsigned byte)
//   1    4    total length of the file (int32)
//   5    260  destination drive/folder
//   265  260  temporary working folder
//   525  ...  F file records: path (260), size (int64), splitCount n (int32),
//             copied, busy, temporary (1 byte each), then n split records:
//             path (260), size (int64), safe, copied (1 byte each).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "backup/transport_list.h"
#include "split/split_writer.h"

namespace kst {

constexpr size_t kListHeaderBytes = 525;
constexpr size_t kFileRecordBytes = 275;
constexpr size_t kSplitRecordBytes = 270;
// F is one byte: a longer list cannot be written without losing entries.
constexpr size_t kMostSavedEntries = 255;
// Split names end in .001 to .999.
constexpr int32_t kMostSplitsPerFile = 999;

// Why a list cannot be written or read back.
enum class ListFault {
  None,
  TooManyEntries,   // more than 255 entries to save
  TooManySplits,    // an entry with more than 999 splits to save
  TooShort,         // fewer than 525 bytes
  WrongLength,      // the stored length is not the file's length
  TooManyForList,   // F above the list's capacity
  RecordsPastEnd,   // a record reaches beyond the stored length
  RecordsShort,     // the records end before the stored length
  BadSplitCount,    // a split count outside 0..999
  BadSize,          // a negative size, or splits that add up to more than their file
  SplitsAmiss,      // splits not named in their order, or a copied file they don't make up
  TemporaryNotOwn,  // a temporary entry that is not a redo of the run (see TemporaryEntriesFault)
};

// The bytes of a save list file; TooManyEntries or TooManySplits when the
// image cannot be written in this layout.
ListFault EncodeList(const ListImage& image, std::string* bytes);
// Reads a save list file's bytes. On any fault image is left empty and,
// when the fault lies in one file's record, faulty names that file.
// Split k of a file is named after it with the number k, or after the file
// alone when it was carried whole; the splits of a copied file add up to
// its size (a dropped split would pass the verification unread).
ListFault DecodeList(const std::string& bytes, size_t capacity, ListImage* image,
                     std::string* faulty = nullptr);
// A temporary entry is a split the verification cut again into the
// temporary folder, and the end of a run deletes it once it is safe. One
// that exists must be named as a split, lie in the list's temporary folder
// or in a folder it was made in (a "KST" folder's, decided by object), be
// no link and no listed file, and have its recorded size. TemporaryNotOwn,
// with faulty naming it, for the first that does not.
ListFault TemporaryEntriesFault(const ListImage& image, std::string* faulty);

// The two save list files and the state of their saves. Shared by the list
// dialog (Save and Load) and the backup worker (automatic saves).
struct SaveListFiles {
  std::string names[2];              // BSaveListNames(1), BSaveListNames(2)
  std::atomic<bool> autoSave{false};  // BSaveListLog
  // The file the last automatic save wrote whole (1 after start, so the
  // first automatic save goes to the second file). A save that fails leaves
  // the other file as the last good one, so the next automatic save retries
  // the failed file rather than truncating the good one.
  std::atomic<int> lastAutoSaved{1};
  std::atomic<bool> saving{false};   // a save is in progress
  std::atomic<bool> lastSaveOk[2] = {false, false};
  // Called with true when a save starts and false when it ends, on every
  // way out: the window greys its four save/load buttons and refuses
  // dropped files meanwhile.
  std::function<void(bool saving)> onSaving;
  std::mutex saveMutex;  // one save at a time, held only by SaveList
};

// Writes the list to file k (1 or 2). Saves wait for each other; the
// list's lock is held only while its content is copied. A list that cannot
// be written is refused before the file is touched. Failures are told
// through AskUser once the save is over. True when the whole file was written.
bool SaveList(TransportList& list, SaveListFiles& files, int k, const MessageOwner& owner);
// Reads file k into the list. Refused while a run is going (the list stays
// as it is); otherwise the list is emptied first and stays empty unless the
// whole file is sound, its temporary entries included. The busy flags read
// back are cleared: no run is going when a list is loaded. True when the
// list was loaded.
bool LoadList(TransportList& list, SaveListFiles& files, int k, bool runGoing,
              const MessageOwner& owner);

// The file the next automatic save goes to.
int NextAutoSaveFile(const SaveListFiles& files);
// The backup worker's save after each step.
bool AutoSaveList(TransportList& list, SaveListFiles& files, const MessageOwner& owner);
// A press of Save for file k: carried out only for the file the last
// automatic save used, so that the next automatic save goes to the other.
bool SavePressed(TransportList& list, SaveListFiles& files, int k, const MessageOwner& owner);
// Auto save needs two different file names; tells the user when not.
bool MayTurnOnAutoSave(const SaveListFiles& files, const MessageOwner& owner);

}  // namespace kst
