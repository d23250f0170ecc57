// The platform layer's contract, run against both implementations: the
// Linux emulation natively and the Win32 calls under Wine.
#include "frame/platform/platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/support/test_env.h"

using namespace plat;
using testenv::ScratchFolder;

namespace {

using Names = std::vector<std::string>;

Names List(const std::string& pattern) {
  Names names;
  FindEntry e;
  FindHandle h = FindFirst(pattern, &e);
  if (h == kNoFind) return names;
  do names.push_back(e.name);
  while (FindNext(h, &e));
  FindClose(h);
  std::sort(names.begin(), names.end());
  return names;
}

const uint32_t kQuiet = kShellSilent | kShellNoConfirmation | kShellNoConfirmMkdir;

}  // namespace

TEST(PlatformErrors, EachCodeIsSaidInTheSystemsWordsOnOneLine) {
  std::vector<std::string> said;
  for (uint32_t code : {kErrDiskFull, kErrAccessDenied, kErrFileNotFound}) {
    said.push_back(ErrorText(code));
    EXPECT_FALSE(said.back().empty()) << code;
    EXPECT_EQ(said.back().find_first_of("\r\n"), std::string::npos) << said.back();
    EXPECT_NE(said.back().back(), '.') << said.back();
  }
  EXPECT_NE(said[0], said[1]);
}

TEST(PlatformTicks, AWrappingCountGoesOnAndNeverBack) {
  struct Case {
    uint64_t last;
    uint32_t now;
    uint64_t widened;
  };
  const Case cases[] = {
      {0, 0, 0},
      {1000, 1500, 1500},
      {0, 0x7fffffffu, 0x7fffffffu},
      {0xfffffff0u, 0x10, 0x100000010ull},             // the 32-bit count wrapped
      {0x3fffffff0ull, 0x5, 0x400000005ull},           // a later wrap
      {0x100000010ull, 0x0f, 0x100000010ull},          // read a moment before last
      {0x1000u, 0xfffffff0u, 0x1000u},                 // just before a wrap: behind
  };
  for (const Case& c : cases)
    EXPECT_EQ(WidenTick(c.last, c.now), c.widened) << std::hex << c.last << " " << c.now;
}

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
  uint32_t done = 0;
  ASSERT_TRUE(FileWrite(h, "hello", 5, &done));
  FileClose(h);

  // Opening what is there succeeds yet still says so, as Windows does.
  h = FileOpen(file, kRead, Disposition::OpenAlways);
  EXPECT_EQ(LastError(), kErrAlreadyExists);
  ASSERT_TRUE(OpenSucceeded(h));
  EXPECT_EQ(FileSize(h), 5);
  FileClose(h);
  h = FileOpen(file, kWrite, Disposition::CreateAlways);
  EXPECT_EQ(LastError(), kErrAlreadyExists);
  ASSERT_TRUE(OpenSucceeded(h));
  EXPECT_EQ(FileSize(h), 0);  // truncated
  FileClose(h);
  EXPECT_EQ(FileOpen(file, kWrite, Disposition::CreateNew), kNoFile);
  EXPECT_EQ(LastError(), kErrFileExists);
}

// A read, and a copy through a buffer, come back short at the end of the file.
TEST(PlatformFiles, CopiesBetweenOpenFilesFromTheirPositions) {
  ScratchFolder dir;
  std::string bytes = testenv::PatternBytes(300000, 3);
  ASSERT_TRUE(testenv::WriteFile(dir.Path("from.bin"), bytes));
  FileHandle from = FileOpen(dir.Path("from.bin"), kRead, Disposition::OpenExisting);
  ASSERT_NE(from, kNoFile);
  std::string back(400000, '\0');
  uint32_t done = 0;
  ASSERT_TRUE(FileRead(from, back.data(), 400000, &done));
  EXPECT_EQ(done, 300000u);
  EXPECT_EQ(back.substr(0, done), bytes);
  ASSERT_TRUE(FileRead(from, back.data(), 10, &done));
  EXPECT_EQ(done, 0u);

  FileHandle to = FileOpen(dir.Path("to.bin"), kWrite, Disposition::CreateAlways);
  ASSERT_NE(to, kNoFile);
  std::vector<char> buffer(65536);  // smaller than a copy: it is used a piece at a time
  uint64_t read = 0, written = 0;
  ASSERT_TRUE(FileWrite(to, "head", 4, &done));
  ASSERT_TRUE(FileSeek(from, 50000));
  for (uint64_t expected : {200000u, 50000u, 0u}) {  // the second is short at the end
    ASSERT_TRUE(FileCopy(from, to, 200000, buffer.data(), 65536, &read, &written));
    EXPECT_EQ(read, expected);
    EXPECT_EQ(written, expected);
  }
  FileClose(from);
  FileClose(to);
  EXPECT_EQ(testenv::ReadFile(dir.Path("to.bin")), "head" + bytes.substr(50000));
}

