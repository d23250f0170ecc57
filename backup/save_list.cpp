#include "backup/save_list.h"

#include <cstring>
#include <vector>

#include "frame/dialogs/ask.h"
#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "split/owned_file.h"

namespace kst {

namespace {

// Texts of this file that the text table adds.
enum ListText {
  kTextTooManyToSave = 1104,
  kTextTooManySplitsToSave = 1105,
  kTextDamagedList = 1106,
  kTextListTooLong = 1107,
  kTextSplitsAmiss = 1475,
  kTextTemporaryNotOwn = 1476,
};

// The longest file a loadable list can be: 255 entries of 999 splits.
constexpr int64_t kLongestListFile =
    kListHeaderBytes + kMostSavedEntries * (kFileRecordBytes + kMostSplitsPerFile * kSplitRecordBytes);

// ---- bytes ---------------------------------------------------------------

void PutInt(std::string& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PutText(std::string& out, const std::string& text) { out += Padded(text, kListPathWidth); }

// Reads fields in order from a byte string the caller has checked is long enough.
struct Reader {
  const std::string& bytes;
  size_t at = 0;

  uint64_t Int(int count) {
    uint64_t value = 0;
    for (int i = 0; i < count; ++i)
      value |= static_cast<uint64_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    at += count;
    return value;
  }
  std::string TrimmedText() {
    std::string text = bytes.substr(at, kListPathWidth);
    at += kListPathWidth;
    return text;
  }
  bool Flag() { return bytes[at++] != 0; }
};

ListFault Refuse(ListFault fault, ListImage* image) {
  *image = ListImage{};
  return fault;
}

// Split k is named after its file with the number k, or a single split is
// the whole file under its own name; a copied file is made up of its splits.
bool SplitsInOrder(const FileEntry& e) {
  const std::string base = SplitBaseName(e.path);
  int64_t sum = 0;
  for (size_t k = 0; k < e.splits.size(); ++k) {
    const SplitEntry& split = e.splits[k];
    const std::string name = SplitBaseName(split.path);
    const bool whole = e.splits.size() == 1 && split.size == e.size && SameText(name, base);
    if (!whole && !SameText(name, base + "." + SplitNumber(static_cast<int>(k) + 1))) return false;
    sum += split.size;
  }
  return !e.copied || sum == e.size;
}

// "name.001" to "name.999".
bool IsSplitName(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0 || name.size() - dot != 4) return false;
  for (size_t i = dot + 1; i < name.size(); ++i)
    if (name[i] < '0' || name[i] > '9') return false;
  return name.compare(dot + 1, 3, "000") != 0;
}

// The folder that holds path (trailing backslash ignored); "" at a root.
std::string ParentOf(std::string path) {
  path = Trimmed(path);
  if (!path.empty() && path.back() == '\\') path.pop_back();
  const size_t slash = path.rfind('\\');
  if (slash == std::string::npos || slash + 1 >= path.size()) return "";
  return path.substr(0, slash == 2 ? 3 : slash);  // "C:\" keeps its backslash
}

// The folders the redos of a list may lie in: its temporary folder and,
// while that is a folder a run made for the splits still to carry ("KST"
// names), the folder it was made in.
std::vector<std::string> RedoFolders(const std::string& temporary) {
  std::vector<std::string> folders;
  std::string folder = Trimmed(temporary);
  if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  while (!folder.empty()) {
    folders.push_back(folder);
    const std::string name = SplitBaseName(folder);
    if (name.size() < 3 || !SameText(name.substr(0, 3), "KST")) break;
    folder = ParentOf(folder);
  }
  return folders;
}

bool IsOwnRedo(const ListImage& image, const FileEntry& e) {
  const std::string path = Trimmed(e.path);
  if (!IsSplitName(SplitBaseName(path))) return false;
  const uint32_t attributes = plat::GetAttributes(path);
  if (attributes == plat::kAttrInvalid) return true;  // gone: nothing of it will be deleted
  if (attributes & (plat::kAttrDirectory | plat::kAttrReparsePoint)) return false;
  if (plat::SizeOfPath(path) != e.size) return false;
  for (const FileEntry& listed : image.entries)
    if (!listed.temporary && plat::SameObject(path, Trimmed(listed.path))) return false;
  const std::string folder = ParentOf(path);
  for (const std::string& redoFolder : RedoFolders(image.temporary))
    if (plat::SameObject(folder, redoFolder)) return true;
  return false;
}

}  // namespace

ListFault EncodeList(const ListImage& image, std::string* bytes) {
  bytes->clear();
  if (image.entries.size() > kMostSavedEntries) return ListFault::TooManyEntries;
  size_t length = kListHeaderBytes;
  for (const FileEntry& e : image.entries) {
    if (e.splits.size() > static_cast<size_t>(kMostSplitsPerFile)) return ListFault::TooManySplits;
    length += kFileRecordBytes + kSplitRecordBytes * e.splits.size();
  }
  bytes->reserve(length);
  PutInt(*bytes, image.entries.size(), 1);
  PutInt(*bytes, length, 4);
  PutText(*bytes, image.destination);
  PutText(*bytes, image.temporary);
  for (const FileEntry& e : image.entries) {
    PutText(*bytes, e.path);
    PutInt(*bytes, static_cast<uint64_t>(e.size), 8);
    PutInt(*bytes, e.splits.size(), 4);
    PutInt(*bytes, e.copied, 1);
    PutInt(*bytes, e.busy, 1);
    PutInt(*bytes, e.temporary, 1);
    for (const SplitEntry& s : e.splits) {
      PutText(*bytes, s.path);
      PutInt(*bytes, static_cast<uint64_t>(s.size), 8);
      PutInt(*bytes, s.safe, 1);
      PutInt(*bytes, s.copied, 1);
    }
  }
  return ListFault::None;
}

ListFault DecodeList(const std::string& bytes, size_t capacity, ListImage* image, std::string* faulty) {
  *image = ListImage{};
  const size_t length = bytes.size();
  if (length < kListHeaderBytes) return ListFault::TooShort;
  Reader in{bytes};
  const size_t count = in.Int(1);
  const int32_t stored = static_cast<int32_t>(in.Int(4));
  if (stored < 0 || static_cast<size_t>(stored) != length) return ListFault::WrongLength;
  if (count > capacity) return ListFault::TooManyForList;
  image->destination = in.TrimmedText();
  image->temporary = in.TrimmedText();
  for (size_t f = 0; f < count; ++f) {
    if (length - in.at < kFileRecordBytes) return Refuse(ListFault::RecordsPastEnd, image);
    FileEntry e;
    e.path = in.TrimmedText();
    e.size = static_cast<int64_t>(in.Int(8));
    const int32_t splits = static_cast<int32_t>(in.Int(4));
    e.copied = in.Flag();
    e.busy = in.Flag();
    e.temporary = in.Flag();
    if (e.size < 0) return Refuse(ListFault::BadSize, image);
    if (splits < 0 || splits > kMostSplitsPerFile) return Refuse(ListFault::BadSplitCount, image);
    if ((length - in.at) / kSplitRecordBytes < static_cast<size_t>(splits))
      return Refuse(ListFault::RecordsPastEnd, image);
    int64_t left = e.size;  // what the splits may still add up to
    for (int32_t k = 0; k < splits; ++k) {
      SplitEntry s;
      s.path = in.TrimmedText();
      s.size = static_cast<int64_t>(in.Int(8));
      s.safe = in.Flag();
      s.copied = in.Flag();
      if (s.size < 0 || s.size > left) return Refuse(ListFault::BadSize, image);
      left -= s.size;
      e.splits.push_back(std::move(s));
    }
    if (!SplitsInOrder(e)) {
      if (faulty) *faulty = Trimmed(e.path);
      return Refuse(ListFault::SplitsAmiss, image);
    }
    image->entries.push_back(std::move(e));
  }
  if (in.at != length) return Refuse(ListFault::RecordsShort, image);
  return ListFault::None;
}

ListFault TemporaryEntriesFault(const ListImage& image, std::string* faulty) {
  for (const FileEntry& e : image.entries) {
    if (!e.temporary || IsOwnRedo(image, e)) continue;
    if (faulty) *faulty = Trimmed(e.path);
    return ListFault::TemporaryNotOwn;
  }
  return ListFault::None;
}

namespace {

void Tell(const MessageOwner& owner, int heading, int message, const std::string& detail = "") {
  PlayAlert();
  const std::string text = detail.empty() ? GetText(message) : TrimmedText(message) + " " + detail;
  AskUser(kAskOk, owner.window, GetText(heading), text, owner.boxRecord, owner.ownerRecord);
}

// Marks a save in progress until it goes out of scope, however the save ends.
struct SavingMark {
  explicit SavingMark(SaveListFiles& f) : files(f), lock(f.saveMutex) {
    files.saving = true;
    if (files.onSaving) files.onSaving(true);
  }
  ~SavingMark() {
    files.saving = false;
    if (files.onSaving) files.onSaving(false);
  }
  SaveListFiles& files;
  std::lock_guard<std::mutex> lock;
};

// The message (by text id) that tells why a save failed, 0 when it did not.
int WriteListFile(TransportList& list, SaveListFiles& files, int k) {
  SavingMark mark(files);
  std::string bytes;
  switch (EncodeList(Snapshot(list), &bytes)) {
    case ListFault::None: break;
    case ListFault::TooManySplits: return kTextTooManySplitsToSave;
    default: return kTextTooManyToSave;
  }
  const std::string path = Trimmed(files.names[k - 1]);
  if (path.empty()) return 189;
  if (plat::PathExists(path)) {
    OwnedFile emptied(
        plat::FileOpen(path, plat::kWrite, plat::Disposition::TruncateExisting, plat::kShareNone));
    if (!plat::OpenSucceeded(emptied.handle)) return 196;
  }
  OwnedFile file(plat::FileOpen(path, plat::kWrite, plat::Disposition::OpenAlways, plat::kShareNone));
  if (!plat::OpenSucceeded(file.handle)) return 197;
  uint32_t done = 0;
  // One write of the whole file.
  const bool wrote = plat::FileWrite(file.handle, bytes.data(), static_cast<uint32_t>(bytes.size()), &done);
  if (!wrote || done != bytes.size()) return 198;
  return 0;
}

}  // namespace

bool SaveList(TransportList& list, SaveListFiles& files, int k, const MessageOwner& owner) {
  if (k != 1 && k != 2) return false;
  const int why = WriteListFile(list, files, k);
  files.lastSaveOk[k - 1] = why == 0;
  if (why != 0) Tell(owner, 195, why);
  return why == 0;
}

namespace {

// Reads the whole of file k; the message (by text id) that tells why not, 0 when read.
int ReadListFile(const std::string& path, std::string* bytes) {
  const int64_t size = plat::SizeOfPath(path);
  if (path.empty() || size < static_cast<int64_t>(kListHeaderBytes)) return 203;
  // No list that could be loaded is longer; nothing to read into memory.
  if (size > kLongestListFile) return kTextDamagedList;
  OwnedFile file(plat::FileOpen(path, plat::kRead, plat::Disposition::OpenExisting, plat::kShareRead));
  if (!plat::OpenSucceeded(file.handle)) return 200;
  bytes->assign(static_cast<size_t>(size), '\0');
  uint32_t done = 0;
  if (!plat::FileRead(file.handle, bytes->data(), static_cast<uint32_t>(size), &done) || done != size)
    return 201;
  return 0;
}

int LoadMessage(ListFault fault) {
  switch (fault) {
    case ListFault::None: return 0;
    case ListFault::TooShort: return 203;
    case ListFault::WrongLength: return 202;
    case ListFault::TooManyForList: return kTextListTooLong;
    case ListFault::SplitsAmiss: return kTextSplitsAmiss;
    case ListFault::TemporaryNotOwn: return kTextTemporaryNotOwn;
    default: return kTextDamagedList;
  }
}

}  // namespace

bool LoadList(TransportList& list, SaveListFiles& files, int k, bool runGoing,
              const MessageOwner& owner) {
  if (runGoing) {
    Tell(owner, 187, 190);
    return false;
  }
  if (k != 1 && k != 2) return false;
  EmptyList(list);
  std::string bytes;
  int why = ReadListFile(Trimmed(files.names[k - 1]), &bytes);
  ListImage image;
  size_t capacity;
  {
    std::lock_guard<std::mutex> lock(list.mutex);
    capacity = list.capacity;
  }
  std::string faulty;
  if (why == 0) why = LoadMessage(DecodeList(bytes, capacity, &image, &faulty));
  // A damaged temporary entry could name a file the run would delete.
  if (why == 0) why = LoadMessage(TemporaryEntriesFault(image, &faulty));
  if (why != 0) {
    Tell(owner, 199, why, faulty);
    return false;
  }
  for (FileEntry& e : image.entries) e.busy = false;
  DeriveRedoStates(image);
  ReplaceList(list, std::move(image));
  return true;
}

int NextAutoSaveFile(const SaveListFiles& files) { return files.lastAutoSaved == 1 ? 2 : 1; }

bool AutoSaveList(TransportList& list, SaveListFiles& files, const MessageOwner& owner) {
  const int k = NextAutoSaveFile(files);
  if (!SaveList(list, files, k, owner)) return false;
  files.lastAutoSaved = k;
  return true;
}

bool SavePressed(TransportList& list, SaveListFiles& files, int k, const MessageOwner& owner) {
  if (k != 1 && k != 2) return false;
  if (k != files.lastAutoSaved) {
    Tell(owner, 530, 531);
    return false;
  }
  if (SaveList(list, files, k, owner)) return true;
  // The other file is now the last good one: the next automatic save
  // must not write over it.
  files.lastAutoSaved = k == 1 ? 2 : 1;
  return false;
}

bool MayTurnOnAutoSave(const SaveListFiles& files, const MessageOwner& owner) {
  const std::string first = Trimmed(files.names[0]), second = Trimmed(files.names[1]);
  if (!first.empty() && !second.empty() && !SameText(first, second)) return true;
  Tell(owner, 187, 188);
  return false;
}

}  // namespace kst
