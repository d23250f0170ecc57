// Save list files when the disk lets them down (faults injected by the
// emulation): the save says why, its mark is cleared, later saves do not
// wait for ever, and the next automatic save does not write over the last
// good file. And damaged lists whose temporary entries would have a run
// delete a file it did not make.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <thread>

#include "backup/list_checks.h"
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
  // pressed: Save for the second file instead of an automatic save.
  struct Case { Fault fault; int skip, message; bool pressed; } cases[] = {
      {Fault::OpenFails, 0, 196, false},  // emptying the old file
      {Fault::OpenFails, 1, 197, false},  // opening it for the write
      {Fault::ShortWrite, 0, 198, false}, {Fault::DiskFull, 0, 198, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    savingCalls.clear();
    if (c.pressed) files.lastAutoSaved = 2;
    plat::EmuInjectFault(c.fault, c.skip, "second.lst");
    EXPECT_FALSE(c.pressed ? kst::SavePressed(list, files, 2, owner) : kst::AutoSaveList(list, files, owner));
    plat::EmuClearFaults();
    EXPECT_TRUE(person.Said(195, c.message) && !files.saving && !files.lastSaveOk[1]);
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
    EXPECT_TRUE(person.Said(199, message) && list.image.entries.empty());
  }
}

// A list saved after a verification found split 2 of big.bin different:
// its redo lies in tmp, the list's temporary folder is the KST folder made
// in tmp for the next run. One byte (or the redo's path) changed at a
// time: a temporary entry that is not the run's own redo, or splits that
// do not make up a copied file, refuse the list and touch no file.
TEST_F(SaveListFaultTest, DamagedListsAreRefusedBeforeTheyCanDeleteAFile) {
  auto at = [&](const std::string& name) { return scratch.Path(name); };
  const std::string source = at("src\\big.bin"), redo = at("tmp\\big.bin.002"), kst = at("tmp\\KST1.tmp\\");
  ASSERT_TRUE(plat::CreateFolder(at("src")) && plat::CreateFolder(at("tmp")) && plat::CreateFolder(kst));
  for (const std::string& path : {redo, at("src\\big.bin.002"), kst + "big.bin.002"})
    ASSERT_TRUE(WriteFile(path, std::string(1400, 'r')));
  ASSERT_TRUE(WriteFile(source, testenv::PatternBytes(3000, 7)));
  std::filesystem::create_symlink(plat::EmuHostPath(source), plat::EmuHostPath(at("tmp\\big.bin.001")));
  const std::string sound = Bytes().Header(2, 1885, "A:\\", kst).File(source, 3000, 3, 1, 0, 0)
                                .Split("A:\\big.bin.001", 1400, 1, 1).Split("A:\\big.bin.002", 1400, 0, 1)
                                .Split("A:\\big.bin.003", 200, 1, 1).File(redo, 1400, 0, 0, 0, 1).data;
  constexpr size_t kFile = 525, kSplit2 = 525 + 275 + 270, kRedo = 525 + 275 + 3 * 270;
  // at: the byte changed; message: 0 when the list loads; faulty: the entry
  // the refusal names; redoPath: another path for the redo.
  struct Case { const char* what; size_t at; char value; int message; std::string faulty, redoPath = ""; int64_t redoSize = 1400; } cases[] = {
      {"the source's temporary flag", kFile + 274, 1, 1476, source},
      {"the source's size", kFile + 260, '\xB9', 1475, source},
      {"the source's name", kFile + source.size() - 6, 'o', 1475, at("src\\bog.bin")},
      {"a split's size", kSplit2 + 260, 0x70, 1475, source},
      {"a split's number", kSplit2 + 270 + 13, '4', 1475, source},
      {"the redo's size", kRedo + 260, 0x79, 1476, redo},
      {"the redo's name", kRedo + redo.size() - 1, 'x', 1476, at("tmp\\big.bin.00x")},
      {"the list's temporary folder", 265 + kst.size() - 11, 'q', 1476, redo},
      {"a redo that is the source", 0, 0, 1476, source, source, 3000},
      {"a redo outside the temporary folder", 0, 0, 1476, at("src\\big.bin.002"), at("src\\big.bin.002")},
      {"a redo that links to the source", 0, 0, 1476, at("tmp\\big.bin.001"), at("tmp\\big.bin.001"), 3000},
      // Changes a run makes, or that put no file at risk.
      {"the source's copied flag", kFile + 272, 0, 0, ""},
      {"a split's safe flag", kSplit2 + 268, 1, 0, ""},
      {"the redo's temporary flag", kRedo + 274, 0, 0, ""},
      {"the destination", 5, 'B', 0, ""},
      {"a redo in the temporary folder itself", 0, 0, 0, "", kst + "big.bin.002"},
      {"a redo already gone", 0, 0, 0, "", at("tmp\\big.bin.003")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = sound;
    if (c.at) bytes[c.at] = c.value;
    if (!c.redoPath.empty())
      bytes.replace(kRedo, 268, Bytes().Text(c.redoPath).Int(static_cast<uint64_t>(c.redoSize), 8).data);
    ASSERT_TRUE(WriteFile(files.names[0], bytes));
    const std::string before = ReadFile(source) + ReadFile(redo);
    person.asked.clear();
    EXPECT_EQ(kst::LoadList(list, files, 1, false, owner), c.message == 0);
    EXPECT_EQ(person.asked.empty() ? ": " : person.asked[0].heading + ": " + person.asked[0].message,
              c.message ? kst::Trimmed(kst::GetText(199)) + ": " + kst::Trimmed(kst::GetText(c.message)) + " " + c.faulty : ": ");
    EXPECT_EQ(ReadFile(source) + ReadFile(redo), before);
  }
}

// The temporary folder and the files of the list never meet, under
// whatever name: a link to a folder is that folder.
TEST_F(SaveListFaultTest, ATemporaryFolderReachedThroughALinkIsThatFolder) {
  ASSERT_TRUE(plat::CreateFolder(scratch.Path("src")) && WriteFile(scratch.Path("src\\a.bin"), "a"));
  std::filesystem::create_directory_symlink(plat::EmuHostPath(scratch.Path("src")),
                                            plat::EmuHostPath(scratch.Path("lnk")));
  ASSERT_TRUE(kst::AddToTransportList(list, scratch.Path("src\\a.bin"), 1));
  EXPECT_FALSE(kst::TemporaryFolderAccepted(list, scratch.Path("lnk\\"), owner));
  EXPECT_EQ(kst::AddFiles(list, {{scratch.Path("lnk\\b.bin"), 1}}, scratch.Path("src"), owner), 0);
}

}  // namespace
