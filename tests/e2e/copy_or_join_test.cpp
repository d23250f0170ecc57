// Copy &/Or Join as a person uses it: a backup restored from disks fed out
// of order, a join paused and aborted, picked files, no file replaced unasked.
#include <algorithm>
#include <cstdlib>
#include <map>

#include "tests/e2e/command_center_steps.h"
#include "tests/e2e/disk_swaps.h"

namespace {

using namespace e2e;

std::vector<std::string> Rows(HWND dialog) { return ListRows(dialog, IDC_CJ_LIST); }

struct CopyOrJoinWindow : WindowTest {
  void SetUp() override {
    Begin();
    if (!HasFatalFailure()) destination = Path("back");
  }
  void OpenWindow() {
    ASSERT_TRUE(dialog = session->Open(IDC_CC_COPY_OR_JOIN, "Copy &/Or Join - Restoring where Others won't!"));
  }
  bool WaitIdle() { return Shows(dialog, IDC_CJ_GO, "Feed &Me"); }
  std::string destination;
};

TEST_F(CopyOrJoinWindow, ThreeFilesBackedUpOntoFloppiesComeBackWholeFromTheDisksFedInAnotherOrder) {
  if (const std::string why = WhyNoFloppy(); !why.empty()) GTEST_SKIP() << why;
  DiskStack stack;
  ASSERT_TRUE(StackBesideDriveA(Path("disks"), &stack)) << "A: starts empty";
  // Two files too big for what is left of a disk, so both are cut, and a small one.
  const std::map<std::string, std::string> files = {
      {"archive.zip", Pattern(2000000, 1)}, {"letters.doc", Pattern(1200000, 2)}, {"notes.txt", Pattern(5000, 3)}};
  std::vector<std::string> paths, names;
  for (const auto& [name, bytes] : files) {
    names.push_back(name);
    paths.push_back(Path(name));
    ASSERT_TRUE(WriteBytes(paths.back(), bytes));
  }
  const int disks = BackUpOntoFloppies(*session, paths, stack);
  ASSERT_EQ(disks, 3);
  std::vector<std::vector<std::string>> carried;
  int batches = 0;
  for (int k = 1; k <= disks; ++k) {
    carried.push_back(NamesIn(stack.Disk(k)));
    for (const std::string& name : carried.back()) batches += EndsWith(name, ".BAT");
  }
  ASSERT_EQ(batches, 2) << "both big files were cut";

  // Into a folder made with Create; disk 3 first, then 1, then 2 twice.
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  Walk(dialog, {{kCombo, IDC_CJ_DEST, destination}, {kClick, IDC_CJ_CREATE}, {kCombo, IDC_CJ_ORIGIN, kDriveA},
                {kClick, IDC_CJ_GO}});
  const int fed = FeedDisks(stack, {3, 1, 2, 2}, "Big Whoops... Not My Fault!", [&](HWND, int) {
    EXPECT_FALSE(IsWindowEnabled(Control(dialog, IDC_CJ_DEST))) << "the folders are locked while it runs";
  });
  ASSERT_EQ(fed, 4);
  ASSERT_NO_FATAL_FAILURE(StopAtPrompt(stack, 2));  // no disk is left
  ASSERT_TRUE(WaitIdle());
  auto allJoined = [&] {
    const std::vector<std::string> rows = Rows(dialog);
    return rows.size() == 3 && std::all_of(rows.begin(), rows.end(), [](auto& r) { return EndsWith(r, " -- Joined"); });
  };
  ASSERT_TRUE(WaitUntil(allJoined, 30000, "copy-or-join-joined")) << testing::PrintToString(Rows(dialog));
  Shot(dialog, "copy-or-join-joined");
  EXPECT_EQ(Text(dialog, IDC_CJ_DONE), "3") << "the disk fed twice counts once";
  for (const auto& [name, bytes] : files)
    EXPECT_TRUE(ReadBytes(destination + "\\" + name) == bytes) << name << " differs from its source";
  EXPECT_EQ(NamesIn(destination), names) << "only the files are left in the destination";
  for (int k = 1; k <= disks; ++k)
    EXPECT_EQ(NamesIn(stack.Disk(k)), carried[static_cast<size_t>(k - 1)]) << "nothing is taken off disk " << k;
}

// The splits of a 200 MB file cut by kestrova-cli on C:, joined in blocks of
// 16 bytes: long enough for clicks to land. Delete after append off, then on.
struct StoppedJoin : CopyOrJoinWindow, ::testing::WithParamInterface<bool> {
  static constexpr int64_t kSize = 200000000, kSplit = 100000000;
  // A settings file counts from 101 bytes on.
  void SetUp() override {
    Begin(0, "", {"BuffSize=16", "RAutoJoin=-1", "RAutoName=-1", "RCopyAll=-1", "RKeepStruct=-1", "RDeleteEnd= 0",
                  "MaxSizeToCopy=10485760"});
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(sizeof temp, temp);
    folder = std::string(temp) + "kestrova_large_join", source = folder + "\\source\\film.raw";
    target = folder + "\\film.raw";
    for (const std::string& made : {folder, folder + "\\source"}) CreateDirectoryA(made.c_str(), nullptr);
    const std::string exe = getenv("KESTROVA_EXE") ? getenv("KESTROVA_EXE") : "";
    const std::string cli = exe.substr(0, exe.find_last_of('\\') + 1) + "kestrova-cli.exe";
    ASSERT_TRUE(WriteBytes(source, Pattern(kSize, 9)));
    ASSERT_EQ(RunCommand("\"" + cli + "\" split \"" + source + "\" --size " + std::to_string(kSplit) + " --folder \"" +
                      folder + "\" --yes", "", "", 60000), 0);
    ASSERT_EQ(FileSize(SplitPath(target, 2)), kSize - kSplit) << "the 200 MB file's splits were not made";
  }
  void TearDown() override {  // 400 MB is not left behind
    CopyOrJoinWindow::TearDown();
    for (const std::string& file : {source, SplitPath(target, 1), SplitPath(target, 2), target + ".BAT", target})
      DeleteFileA(file.c_str());
    for (const std::string& gone : {folder + "\\source", folder}) RemoveDirectoryA(gone.c_str());
  }
  std::string folder, source, target;
};

// "A&dd Splits" is the join's pause button while a join runs.
TEST_P(StoppedJoin, APausedJoinHoldsStillAndAnAbortedOneLeavesSplitOneWhole) {
  const bool deleteAfterAppend = GetParam();
  const std::string first = SplitPath(target, 1), second = SplitPath(target, 2), batch = target + ".BAT";
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  HWND autoDelete = Control(dialog, IDC_CJ_AUTO_DELETE);
  if (IsChecked(autoDelete) != deleteAfterAppend) Click(autoDelete);
  ASSERT_EQ(IsChecked(autoDelete), deleteAfterAppend);

  ASSERT_TRUE(DropFiles(session->program, dialog, IDC_CJ_LIST, {batch, second, first}));
  ASSERT_TRUE(Shows(dialog, IDC_CJ_ADD, "&Pause"));
  Click(Control(dialog, IDC_CJ_ADD));
  ASSERT_TRUE(Shows(dialog, IDC_CJ_ADD, "Un&pause"));
  EXPECT_EQ(Text(dialog, IDC_CJ_VIEW), "Abort");
  // The file that grows wears a name that says it is not whole.
  const std::string growing = deleteAfterAppend ? first + "." + std::to_string(kSplit) + ".~ks" : target + ".~ks";
  auto size = [&] { return FileSize(growing); };
  ASSERT_GE(StopsAfter(GetTickCount(), size, 500, 10000, "paused-join"), 0) << "the target kept growing";
  const int64_t held = size();
  ASSERT_LT(held, kSize) << "the join ended before it was paused";

  Click(Control(dialog, IDC_CJ_ADD));
  ASSERT_TRUE(WaitUntil([&] { return size() != held; }, 10000, "unpaused-join"));
  EXPECT_NE(Asked(dialog, IDC_CJ_VIEW, kAbortHeading, IDYES), "(no question)");
  ASSERT_TRUE(Shows(dialog, IDC_CJ_ADD, "A&dd Splits", 60000)) << "the join did not end";

  EXPECT_TRUE(Rows(dialog).size() == 1 && EndsWith(Rows(dialog)[0], " -- Not Joined"));
  EXPECT_LT(FileSize(target), 0) << "the part-joined target is gone";
  EXPECT_LT(FileSize(growing), 0) << "the part-joined file is gone";
  EXPECT_TRUE(ReadBytes(first) == ReadBytes(source).substr(0, kSplit)) << "split 1 is not whole: " << FileSize(first);
  EXPECT_EQ(FileSize(second), kSize - kSplit) << "split 2 is kept";
  EXPECT_GT(FileSize(batch), 0) << "the batch is kept";
}

INSTANTIATE_TEST_SUITE_P(DeleteAfterAppend, StoppedJoin, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& on) { return on.param ? "On" : "Off"; });

