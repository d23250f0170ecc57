// kestrova-cli backup, savelist, restore and scan run as a user would run
// them: files onto a stack of folders standing for disks, commands swapping
// the disks, and back.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/backup/backup_scenario_support.h"
#include "tests/support/cli_run_posix.h"

namespace {

using testenv::PatternBytes;
using testenv::ReadFile;
using testenv::WriteFile;
namespace fs = std::filesystem;

// The disk swapper a user would write: for a new disk k the folder holds
// disk k-1, which goes onto the stack; for the verification the last disk
// goes onto the stack too and disk k is copied back in. Each call is logged.
const char kSwapper[] =
    "#!/bin/sh\n"
    "echo \"$KESTROVA_PROMPT $KESTROVA_DISK\" >>log\n"
    "n=$(ls stack | wc -l)\n"
    "case \"$KESTROVA_PROMPT\" in\n"
    "new-disk) if [ \"$KESTROVA_DISK\" -gt 1 ]; then mkdir stack/$((KESTROVA_DISK-1)) &&"
    " mv disk/* stack/$((KESTROVA_DISK-1))/; fi ;;\n"
    "verify-disk) if [ ! -d stack/$((n+1)) ] && [ ! -f verifying ]; then mkdir stack/$((n+1)) &&"
    " mv disk/* stack/$((n+1))/; touch verifying; else rm -f disk/*; fi; cp stack/$KESTROVA_DISK/* disk/\n"
    // SPOIL=k: one byte of disk k's first split changes on its way back.
    "  if [ \"$KESTROVA_DISK\" = \"$SPOIL\" ]; then printf '\\377' |"
    " dd of=\"$(ls disk/*.0* | head -1)\" bs=1 seek=1000 conv=notrunc 2>/dev/null; fi ;;\n"
    "esac\n";

// Puts the disk that line k of the file order names into the drive folder.
const char kRestoreFeeder[] =
    "#!/bin/sh\n"
    "echo \"$KESTROVA_PROMPT $KESTROVA_DISK\" >>log\n"
    "d=$(sed -n \"${KESTROVA_DISK}p\" order)\n"
    "[ -n \"$d\" ] || exit 1\n"
    "rm -f drive/*; cp stack/$d/* drive/\n";

struct CliBackupTest : testenv::CliTest {
  void SetUp() override {
    CliTest::SetUp();
    kst::LoadBuiltInTexts();
    ASSERT_TRUE(WriteFile(Win("swap.sh"), kSwapper) && WriteFile(Win("feed.sh"), kRestoreFeeder));
    for (const char* script : {"/swap.sh", "/feed.sh"}) fs::permissions(host + script, fs::perms::owner_all);
    for (const char* folder : {"src", "stack", "tmp", "disk", "drive"}) ASSERT_TRUE(plat::CreateFolder(Win(folder)));
  }
  // The path the cli knows a scratch file by.
  std::string CliPath(const std::string& relative) const {
    std::string path = "Z:" + fs::canonical(host).string() + "/" + relative;
    for (char& c : path) c = c == '/' ? '\\' : c;
    return path;
  }
  static std::string Text(int id) { return kst::Trimmed(kst::GetText(id)); }
  // Runs the cli: it exits with exit and says each of words.
  void Expect(const std::string& arguments, int exit, const std::vector<std::string>& words,
              const std::string& input = "") {
    EXPECT_EQ(Run(arguments, input), exit) << arguments << ": " << said;
    for (const std::string& w : words) EXPECT_NE(said.find(w), std::string::npos) << arguments << ": " << said;
  }
};

// Three files onto folders of a floppy's size, the first already holding
// 57664 bytes; then with one byte changed on disk 2 as it is read back.
TEST_F(CliBackupTest, JourneyOntoFolderDisksAndBack) {
  const std::string a = PatternBytes(300000, 41), big = PatternBytes(3000000, 42), c = PatternBytes(700000, 43);
  ASSERT_TRUE(WriteFile(Win("src\\a.bin"), a) && WriteFile(Win("src\\big.bin"), big) && WriteFile(Win("src\\c.bin"), c));
  ASSERT_TRUE(WriteFile(Win("disk\\old.txt"), std::string(57664, 'x')));
  const std::string backup = "backup src/a.bin src/big.bin src/c.bin --to disk --disk-size 1423.5kB --temp tmp";
  Expect(backup + " --new-disk-command ./swap.sh --save-lists l1.lst l2.lst", 0,
         {"carried 4000000 bytes onto 3 disks; the list"});
  Expect("backup --load l2.lst --new-disk-command ./swap.sh --verify --save-lists l1.lst l2.lst", 0,
         {"nothing was left to carry; every split read back equal"});
  EXPECT_EQ(ReadFile(Win("log")), "new-disk 1\nnew-disk 2\nnew-disk 3\nverify-disk 1\nverify-disk 2\nverify-disk 3\n");
  // The split bytes were read back equal; the person's file stays on disk 1.
  EXPECT_EQ(ReadFile(Win("stack\\1\\old.txt")), std::string(57664, 'x'));
  EXPECT_EQ(ReadFile(Win("stack\\3\\big.bin.SFV")),
            backuptest::ExpectedCheckFile("big.bin", big, {1100000, 1457664, 442336}));
  EXPECT_EQ(Run("savelist l2.lst"), 0);
  const std::string safe = " -- " + Text(191) + " -- Copied\n";
  EXPECT_EQ(said, CliPath("disk\\") + "\n" + CliPath("tmp\\") + "\n" + CliPath("src\\a.bin") +
                      " -- 300000 -- Done -- 1/1\n" + "    " + CliPath("disk\\a.bin") + " -- 300000" + safe +
                      CliPath("src\\big.bin") + " -- 3000000 -- Done -- 3/3\n" + "    " +
                      CliPath("disk\\big.bin.001") + " -- 1100000" + safe + "    " +
                      CliPath("disk\\big.bin.002") + " -- 1457664" + safe + "    " +
                      CliPath("disk\\big.bin.003") + " -- 442336" + safe + CliPath("src\\c.bin") +
                      " -- 700000 -- Done -- 1/1\n" + "    " + CliPath("disk\\c.bin") + " -- 700000" + safe);

  // The verification finds the byte at its position, exits 1, and cuts that
  // split again into the temporary folder the run was given.
  for (const char* gone : {"stack", "disk", "verifying", "log"}) fs::remove_all(host + "/" + gone);
  ASSERT_TRUE(plat::CreateFolder(Win("stack")));
  Expect(backup + " --new-disk-command 'SPOIL=2 ./swap.sh' --verify --no-check-file", 1,
         {Text(241) + " 1001" + Text(242) + " " + host + "/disk/big.bin.002" + Text(243),
          "the splits to carry again are in " + host + "/tmp; the list's temporary folder is now " + host + "/tmp/KST",
          "the verification found 1 split(s) to carry again, in " + host + "/tmp\n"});
  EXPECT_TRUE(ReadFile(Win("tmp\\big.bin.002")) == big.substr(1157664, 1457664));
  EXPECT_TRUE(fs::exists(host + "/stack/3/big.bin.BAT") && !fs::exists(host + "/stack/3/big.bin.SFV"));
}

// Refusals (exit 1) and trouble (exit 2), each with the line that says why;
// nothing is written onto the disk folder by any of them.
TEST_F(CliBackupTest, EachRefusalGivesItsExitCodeAndSaysWhy) {
  ASSERT_TRUE(WriteFile(Win("src\\f.bin"), PatternBytes(5000, 44)));
  ASSERT_TRUE(plat::CreateFolder(Win("other")) && WriteFile(Win("other\\f.bin"), "other"));
  ASSERT_TRUE(plat::CreateFolder(Win("disk\\in")) && WriteFile(Win("disk\\in\\g.bin"), "inside"));
  ASSERT_TRUE(WriteFile(Win("short.lst"), std::string(600, '\0')));
  ASSERT_TRUE(WriteFile(Win("damaged.lst"), backuptest::Bytes().Header(1, 525, "", "").data));  // one file, no record
  // f.bin not carried yet, onto the folder disk; carried whole onto a disk
  // that never comes back; the same with its temporary flag set.
  const auto list = [&](int copied, int temp) {
    backuptest::Bytes b;
    b.Header(1, 525 + 275 + 270 * copied, CliPath("disk\\"), CliPath("tmp\\"))
        .File(CliPath("src\\f.bin"), 5000, copied, copied, 0, temp);
    return (copied ? b.Split(CliPath("disk\\f.bin"), 5000, 0, 0) : b).data;
  };
  ASSERT_TRUE(WriteFile(Win("open.lst"), list(0, 0)) && WriteFile(Win("done.lst"), list(1, 0)) &&
              WriteFile(Win("flipped.lst"), list(1, 1)));
  ASSERT_TRUE(WriteFile(Win("fail.sh"), "#!/bin/sh\nexit 3\n"));
  ASSERT_TRUE(plat::CreateFolder(Win("full")) && WriteFile(Win("full\\other.bin"), std::string(10000, 'o')));
  ASSERT_TRUE(WriteFile(Win("notafolder"), "a file"));
  fs::permissions(host + "/fail.sh", fs::perms::owner_all);

  const std::string go = " --to disk --temp tmp --disk-size 10000";
  const std::string neverCame = "a disk to verify (1 split(s) still unread) was asked for 3 times in a row and nothing"
                                " changed in " + host + "/disk";
  struct Case { std::string arguments; int exit; std::string says; std::string input = ""; } cases[] = {
      {"backup src/f.bin --to disk --temp tmp", 1, Text(160) + " " + host + "/disk (--disk-size N"},
      {"backup src/f.bin" + go + " --margin 1001", 1, Text(1114)},
      {"backup src/f.bin --to disk --temp disk/in --disk-size 10000", 1,
       Text(1108) + " " + host + "/disk/in"},
      {"backup disk/in/g.bin" + go, 1, Text(1109) + " " + host + "/disk/in/g.bin"},
      {"backup src/f.bin other/f.bin" + go, 1, Text(1111) + " f.bin"},
      {"backup src/f.bin" + go + " --save-lists l.lst l.lst", 1, Text(188)},
      {"backup src/f.bin --to / --temp tmp --disk-size 10000", 1, "a drive's root cannot stand for a disk"},
      {"backup src/f.bin" + go + " --new-disk-command ./fail.sh", 2,
       "the new-disk command exited with status 3 at the new-disk prompt for disk 1: stopped"},
      // A disk that never takes anything does not loop for ever.
      {"backup src/f.bin --to full --temp tmp --disk-size 10000 --new-disk-command true", 2,
       "disk 1 was asked for 3 times in a row and nothing changed in full (full, not writable or not there): stopped"},
      {"backup src/f.bin --to notafolder --temp tmp --disk-size 10000 --new-disk-command true", 2,
       "disk 1 was asked for 3 times in a row and nothing changed in notafolder"},
      {"backup src/f.bin --to full --temp tmp --disk-size 10000", 2, "disk 1 was asked for 3 times", std::string(8, '\n')},
      // Nor does the verification when the disk asked for never comes.
      {"backup --load done.lst --verify --new-disk-command 'echo >>asked.log'", 2, neverCame},
      {"backup --load done.lst --verify", 2, neverCame, "\n\n\n\n\n"},
      // A damaged list is refused before the run could delete a source.
      {"backup --load flipped.lst --verify --yes --new-disk-command true", 2,
       "flipped.lst: " + Text(199) + ": " + Text(1476) + " " + host + "/src/f.bin"},
      {"backup src/absent.bin" + go, 2, "src/absent.bin: no such file"},
      {"backup src/f.bin" + go + " --margin -1", 2, "not a margin: -1"},
      {"backup src/f.bin --to disk --disk-size 0", 2, "not a disk size: 0"},
      {"backup src/f.bin --to", 2, "--to needs a value"},
      {"backup --load open.lst", 2,
       "open.lst: files are left to carry onto " + host + "/disk, a folder: give"},
      {"backup --load damaged.lst" + go, 2, "damaged.lst: " + Text(199) + ": " + Text(1106)},
      {"savelist short.lst", 2, "short.lst: " + Text(199) + ": " + Text(202)},
      {"savelist damaged.lst", 2, "damaged.lst: " + Text(199) + ": " + Text(1106)},
      {"savelist absent.lst", 2, "absent.lst: " + Text(199) + ": " + Text(203)},
  };
  for (const Case& c : cases) Expect(c.arguments, c.exit, {c.says}, c.input);
  EXPECT_EQ(ReadFile(Win("asked.log")), "\n\n\n");
  EXPECT_TRUE(ReadFile(Win("src\\f.bin")) == PatternBytes(5000, 44));
  size_t files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(host + "/disk")) files += entry.is_regular_file();
  EXPECT_EQ(files, 1u);
}

