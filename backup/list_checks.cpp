#include "backup/list_checks.h"

#include "frame/dialogs/ask.h"
#include "frame/files/folders.h"
#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"

namespace kst {

namespace {

int Tell(const MessageOwner& owner, int heading, const std::string& message, int style = kAskOk) {
  PlayAlert();
  return AskUser(style, owner.window, GetText(heading), message, owner.boxRecord, owner.ownerRecord);
}

}  // namespace

bool SameFolder(const std::string& a, const std::string& b) {
  std::string x = Trimmed(a), y = Trimmed(b);
  if (x.empty() || y.empty()) return false;
  if (x.back() != '\\') x += '\\';
  if (y.back() != '\\') y += '\\';
  return SameText(x, y) || plat::SameObject(x, y);
}

int AddFiles(TransportList& list, const std::vector<FileToAdd>& files,
             const std::string& temporaryFolder, const MessageOwner& owner) {
  for (const FileToAdd& f : files) {
    if (SameFolder(FolderOf(f.path), temporaryFolder)) {
      Tell(owner, 167, GetText(168));
      return 0;
    }
  }
  int added = 0;
  for (const FileToAdd& f : files) {
    size_t count, capacity;
    {
      std::lock_guard<std::mutex> lock(list.mutex);
      count = list.image.entries.size();
      capacity = list.capacity;
    }
    if (count >= capacity) {
      Tell(owner, 169, Trimmed(GetText(170)) + " " + std::to_string(capacity));
      break;
    }
    if (AddToTransportList(list, f.path, f.size)) ++added;
  }
  return added;
}

void TellTooManySelected(const MessageOwner& owner) { Tell(owner, 161, GetText(162)); }

bool TemporaryFolderAccepted(TransportList& list, const std::string& folder,
                             const MessageOwner& owner) {
  bool holdsListed = false;
  {
    std::lock_guard<std::mutex> lock(list.mutex);
    for (const FileEntry& e : list.image.entries)
      holdsListed = holdsListed || SameFolder(FolderOf(e.path), folder);
  }
  if (holdsListed) Tell(owner, 165, GetText(166));
  return !holdsListed;
}

bool ListMayChange(bool runGoing, const MessageOwner& owner) {
  if (runGoing) Tell(owner, 180, GetText(181));
  return !runGoing;
}

bool SomethingSelected(const std::vector<size_t>& rows, const MessageOwner& owner) {
  if (rows.empty()) Tell(owner, 182, GetText(183));
  return !rows.empty();
}

bool ConfirmKillSplits(const MessageOwner& owner) {
  return Tell(owner, 184, GetText(185), kAskYesNo) == kAnswerYes;
}

}  // namespace kst
