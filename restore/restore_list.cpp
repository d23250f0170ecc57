#include "restore/restore_list.h"

#include <algorithm>

#include "frame/dialogs/ask.h"
#include "frame/files/partial_files.h"
#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "restore/check_sums.h"
#include "restore/restore_names.h"
#include "restore/restore_texts.h"

namespace kst {

namespace {

RestoreRecord* ById(RestoreList& list, int id) {
  for (RestoreRecord& r : list.records)
    if (r.id == id) return &r;
  return nullptr;
}

RestoreRecord* ByName(RestoreList& list, const std::string& base) {
  for (RestoreRecord& r : list.records)
    if (r.name.size() == base.size() && SameText(r.name, base)) return &r;
  return nullptr;
}

// A new record named base, or nullptr (with the message) when the list is full.
RestoreRecord* NewRecord(RestoreList& list, const std::string& base) {
  if (static_cast<int>(list.records.size()) >= list.capacity) return nullptr;
  RestoreRecord r;
  r.id = list.nextId++;
  r.name = base;
  list.records.push_back(std::move(r));
  return &list.records.back();
}

void TellFull(int capacity, const MessageOwner& owner) {
  PlayAlert();
  AskOwner(owner, kAskOk, 304, TrimmedText(305) + " " + std::to_string(capacity));
}

// The record named base, or a new one; nullptr when the list is full (told,
// with the lock released).
RestoreRecord* RecordFor(RestoreList& list, const std::string& base, std::unique_lock<std::mutex>& lock,
                         const MessageOwner& owner, AddResult* result) {
  if (RestoreRecord* r = ByName(list, base)) return r;
  if (RestoreRecord* r = NewRecord(list, base)) return r;
  const int capacity = list.capacity;
  lock.unlock();
  TellFull(capacity, owner);
  result->full = true;
  return nullptr;
}

void Grow(RestoreRecord& r, int count) {
  if (static_cast<int>(r.slots.size()) < count) r.slots.resize(static_cast<size_t>(count));
}

// Every split is there but the batch names fewer: the person is told once
// why the file is not joined by itself.
bool TakeStaleNotice(RestoreRecord& r, const AutoJoinOptions& options) {
  if (!options.autoJoin || r.staleTold || !BatchDisagrees(r) || PresentCount(r) != static_cast<int>(r.slots.size()))
    return false;
  r.staleTold = true;
  return true;
}

// Whether the add leaves the record ready for a join, and with which flag.
void DecideJoin(const RestoreRecord& r, const AddedFile& file, const AutoJoinOptions& options,
                AddResult* result) {
  if (r.joined || r.busy || r.slots.empty() || file.source == AddSource::Found) return;
  if (file.source == AddSource::InPlace) {
    result->joinNow = true;  // CanAppendInPlace said so before the add
    result->deleteSplits = true;
    return;
  }
  if (options.autoJoin && IsComplete(r)) {
    result->joinNow = true;
    result->deleteSplits = options.deleteSplits;
  }
}

// Lists a plain, whole file (a copied file that is neither split nor batch,
// or a batch the person chose to keep as a file).
// The record took file: the join it may start, and a stale batch told
// once the list is let go.
AddResult Taken(RestoreRecord& r, const AddedFile& file, const AutoJoinOptions& options,
                std::unique_lock<std::mutex>& lock, const MessageOwner& owner, AddResult result) {
  result.added = true;
  result.recordId = r.id;
  DecideJoin(r, file, options, &result);
  const bool tell = TakeStaleNotice(r, options);
  const std::string name = r.name;
  lock.unlock();
  if (tell) TellRestore(kTextStaleHeading, kTextStaleBatch, name, owner);
  return result;
}

AddResult AddPlain(RestoreList& list, const AddedFile& file, const std::string& listedAs,
                   const MessageOwner& owner) {
  AddResult result;
  std::unique_lock<std::mutex> lock(list.mutex);
  RestoreRecord* r = RecordFor(list, listedAs, lock, owner, &result);
  if (!r || r->busy) return result;
  if (!r->slots.empty()) {
    // A file of splits keeps its splits, unless it was joined and a plain
    // file the person let replace it took its place.
    if (!r->joined || file.source != AddSource::Copied) return result;
    r->slots.clear();
    r->batchName.clear();
    r->batchSize = 0;
    r->batchCount = 0;
    r->checkName.clear();
    r->checkSize = 0;
  }
  r->plainSize = file.size;
  r->joined = true;
  result.added = true;
  result.recordId = r->id;
  return result;
}

AddResult AddSplit(RestoreList& list, const AddedFile& file, const std::string& base, int number,
                   const AutoJoinOptions& options, const MessageOwner& owner) {
  AddResult result;
  std::unique_lock<std::mutex> lock(list.mutex);
  RestoreRecord* r = RecordFor(list, base, lock, owner, &result);
  if (!r) return result;
  if (r->busy) return result;
  if (r->slots.empty() && r->joined) {  // a whole plain file of that name gets splits
    r->joined = false;
    r->plainSize = 0;
  }
  Grow(*r, number);
  RestoreSlot& slot = r->slots[static_cast<size_t>(number - 1)];
  if (slot.state == SlotState::Appended) return result;
  // A split 1 that a join is growing, and a split the list knows already,
  // are kept as they are.
  if (slot.state == SlotState::Present && (IsPartialName(slot.path) || file.source == AddSource::Found))
    return result;
  // A damaged split found again on a restart is the same damaged file.
  if (slot.state == SlotState::Damaged && file.source == AddSource::Found) return result;
  slot.state = SlotState::Present;
  slot.path = file.path;
  slot.size = file.size;
  slot.inPlace = file.source == AddSource::InPlace;
  slot.origin = file.origin;
  slot.disk = file.disk;
  return Taken(*r, file, options, lock, owner, result);
}

AddResult AddBatch(RestoreList& list, const AddedFile& file, const std::string& base,
                   const AutoJoinOptions& options, const MessageOwner& owner) {
  int count = 0;
  if (!ReadJoinBatch(file.path, &count)) {
    if (file.source == AddSource::Found) return AddResult();
    PlayAlert();
    const int answer = AskOwner(owner, kAskYesNo, 306, TrimmedText(307) + " " + file.path + TrimmedText(308));
    if (answer != kAnswerYes) return AddResult();
    return AddPlain(list, file, file.listedAs.empty() ? file.path : file.listedAs, owner);
  }
  AddResult result;
  std::unique_lock<std::mutex> lock(list.mutex);
  RestoreRecord* r = RecordFor(list, base, lock, owner, &result);
  if (!r) return result;
  if (r->busy) return result;
  if (r->slots.empty() && r->joined) {
    r->joined = false;
    r->plainSize = 0;
  }
  r->batchName = file.path;
  r->batchSize = file.size;
  r->batchCount = count;
  Grow(*r, count);
  return Taken(*r, file, options, lock, owner, result);
}

// A check file: its sums are read as it enters; one that gives none stays
// with its set (copied, deleted with it, never a plain file) and its splits
// are joined without a check. It never starts a join by itself.
AddResult AddCheck(RestoreList& list, const AddedFile& file, const std::string& base, const MessageOwner& owner) {
  std::vector<uint32_t> sums;
  std::vector<bool> summed;
  if (!ReadCheckFile(file.path, base, &sums, &summed) && file.source != AddSource::Found) {
    const uint32_t code = plat::LastError();
    TellRestore(kTextCheckFileHeading, kTextCheckFileUnread,
                code == plat::kErrNone ? file.path : file.path + ": " + plat::ErrorText(code), owner);
  }
  AddResult result;
  std::unique_lock<std::mutex> lock(list.mutex);
  RestoreRecord* r = RecordFor(list, base, lock, owner, &result);
  if (!r || r->busy) return result;
  if (r->slots.empty() && r->joined) {
    r->joined = false;
    r->plainSize = 0;
  }
  r->checkName = file.path;
  r->checkSize = file.size;
  r->sums = std::move(sums);
  r->summed = std::move(summed);
  result.added = true;
  result.recordId = r->id;
  return result;
}

// The record and split number that destinationPath names; nullptr when it
// is no split or no record holds that slot.
RestoreSlot* SlotAt(RestoreList& list, const std::string& destinationPath, RestoreRecord** record,
                    int* number) {
  std::string base;
  if (!SplitNameParts(destinationPath, &base, number) || *number < 1) return nullptr;
  *record = ByName(list, base);
  if (!*record || static_cast<int>((*record)->slots.size()) < *number) return nullptr;
  return &(*record)->slots[static_cast<size_t>(*number - 1)];
}

// A grown split 1 found in the destination: splits 1 to last are in it.
AddResult AddGrown(RestoreList& list, const AddedFile& file, const std::string& base, int last,
                   int64_t bytes, const MessageOwner& owner) {
  AddResult result;
  std::unique_lock<std::mutex> lock(list.mutex);
  RestoreRecord* r = RecordFor(list, base, lock, owner, &result);
  if (!r || r->busy || r->joined) return result;
  Grow(*r, last);
  if (r->slots[0].state == SlotState::Present && IsPartialName(r->slots[0].path)) return result;
  r->slots[0] = {SlotState::Present, file.path, bytes, false};
  for (int k = 2; k <= last; ++k) r->slots[static_cast<size_t>(k - 1)] = {SlotState::Appended, "", 0, false};
  result.added = true;
  result.recordId = r->id;
  return result;
}

}  // namespace

int PresentCount(const RestoreRecord& r) {
  return static_cast<int>(std::count_if(r.slots.begin(), r.slots.end(), [](const RestoreSlot& s) {
    return s.state == SlotState::Present || s.state == SlotState::Appended;
  }));
}

bool HasDamaged(const RestoreRecord& r) {
  return std::any_of(r.slots.begin(), r.slots.end(),
                     [](const RestoreSlot& s) { return s.state == SlotState::Damaged; });
}

const uint32_t* SumOf(const RestoreRecord& r, int k) {
  const size_t i = static_cast<size_t>(k - 1);
  return k >= 1 && i < r.summed.size() && i < r.sums.size() && r.summed[i] ? &r.sums[i] : nullptr;
}

int64_t TotalSize(const RestoreRecord& r) {
  if (r.slots.empty()) return r.plainSize;
  int64_t total = 0;
  for (const RestoreSlot& s : r.slots)
    if (s.state != SlotState::Missing) total += s.size;
  return total;
}

bool BatchDisagrees(const RestoreRecord& r) {
  return !r.batchName.empty() && static_cast<int>(r.slots.size()) != r.batchCount;
}

bool IsComplete(const RestoreRecord& r) {
  return !r.batchName.empty() && !BatchDisagrees(r) && !r.slots.empty() &&
         PresentCount(r) == static_cast<int>(r.slots.size());
}

RestoreTotals Totals(RestoreList& list) {
  RestoreTotals totals;
  std::lock_guard<std::mutex> lock(list.mutex);
  for (const RestoreRecord& r : list.records) {
    totals.grandTotal += TotalSize(r);
    if (r.joined) {
      totals.fileCount += 1;
    } else {
      for (const RestoreSlot& s : r.slots)
        totals.fileCount += s.state == SlotState::Present || s.state == SlotState::Damaged ? 1 : 0;
    }
  }
  return totals;
}

AddResult AddToRestoreList(RestoreList& list, const AddedFile& file, const AutoJoinOptions& options,
                           const MessageOwner& owner) {
  const std::string listedAs = Trimmed(file.listedAs.empty() ? file.path : file.listedAs);
  std::string base;
  int number = 0;
  int64_t bytes = 0;
  if (file.source == AddSource::Found && GrownNameParts(listedAs, &base, &number, &bytes))
    return AddGrown(list, file, base, number, bytes, owner);
  // A partial file is never a split, a batch or a file to restore.
  if (IsPartialName(listedAs)) return AddResult();
  if (SplitNameParts(listedAs, &base, &number) && number >= 1)
    return AddSplit(list, file, base, number, options, owner);
  if (file.source != AddSource::InPlace && BatchNameBase(listedAs, &base))
    return AddBatch(list, file, base, options, owner);
  if (file.source != AddSource::InPlace && CheckNameBase(listedAs, &base)) return AddCheck(list, file, base, owner);
  // A plain file, or a split numbered 000 (it has no slot).
  if (file.source == AddSource::User || file.source == AddSource::Found) return AddResult();
  return AddPlain(list, file, listedAs, owner);
}

Arrival ArrivalOf(RestoreList& list, const std::string& destinationPath, int64_t size) {
  std::lock_guard<std::mutex> lock(list.mutex);
  RestoreRecord* r = nullptr;
  int number = 0;
  RestoreSlot* slot = SlotAt(list, destinationPath, &r, &number);
  if (!slot) {
    // The batch or check file of a split set joined already: its record
    // needs it no more.
    std::string base;
    const bool batch = !r && BatchNameBase(destinationPath, &base);
    if (batch || (!r && CheckNameBase(destinationPath, &base))) {
      const RestoreRecord* owner = ByName(list, base);
      if (owner && owner->joined && !owner->slots.empty()) return Arrival::Appended;
      // The same file again: neither copied nor counted a second time.
      if (owner && (batch ? owner->batchSize : owner->checkSize) == size &&
          SameText(batch ? owner->batchName : owner->checkName, destinationPath))
        return Arrival::Known;
    }
    // A whole file listed already with this size comes again.
    const RestoreRecord* plain = r ? nullptr : ByName(list, destinationPath);
    if (plain && plain->slots.empty() && plain->plainSize == size) return Arrival::Refeed;
    return r && r->busy ? Arrival::Busy : Arrival::New;
  }
  if (r->busy) return Arrival::Busy;
  switch (slot->state) {
    case SlotState::Missing: return Arrival::New;
    case SlotState::Appended:
      // A split cut short by a stopped write is the shorter of the two.
      if (slot->size <= 0 || size <= slot->size) return Arrival::Appended;
      r->conflict = true;
      return Arrival::Conflict;
    case SlotState::Present:
      if (IsPartialName(slot->path)) return Arrival::Appended;  // split 1, growing by a join
      return slot->size == size ? Arrival::Refeed : Arrival::Different;
    case SlotState::Damaged: return Arrival::Damaged;
  }
  return Arrival::New;
}

bool CanAppendInPlace(RestoreList& list, const std::string& destinationPath) {
  std::string base;
  int number = 0;
  if (!SplitNameParts(destinationPath, &base, &number) || number < 2) return false;
  std::lock_guard<std::mutex> lock(list.mutex);
  const RestoreRecord* r = ByName(list, base);
  if (!r || r->busy || r->joined || static_cast<int>(r->slots.size()) < number - 1) return false;
  if (r->slots[0].state != SlotState::Present || r->slots[0].inPlace) return false;
  for (int k = 2; k < number; ++k) {
    const SlotState before = r->slots[static_cast<size_t>(k - 1)].state;
    if (before == SlotState::Missing || before == SlotState::Damaged) return false;
  }
  if (static_cast<int>(r->slots.size()) < number) return true;
  const SlotState own = r->slots[static_cast<size_t>(number - 1)].state;
  return own == SlotState::Missing || own == SlotState::Damaged;
}

void ForgetInPlace(RestoreList& list, const std::string& destinationPath) {
  std::lock_guard<std::mutex> lock(list.mutex);
  RestoreRecord* r = nullptr;
  int number = 0;
  RestoreSlot* slot = SlotAt(list, destinationPath, &r, &number);
  if (slot && slot->state == SlotState::Present && slot->inPlace) *slot = RestoreSlot();
}

bool FindRecord(RestoreList& list, int id, RestoreRecord* record) {
  std::lock_guard<std::mutex> lock(list.mutex);
  const RestoreRecord* r = ById(list, id);
  if (r) *record = *r;
  return r != nullptr;
}

int FindMainFile(RestoreList& list, const std::string& base) {
  std::lock_guard<std::mutex> lock(list.mutex);
  const RestoreRecord* r = ByName(list, Trimmed(base));
  return r ? r->id : 0;
}

bool RemoveRecord(RestoreList& list, int id, const MessageOwner& owner) {
  RestoreRecord r;
  if (!FindRecord(list, id, &r)) return false;
  if (r.busy) {
    TellRestore(304, kTextBeingJoined, r.name, owner);
    return false;
  }
  if (!r.joined && AskOwner(owner, kAskYesNo, 310, TrimmedText(311) + " " + r.name + TrimmedText(312)) != kAnswerYes)
    return false;
  std::unique_lock<std::mutex> lock(list.mutex);
  const auto it = std::find_if(list.records.begin(), list.records.end(),
                               [id](const RestoreRecord& x) { return x.id == id; });
  if (it == list.records.end()) return false;
  if (it->busy) {  // a join started while the question was open
    lock.unlock();
    TellRestore(304, kTextBeingJoined, r.name, owner);
    return false;
  }
  list.records.erase(it);
  return true;
}

std::string RecordRow(const RestoreRecord& r) {
  return r.name + " -- " + std::to_string(TotalSize(r)) + " -- " + std::to_string(r.slots.size()) + " -- " +
         TrimmedText(r.batchName.empty() ? 316 : 315) + " -- " + TrimmedText(r.joined ? 313 : 314) +
         (HasDamaged(r) ? " -- " + TrimmedText(kTextDamaged) : std::string());
}

std::vector<std::string> RecordRows(RestoreList& list) {
  std::vector<std::string> rows;
  std::lock_guard<std::mutex> lock(list.mutex);
  for (const RestoreRecord& r : list.records) rows.push_back(RecordRow(r));
  return rows;
}

std::vector<std::string> SlotRows(const RestoreRecord& r) {
  std::vector<std::string> rows;
  for (const RestoreSlot& s : r.slots)
    rows.push_back((s.state == SlotState::Missing ? TrimmedText(293) : s.path) + " -- " + std::to_string(s.size) +
                   (s.state == SlotState::Damaged ? " -- " + TrimmedText(kTextDamaged) : std::string()));
  if (!r.checkName.empty()) rows.push_back(r.checkName + " -- " + std::to_string(r.checkSize));
  return rows;
}

std::vector<std::string> CheckFilesFirst(std::vector<std::string> paths) {
  std::stable_partition(paths.begin(), paths.end(), [](const std::string& p) { return CheckNameBase(p, nullptr); });
  return paths;
}

void TellDamaged(const RestoreRecord& r, int k, const MessageOwner& owner) {
  if (k < 1 || k > static_cast<int>(r.slots.size())) return;
  const RestoreSlot& s = r.slots[static_cast<size_t>(k - 1)];
  PlayAlert();
  AskOwner(owner, kAskOk, kTextDamagedHeading,
           TrimmedText(kTextDamagedSplit) + " " + s.path + " " + TrimmedText(kTextDamagedSum) + " " +
               (s.origin.empty() ? s.path : s.origin) +
               (s.disk > 0 ? TrimmedText(kTextFromDisk) + " " + std::to_string(s.disk) : std::string()) +
               TrimmedText(kTextDamagedLeft));
}

void TellRestore(int heading, int message, const std::string& detail, const MessageOwner& owner) {
  PlayAlert();
  AskOwner(owner, kAskOk, heading, detail.empty() ? TrimmedText(message) : TrimmedText(message) + " " + detail);
}

}  // namespace kst
