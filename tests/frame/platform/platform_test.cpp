// The platform layer's contract, run against both implementations: the
// Linux emulation natively and the Win32 calls under Wine.
#include "frame/platform/platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "tests/support/test_env.h"

using namespace plat;
using testenv::ScratchFolder;

namespace {

std::vector<std::string> List(const std::string& pattern) {
  std::vector<std::string> names;
  FindEntry e;
  FindHandle h = FindFirst(pattern, &e);
  if (h == kNoFind) return names;
  do names.push_back(e.name);
  while (FindNext(h, &e));
  FindClose(h);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST(PlatformFiles, OpenDispositionsReportTheirCodes) {
  ScratchFolder dir;
  std::string file = dir.Path("a.bin");

  EXPECT_EQ(FileOpen(file, kRead, Disposition::OpenExisting), kNoFile);
  EXPECT_EQ(LastError(), kErrFileNotFound);
  EXPECT_EQ(FileOpen(dir.Path("missing\\a.bin"), kRead, Disposition::OpenExisting), kNoFile);
  EXPECT_EQ(LastError(), kErrPathNotFound);
  EXPECT_EQ(FileOpen(file, kWrite, Disposition::TruncateExisting), kNoFile);
  EXPECT_EQ(LastError(), kErrFileNotFound);

  FileHandle h = FileOpen(file, kWrite, Disposition::OpenAlways);
  ASSERT_NE(h, kNoFile);
  EXPECT_EQ(LastError(), kErrNone);
  EXPECT_TRUE(OpenSucceeded(h));
  uint32_t done = 0;
  ASSERT_TRUE(FileWrite(h, "hello", 5, &done));
  EXPECT_EQ(done, 5u);
  FileClose(h);

  h = FileOpen(file, kRead, Disposition::OpenAlways);
  ASSERT_NE(h, kNoFile);
  EXPECT_EQ(LastError(), kErrAlreadyExists);
  EXPECT_TRUE(OpenSucceeded(h));
  EXPECT_EQ(FileSize(h), 5);
  FileClose(h);

  h = FileOpen(file, kWrite, Disposition::CreateAlways);
  ASSERT_NE(h, kNoFile);
  EXPECT_EQ(LastError(), kErrAlreadyExists);
  EXPECT_EQ(FileSize(h), 0);  // truncated
  FileClose(h);

  EXPECT_EQ(FileOpen(file, kWrite, Disposition::CreateNew), kNoFile);
  EXPECT_EQ(LastError(), kErrFileExists);
}

TEST(PlatformFiles, ReadsAndWritesReturnTheBytesDone) {
  ScratchFolder dir;
  std::string file = dir.Path("data.bin");
  std::string bytes = testenv::PatternBytes(100000, 7);
  ASSERT_TRUE(testenv::WriteFile(file, bytes));

  FileHandle h = FileOpen(file, kRead, Disposition::OpenExisting);
  ASSERT_NE(h, kNoFile);
  std::string back(150000, '\0');
  uint32_t done = 0;
  ASSERT_TRUE(FileRead(h, back.data(), 150000, &done));
  EXPECT_EQ(done, 100000u);  // short at the end of the file
  EXPECT_EQ(back.substr(0, done), bytes);
  ASSERT_TRUE(FileRead(h, back.data(), 10, &done));
  EXPECT_EQ(done, 0u);
  ASSERT_TRUE(FileSeek(h, 99990));
  ASSERT_TRUE(FileRead(h, back.data(), 10, &done));
  EXPECT_EQ(back.substr(0, 10), bytes.substr(99990));
  FileClose(h);
}

TEST(PlatformFiles, CopiesBetweenOpenFilesFromTheirPositions) {
  ScratchFolder dir;
  std::string bytes = testenv::PatternBytes(300000, 3);
  ASSERT_TRUE(testenv::WriteFile(dir.Path("from.bin"), bytes));
  FileHandle from = FileOpen(dir.Path("from.bin"), kRead, Disposition::OpenExisting);
  FileHandle to = FileOpen(dir.Path("to.bin"), kWrite, Disposition::CreateAlways);
  ASSERT_NE(from, kNoFile);
  ASSERT_NE(to, kNoFile);
  std::vector<char> buffer(65536);  // smaller than a copy: it is used a piece at a time
  uint64_t read = 0, written = 0;
  uint32_t done = 0;
  ASSERT_TRUE(FileWrite(to, "head", 4, &done));
  ASSERT_TRUE(FileSeek(from, 50000));
  ASSERT_TRUE(FileCopy(from, to, 200000, buffer.data(), 65536, &read, &written));
  EXPECT_EQ(read, 200000u);
  EXPECT_EQ(written, 200000u);
  ASSERT_TRUE(FileCopy(from, to, 200000, buffer.data(), 65536, &read, &written));
  EXPECT_EQ(read, 50000u);  // short at the end of the file
  EXPECT_EQ(written, 50000u);
  ASSERT_TRUE(FileCopy(from, to, 200000, buffer.data(), 65536, &read, &written));
  EXPECT_EQ(read, 0u);
  FileClose(from);
  FileClose(to);
  EXPECT_EQ(testenv::ReadFile(dir.Path("to.bin")), "head" + bytes.substr(50000));
}

TEST(PlatformFiles, SharingDecidesWhoMayOpen) {
  ScratchFolder dir;
  std::string file = dir.Path("shared.bin");
  ASSERT_TRUE(testenv::WriteFile(file, "abc"));

  FileHandle reader = FileOpen(file, kRead, Disposition::OpenExisting, kShareRead);
  ASSERT_NE(reader, kNoFile);
  FileHandle second = FileOpen(file, kRead, Disposition::OpenExisting, kShareRead);
  EXPECT_NE(second, kNoFile);  // readers that share reading get along
  EXPECT_EQ(FileOpen(file, kWrite, Disposition::OpenExisting, kShareRead), kNoFile);
  EXPECT_EQ(LastError(), kErrSharingViolation);
  FileClose(second);
  FileClose(reader);

  FileHandle writer = FileOpen(file, kWrite, Disposition::OpenExisting, kShareNone);
  ASSERT_NE(writer, kNoFile);
  EXPECT_EQ(FileOpen(file, kRead, Disposition::OpenExisting, kShareRead | kShareWrite), kNoFile);
  EXPECT_EQ(LastError(), kErrSharingViolation);
  FileClose(writer);
}

TEST(PlatformFiles, SeeksBeyondFourGigabytesInASparseFile) {
  ScratchFolder dir;
  std::string file = dir.Path("big.bin");
  const int64_t offset = 5LL * 1024 * 1024 * 1024 + 3;
  FileHandle h = FileOpen(file, kReadWrite, Disposition::CreateAlways);
  ASSERT_NE(h, kNoFile);
  ASSERT_TRUE(FileSeek(h, offset));
  uint32_t done = 0;
  ASSERT_TRUE(FileWrite(h, "XY", 2, &done));
  EXPECT_EQ(FileSize(h), offset + 2);
  ASSERT_TRUE(FileSeek(h, offset + 1));
  char c = 0;
  ASSERT_TRUE(FileRead(h, &c, 1, &done));
  EXPECT_EQ(c, 'Y');
  ASSERT_TRUE(FileSeek(h, 4294967295LL));  // the last byte a 32-bit offset reaches
  ASSERT_TRUE(FileRead(h, &c, 1, &done));
  EXPECT_EQ(done, 1u);
  EXPECT_EQ(c, '\0');
  FileClose(h);
  EXPECT_EQ(SizeOfPath(file), offset + 2);
}

TEST(PlatformFiles, TimesAndAttributesRoundTrip) {
  ScratchFolder dir;
  std::string file = dir.Path("t.bin");
  ASSERT_TRUE(testenv::WriteFile(file, "x"));
  FileHandle h = FileOpen(file, kReadWrite, Disposition::OpenExisting);
  ASSERT_NE(h, kNoFile);
  FileTimes want;
  want.write = 132000000000000000ULL;  // 2019-04-18
  want.access = 132000000000000000ULL;
  ASSERT_TRUE(FileSetTimes(h, want));
  FileTimes got;
  ASSERT_TRUE(FileGetTimes(h, &got));
  EXPECT_EQ(got.write, want.write);
  FileClose(h);

  EXPECT_EQ(GetAttributes(dir.Path("none")), kAttrInvalid);
  EXPECT_TRUE(GetAttributes(dir.path) & kAttrDirectory);
  ASSERT_TRUE(SetAttributes(file, kAttrReadOnly));
  EXPECT_TRUE(GetAttributes(file) & kAttrReadOnly);
  EXPECT_FALSE(DeleteOneFile(file));  // a read-only file is kept
  ASSERT_TRUE(SetAttributes(file, kAttrNormal));
  EXPECT_TRUE(DeleteOneFile(file));
  EXPECT_FALSE(PathExists(file));
}

TEST(PlatformListing, PatternsMatchAsOnWindows) {
  ScratchFolder dir;
  for (const char* name : {"movie.001", "movie.002", "MOVIE.BAT", "notes.txt", "README"})
    ASSERT_TRUE(testenv::WriteFile(dir.Path(name), "x"));
  ASSERT_TRUE(CreateFolder(dir.Path("sub")));

  EXPECT_EQ(List(dir.Path("movie.0*")), (std::vector<std::string>{"movie.001", "movie.002"}));
  EXPECT_EQ(List(dir.Path("*.bat")), (std::vector<std::string>{"MOVIE.BAT"}));
  EXPECT_EQ(List(dir.Path("movie.00?")), (std::vector<std::string>{"movie.001", "movie.002"}));
  EXPECT_EQ(List(dir.Path("*.*")),
            (std::vector<std::string>{".", "..", "MOVIE.BAT", "README", "movie.001", "movie.002",
                                      "notes.txt", "sub"}));
  EXPECT_TRUE(List(dir.Path("*.xyz")).empty());

  FindEntry e;
  EXPECT_EQ(FindFirst(dir.Path("nowhere\\*.*"), &e), kNoFind);
  EXPECT_EQ(LastError(), kErrPathNotFound);
  FindHandle h = FindFirst(dir.Path("notes.txt"), &e);
  ASSERT_NE(h, kNoFind);
  EXPECT_EQ(e.name, "notes.txt");
  EXPECT_EQ(e.size, 1u);
  EXPECT_FALSE(e.attributes & kAttrDirectory);
  EXPECT_FALSE(FindNext(h, &e));
  FindClose(h);
}

TEST(PlatformShell, DeletesByPatternWithSubfolders) {
  ScratchFolder dir;
  std::string top = dir.Path("disk");
  ASSERT_TRUE(CreateFolder(top));
  ASSERT_TRUE(CreateFolder(top + "\\deep"));
  ASSERT_TRUE(CreateFolder(top + "\\deep\\deeper"));
  ASSERT_TRUE(testenv::WriteFile(top + "\\a.001", "1"));
  ASSERT_TRUE(testenv::WriteFile(top + "\\deep\\deeper\\b.002", "2"));

  uint32_t quiet = kShellSilent | kShellNoConfirmation;
  EXPECT_EQ(ShellFileOperation(ShellOp::Delete, top + "\\*.*", "", quiet | kShellFilesOnly), 0u);
  EXPECT_EQ(List(top + "\\*.*"), (std::vector<std::string>{".", "..", "deep"}));
  EXPECT_EQ(ShellFileOperation(ShellOp::Delete, top + "\\*.*", "", quiet), 0u);
  EXPECT_EQ(List(top + "\\*.*"), (std::vector<std::string>{".", ".."}));
  EXPECT_NE(ShellFileOperation(ShellOp::Delete, top + "\\gone.txt", "", quiet), 0u);
}

TEST(PlatformShell, CopiesMovesAndRenames) {
  ScratchFolder dir;
  std::string bytes = testenv::PatternBytes(300000, 3);
  ASSERT_TRUE(testenv::WriteFile(dir.Path("src.bin"), bytes));
  uint32_t quiet = kShellSilent | kShellNoConfirmation | kShellNoConfirmMkdir;

  EXPECT_EQ(ShellFileOperation(ShellOp::Copy, dir.Path("src.bin"), dir.Path("copy.bin"), quiet), 0u);
  EXPECT_EQ(testenv::ReadFile(dir.Path("copy.bin")), bytes);
  ASSERT_TRUE(CreateFolder(dir.Path("into")));
  EXPECT_EQ(ShellFileOperation(ShellOp::Copy, dir.Path("src.bin"), dir.Path("into"), quiet), 0u);
  EXPECT_EQ(testenv::ReadFile(dir.Path("into\\src.bin")), bytes);
  EXPECT_EQ(ShellFileOperation(ShellOp::Rename, dir.Path("copy.bin"), dir.Path("renamed.bin"), quiet), 0u);
  EXPECT_FALSE(PathExists(dir.Path("copy.bin")));
  EXPECT_EQ(ShellFileOperation(ShellOp::Move, dir.Path("renamed.bin"), dir.Path("into\\moved.bin"), quiet), 0u);
  EXPECT_FALSE(PathExists(dir.Path("renamed.bin")));
  EXPECT_EQ(testenv::ReadFile(dir.Path("into\\moved.bin")), bytes);
  EXPECT_NE(ShellFileOperation(ShellOp::Copy, dir.Path("absent.bin"), dir.Path("x.bin"), quiet), 0u);
}

TEST(PlatformShell, CopyOntoAFullFloppyIsAFailure) {
  testenv::Floppy floppy = testenv::PrepareFloppy();
  if (!floppy.sized) {
    testenv::ReleaseFloppy();
    GTEST_SKIP() << "skipped: cannot mount a floppy-sized file system on A:";
  }
  ScratchFolder dir;
  ASSERT_TRUE(testenv::WriteFile(dir.Path("big.bin"), testenv::PatternBytes(2000000)));
  ASSERT_TRUE(testenv::WriteFile(dir.Path("small.bin"), testenv::PatternBytes(1000)));
  uint32_t quiet = kShellSilent | kShellNoConfirmation;
  EXPECT_NE(ShellFileOperation(ShellOp::Copy, dir.Path("big.bin"), "A:\\big.bin", quiet), 0u);
  ShellFileOperation(ShellOp::Delete, "A:\\*.*", "", quiet);
  EXPECT_EQ(ShellFileOperation(ShellOp::Copy, dir.Path("small.bin"), "A:\\small.bin", quiet), 0u);
  testenv::ReleaseFloppy();
}

TEST(PlatformDrives, TheFloppyIsRemovableWithItsGeometry) {
  testenv::Floppy floppy = testenv::PrepareFloppy();
  EXPECT_EQ(DriveType("A:\\"), kDriveRemovable);
  EXPECT_EQ(DriveType("C:\\") == kDriveFixed || DriveType("Z:\\") == kDriveFixed, true);
  DiskGeometry g;
  ASSERT_TRUE(DiskFreeSpace("A:\\", &g));
  EXPECT_GT(g.bytesPerSector, 0u);
  EXPECT_LE(g.freeClusters, g.totalClusters);
  if (floppy.sized) {
    int64_t cluster = int64_t{g.bytesPerSector} * g.sectorsPerCluster;
    EXPECT_EQ(int64_t{g.totalClusters} * cluster, floppy.totalBytes);
    EXPECT_EQ(g.freeClusters, g.totalClusters);  // empty
    ASSERT_TRUE(testenv::WriteFile("A:\\one.bin", testenv::PatternBytes(100000)));
    DiskGeometry after;
    ASSERT_TRUE(DiskFreeSpace("A:\\", &after));
    EXPECT_EQ(after.freeClusters, g.totalClusters - (100000 + cluster - 1) / cluster);
  }
  testenv::ReleaseFloppy();
}

TEST(PlatformNames, TemporaryNamesAreUniqueAndCreated) {
  ScratchFolder dir;
  std::set<std::string> names;
  for (int i = 0; i < 20; ++i) {
    std::string path;
    ASSERT_NE(TempFileName(dir.path, "KST", &path), 0u);
    EXPECT_EQ(SizeOfPath(path), 0);  // created empty
    EXPECT_EQ(path.rfind(dir.path + "\\KST", 0), 0u) << path;
    EXPECT_EQ(path.substr(path.size() - 4), ".tmp");
    names.insert(path);
  }
  EXPECT_EQ(names.size(), 20u);
  std::string path;
  EXPECT_EQ(TempFileName(dir.Path("missing"), "KST", &path), 0u);
}

TEST(PlatformNames, FoldersAndCurrentFolder) {
  ScratchFolder dir;
  EXPECT_TRUE(CreateFolder(dir.Path("one")));
  EXPECT_FALSE(CreateFolder(dir.Path("one")));
  EXPECT_EQ(LastError(), kErrAlreadyExists);
  EXPECT_FALSE(CreateFolder(dir.Path("no\\such")));
  EXPECT_EQ(LastError(), kErrPathNotFound);

  std::string before = CurrentFolder();
  ASSERT_TRUE(SetCurrentFolder(dir.Path("one")));
  ASSERT_TRUE(testenv::WriteFile("relative.txt", "r"));
  EXPECT_TRUE(PathExists(dir.Path("one\\relative.txt")));
  ASSERT_TRUE(SetCurrentFolder(before));

  LocalTime t = Now();
  EXPECT_GE(t.year, 2000);
  EXPECT_TRUE(t.month >= 1 && t.month <= 12);
}