// Without Copy All only the files picked are taken; a picked file that the
// destination holds with other bytes is replaced only after the shell's
// question ("Confirm file overwrite" under Wine), and No keeps it.
TEST_F(CopyOrJoinWindow, WithoutCopyAllOnlyThePickedFilesOfADiskAreCopiedAndNoneReplacedUnasked) {
  if (GetDriveTypeA(kDriveA) != DRIVE_REMOVABLE) GTEST_SKIP() << "skipped: A: is not a removable drive here";
  DiskStack stack;
  ASSERT_TRUE(StackBesideDriveA(Path("disks"), &stack)) << "A: starts empty";
  ASSERT_TRUE(CreateDirectoryA(destination.c_str(), nullptr));
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  const std::string a = kDriveA, mine = Pattern(100, 6), disks = Pattern(300, 7);
  const std::pair<std::string, std::string> written[] = {
      {a + "keep.txt", Pattern(100, 4)}, {a + "leave.txt", Pattern(200, 5)}, {a + "report.txt", disks},
      {destination + "\\report.txt", mine}};
  for (const auto& [path, bytes] : written) ASSERT_TRUE(WriteBytes(path, bytes));
  Click(Control(dialog, IDC_CJ_COPY_ALL));
  ASSERT_FALSE(IsChecked(Control(dialog, IDC_CJ_COPY_ALL)));
  // The folders dropped on their boxes: a folder as it is, a file for its folder.
  ASSERT_TRUE(DropFiles(session->program, dialog, IDC_CJ_DEST_GROUP, {destination}));
  ASSERT_TRUE(DropFiles(session->program, dialog, IDC_CJ_ORIGIN_GROUP, {a + "keep.txt"}));
  ASSERT_TRUE(Shows(dialog, IDC_CJ_ORIGIN, kDriveA));
  EXPECT_EQ(Text(dialog, IDC_CJ_DEST).rfind(destination, 0), 0u) << Text(dialog, IDC_CJ_DEST);
  EXPECT_TRUE(Rows(dialog).empty()) << "a drop on a folder box adds nothing to the list";
  Click(Control(dialog, IDC_CJ_GO));

  HWND prompt = WaitWindow(kNewDisk, 30000);
  ASSERT_TRUE(prompt);
  EXPECT_FALSE(IsChecked(Control(prompt, IDC_ND_ERASE))) << "the prompt's Copy All box follows the window";
  HWND select = Opens(prompt, IDC_PR_GO, "Select the files You want to copy to the Destination Folder", 30000);
  ASSERT_TRUE(select);
  const std::vector<std::string> offered = ListRows(select, IDC_SF_LIST);
  ASSERT_EQ(offered.size(), 3u);
  EXPECT_EQ(Text(select, IDC_SF_TOTAL), "600");
  for (size_t i = 0; i < offered.size(); ++i)
    SendMessageA(Control(select, IDC_SF_LIST), LB_SETSEL, offered[i].find("leave.txt") == std::string::npos, i);
  Shot(select, "copy-or-join-select-files");
  ASSERT_TRUE(Closes(select, IDC_SF_COPY));

  HWND question = nullptr;  // found by a word of its title
  ASSERT_TRUE(WaitUntil([&] {
    return (question = FindTopLevel([](HWND window) {
      std::string title = GetText(window);
      for (char& c : title) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
      return title.find("overwrite") != std::string::npos || title.find("replace") != std::string::npos;
    }));
  }, 30000, "shell-replace-question")) << "the file was replaced without the shell's question";
  ASSERT_TRUE(GetDlgItem(question, IDNO));
  ASSERT_TRUE(Closes(question, IDNO));
  ASSERT_NO_FATAL_FAILURE(StopAtPrompt(stack, 1));
  ASSERT_TRUE(WaitIdle());
  EXPECT_TRUE(ReadBytes(destination + "\\report.txt") == mine) << "the person's file was replaced";
  EXPECT_EQ(NamesIn(destination), (std::vector<std::string>{"keep.txt", "report.txt"}))
      << "a file left unpicked, or a partial copy, is in the destination";
  EXPECT_TRUE(ReadBytes(stack.Disk(1) + "\\report.txt") == disks) << "the disk's file is kept";
  EXPECT_TRUE(FileExists(stack.Disk(1) + "\\leave.txt")) << "nothing is deleted on the disk";
}

}  // namespace
