// Directory listings: one entry at a time (GetFileInfo), and the walk over
// the files of a folder and its subfolders (WalkFolder).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace kst {

constexpr size_t kPathWidth = 260;  // the longest path the platform takes, its NUL included

// One directory entry.
struct FileInfo {
  uint64_t creationTime = 0;  // platform file times (100 ns units since 1601)
  uint64_t accessTime = 0;
  uint64_t writeTime = 0;
  int64_t size = 0;
  uint32_t attributes = 0;  // plat::Attribute bits: 16 folder, 8 volume
  std::string name;         // the entry's name, without its folder
};

// The state of a listing: a platform search handle, or one of these.
using ListingHandle = intptr_t;
constexpr ListingHandle kListingStart = -1;    // start a new listing
constexpr ListingHandle kListingDone = -2;     // the listing is finished (or found nothing)
constexpr ListingHandle kListingMissing = -3;  // the pattern's drive or folder does not exist
constexpr ListingHandle kListingClosed = -4;   // a single look-up found its entry and ended

// With *handle kListingStart, starts a listing of pattern (trimmed) and
// fills info with the first entry; with closeAfter the search ends at once
// (a single look-up) and *handle becomes kListingClosed. When nothing
// matches, *handle becomes kListingMissing if the drive or folder does not
// exist (or the pattern is blank or too long), else kListingDone with
// info's attributes set to 8 (an existing but empty drive or folder).
// With an open handle, fetches the next entry; when there is none the
// search ends and *handle becomes kListingDone. Returns the length of the
// name found, 0 when none was.
int GetFileInfo(const std::string& pattern, FileInfo* info, ListingHandle* handle,
                bool closeAfter);
// Ends a listing early; an open handle becomes kListingDone.
void EndFileInfo(ListingHandle* handle);

// Subfolders deeper than this are not walked (the path length stops far
// sooner in practice: every level adds at least two characters).
constexpr int kWalkDepthLimit = 128;

struct WalkTotals {
  int64_t files = 0;    // files handed to the collector
  int64_t bytes = 0;    // their sizes added up
  int64_t folders = 0;  // subfolders walked
  int64_t skipped = 0;  // files and folders left out: path too long or too deep
};

// Gets each file found: its folder (ending with a backslash) and its entry.
// Returns false to stop the walk.
using FileCollector = std::function<bool(const std::string& folder, const FileInfo& info)>;

// Hands every file of folder whose name matches pattern ("*.*" when blank)
// to collect, in the order the file system lists them; with recurse, every
// subfolder is walked the same way, depth first, where it is met. Entries
// whose name starts with "." are skipped. Each folder is listed once before
// its entries are visited, so a folder that changes meanwhile cannot keep
// the walk going. Returns false when the collector stopped the walk.
bool WalkFolder(const std::string& folder, const std::string& pattern, bool recurse,
                const FileCollector& collect);
// The same, adding to totals as it goes (the backup worker totals a list's
// files and sizes with it).
bool WalkFolder(const std::string& folder, const std::string& pattern, bool recurse,
                const FileCollector& collect, WalkTotals& totals);

}  // namespace kst
