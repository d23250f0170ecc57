#include "frame/files/file_info.h"

#include <cctype>
#include <vector>

#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"

namespace kst {

namespace {

bool IsOpen(ListingHandle h) { return h >= 0 || h < kListingClosed; }

FileInfo InfoOf(const plat::FindEntry& e) {
  FileInfo info;
  info.creationTime = e.times.creation;
  info.accessTime = e.times.access;
  info.writeTime = e.times.write;
  info.size = static_cast<int64_t>(e.size);
  info.attributes = e.attributes;
  info.name = e.name;
  return info;
}

bool DriveMissing(const std::string& pattern) {
  if (pattern.size() < 2 || pattern[1] != ':' || !std::isalpha(static_cast<unsigned char>(pattern[0])))
    return false;
  uint32_t type = plat::DriveType(pattern.substr(0, 2) + "\\");
  return type == plat::kDriveUnknown || type == plat::kDriveNoRoot;
}

bool FolderMissing(const std::string& pattern, uint32_t error) {
  if (error == plat::kErrPathNotFound) return true;
  size_t k = pattern.find_last_of('\\');
  if (k == std::string::npos || k == 0) return false;
  std::string folder = pattern.substr(0, k);
  if (folder.size() == 2 && folder[1] == ':') return false;  // a drive root
  uint32_t a = plat::GetAttributes(folder);
  return a == plat::kAttrInvalid || !(a & plat::kAttrDirectory);
}

int StartListing(const std::string& rawPattern, FileInfo* info, ListingHandle* handle,
                 bool closeAfter) {
  std::string pattern = Trimmed(rawPattern);
  *info = FileInfo();
  if (pattern.empty() || pattern.size() >= kPathWidth) {
    *handle = kListingMissing;
    return 0;
  }
  plat::FindEntry e;
  plat::FindHandle h = plat::FindFirst(pattern, &e);
  if (h == plat::kNoFind) {
    uint32_t error = plat::LastError();
    if (DriveMissing(pattern) || FolderMissing(pattern, error)) {
      *handle = kListingMissing;
    } else {
      *handle = kListingDone;
      info->attributes = plat::kAttrVolume;
    }
    return 0;
  }
  *info = InfoOf(e);
  if (closeAfter) {
    plat::FindClose(h);
    *handle = kListingClosed;
  } else {
    *handle = h;
  }
  return static_cast<int>(info->name.size());
}

bool IsDotName(const std::string& name) { return !name.empty() && name[0] == '.'; }

bool Walk(const std::string& folder, const std::string& pattern, bool recurse,
          const FileCollector& collect, WalkTotals& totals, int depth) {
  // The whole folder first, then its entries: nothing found later can
  // lengthen the walk, and no search stays open while subfolders are walked.
  std::vector<FileInfo> entries;
  FileInfo info;
  ListingHandle h = kListingStart;
  for (int n = GetFileInfo(folder + "*.*", &info, &h, false); n > 0;
       n = GetFileInfo(folder + "*.*", &info, &h, false))
    entries.push_back(info);
  for (const FileInfo& entry : entries) {
    if (IsDotName(entry.name)) continue;
    if (entry.attributes & plat::kAttrDirectory) {
      if (!recurse) continue;
      std::string sub = folder + entry.name + "\\";
      // The listing of the subfolder needs room for "*.*" as well.
      if (depth >= kWalkDepthLimit || sub.size() + 3 >= kPathWidth) {
        ++totals.skipped;
        continue;
      }
      ++totals.folders;
      if (!Walk(sub, pattern, recurse, collect, totals, depth + 1)) return false;
      continue;
    }
    if (!plat::MatchesPattern(entry.name, pattern)) continue;
    if (folder.size() + entry.name.size() >= kPathWidth) {
      ++totals.skipped;
      continue;
    }
    ++totals.files;
    totals.bytes += entry.size;
    if (!collect(folder, entry)) return false;
  }
  return true;
}

}  // namespace

int GetFileInfo(const std::string& pattern, FileInfo* info, ListingHandle* handle,
                bool closeAfter) {
  if (*handle == kListingStart) return StartListing(pattern, info, handle, closeAfter);
  if (*handle == kListingClosed) *handle = kListingDone;
  if (!IsOpen(*handle)) return 0;
  plat::FindEntry e;
  if (!plat::FindNext(*handle, &e)) {
    plat::FindClose(*handle);
    *handle = kListingDone;
    return 0;
  }
  *info = InfoOf(e);
  if (closeAfter) {
    plat::FindClose(*handle);
    *handle = kListingClosed;
  }
  return static_cast<int>(info->name.size());
}

void EndFileInfo(ListingHandle* handle) {
  if (IsOpen(*handle)) {
    plat::FindClose(*handle);
    *handle = kListingDone;
  } else if (*handle == kListingClosed) {
    *handle = kListingDone;
  }
}

bool WalkFolder(const std::string& folder, const std::string& pattern, bool recurse,
                const FileCollector& collect) {
  WalkTotals totals;
  return WalkFolder(folder, pattern, recurse, collect, totals);
}

bool WalkFolder(const std::string& folder, const std::string& pattern, bool recurse,
                const FileCollector& collect, WalkTotals& totals) {
  std::string start = Trimmed(folder);
  if (start.empty()) return true;
  if (start.back() != '\\') start += '\\';
  std::string mask = Trimmed(pattern);
  if (mask.empty()) mask = "*.*";
  if (start.size() + 3 >= kPathWidth) {
    ++totals.skipped;
    return true;
  }
  return Walk(start, mask, recurse, collect, totals, 0);
}

}  // namespace kst
