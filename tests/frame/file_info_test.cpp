#include "frame/files/file_info.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

#include "frame/platform/platform.h"
#include "tests/support/test_env.h"

using namespace kst;
using testenv::ScratchFolder;

namespace {

std::set<std::string> ListAll(const std::string& pattern) {
  std::set<std::string> names;
  FileInfo info;
  ListingHandle h = kListingStart;
  for (int n; (n = GetFileInfo(pattern, &info, &h, false)) > 0 && names.size() < 100;) {
    EXPECT_EQ(n, static_cast<int>(info.name.size()));
    if (info.name != "." && info.name != "..") names.insert(info.name);
  }
  EXPECT_EQ(h, kListingDone);
  return names;
}

}  // namespace

TEST(FileInfoListing, ListsEveryEntryThenStaysDoneAndTellsEmptyAndMissingPlacesApart) {
  ScratchFolder dir;
  ASSERT_TRUE(testenv::WriteFile(dir.Path("a.txt"), "12345") && testenv::WriteFile(dir.Path("b.bin"), ""));
  ASSERT_TRUE(plat::CreateFolder(dir.Path("sub")));
  EXPECT_EQ(ListAll(dir.Path("*.*")), (std::set<std::string>{"a.txt", "b.bin", "sub"}));
  EXPECT_EQ(ListAll(dir.Path("*.TXT")), std::set<std::string>{"a.txt"});

  // A single look-up closes its search at once; ended early, an open one is closed.
  FileInfo info;
  ListingHandle h = kListingStart;
  EXPECT_EQ(GetFileInfo(dir.Path("a.txt") + "   ", &info, &h, true), 5);
  EXPECT_EQ(h, kListingClosed);
  EXPECT_TRUE(info.size == 5 && info.writeTime != 0 && !(info.attributes & plat::kAttrDirectory));
  EXPECT_EQ(GetFileInfo(dir.Path("a.txt"), &info, &h, false), 0);
  EXPECT_EQ(h, kListingDone);
  h = kListingStart;
  ASSERT_GT(GetFileInfo(dir.Path("*.*"), &info, &h, false), 0);
  EXPECT_GE(h, 0);
  EndFileInfo(&h);
  EXPECT_EQ(GetFileInfo(dir.Path("*.*"), &info, &h, false), 0);
  EXPECT_EQ(h, kListingDone);

  ASSERT_TRUE(plat::CreateFolder(dir.Path("empty")) && testenv::WriteFile(dir.Path("file"), "x"));
  testenv::PrepareFloppy();
  const std::string drive = testenv::MissingDrive();
  ASSERT_FALSE(drive.empty());
  // An existing place where nothing matches is done with attributes 8; a
  // missing one, or input that cannot name one, stays missing when asked again.
  const std::pair<std::string, ListingHandle> cases[] = {
      {dir.Path("empty\\*.txt"), kListingDone},   {"A:\\*.*", kListingDone},
      {dir.Path("missing\\*.*"), kListingMissing}, {dir.Path("file\\*.*"), kListingMissing},
      {drive + "\\*.*", kListingMissing},          {"    ", kListingMissing},
      {dir.Path(std::string(300, 'n') + "\\*.*"), kListingMissing},
  };
  for (const auto& [pattern, handle] : cases) {
    SCOPED_TRACE(pattern);
    FileInfo info;
    info.name = "stale";
    ListingHandle h = kListingStart;
    EXPECT_EQ(GetFileInfo(pattern, &info, &h, false), 0);
    EXPECT_EQ(info.name + std::to_string(info.attributes), handle == kListingDone ? "8" : "0");
    EXPECT_EQ(GetFileInfo(pattern, &info, &h, false), 0);
    EXPECT_EQ(h, handle);
  }
  testenv::ReleaseFloppy();
  EXPECT_TRUE(ListAll(dir.Path("empty\\*.*")).empty());  // its dot entries only
}

namespace {

std::vector<std::string> Walked(const std::string& folder, const std::string& pattern, bool recurse,
                                WalkTotals& totals) {
  std::vector<std::string> paths;
  WalkFolder(folder, pattern, recurse, [&](const std::string& in, const FileInfo& info) {
    EXPECT_EQ(in.substr(0, folder.size() + 1), folder + "\\");
    return paths.push_back(in.substr(folder.size() + 1) + info.name), true;
  }, totals);
  return paths;
}

}  // namespace

TEST(WalkFolderTest, VisitsMatchingFilesDepthFirstAndEndsWhenTheCollectorSaysSo) {
  ScratchFolder dir;
  for (const char* folder : {"one", "one\\deep", "two", ".dots"}) ASSERT_TRUE(plat::CreateFolder(dir.Path(folder)));
  size_t size = 0;  // 100, 200, ... 700 bytes
  for (const char* file : {"a.txt", ".hidden.txt", ".dots\\d.txt", "one\\b.txt", "one\\b.log", "one\\deep\\c.txt",
                           "two\\e.txt"})
    ASSERT_TRUE(testenv::WriteFile(dir.Path(file), std::string(size += 100, 'x')));

  WalkTotals totals;
  std::vector<std::string> all = Walked(dir.path, "*.*", true, totals);
  // "one" is walked whole where it is met, "one\deep" within it.
  size_t at = 0;
  while (at < all.size() && all[at].rfind("one\\", 0) != 0) ++at;
  ASSERT_LE(at + 3, all.size());
  for (size_t i = at; i < at + 3; ++i) EXPECT_EQ(all[i].rfind("one\\", 0), 0u) << all[i];
  std::sort(all.begin(), all.end());
  EXPECT_EQ(all, (std::vector<std::string>{"a.txt", "one\\b.log", "one\\b.txt", "one\\deep\\c.txt", "two\\e.txt"}));
  EXPECT_EQ(std::tie(totals.files, totals.bytes, totals.folders, totals.skipped), std::make_tuple(5, 2300, 3, 0));

  totals = WalkTotals();
  all = Walked(dir.path, "*.TXT  ", true, totals);
  std::sort(all.begin(), all.end());
  EXPECT_EQ(all, (std::vector<std::string>{"a.txt", "one\\b.txt", "one\\deep\\c.txt", "two\\e.txt"}));
  EXPECT_EQ(totals.bytes, 1800);
  EXPECT_EQ(Walked(dir.path, "", false, totals), std::vector<std::string>{"a.txt"});

  const std::string flat = dir.Path("flat");
  ASSERT_TRUE(plat::CreateFolder(flat));
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(testenv::WriteFile(flat + "\\f" + std::to_string(i), "x"));
  int seen = 0;
  totals = WalkTotals();
  EXPECT_FALSE(WalkFolder(flat, "*.*", true, [&](const std::string&, const FileInfo&) { return ++seen < 2; }, totals));
  EXPECT_EQ(totals.files, 2);
  // Files added meanwhile do not keep it going.
  seen = 0;
  EXPECT_TRUE(WalkFolder(flat, "*.*", true, [&](const std::string& folder, const FileInfo&) {
    testenv::WriteFile(folder + "new" + std::to_string(seen), "y");
    return ++seen < 1000;
  }));
  EXPECT_EQ(seen, 5);

  seen = 0;
  auto count = [&](const std::string&, const FileInfo&) { return ++seen > 0; };
  for (const std::string& folder : {dir.Path("missing"), std::string("   "), dir.Path(std::string(300, 'd'))})
    EXPECT_TRUE(WalkFolder(folder, "*.*", true, count));
  EXPECT_EQ(seen, 0);
}
