// Run against both implementations: the Linux emulation and, under Wine, Win32.
#include "frame/platform/platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "frame/platform/park.h"
#include "tests/support/test_env.h"

using namespace plat;
using testenv::ScratchFolder;

namespace {

using Names = std::vector<std::string>;

Names List(const std::string& pattern) {
  Names names;
  FindEntry e;
  FindHandle h = FindFirst(pattern, &e);
  for (bool more = h != kNoFind; more; more = FindNext(h, &e)) names.push_back(e.name);
  if (h != kNoFind) FindClose(h);
  return std::sort(names.begin(), names.end()), names;
}

const uint32_t kQuiet = kShellSilent | kShellNoConfirmation | kShellNoConfirmMkdir;

}  // namespace

TEST(PlatformBasics, CodesAreSaidInTheSystemsWordsAndAWrappingTickCountNeverGoesBack) {
  for (uint32_t code : {kErrDiskFull, kErrAccessDenied, kErrFileNotFound}) {
    const std::string said = ErrorText(code);
    EXPECT_TRUE(!said.empty() && said.find_first_of("\r\n") == std::string::npos && said.back() != '.') << said;
  }
  EXPECT_NE(ErrorText(kErrDiskFull), ErrorText(kErrAccessDenied));

  const struct { uint64_t last; uint32_t now; uint64_t widened; } cases[] = {
      {0, 0, 0}, {1000, 1500, 1500}, {0, 0x7fffffffu, 0x7fffffffu},
      {0xfffffff0u, 0x10, 0x100000010ull},     // the 32-bit count wrapped
      {0x3fffffff0ull, 0x5, 0x400000005ull},   // a later wrap
      {0x100000010ull, 0x0f, 0x100000010ull},  // read a moment before last
      {0x1000u, 0xfffffff0u, 0x1000u},         // just before a wrap: behind
  };
  for (const auto& c : cases) EXPECT_EQ(WidenTick(c.last, c.now), c.widened) << std::hex << c.last << " " << c.now;
}

