#include "frame/platform/emulation.h"

#include <gtest/gtest.h>

#include "tests/support/test_env.h"

using namespace plat;
using testenv::ScratchFolder;

class Emulation : public ::testing::Test {
 protected:
  void SetUp() override { testenv::PrepareFloppy(); }
  void TearDown() override { EmuClearFaults(), EmuExactNames(false), testenv::ReleaseFloppy(); }
};

TEST_F(Emulation, PastTheCapacityWritesComeBackShortFaultsGoThroughTheBufferAndPathsMapWithoutCase) {
  FileHandle h = FileOpen("A:\\full.bin", kWrite, Disposition::CreateAlways);
  std::string bytes = testenv::PatternBytes(1000000);
  uint32_t done = 0, none = 1;
  ASSERT_TRUE(FileWrite(h, bytes.data(), 1000000, &done) && FileWrite(h, bytes.data(), 1000000, &done));
  EXPECT_EQ(done, 457664u);  // what was left of 1457664
  EXPECT_FALSE(FileWrite(h, bytes.data(), 1000, &none));
  EXPECT_EQ(LastError() * 10 + none, kErrDiskFull * 10u);
  FileClose(h);
  EXPECT_EQ(SizeOfPath("A:\\full.bin"), 1457664);
  ASSERT_TRUE(DeleteOneFile("A:\\full.bin"));  // room for the copy

  ScratchFolder dir;
  ASSERT_TRUE(testenv::WriteFile(dir.Path("big.bin"), testenv::PatternBytes(2000000)));
  FileHandle from = FileOpen(dir.Path("big.bin"), kRead, Disposition::OpenExisting);
  FileHandle to = FileOpen("A:\\copy.bin", kWrite, Disposition::CreateAlways);
  ASSERT_TRUE(from != kNoFile && to != kNoFile);
  std::vector<char> buffer(300000);
  uint64_t read = 0, written = 0;
  ASSERT_TRUE(FileCopy(from, to, 2000000, buffer.data(), 300000, &read, &written));
  // The capacity still counts, and the copy stopped at the piece that did not fit.
  EXPECT_EQ(std::make_pair(read, written), std::make_pair(uint64_t{1500000}, uint64_t{1457664}));
  FileClose(to);
  ASSERT_TRUE(DeleteOneFile("A:\\copy.bin"));

  to = FileOpen(dir.Path("copy.bin"), kWrite, Disposition::CreateAlways);
  ASSERT_TRUE(FileSeek(from, 0));
  EmuInjectFault(Fault::ShortWrite);
  ASSERT_TRUE(FileCopy(from, to, 1000, buffer.data(), 1000, &read, &written));
  EXPECT_EQ(read * 10000 + written, 10000500u);
  EmuInjectFault(Fault::DiskFull);
  EXPECT_FALSE(FileCopy(from, to, 1000, buffer.data(), 1000, &read, &written));
  EXPECT_EQ(LastError(), kErrDiskFull);
  FileClose(from), FileClose(to);

  ASSERT_TRUE(CreateFolder("A:\\Folder"));
  ASSERT_TRUE(testenv::WriteFile("A:\\FOLDER\\Name.Txt", "n"));
  EXPECT_EQ(EmuHostPath("a:\\folder\\NAME.TXT"), EmuHostPath("A:\\Folder\\Name.Txt"));
  EXPECT_TRUE(DriveType("Q:\\") == kDriveNoRoot && EmuWindowsPath("/tmp/x") == "Z:\\tmp\\x");

  // The cli's way: another case or a trailing blank names another file.
  for (bool exact : {false, true}) {
    EmuExactNames(exact);
    for (const char* path : {"A:\\folder\\Name.Txt", "A:\\Folder\\NAME.TXT", "A:\\Folder\\Name.Txt "})
      EXPECT_NE(PathExists(path), exact) << path;
    EXPECT_TRUE(PathExists("A:\\Folder\\Name.Txt"));
  }
  ASSERT_TRUE(testenv::WriteFile("A:\\Folder\\name.txt", "other"));
  EmuExactNames(false);
  EXPECT_EQ(testenv::ReadFile("A:\\Folder\\Name.Txt") + testenv::ReadFile("A:\\Folder\\name.txt"), "nother");
}