// A folder never opens as a file, a read-only file never opens for
// writing, a file held open refuses what its holder does not share, and a
// refused open leaves the file's bytes as they were (a create-always
// truncates only once it may open the file at all). Each
// case has a file of its own. Wine, run as root here, refuses a write to a
// read-only file once and then answers later opens of it with codes of
// its own: those rows hold the emulation to what Windows does.
TEST(PlatformFiles, RefusedOpensLeaveTheFileAsItWas) {
  ScratchFolder dir;
  const std::string folder = dir.Path("sub");
  ASSERT_TRUE(CreateFolder(folder));
  enum What { Folder, ReadOnly, HeldByReader, HeldByWriter };
  struct Case {
    What what;
    uint32_t access;
    Disposition disposition;
    uint32_t error;
  } cases[] = {
      {Folder, kRead, Disposition::OpenExisting, kErrAccessDenied},
      {Folder, kWrite, Disposition::OpenExisting, kErrAccessDenied},
      {Folder, kRead, Disposition::OpenAlways, kErrAccessDenied},
      {Folder, kWrite, Disposition::CreateAlways, kErrAccessDenied},
      {ReadOnly, kWrite, Disposition::OpenExisting, kErrAccessDenied},
      {ReadOnly, kWrite, Disposition::CreateAlways, kErrAccessDenied},
      {ReadOnly, kReadWrite, Disposition::TruncateExisting, kErrAccessDenied},
      {HeldByReader, kWrite, Disposition::CreateAlways, kErrSharingViolation},
      {HeldByReader, kWrite, Disposition::TruncateExisting, kErrSharingViolation},
      {HeldByReader, kWrite, Disposition::OpenExisting, kErrSharingViolation},
      {HeldByWriter, kRead, Disposition::OpenExisting, kErrSharingViolation},
  };
  int n = 0;
  for (const Case& c : cases) {
#ifdef _WIN32
    if (c.what == ReadOnly) continue;
#endif
    const std::string file = dir.Path("f" + std::to_string(++n) + ".bin");
    const std::string path = c.what == Folder ? folder : file;
    SCOPED_TRACE(path + " access " + std::to_string(c.access) + " disposition " +
                 std::to_string(static_cast<int>(c.disposition)));
    ASSERT_TRUE(testenv::WriteFile(file, "kept"));
    if (c.what == ReadOnly) {
      ASSERT_TRUE(SetAttributes(file, kAttrReadOnly));
    }
    const FileHandle holder =
        c.what == HeldByReader   ? FileOpen(file, kRead, Disposition::OpenExisting, kShareRead)
        : c.what == HeldByWriter ? FileOpen(file, kWrite, Disposition::OpenExisting, kShareNone)
                                 : kNoFile;
    EXPECT_EQ(FileOpen(path, c.access, c.disposition, kShareRead | kShareWrite), kNoFile);
    EXPECT_EQ(LastError(), c.error);
    if (holder != kNoFile) FileClose(holder);
    EXPECT_TRUE(GetAttributes(folder) & kAttrDirectory);
    EXPECT_EQ(testenv::ReadFile(file), "kept");
    ASSERT_TRUE(SetAttributes(file, kAttrNormal));
  }
  // Reading a read-only file is fine, and readers that share reading get along.
  const std::string locked = dir.Path("locked.bin");
  ASSERT_TRUE(testenv::WriteFile(locked, "kept") && SetAttributes(locked, kAttrReadOnly));
  FileHandle h = FileOpen(locked, kRead, Disposition::OpenExisting, kShareRead);
  FileHandle second = FileOpen(locked, kRead, Disposition::OpenExisting, kShareRead);
  EXPECT_NE(h, kNoFile) << LastError();
  EXPECT_NE(second, kNoFile) << LastError();
  FileClose(second);
  FileClose(h);
  ASSERT_TRUE(SetAttributes(locked, kAttrNormal));
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
  char c = 0;
  ASSERT_TRUE(FileSeek(h, offset + 1));
  ASSERT_TRUE(FileRead(h, &c, 1, &done));
  EXPECT_EQ(c, 'Y');
  ASSERT_TRUE(FileSeek(h, 4294967295LL));  // the last byte a 32-bit offset reaches
  ASSERT_TRUE(FileRead(h, &c, 1, &done));
  EXPECT_EQ(done, 1u);
  EXPECT_EQ(c, '\0');
  FileClose(h);
  EXPECT_EQ(SizeOfPath(file), offset + 2);
}

