// The transport list of Split &/Or Copy: the files to carry onto a stack of
// disks and, per file and per split, how far the work has come; its rows as
// the list dialogs show them, its totals, and the operations of the list
// dialogs. One mutex guards the list: the dialog thread and the backup
// worker both change it, each holding the lock for one change or one copy
// (snapshot), never across a file operation or a question to the user.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "frame/settings/settings.h"

namespace kst {

constexpr size_t kListPathWidth = 260;  // paths are kept blank-padded to this

// What the verification did about a split it read back not safe: it is
// cut again (redone) once, at the end of a pass; a pass cut short leaves
// it pending for the next one. A save list has no field for it: a load
// takes it from the list (DeriveRedoStates).
enum class RedoState { None, Pending, Done };

struct SplitEntry {
  std::string path;  // where the split was written (its destination disk)
  int64_t size = 0;
  bool safe = false;    // verified equal on its disk
  bool copied = false;  // read back from its disk for verification
  RedoState redo = RedoState::None;
};

struct FileEntry {
  std::string path;
  int64_t size = 0;  // when it was added
  std::vector<SplitEntry> splits;
  bool copied = false;     // all of it is on disks
  bool busy = false;       // being worked on now
  bool temporary = false;  // a redone split to carry again, not a user file
};

// What a save list file holds: the two folders of the run and the entries.
struct ListImage {
  std::string destination;  // destination drive/folder
  std::string temporary;    // temporary working folder
  std::vector<FileEntry> entries;
};

struct TransportList {
  std::mutex mutex;
  size_t capacity = kListSizesDefault;  // ListSizes
  ListImage image;
  int64_t totalSize = 0;  // the sizes of all entries
  int64_t totalDone = 0;  // bytes carried in the current run
};

// Appends a file entry (all flags false, no splits) and adds its size to
// the total, unless the list is full or the path (trailing blanks ignored)
// is listed already, or the path is blank or longer than 259 characters.
// True when it was added.
bool AddToTransportList(TransportList& list, const std::string& path, int64_t size);
// The run's two folders, kept with the list so that a save holds them.
void SetFolders(TransportList& list, const std::string& destination, const std::string& temporary);
// A copy of the folders and entries, taken under the lock.
ListImage Snapshot(TransportList& list);
// Puts image in place of the list's content and recomputes the total size.
void ReplaceList(TransportList& list, ListImage image);
// Empties the list (entries, splits and totals); the folders stay.
void EmptyList(TransportList& list);
// No file is being worked on: for the end of a run, and for a list that
// was saved while one was going.
void ClearBusyFlags(TransportList& list);
int64_t SumOfSizes(const std::vector<FileEntry>& entries);
// The bytes of the entry's splits listed so far.
int64_t SplitsSize(const FileEntry& entry);
// The redo state of a list read back from a file: a split read back not
// safe is done when a temporary entry of its split name is listed (the
// redo carries that name), else pending.
void DeriveRedoStates(ListImage& image);

// ---- Rows ----------------------------------------------------------------

// "Verifying" copied and busy, "Done" copied, "Copying" busy, else "Not Done".
std::string DoneStateText(const FileEntry& entry);
// path -- size -- done state -- safe splits/splits [-- Temporary]
std::string FileRow(const FileEntry& entry);
// path -- size -- Safe/Not Safe -- Copied/Not Copied
std::string SplitRow(const SplitEntry& split);
std::vector<std::string> FileRows(TransportList& list);
std::vector<std::string> SplitRows(TransportList& list, size_t file);  // file is 0-based

// ---- List dialog operations (rows are 0-based; out-of-range rows are passed over) ----

// The sum of the sizes of the selected rows.
int64_t SelectedTotal(TransportList& list, const std::vector<size_t>& rows);
// A file is marked done only when its splits make it up: the verification
// would pass a file of bytes never carried.
void ToggleDone(TransportList& list, const std::vector<size_t>& rows);
void ToggleSplitCopied(TransportList& list, size_t file, const std::vector<size_t>& splits);
void ToggleSplitSafe(TransportList& list, size_t file, const std::vector<size_t>& splits);
// Removes split first and every split below it; the file is not done then.
void KillSplitsFrom(TransportList& list, size_t file, size_t first);
// Removes the selected entries and returns them, so that the caller can
// delete the split files of temporary ones.
std::vector<FileEntry> RemoveEntries(TransportList& list, const std::vector<size_t>& rows);
// The selected rows move, in their order, to the top (or the bottom).
void MoveToTop(TransportList& list, const std::vector<size_t>& rows);
void MoveToBottom(TransportList& list, const std::vector<size_t>& rows);

}  // namespace kst
