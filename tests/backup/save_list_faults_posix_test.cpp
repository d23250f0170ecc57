// Save list files when the disk lets them down (faults injected by the
// emulation): the save says why, its mark is cleared, later saves do not
// wait for ever, and the next automatic save does not write over the last
// good file.
#include <gtest/gtest.h>

#include <thread>

#include "backup/save_list.h"
#include "frame/platform/emulation.h"
#include "frame/platform/platform.h"
#include "tests/backup/backup_test_support.h"
#include "tests/support/test_env.h"

namespace {

using plat::Fault;
using testenv::ReadFile;

struct SaveListFaultTest : ::testing::Test {
  SaveListFaultTest() {
    files.names[0] = scratch.Path("first.lst");
    files.names[1] = scratch.Path("second.lst");
    files.onSaving = [this](bool saving) { savingCalls.push_back(saving); };
    kst::AddToTransportList(list, "C:\\DATA\\big.bin", 3000000);
  }
  void TearDown() override { plat::EmuClearFaults(); }
  kst::MessageOwner owner;
  testenv::ScratchFolder scratch;
  kst::TransportList list;
  kst::SaveListFiles files;
  std::vector<bool> savingCalls;
};

TEST_F(SaveListFaultTest, FailedAutomaticSaveIsRetriedOnTheSameFile) {
  backuptest::ScriptedPerson person;
  ASSERT_TRUE(kst::AutoSaveList(list, files, owner));  // the second file
  ASSERT_TRUE(kst::AutoSaveList(list, files, owner));  // the first
  const std::string good = ReadFile(files.names[0]);
  struct Case {
    Fault fault;
    int skip;
    int message;
  } cases[] = {{Fault::OpenFails, 0, 196},  // emptying the old file
               {Fault::OpenFails, 1, 197},  // opening it for the write
               {Fault::ShortWrite, 0, 198},
               {Fault::DiskFull, 0, 198}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    savingCalls.clear();
    plat::EmuInjectFault(c.fault, c.skip, "second.lst");
    EXPECT_FALSE(kst::AutoSaveList(list, files, owner));
    plat::EmuClearFaults();
    EXPECT_TRUE(person.Said(195, c.message));
    EXPECT_FALSE(files.saving);
    EXPECT_FALSE(files.lastSaveOk[1]);
    EXPECT_EQ(savingCalls, (std::vector<bool>{true, false}));
    EXPECT_EQ(kst::NextAutoSaveFile(files), 2) << "the next save must not truncate the first file";
    EXPECT_EQ(ReadFile(files.names[0]), good);
  }
  // The retry succeeds and the order goes on from there; a second thread's
  // save is not held up by the failures before.
  EXPECT_TRUE(kst::AutoSaveList(list, files, owner));
  EXPECT_EQ(ReadFile(files.names[1]), good);
  bool saved = false;
  std::thread other([&] { saved = kst::AutoSaveList(list, files, owner); });
  other.join();
  EXPECT_TRUE(saved);
  EXPECT_TRUE(files.lastSaveOk[0] && files.lastSaveOk[1]);
}

TEST_F(SaveListFaultTest, FailedSavePressLeavesTheOtherFileForLater) {
  backuptest::ScriptedPerson person;
  plat::EmuInjectFault(Fault::DiskFull, 0, "first.lst");
  EXPECT_FALSE(kst::SavePressed(list, files, 1, owner));
  EXPECT_TRUE(person.Said(195, 198));
  EXPECT_EQ(kst::NextAutoSaveFile(files), 1);
  EXPECT_FALSE(files.saving);
}

TEST_F(SaveListFaultTest, ShortReadOrFailedOpenOnLoadEmptiesTheList) {
  backuptest::ScriptedPerson person;
  ASSERT_TRUE(kst::SaveList(list, files, 1, owner));
  struct Case {
    Fault fault;
    int message;
  } cases[] = {{Fault::OpenFails, 200}, {Fault::ShortRead, 201}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    kst::AddToTransportList(list, "C:\\DATA\\other.bin", 5);
    plat::EmuInjectFault(c.fault, 0, "first.lst");
    EXPECT_FALSE(kst::LoadList(list, files, 1, false, owner));
    plat::EmuClearFaults();
    EXPECT_TRUE(person.Said(199, c.message));
    EXPECT_TRUE(list.image.entries.empty());
  }
}

}  // namespace