TEST(PlatformFiles, TimesAttributesAndFoldersRoundTrip) {
  ScratchFolder dir;
  std::string file = dir.Path("t.bin");
  ASSERT_TRUE(testenv::WriteFile(file, "x"));
  FileHandle h = FileOpen(file, kReadWrite, Disposition::OpenExisting);
  ASSERT_NE(h, kNoFile);
  FileTimes want, got;
  want.write = want.access = 132000000000000000ULL;  // 2019-04-18
  ASSERT_TRUE(FileSetTimes(h, want));
  ASSERT_TRUE(FileGetTimes(h, &got));
  EXPECT_EQ(got.write, want.write);
  FileClose(h);

  EXPECT_EQ(GetAttributes(dir.Path("none")), kAttrInvalid);
  EXPECT_TRUE(GetAttributes(dir.path) & kAttrDirectory);
  ASSERT_TRUE(SetAttributes(file, kAttrReadOnly));
  EXPECT_FALSE(DeleteOneFile(file));  // a read-only file is kept
  ASSERT_TRUE(SetAttributes(file, kAttrNormal));
  EXPECT_TRUE(DeleteOneFile(file));
  EXPECT_FALSE(PathExists(file));

  // Making a folder that is there fails with its own code: callers accept it.
  EXPECT_TRUE(CreateFolder(dir.Path("one")));
  EXPECT_FALSE(CreateFolder(dir.Path("one")));
  EXPECT_EQ(LastError(), kErrAlreadyExists);
  EXPECT_FALSE(CreateFolder(dir.Path("no\\such")));
  EXPECT_EQ(LastError(), kErrPathNotFound);
}

TEST(PlatformListing, PatternsMatchAsOnWindows) {
  ScratchFolder dir;
  for (const char* name : {"movie.001", "movie.002", "MOVIE.BAT", "notes.txt", "README"})
    ASSERT_TRUE(testenv::WriteFile(dir.Path(name), "x"));
  ASSERT_TRUE(CreateFolder(dir.Path("sub")));
  EXPECT_EQ(List(dir.Path("movie.0*")), (Names{"movie.001", "movie.002"}));
  EXPECT_EQ(List(dir.Path("*.bat")), (Names{"MOVIE.BAT"}));  // without regard to case
  EXPECT_EQ(List(dir.Path("movie.00?")), (Names{"movie.001", "movie.002"}));
  EXPECT_EQ(List(dir.Path("*.*")),  // matches names without a dot too
            (Names{".", "..", "MOVIE.BAT", "README", "movie.001", "movie.002", "notes.txt", "sub"}));
  EXPECT_TRUE(List(dir.Path("*.xyz")).empty());

  FindEntry e;
  EXPECT_EQ(FindFirst(dir.Path("nowhere\\*.*"), &e), kNoFind);
  EXPECT_EQ(LastError(), kErrPathNotFound);
  FindHandle h = FindFirst(dir.Path("notes.txt"), &e);
  ASSERT_NE(h, kNoFind);
  EXPECT_EQ(e.size, 1u);
  EXPECT_FALSE(e.attributes & kAttrDirectory);
  EXPECT_FALSE(FindNext(h, &e));
  FindClose(h);
}