// Three files backed up onto three disks of the stack.
struct CliRestoreTest : CliBackupTest {
  void SetUp() override {
    CliBackupTest::SetUp();
    sources = {{"a.bin", PatternBytes(300000, 51)}, {"big.bin", PatternBytes(3000000, 52)},
               {"c.bin", PatternBytes(700000, 53)}};
    for (const auto& [name, bytes] : sources) ASSERT_TRUE(WriteFile(Win("src\\" + name), bytes));
    ASSERT_EQ(Run("backup src/a.bin src/big.bin src/c.bin --to disk --disk-size 1423.5kB --temp tmp"
                  " --new-disk-command ./swap.sh"), 0) << said;
    fs::rename(host + "/disk", host + "/stack/3");
    fs::remove(host + "/log");
  }
  std::map<std::string, std::string> Folder(const std::string& name) const {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(host + "/" + name))
      files[e.path().filename().string()] = ReadFile(plat::EmuWindowsPath(e.path().string()));
    return files;
  }
  std::map<std::string, std::string> sources;
};

// The backed-up files come back whole in any disk order; scan and restore
// say what stays unjoined, name a damaged split and where it came from,
// and keep the user's files against every hostile case.
TEST_F(CliRestoreTest, EachRunSaysWhatItDidAndKeepsTheUsersFiles) {
  for (const char* folder : {"set", "plain", "whole", "good"}) fs::create_directories(host + "/" + folder);
  ASSERT_EQ(Run("split src/big.bin --size 1000000 --folder set"), 0) << said;
  ASSERT_EQ(Run("split src/c.bin --size 300000 --folder plain --no-check-file"), 0) << said;
  ASSERT_EQ(Run("split src/a.bin --size 100000 --folder whole"), 0) << said;
  fs::copy_file(host + "/set/big.bin.002", host + "/good/big.bin.002");
  std::string split2 = ReadFile(Win("set\\big.bin.002"));
  split2[4321] = static_cast<char>(split2[4321] ^ 0x5a);
  ASSERT_TRUE(WriteFile(Win("set\\big.bin.002"), split2));
  const std::string big = sources["big.bin"], a = sources["a.bin"];
  std::map<std::string, std::string> cutBack = Folder("set");
  cutBack["big.bin.001"] = big.substr(0, 1000000);
  const char* twoNames = "mkdir out && cp stack/1/* out/ && ln -s out link";
  std::map<std::string, std::string> withSplits = sources;
  for (const char* disk : {"stack/1", "stack/2", "stack/3"})
    for (const auto& [name, bytes] : Folder(disk))
      if (name.rfind("big.bin.", 0) == 0) withSplits[name] = bytes;
  // prepare: shell lines run in the scratch folder first; out: files of out/
  // and their bytes ({} = not looked at); whole: out holds nothing else.
  struct Case {
    std::string prepare, arguments; int status; std::vector<std::string> said; std::map<std::string, std::string> out;
    bool whole = true;
  } cases[] = {
      {"", "restore stack/3 stack/1 stack/2 stack/2 --to out", 0, {"big.bin -- 3000000 bytes -- joined"}, sources},
      {"printf '2\\n3\\n2\\n1\\n' >order", "restore drive --to out --new-disk-command ./feed.sh", 0,
       {"big.bin -- 3000000 bytes -- joined"}, sources},
      {"", "restore stack/1 stack/2 stack/3 --to out --keep-splits", 0, {"big.bin -- 3000000 bytes -- joined"}, withSplits},
      {"", "scan stack/3 stack/1", 1,
       {"big.bin -- 1542336 bytes -- splits present 1, 3 -- missing 2 -- batch 3 splits -- not joinable"}, {}},
      {"", "scan stack/1 stack/2 stack/3", 0,
       {"big.bin -- 3000000 bytes -- splits present 1-3 -- missing none -- batch 3 splits -- joinable"}, {}},
      {"", "restore stack/1 stack/3 --to out", 1, {"big.bin -- 1542336 bytes -- splits present 1, 3 -- missing 2"}, {}},
      {"", "restore stack/nowhere --to out", 2, {"stack/nowhere: no such folder"}, {}},
      {"", "scan", 2, {"give the folders"}, {}},
      {"", "restore set --to out", 1, {"-- damaged split 2 (from " + host + "/set/big.bin.002, disk 1)", "not joined"},
       cutBack},
      {"", "restore set good --to out", 0, {"big.bin -- 3000000 bytes -- joined", "set/big.bin.002, disk 1. "},
       {{"big.bin", big}}},
      {"", "restore plain --to out", 0, {"c.bin -- 700000 bytes -- joined"}, {{"c.bin", sources["c.bin"]}}},
      {"", "scan set whole --check", 1, {"-- damaged split 2 (from " + host + "/set/big.bin.002)", "1 split differs"}, {}},
      {"", "scan whole plain --check", 0, {"a.bin -- 300000 bytes -- splits present 1-3 -- missing none -- batch 3"}, {}},
      {"mkdir out && printf user >out/a.bin", "restore stack/1 --to out", 1,
       {"a.bin -- not taken: the file in the destination was kept"}, {{"a.bin", "user"}}, false},
      {"mkdir out && printf user >out/a.bin", "restore stack/1 --to out --yes", 1, {"took 2 files"}, {{"a.bin", a}},
       false},
      {twoNames, "restore link --to out", 1, {"can't be the same folder"}, {{"a.bin", a}}, false},
      {twoNames, "restore out --to link", 1, {"can't be the same folder"}, {{"a.bin", a}}, false},
      {"cp stack/1/* drive/", "restore drive --to out --new-disk-command true", 2, {"the same disk came three times"},
       {{"a.bin", a}}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    fs::remove_all(host + "/out");
    fs::remove(host + "/link");
    for (const auto& e : fs::directory_iterator(host + "/drive")) fs::remove(e.path());
    ASSERT_EQ(std::system(("cd '" + host + "' && " + (c.prepare.empty() ? "true" : c.prepare)).c_str()), 0) << c.prepare;
    EXPECT_EQ(Run(c.arguments), c.status) << said;
    for (const std::string& words : c.said) EXPECT_NE(said.find(words), std::string::npos) << said;
    EXPECT_TRUE(!c.whole || c.out.empty() || Folder("out") == c.out);
    for (const auto& [name, bytes] : c.out) EXPECT_TRUE(ReadFile(Win("out\\" + name)) == bytes) << name;
  }
  EXPECT_EQ(ReadFile(Win("log")), "restore-disk 1\nrestore-disk 2\nrestore-disk 3\nrestore-disk 4\nrestore-disk 5\n");
  for (const char* disk : {"stack/1", "stack/2", "stack/3"}) EXPECT_FALSE(Folder(disk).empty());  // the disks keep their files
}

}  // namespace
