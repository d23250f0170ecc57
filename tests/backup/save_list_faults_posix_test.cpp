// Save list files when the disk lets them down (faults injected by the
// emulation): the save says why, its mark is cleared, later saves do not
// wait for ever, and the next automatic save does not write over the last
// good file. And damaged lists whose temporary entries would have a run
// delete a file it did not make.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <thread>

#include "backup/save_list.h"
#include "frame/platform/emulation.h"
#include "tests/backup/backup_scenario_support.h"

namespace {

using backuptest::Bytes;
using plat::Fault;
using testenv::ReadFile;
using testenv::WriteFile;

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

// A list saved after a verification found split 2 of big.bin different:
// its redo lies in tmp, the list's temporary folder is the KST folder made
// in tmp for the next run. One changed byte (or entry) at a time: a
// temporary entry that is not the run's own redo, or splits that do not
// make up a copied file, refuse the list and leave every file as it is.
TEST_F(SaveListFaultTest, DamagedListsAreRefusedBeforeTheyCanDeleteAFile) {
  const std::string source = scratch.Path("src\\big.bin"), redo = scratch.Path("tmp\\big.bin.002"),
                    temporary = scratch.Path("tmp\\KST1.tmp\\");
  ASSERT_TRUE(plat::CreateFolder(scratch.Path("src")) && plat::CreateFolder(scratch.Path("tmp")) &&
              plat::CreateFolder(temporary));
  ASSERT_TRUE(WriteFile(source, testenv::PatternBytes(3000, 7)) && WriteFile(redo, std::string(1400, 'r')) &&
              WriteFile(scratch.Path("src\\big.bin.002"), std::string(1400, 'u')));
  const std::string sound = Bytes()
                                .Header(2, 1885, "A:\\", temporary)
                                .File(source, 3000, 3, 1, 0, 0)
                                .Split("A:\\big.bin.001", 1400, 1, 1)
                                .Split("A:\\big.bin.002", 1400, 0, 1)
                                .Split("A:\\big.bin.003", 200, 1, 1)
                                .File(redo, 1400, 0, 0, 0, 1)
                                .data;
  ASSERT_EQ(sound.size(), 1885u);
  constexpr size_t kFile = 525, kRedo = 525 + 275 + 3 * 270;
  auto split = [](int k) { return kFile + 275 + 270 * (k - 1); };
  auto setPath = [](std::string& b, size_t at, const std::string& path) {
    b.replace(at, 260, path + std::string(260 - path.size(), ' '));
  };
  struct Case {
    const char* what;
    std::function<void(std::string&)> change;
    int message;         // 0: the list loads
    std::string faulty;  // the entry the refusal names
  } cases[] = {
      {"the source's temporary flag", [&](std::string& b) { b[kFile + 274] = 1; }, 1476, source},
      {"the source's size", [&](std::string& b) { b[kFile + 260] ^= 1; }, 1475, source},
      {"the source's name", [&](std::string& b) { b[kFile + source.size() - 6] = 'o'; }, 1475,
       scratch.Path("src\\bog.bin")},
      {"a split's size", [&](std::string& b) { b[split(2) + 260] ^= 8; }, 1475, source},
      {"a split's number", [&](std::string& b) { b[split(3) + 13] = '4'; }, 1475, source},
      {"the redo's size", [&](std::string& b) { b[kRedo + 260] ^= 1; }, 1476, redo},
      {"the redo's name", [&](std::string& b) { b[kRedo + redo.size() - 1] = 'x'; }, 1476,
       redo.substr(0, redo.size() - 1) + "x"},
      {"the list's temporary folder", [&](std::string& b) { b[265 + temporary.size() - 11] = 'q'; }, 1476, redo},
      {"a redo that is the source", [&](std::string& b) {
         setPath(b, kRedo, source);
         b.replace(kRedo + 260, 8, Bytes().Int(3000, 8).data);
       }, 1476, source},
      {"a redo outside the temporary folder",
       [&](std::string& b) { setPath(b, kRedo, scratch.Path("src\\big.bin.002")); }, 1476,
       scratch.Path("src\\big.bin.002")},
      {"a redo that is a link to the source", [&](std::string& b) {
         std::filesystem::create_symlink(plat::EmuHostPath(source), plat::EmuHostPath(scratch.Path("tmp\\big.bin.001")));
         setPath(b, kRedo, scratch.Path("tmp\\big.bin.001"));
         b.replace(kRedo + 260, 8, Bytes().Int(3000, 8).data);
       }, 1476, scratch.Path("tmp\\big.bin.001")},
      // Changes a run may have made, or that put no file at risk.
      {"the source's copied flag", [&](std::string& b) { b[kFile + 272] = 0; }, 0, ""},
      {"a split's safe flag", [&](std::string& b) { b[split(2) + 268] = 1; }, 0, ""},
      {"the redo's temporary flag", [&](std::string& b) { b[kRedo + 274] = 0; }, 0, ""},
      {"the destination", [&](std::string& b) { b[5] = 'B'; }, 0, ""},
      {"a redo in the temporary folder itself", [&](std::string& b) {
         WriteFile(temporary + "big.bin.002", std::string(1400, 'r'));
         setPath(b, kRedo, temporary + "big.bin.002");
       }, 0, ""},
      {"a redo already gone", [&](std::string& b) { setPath(b, kRedo, scratch.Path("tmp\\big.bin.003")); }, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = sound;
    c.change(bytes);
    ASSERT_TRUE(WriteFile(files.names[0], bytes));
    const std::string before = ReadFile(source) + ReadFile(redo);
    person.asked.clear();
    EXPECT_EQ(kst::LoadList(list, files, 1, false, owner), c.message == 0);
    if (c.message != 0) {
      ASSERT_EQ(person.asked.size(), 1u);
      EXPECT_EQ(person.asked[0].heading + ": " + person.asked[0].message,
                kst::Trimmed(kst::GetText(199)) + ": " + kst::Trimmed(kst::GetText(c.message)) + " " + c.faulty);
      EXPECT_TRUE(list.image.entries.empty());
    }
    EXPECT_EQ(ReadFile(source) + ReadFile(redo), before);
    EXPECT_EQ(ReadFile(files.names[0]), bytes);
  }
}

}  // namespace