TEST(PlatformShell, DeletesCopiesAndMoves) {
  ScratchFolder dir;
  std::string top = dir.Path("disk");
  ASSERT_TRUE(CreateFolder(top));
  ASSERT_TRUE(CreateFolder(top + "\\deep"));
  ASSERT_TRUE(testenv::WriteFile(top + "\\a.001", "1"));
  ASSERT_TRUE(testenv::WriteFile(top + "\\deep\\b.002", "2"));
  EXPECT_EQ(ShellFileOperation(ShellOp::Delete, top + "\\*.*", "", kQuiet | kShellFilesOnly), 0u);
  EXPECT_EQ(List(top + "\\*.*"), (Names{".", "..", "deep"}));
  EXPECT_EQ(ShellFileOperation(ShellOp::Delete, top + "\\*.*", "", kQuiet), 0u);  // with subfolders
  EXPECT_EQ(List(top + "\\*.*"), (Names{".", ".."}));
  EXPECT_NE(ShellFileOperation(ShellOp::Delete, top + "\\gone.txt", "", kQuiet), 0u);

  std::string bytes = testenv::PatternBytes(300000, 3);
  ASSERT_TRUE(testenv::WriteFile(dir.Path("src.bin"), bytes));
  EXPECT_EQ(ShellFileOperation(ShellOp::Copy, dir.Path("src.bin"), top, kQuiet), 0u);  // into a folder
  EXPECT_EQ(testenv::ReadFile(top + "\\src.bin"), bytes);
  EXPECT_EQ(ShellFileOperation(ShellOp::Move, dir.Path("src.bin"), top + "\\moved.bin", kQuiet), 0u);
  EXPECT_FALSE(PathExists(dir.Path("src.bin")));
  EXPECT_EQ(testenv::ReadFile(top + "\\moved.bin"), bytes);
  EXPECT_NE(ShellFileOperation(ShellOp::Copy, dir.Path("src.bin"), dir.Path("x.bin"), kQuiet), 0u);
}

TEST(PlatformDrives, TheFloppyIsRemovableWithItsGeometryAndACopyThatDoesNotFitFails) {
  testenv::Floppy floppy = testenv::PrepareFloppy();
  EXPECT_EQ(DriveType("A:\\"), kDriveRemovable);
  EXPECT_TRUE(DriveType("C:\\") == kDriveFixed || DriveType("Z:\\") == kDriveFixed);
  DiskGeometry g;
  ASSERT_TRUE(DiskFreeSpace("A:\\", &g));
  EXPECT_GT(g.bytesPerSector, 0u);
  EXPECT_LE(g.freeClusters, g.totalClusters);
  if (!floppy.sized) {
    testenv::ReleaseFloppy();
    GTEST_SKIP() << "skipped the rest: cannot mount a floppy-sized file system on A:";
  }
  int64_t cluster = int64_t{g.bytesPerSector} * g.sectorsPerCluster;
  EXPECT_EQ(int64_t{g.totalClusters} * cluster, floppy.totalBytes);
  EXPECT_EQ(g.freeClusters, g.totalClusters);  // empty
  ASSERT_TRUE(testenv::WriteFile("A:\\one.bin", testenv::PatternBytes(100000)));
  ASSERT_TRUE(DiskFreeSpace("A:\\", &g));
  EXPECT_EQ(g.freeClusters, g.totalClusters - (100000 + cluster - 1) / cluster);

  // A split copied onto a full disk must not pass for a good one.
  ScratchFolder dir;
  ASSERT_TRUE(testenv::WriteFile(dir.Path("big.bin"), testenv::PatternBytes(2000000)));
  EXPECT_NE(ShellFileOperation(ShellOp::Copy, dir.Path("big.bin"), "A:\\big.bin", kQuiet), 0u);
  testenv::ReleaseFloppy();
}
