#include "frame/file_info.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "frame/folders.h"
#include "frame/platform/platform.h"
#include "tests/support/test_env.h"

using namespace kst;
using testenv::ScratchFolder;

namespace {

// A drive letter that names no drive on this machine, as "Q:".
std::string MissingDrive() {
  for (char letter = 'Y'; letter > 'B'; --letter) {
    std::string drive = std::string(1, letter) + ":";
    if (plat::DriveType(drive + "\\") == plat::kDriveNoRoot) return drive;
  }
  return "";
}

std::vector<FileInfo> ListAll(const std::string& pattern, ListingHandle* handle) {
  std::vector<FileInfo> found;
  FileInfo info;
  *handle = kListingStart;
  for (int n = GetFileInfo(pattern, &info, handle, false); n > 0;
       n = GetFileInfo(pattern, &info, handle, false)) {
    EXPECT_EQ(n, static_cast<int>(info.name.size()));
    found.push_back(info);
    if (found.size() > 100) break;
  }
  return found;
}

const FileInfo* Named(const std::vector<FileInfo>& entries, const std::string& name) {
  for (const FileInfo& e : entries)
    if (e.name == name) return &e;
  return nullptr;
}

bool IsDot(const FileInfo& e) { return e.name == "." || e.name == ".."; }

}  // namespace

TEST(FileInfoListing, ListsEveryEntryThenReportsTheEnd) {
  ScratchFolder dir;
  ASSERT_TRUE(testenv::WriteFile(dir.Path("a.txt"), "12345"));
  ASSERT_TRUE(testenv::WriteFile(dir.Path("b.bin"), ""));
  ASSERT_TRUE(plat::CreateFolder(dir.Path("sub")));

  ListingHandle h;
  std::vector<FileInfo> all = ListAll(dir.Path("*.*"), &h);
  EXPECT_EQ(h, kListingDone);
  ASSERT_NE(Named(all, "a.txt"), nullptr);
  EXPECT_EQ(Named(all, "a.txt")->size, 5);
  EXPECT_FALSE(Named(all, "a.txt")->attributes & plat::kAttrDirectory);
  EXPECT_NE(Named(all, "a.txt")->writeTime, 0u);
  ASSERT_NE(Named(all, "b.bin"), nullptr);
  EXPECT_EQ(Named(all, "b.bin")->size, 0);
  ASSERT_NE(Named(all, "sub"), nullptr);
  EXPECT_TRUE(Named(all, "sub")->attributes & plat::kAttrDirectory);
  EXPECT_EQ(std::count_if(all.begin(), all.end(), [](const FileInfo& e) { return !IsDot(e); }), 3);

  std::vector<FileInfo> txt = ListAll(dir.Path("*.TXT"), &h);
  ASSERT_EQ(txt.size(), 1u);
  EXPECT_EQ(txt[0].name, "a.txt");

  // A finished listing stays finished.
  FileInfo info;
  EXPECT_EQ(GetFileInfo(dir.Path("*.*"), &info, &h, false), 0);
  EXPECT_EQ(h, kListingDone);
}

TEST(FileInfoListing, ASingleLookUpEndsTheSearchAtOnce) {
  ScratchFolder dir;
  ASSERT_TRUE(testenv::WriteFile(dir.Path("one.dat"), std::string(1000, 'x')));
  FileInfo info;
  ListingHandle h = kListingStart;
  EXPECT_EQ(GetFileInfo(dir.Path("one.dat") + "   ", &info, &h, true), 7);
  EXPECT_EQ(info.name, "one.dat");
  EXPECT_EQ(info.size, 1000);
  EXPECT_EQ(h, kListingClosed);
  EXPECT_EQ(GetFileInfo(dir.Path("one.dat"), &info, &h, false), 0);
  EXPECT_EQ(h, kListingDone);
}

TEST(FileInfoListing, EndingEarlyClosesTheSearch) {
  ScratchFolder dir;
  for (const char* name : {"1.x", "2.x", "3.x"}) ASSERT_TRUE(testenv::WriteFile(dir.Path(name), "x"));
  FileInfo info;
  ListingHandle h = kListingStart;
  ASSERT_GT(GetFileInfo(dir.Path("*.x"), &info, &h, false), 0);
  EXPECT_GE(h, 0);
  EndFileInfo(&h);
  EXPECT_EQ(h, kListingDone);
  EXPECT_EQ(GetFileInfo(dir.Path("*.x"), &info, &h, false), 0);
  EndFileInfo(&h);
  EXPECT_EQ(h, kListingDone);
}