// Opening what is there succeeds yet still says so, as Windows does.
TEST(PlatformFiles, OpenDispositionsReportTheirCodes) {
  ScratchFolder dir;
  const std::string file = dir.Path("a.bin");
  // size: after the open; -1: refused.
  const struct { std::string path; uint32_t access; Disposition disposition; uint32_t error; int64_t size; } cases[] = {
      {file, kRead, Disposition::OpenExisting, kErrFileNotFound, -1},
      {dir.Path("missing\\a.bin"), kRead, Disposition::OpenExisting, kErrPathNotFound, -1},
      {file, kWrite, Disposition::TruncateExisting, kErrFileNotFound, -1},
      {file, kWrite, Disposition::OpenAlways, kErrNone, 0},
      {file, kRead, Disposition::OpenAlways, kErrAlreadyExists, 5},
      {file, kWrite, Disposition::CreateAlways, kErrAlreadyExists, 0},  // truncated
      {file, kWrite, Disposition::CreateNew, kErrFileExists, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    FileHandle h = FileOpen(c.path, c.access, c.disposition);
    EXPECT_EQ(LastError(), c.error);
    EXPECT_EQ(OpenSucceeded(h) ? FileSize(h) : -1, c.size);
    uint32_t done = 0;
    EXPECT_TRUE(!OpenSucceeded(h) || c.access != kWrite || FileWrite(h, "hello", 5, &done));
    if (OpenSucceeded(h)) FileClose(h);
  }
}

TEST(PlatformFiles, CopiesBetweenOpenFilesFromTheirPositionsAndSeeksBeyondFourGigabytes) {
  ScratchFolder dir;
  std::string bytes = testenv::PatternBytes(300000, 3);
  ASSERT_TRUE(testenv::WriteFile(dir.Path("from.bin"), bytes));
  FileHandle from = FileOpen(dir.Path("from.bin"), kRead, Disposition::OpenExisting);
  FileHandle to = FileOpen(dir.Path("to.bin"), kWrite, Disposition::CreateAlways);
  ASSERT_TRUE(from != kNoFile && to != kNoFile);
  std::string back(400000, '\0');
  uint32_t done = 0, atEnd = 1;
  ASSERT_TRUE(FileRead(from, back.data(), 400000, &done) && FileRead(from, back.data(), 10, &atEnd));
  EXPECT_TRUE(back.substr(0, done) == bytes && atEnd == 0);

  std::vector<char> buffer(65536);  // smaller than a copy: it is used a piece at a time
  uint64_t read = 0, written = 0;
  ASSERT_TRUE(FileWrite(to, "head", 4, &done) && FileSeek(from, 50000));
  for (uint64_t expected : {200000u, 50000u, 0u}) {  // the second is short at the end
    ASSERT_TRUE(FileCopy(from, to, 200000, buffer.data(), 65536, &read, &written));
    EXPECT_EQ(read * 1000000 + written, expected * 1000001);
  }
  FileClose(from), FileClose(to);
  EXPECT_EQ(testenv::ReadFile(dir.Path("to.bin")), "head" + bytes.substr(50000));
  std::string file = dir.Path("big.bin");
  const int64_t offset = 5LL * 1024 * 1024 * 1024 + 3;
  FileHandle h = FileOpen(file, kReadWrite, Disposition::CreateAlways);
  char c = 0, hole = 1;
  ASSERT_TRUE(FileSeek(h, offset) && FileWrite(h, "XY", 2, &done));
  ASSERT_TRUE(FileSeek(h, offset + 1) && FileRead(h, &c, 1, &done));
  ASSERT_TRUE(FileSeek(h, 4294967295LL) && FileRead(h, &hole, 1, &done));  // the last byte a 32-bit offset reaches
  EXPECT_EQ(std::string(1, c) + hole, std::string("Y\0", 2));
  FileClose(h);
  EXPECT_EQ(SizeOfPath(file), offset + 2);
}

// Wine, run as root here, answers opens of a read-only file with codes of its own: those rows hold the
// emulation to what Windows does.
TEST(PlatformFiles, RefusedOpensLeaveTheFileAsItWas) {
  ScratchFolder dir;
  const std::string folder = dir.Path("sub");
  ASSERT_TRUE(CreateFolder(folder));
  enum What { Folder, ReadOnly, HeldByReader, HeldByWriter };
  using D = Disposition;
  const struct { What what; uint32_t access; Disposition disposition; } cases[] = {
      {Folder, kRead, D::OpenExisting},        {Folder, kWrite, D::OpenExisting},
      {Folder, kRead, D::OpenAlways},          {Folder, kWrite, D::CreateAlways},
      {ReadOnly, kWrite, D::OpenExisting},     {ReadOnly, kWrite, D::CreateAlways},
      {ReadOnly, kReadWrite, D::TruncateExisting}, {HeldByReader, kWrite, D::CreateAlways},
      {HeldByReader, kWrite, D::TruncateExisting}, {HeldByReader, kWrite, D::OpenExisting},
      {HeldByWriter, kRead, D::OpenExisting},
  };
  for (const auto& c : cases) {
#ifdef _WIN32
    if (c.what == ReadOnly) continue;
#endif
    const std::string file = dir.Path("f" + std::to_string(&c - cases) + ".bin");
    SCOPED_TRACE(file);
    ASSERT_TRUE(testenv::WriteFile(file, "kept"));
    ASSERT_TRUE(SetAttributes(file, c.what == ReadOnly ? kAttrReadOnly : kAttrNormal));
    const FileHandle holder = c.what == HeldByReader   ? FileOpen(file, kRead, D::OpenExisting, kShareRead)
                              : c.what == HeldByWriter ? FileOpen(file, kWrite, D::OpenExisting, kShareNone)
                                                       : kNoFile;
    const std::string path = c.what == Folder ? folder : file;
    EXPECT_EQ(FileOpen(path, c.access, c.disposition, kShareRead | kShareWrite), kNoFile);
    EXPECT_EQ(LastError(), c.what == Folder || c.what == ReadOnly ? kErrAccessDenied : kErrSharingViolation);
    if (holder != kNoFile) FileClose(holder);
    EXPECT_TRUE(GetAttributes(folder) & kAttrDirectory);
    EXPECT_EQ(testenv::ReadFile(file), "kept");
    ASSERT_TRUE(SetAttributes(file, kAttrNormal));
  }
  // Reading a read-only file is fine, and readers that share reading get along.
  const std::string locked = dir.Path("locked.bin");
  ASSERT_TRUE(testenv::WriteFile(locked, "kept") && SetAttributes(locked, kAttrReadOnly));
  FileHandle h = FileOpen(locked, kRead, D::OpenExisting, kShareRead);
  FileHandle second = FileOpen(locked, kRead, D::OpenExisting, kShareRead);
  EXPECT_TRUE(h != kNoFile && second != kNoFile) << LastError();
  FileClose(second), FileClose(h);
  ASSERT_TRUE(SetAttributes(locked, kAttrNormal));
}

TEST(PlatformFiles, TimesAttributesAndFoldersRoundTrip) {
  ScratchFolder dir;
  std::string file = dir.Path("t.bin");
  ASSERT_TRUE(testenv::WriteFile(file, "x"));
  FileHandle h = FileOpen(file, kReadWrite, Disposition::OpenExisting);
  FileTimes want, got;
  want.write = want.access = 132000000000000000ULL;  // 2019-04-18
  ASSERT_TRUE(FileSetTimes(h, want) && FileGetTimes(h, &got));
  EXPECT_EQ(got.write, want.write);
  FileClose(h);
  EXPECT_EQ(GetAttributes(dir.Path("none")), kAttrInvalid);
  ASSERT_TRUE(SetAttributes(file, kAttrReadOnly));
  EXPECT_FALSE(DeleteOneFile(file));  // a read-only file is kept
  ASSERT_TRUE(SetAttributes(file, kAttrNormal));
  EXPECT_TRUE(DeleteOneFile(file) && !PathExists(file));
  EXPECT_TRUE(CreateFolder(dir.Path("one")));
  for (const auto& [folder, error] :
       {std::pair<const char*, uint32_t>{"one", kErrAlreadyExists}, {"no\\such", kErrPathNotFound}}) {
    EXPECT_FALSE(CreateFolder(dir.Path(folder)));
    EXPECT_EQ(LastError(), error) << folder;
  }
}

TEST(PlatformListing, PatternsMatchAsOnWindowsAndTheShellDeletesCopiesAndMoves) {
  ScratchFolder dir;
  for (const char* name : {"movie.001", "movie.002", "MOVIE.BAT", "notes.txt", "README"})
    ASSERT_TRUE(testenv::WriteFile(dir.Path(name), "x"));
  ASSERT_TRUE(CreateFolder(dir.Path("sub")));
  EXPECT_EQ(List(dir.Path("movie.00?")), (Names{"movie.001", "movie.002"}));
  EXPECT_EQ(List(dir.Path("*.bat")), (Names{"MOVIE.BAT"}));  // without regard to case
  EXPECT_EQ(List(dir.Path("*.*")),  // matches names without a dot too
            (Names{".", "..", "MOVIE.BAT", "README", "movie.001", "movie.002", "notes.txt", "sub"}));
  EXPECT_TRUE(List(dir.Path("*.xyz")).empty());

  FindEntry e;
  EXPECT_TRUE(FindFirst(dir.Path("nowhere\\*.*"), &e) == kNoFind && LastError() == kErrPathNotFound);
  FindHandle h = FindFirst(dir.Path("notes.txt"), &e);
  ASSERT_NE(h, kNoFind);
  EXPECT_TRUE(e.size == 1 && !(e.attributes & kAttrDirectory) && !FindNext(h, &e));
  FindClose(h);

  std::string top = dir.Path("disk");
  ASSERT_TRUE(CreateFolder(top) && CreateFolder(top + "\\deep"));
  ASSERT_TRUE(testenv::WriteFile(top + "\\a.001", "1") && testenv::WriteFile(top + "\\deep\\b.002", "2"));
  EXPECT_EQ(ShellFileOperation(ShellOp::Delete, top + "\\*.*", "", kQuiet | kShellFilesOnly), 0u);
  EXPECT_EQ(List(top + "\\*.*"), (Names{".", "..", "deep"}));
  EXPECT_EQ(ShellFileOperation(ShellOp::Delete, top + "\\*.*", "", kQuiet), 0u);  // with subfolders
  EXPECT_EQ(List(top + "\\*.*"), (Names{".", ".."}));
  EXPECT_NE(ShellFileOperation(ShellOp::Delete, top + "\\gone.txt", "", kQuiet), 0u);

  std::string bytes = testenv::PatternBytes(300000, 3);
  ASSERT_TRUE(testenv::WriteFile(dir.Path("src.bin"), bytes));
  EXPECT_EQ(ShellFileOperation(ShellOp::Copy, dir.Path("src.bin"), top, kQuiet), 0u);  // into a folder
  EXPECT_EQ(ShellFileOperation(ShellOp::Move, dir.Path("src.bin"), top + "\\moved.bin", kQuiet), 0u);
  EXPECT_EQ(testenv::ReadFile(top + "\\src.bin") + testenv::ReadFile(top + "\\moved.bin"), bytes + bytes);
  EXPECT_NE(ShellFileOperation(ShellOp::Copy, dir.Path("src.bin"), dir.Path("x.bin"), kQuiet), 0u);  // moved away
}

TEST(PlatformDrives, TheFloppyIsRemovableWithItsGeometryAndACopyThatDoesNotFitFails) {
  testenv::Floppy floppy = testenv::PrepareFloppy();
  EXPECT_EQ(DriveType("A:\\"), kDriveRemovable);
  EXPECT_TRUE(DriveType("C:\\") == kDriveFixed || DriveType("Z:\\") == kDriveFixed);
  DiskGeometry g;
  ASSERT_TRUE(DiskFreeSpace("A:\\", &g));
  EXPECT_TRUE(g.bytesPerSector > 0 && g.freeClusters <= g.totalClusters);
  if (!floppy.sized) {
    testenv::ReleaseFloppy();
    GTEST_SKIP() << "skipped the rest: cannot mount a floppy-sized file system on A:";
  }
  int64_t cluster = int64_t{g.bytesPerSector} * g.sectorsPerCluster;
  EXPECT_EQ(int64_t{g.totalClusters} * cluster, floppy.totalBytes);
  ASSERT_TRUE(testenv::WriteFile("A:\\one.bin", testenv::PatternBytes(100000)));
  ASSERT_TRUE(DiskFreeSpace("A:\\", &g));
  EXPECT_EQ(g.freeClusters, g.totalClusters - (100000 + cluster - 1) / cluster);
  ScratchFolder dir;
  ASSERT_TRUE(testenv::WriteFile(dir.Path("big.bin"), testenv::PatternBytes(2000000)));
  EXPECT_NE(ShellFileOperation(ShellOp::Copy, dir.Path("big.bin"), "A:\\big.bin", kQuiet), 0u);
  testenv::ReleaseFloppy();
}

// A wake before the park is kept once; a lost wake-up would stall the loop.
TEST(Park, NoWakeIsLostBetweenTwoThreads) {
  ParkEvent event;
  Wake(event);
  EXPECT_TRUE(ParkSelfFor(event, 1000));  // returns at once
  EXPECT_FALSE(ParkSelfFor(event, 20));   // the wake was used up
  ParkEvent toWorker, toMain;
  int steps = 0, answered = 0;
  std::thread worker([&] {
    while (steps < 2000 && ParkSelfFor(toWorker, 5000)) ++steps, Wake(toMain);
  });
  while (answered < 2000 && (Wake(toWorker), ParkSelfFor(toMain, 5000))) ++answered;
  worker.join();
  EXPECT_EQ(answered + steps, 4000);
}
