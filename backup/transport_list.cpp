#include "backup/transport_list.h"

#include <algorithm>

#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "split/split_writer.h"

namespace kst {

namespace {

using Lock = std::lock_guard<std::mutex>;

bool Selected(const std::vector<size_t>& rows, size_t row) {
  return std::find(rows.begin(), rows.end(), row) != rows.end();
}

void ToggleSplits(TransportList& list, size_t file, const std::vector<size_t>& splits,
                  bool SplitEntry::*flag) {
  Lock lock(list.mutex);
  if (file >= list.image.entries.size()) return;
  std::vector<SplitEntry>& all = list.image.entries[file].splits;
  for (size_t k = 0; k < all.size(); ++k)
    if (Selected(splits, k)) all[k].*flag = !(all[k].*flag);
}

// The selected entries in list order, taken out of the list.
std::vector<FileEntry> TakeSelected(std::vector<FileEntry>& entries, const std::vector<size_t>& rows) {
  std::vector<FileEntry> taken, kept;
  for (size_t i = 0; i < entries.size(); ++i)
    (Selected(rows, i) ? taken : kept).push_back(std::move(entries[i]));
  entries = std::move(kept);
  return taken;
}

}  // namespace

bool AddToTransportList(TransportList& list, const std::string& path, int64_t size) {
  const std::string wanted = Trimmed(path);
  if (wanted.empty() || wanted.size() >= kListPathWidth) return false;  // no room for it in a save list
  Lock lock(list.mutex);
  if (list.image.entries.size() >= list.capacity) return false;
  for (const FileEntry& e : list.image.entries) {
    const std::string listed = Trimmed(e.path);
    if (listed.size() == wanted.size() && listed == wanted) return false;
  }
  FileEntry entry;
  entry.path = Padded(wanted, kListPathWidth);
  entry.size = size;
  list.image.entries.push_back(std::move(entry));
  list.totalSize += size;
  return true;
}

void SetFolders(TransportList& list, const std::string& destination, const std::string& temporary) {
  Lock lock(list.mutex);
  list.image.destination = destination;
  list.image.temporary = temporary;
}

ListImage Snapshot(TransportList& list) {
  Lock lock(list.mutex);
  return list.image;
}

int64_t SumOfSizes(const std::vector<FileEntry>& entries) {
  int64_t total = 0;
  for (const FileEntry& e : entries) total += e.size;
  return total;
}

int64_t SplitsSize(const FileEntry& entry) {
  int64_t total = 0;
  for (const SplitEntry& s : entry.splits) total += s.size;
  return total;
}

void DeriveRedoStates(ListImage& image) {
  for (FileEntry& e : image.entries) {
    const std::string base = SplitBaseName(e.path);
    for (size_t k = 0; k < e.splits.size(); ++k) {
      SplitEntry& split = e.splits[k];
      split.redo = RedoState::None;
      if (!split.copied || split.safe) continue;
      const std::string name = base + "." + SplitNumber(static_cast<int>(k) + 1);
      const bool listed = std::any_of(image.entries.begin(), image.entries.end(), [&](const FileEntry& t) {
        return t.temporary && SameText(SplitBaseName(t.path), name);
      });
      split.redo = listed ? RedoState::Done : RedoState::Pending;
    }
  }
}

void ReplaceList(TransportList& list, ListImage image) {
  Lock lock(list.mutex);
  list.image = std::move(image);
  list.totalSize = SumOfSizes(list.image.entries);
  list.totalDone = 0;
}

void EmptyList(TransportList& list) {
  Lock lock(list.mutex);
  list.image.entries.clear();
  list.totalSize = list.totalDone = 0;
}

void ClearBusyFlags(TransportList& list) {
  Lock lock(list.mutex);
  for (FileEntry& e : list.image.entries) e.busy = false;
}

std::string DoneStateText(const FileEntry& entry) {
  if (entry.copied) return TrimmedText(entry.busy ? 173 : 172);
  return TrimmedText(entry.busy ? 171 : 153);
}

std::string FileRow(const FileEntry& entry) {
  int64_t safe = std::count_if(entry.splits.begin(), entry.splits.end(),
                               [](const SplitEntry& s) { return s.safe; });
  std::string row = Trimmed(entry.path) + " -- " + std::to_string(entry.size) + " -- " +
                    DoneStateText(entry) + " -- " + std::to_string(safe) + "/" +
                    std::to_string(entry.splits.size());
  if (entry.temporary) row += " -- " + TrimmedText(154);
  return row;
}

std::string SplitRow(const SplitEntry& split) {
  return Trimmed(split.path) + " -- " + std::to_string(split.size) + " -- " +
         TrimmedText(split.safe ? 191 : 192) + " -- " + TrimmedText(split.copied ? 193 : 194);
}

std::vector<std::string> FileRows(TransportList& list) {
  std::vector<std::string> rows;
  Lock lock(list.mutex);
  for (const FileEntry& e : list.image.entries) rows.push_back(FileRow(e));
  return rows;
}

std::vector<std::string> SplitRows(TransportList& list, size_t file) {
  std::vector<std::string> rows;
  Lock lock(list.mutex);
  if (file < list.image.entries.size())
    for (const SplitEntry& s : list.image.entries[file].splits) rows.push_back(SplitRow(s));
  return rows;
}

int64_t SelectedTotal(TransportList& list, const std::vector<size_t>& rows) {
  Lock lock(list.mutex);
  int64_t total = 0;
  for (size_t i = 0; i < list.image.entries.size(); ++i)
    if (Selected(rows, i)) total += list.image.entries[i].size;
  return total;
}

void ToggleDone(TransportList& list, const std::vector<size_t>& rows) {
  Lock lock(list.mutex);
  for (size_t i = 0; i < list.image.entries.size(); ++i) {
    FileEntry& e = list.image.entries[i];
    if (!Selected(rows, i)) continue;
    e.copied = !e.copied && SplitsSize(e) == e.size;
  }
}

void ToggleSplitCopied(TransportList& list, size_t file, const std::vector<size_t>& splits) {
  ToggleSplits(list, file, splits, &SplitEntry::copied);
}

void ToggleSplitSafe(TransportList& list, size_t file, const std::vector<size_t>& splits) {
  ToggleSplits(list, file, splits, &SplitEntry::safe);
}

void KillSplitsFrom(TransportList& list, size_t file, size_t first) {
  Lock lock(list.mutex);
  if (file >= list.image.entries.size()) return;
  FileEntry& e = list.image.entries[file];
  if (first >= e.splits.size()) return;
  e.splits.resize(first);
  e.copied = false;  // the splits taken off are carried again
}

std::vector<FileEntry> RemoveEntries(TransportList& list, const std::vector<size_t>& rows) {
  Lock lock(list.mutex);
  std::vector<FileEntry> removed = TakeSelected(list.image.entries, rows);
  list.totalSize = SumOfSizes(list.image.entries);
  return removed;
}

void MoveToTop(TransportList& list, const std::vector<size_t>& rows) {
  Lock lock(list.mutex);
  std::vector<FileEntry> moved = TakeSelected(list.image.entries, rows);
  list.image.entries.insert(list.image.entries.begin(), std::make_move_iterator(moved.begin()),
                            std::make_move_iterator(moved.end()));
}

void MoveToBottom(TransportList& list, const std::vector<size_t>& rows) {
  Lock lock(list.mutex);
  std::vector<FileEntry> moved = TakeSelected(list.image.entries, rows);
  list.image.entries.insert(list.image.entries.end(), std::make_move_iterator(moved.begin()),
                            std::make_move_iterator(moved.end()));
}

}  // namespace kst