TEST(FileInfoListing, EmptyAndMissingPlacesAreToldApart) {
  ScratchFolder dir;
  ASSERT_TRUE(plat::CreateFolder(dir.Path("empty")));
  FileInfo info;
  info.name = "stale";

  // An empty folder: nothing matches, the folder exists.
  ListingHandle h = kListingStart;
  EXPECT_EQ(GetFileInfo(dir.Path("empty\\*.txt"), &info, &h, false), 0);
  EXPECT_EQ(h, kListingDone);
  EXPECT_EQ(info.attributes, 8u);
  EXPECT_EQ(info.name, "");
  // Listed whole, it holds only its dot entries.
  std::vector<FileInfo> all = ListAll(dir.Path("empty\\*.*"), &h);
  EXPECT_TRUE(std::all_of(all.begin(), all.end(), IsDot));

  // A folder that does not exist.
  h = kListingStart;
  EXPECT_EQ(GetFileInfo(dir.Path("missing\\*.*"), &info, &h, false), 0);
  EXPECT_EQ(h, kListingMissing);
  EXPECT_EQ(info.attributes, 0u);
  // A file where the folder should be.
  ASSERT_TRUE(testenv::WriteFile(dir.Path("file"), "x"));
  h = kListingStart;
  EXPECT_EQ(GetFileInfo(dir.Path("file\\*.*"), &info, &h, false), 0);
  EXPECT_EQ(h, kListingMissing);

  // A drive that does not exist.
  std::string drive = MissingDrive();
  ASSERT_FALSE(drive.empty());
  h = kListingStart;
  EXPECT_EQ(GetFileInfo(drive + "\\*.*", &info, &h, false), 0);
  EXPECT_EQ(h, kListingMissing);
  // Asking again does not turn a missing drive into an empty one.
  EXPECT_EQ(GetFileInfo(drive + "\\*.*", &info, &h, false), 0);
  EXPECT_EQ(h, kListingMissing);
}

TEST(FileInfoListing, AnEmptyFloppyIsAnExistingEmptyDrive) {
  testenv::PrepareFloppy();
  FileInfo info;
  ListingHandle h = kListingStart;
  EXPECT_EQ(GetFileInfo("A:\\*.*", &info, &h, false), 0);
  EXPECT_EQ(h, kListingDone);
  EXPECT_EQ(info.attributes, 8u);
  testenv::ReleaseFloppy();
}

TEST(FileInfoListing, BlankAndOverlongPatternsFailCleanly) {
  FileInfo info;
  ListingHandle h = kListingStart;
  EXPECT_EQ(GetFileInfo("    ", &info, &h, false), 0);
  EXPECT_EQ(h, kListingMissing);
  ScratchFolder dir;
  h = kListingStart;
  EXPECT_EQ(GetFileInfo(dir.Path(std::string(300, 'n') + "\\*.*"), &info, &h, false), 0);
  EXPECT_EQ(h, kListingMissing);
}

namespace {

// folder\a.txt, folder\z.txt, folder\.hidden.txt, folder\.dots\d.txt,
// folder\one\b.txt, folder\one\b.log, folder\one\deep\c.txt, folder\two\e.txt
void MakeTree(const ScratchFolder& dir) {
  for (const char* folder : {"one", "one\\deep", "two", ".dots"})
    ASSERT_TRUE(plat::CreateFolder(dir.Path(folder)));
  const char* files[] = {"a.txt", "z.txt", ".hidden.txt", ".dots\\d.txt", "one\\b.txt",
                         "one\\b.log", "one\\deep\\c.txt", "two\\e.txt"};
  uint32_t seed = 0;
  for (const char* file : files) {
    ++seed;
    ASSERT_TRUE(testenv::WriteFile(dir.Path(file), testenv::PatternBytes(100 * seed, seed)));
  }
}

struct Visit {
  std::vector<std::string> paths;  // relative to the walked folder
  FileCollector Collector(const std::string& root) {
    return [this, root](const std::string& folder, const FileInfo& info) {
      EXPECT_EQ(folder.compare(0, root.size(), root), 0) << folder;
      EXPECT_EQ(folder.back(), '\\');
      paths.push_back(folder.substr(root.size()) + info.name);
      return true;
    };
  }
};

// Whether the paths under prefix come one after another.
bool Contiguous(const std::vector<std::string>& paths, const std::string& prefix) {
  std::vector<size_t> at;
  for (size_t i = 0; i < paths.size(); ++i)
    if (paths[i].compare(0, prefix.size(), prefix) == 0) at.push_back(i);
  return !at.empty() && at.back() - at.front() + 1 == at.size();
}

std::set<std::string> AsSet(const std::vector<std::string>& v) { return {v.begin(), v.end()}; }

}  // namespace

