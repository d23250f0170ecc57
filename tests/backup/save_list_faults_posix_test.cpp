// Save list files when the disk lets them down (faults injected by the
// emulation): the save says why, its mark is cleared, later saves do not
// wait for ever, and the next automatic save does not write over the last
// good file.
#include <gtest/gtest.h>

#include <thread>

#include "backup/save_list.h"
#include "frame/platform/emulation.h"
#include "tests/backup/backup_scenario_support.h"

namespace {

using plat::Fault;
using testenv::ReadFile;

struct SaveListFaultTest : backuptest::SaveFilesTest {
  SaveListFaultTest() { kst::AddToTransportList(list, "C:\\DATA\\big.bin", 3000000); }
  void TearDown() override { plat::EmuClearFaults(); }
  backuptest::ScriptedPerson person;
};

TEST_F(SaveListFaultTest, FailedSavesAreRetriedOnTheSameFile) {
  ASSERT_TRUE(kst::AutoSaveList(list, files, owner) && kst::AutoSaveList(list, files, owner));
  const std::string good = ReadFile(files.names[0]);
  struct Case {
    Fault fault;
    int skip;
    int message;
    bool pressed;  // Save for the second file instead of an automatic save
  } cases[] = {{Fault::OpenFails, 0, 196, false},  // emptying the old file
               {Fault::OpenFails, 1, 197, false},  // opening it for the write
               {Fault::ShortWrite, 0, 198, false},
               {Fault::DiskFull, 0, 198, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    savingCalls.clear();
    if (c.pressed) files.lastAutoSaved = 2;
    plat::EmuInjectFault(c.fault, c.skip, "second.lst");
    EXPECT_FALSE(c.pressed ? kst::SavePressed(list, files, 2, owner) : kst::AutoSaveList(list, files, owner));
    plat::EmuClearFaults();
    EXPECT_TRUE(person.Said(195, c.message));
    EXPECT_FALSE(files.saving || files.lastSaveOk[1]);
    EXPECT_EQ(savingCalls, (std::vector<bool>{true, false}));
    EXPECT_EQ(kst::NextAutoSaveFile(files), 2) << "the next save must not truncate the first file";
    EXPECT_EQ(ReadFile(files.names[0]), good);
  }
  // The retry, from another thread, is not held up by the failures before.
  bool saved = false;
  std::thread other([&] { saved = kst::AutoSaveList(list, files, owner); });
  other.join();
  EXPECT_TRUE(saved && files.lastSaveOk[1]);
  EXPECT_EQ(ReadFile(files.names[1]), good);
}

TEST_F(SaveListFaultTest, FailedOpenOrShortReadOnLoadEmptiesTheList) {
  ASSERT_TRUE(kst::SaveList(list, files, 1, owner));
  for (auto [fault, message] : {std::pair{Fault::OpenFails, 200}, std::pair{Fault::ShortRead, 201}}) {
    SCOPED_TRACE(message);
    kst::AddToTransportList(list, "C:\\DATA\\other.bin", 5);
    plat::EmuInjectFault(fault, 0, "first.lst");
    EXPECT_FALSE(kst::LoadList(list, files, 1, false, owner));
    plat::EmuClearFaults();
    EXPECT_TRUE(person.Said(199, message));
    EXPECT_TRUE(list.image.entries.empty());
  }
}

}  // namespace