TEST(WalkFolderTest, VisitsFilesDepthFirstAndSkipsDotNames) {
  ScratchFolder dir;
  MakeTree(dir);
  Visit visit;
  WalkTotals totals;
  EXPECT_TRUE(WalkFolder(dir.path, "*.*", true, visit.Collector(dir.path + "\\"), totals));
  EXPECT_EQ(AsSet(visit.paths),
            (std::set<std::string>{"a.txt", "z.txt", "one\\b.txt", "one\\b.log",
                                   "one\\deep\\c.txt", "two\\e.txt"}));
  EXPECT_EQ(visit.paths.size(), 6u);
  // Each subfolder is walked whole where it is met.
  EXPECT_TRUE(Contiguous(visit.paths, "one\\"));
  EXPECT_TRUE(Contiguous(visit.paths, "one\\deep\\"));
  EXPECT_TRUE(Contiguous(visit.paths, "two\\"));
  // Sizes 100, 200, 500, 600, 700, 800 (seeds 1, 2, 5, 6, 7, 8).
  EXPECT_EQ(totals.files, 6);
  EXPECT_EQ(totals.bytes, 2900);
  EXPECT_EQ(totals.folders, 3);
  EXPECT_EQ(totals.skipped, 0);
}

TEST(WalkFolderTest, ThePatternChoosesFilesAndNotFolders) {
  ScratchFolder dir;
  MakeTree(dir);
  Visit visit;
  WalkTotals totals;
  EXPECT_TRUE(WalkFolder(dir.path + "\\", "*.TXT  ", true, visit.Collector(dir.path + "\\"), totals));
  EXPECT_EQ(AsSet(visit.paths), (std::set<std::string>{"a.txt", "z.txt", "one\\b.txt",
                                                       "one\\deep\\c.txt", "two\\e.txt"}));
  EXPECT_EQ(totals.files, 5);
  EXPECT_EQ(totals.bytes, 2300);
}

TEST(WalkFolderTest, WithoutRecursionOnlyTheFolderItself) {
  ScratchFolder dir;
  MakeTree(dir);
  Visit visit;
  EXPECT_TRUE(WalkFolder(dir.path, "", false, visit.Collector(dir.path + "\\")));
  EXPECT_EQ(AsSet(visit.paths), (std::set<std::string>{"a.txt", "z.txt"}));
}

TEST(WalkFolderTest, TheCollectorCanStopTheWalk) {
  ScratchFolder dir;
  MakeTree(dir);
  int seen = 0;
  WalkTotals totals;
  EXPECT_FALSE(WalkFolder(dir.path, "*.*", true,
                          [&](const std::string&, const FileInfo&) { return ++seen < 2; },
                          totals));
  EXPECT_EQ(seen, 2);
  EXPECT_EQ(totals.files, 2);
}

TEST(WalkFolderTest, FilesAddedDuringTheWalkDoNotKeepItGoing) {
  ScratchFolder dir;
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(testenv::WriteFile(dir.Path("f" + std::to_string(i)), "x"));
  int seen = 0;
  EXPECT_TRUE(WalkFolder(dir.path, "*.*", true, [&](const std::string& folder, const FileInfo&) {
    testenv::WriteFile(folder + "new" + std::to_string(seen), "y");
    return ++seen < 1000;
  }));
  EXPECT_EQ(seen, 5);
}

TEST(WalkFolderTest, AMissingOrBlankFolderGivesNothing) {
  ScratchFolder dir;
  int seen = 0;
  auto count = [&](const std::string&, const FileInfo&) { return ++seen > 0; };
  EXPECT_TRUE(WalkFolder(dir.Path("missing"), "*.*", true, count));
  EXPECT_TRUE(WalkFolder("   ", "*.*", true, count));
  EXPECT_TRUE(WalkFolder(dir.Path(std::string(300, 'd')), "*.*", true, count));
  EXPECT_EQ(seen, 0);
}
