// Copy &/Or Join as a person uses it: three files backed up onto the floppy
// A: by Split &/Or Copy, fed back in another order (one disk twice), every
// row "Joined" and every file back byte for byte with nothing else left in
// the destination; the splits of a 200 MB file dropped on the list, the join
// paused, unpaused and aborted, and split 1 found whole again; a disk of
// which only the picked files are copied; and a file of the destination
// replaced only when the person says so.
#include <algorithm>
#include <cstdlib>
#include <map>

#include "tests/e2e/command_center_steps.h"
#include "tests/e2e/disk_swaps.h"

namespace {

using namespace cc_steps;
using namespace e2e;

const char kPromptTitle[] = "New Disk Please!";
const char kAbortHeading[] = "Abort Action - The Big Question...";
const char kDrive[] = "A:\\";

std::vector<std::string> Rows(HWND dialog) { return ListRows(dialog, IDC_CJ_LIST); }

struct CopyOrJoinWindow : WindowTest {
  void SetUp() override {
    Begin();
    if (!HasFatalFailure()) destination = Path("back");
  }
  void OpenWindow() {
    dialog = session->Open(IDC_CC_COPY_OR_JOIN, "Copy &/Or Join - Restoring where Others won't!");
    ASSERT_TRUE(dialog);
  }
  bool WaitIdle() {
    return WaitUntil([&] { return Text(dialog, IDC_CJ_GO) == "Feed &Me"; }, 30000, "copy-or-join-idle");
  }
  // "A&dd Splits" is the join's pause button while a join runs.
  bool JoinButtonSays(const std::string& label, DWORD ms = 10000) {
    return WaitUntil([&] { return Text(dialog, IDC_CJ_ADD) == label; }, ms, "join-button");
  }
  // A: emptied onto a stack, the destination made and the window open.
  void OpenOverDriveA(DiskStack* stack) {
    ASSERT_TRUE(StackBesideDriveA(Path("disks"), stack)) << "A: starts empty";
    ASSERT_TRUE(CreateDirectoryA(destination.c_str(), nullptr));
    ASSERT_NO_FATAL_FAILURE(OpenWindow());
  }
  // At the next prompt the person stops: Abort, answered Yes.
  void StopAtPrompt(const DiskStack& stack, int inDrive) {
    HWND prompt = WaitWindow(kPromptTitle, 60000);
    ASSERT_TRUE(prompt);
    ASSERT_GE(stack.TakeOut(inDrive), 0);
    PostClick(Control(prompt, IDC_PR_ABORT));
    ASSERT_TRUE(AnswerQuestion(kAbortHeading, IDYES));
    ASSERT_TRUE(WaitIdle());
  }
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
  size_t batches = 0;
  for (int k = 1; k <= disks; ++k) {
    carried.push_back(NamesIn(stack.Disk(k)));
    batches += std::count_if(carried.back().begin(), carried.back().end(),
                             [](const std::string& name) { return EndsWith(name, ".BAT"); });
  }
  ASSERT_EQ(batches, 2u) << "both big files were cut";

  // The restore into a new folder, made with Create.
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  TypeInCombo(dialog, IDC_CJ_DEST, destination);
  Click(Control(dialog, IDC_CJ_CREATE));
  ASSERT_EQ(GetFileAttributesA(destination.c_str()) & FILE_ATTRIBUTE_DIRECTORY, DWORD{FILE_ATTRIBUTE_DIRECTORY});
  TypeInCombo(dialog, IDC_CJ_ORIGIN, kDrive);
  Shot(dialog, "copy-or-join-ready");
  Click(Control(dialog, IDC_CJ_GO));
  // Disk 3 first, then 1, then 2 twice: the second feed of 2 brings nothing new.
  const int fed = FeedDisks(stack, {3, 1, 2, 2}, "Big Whoops... Not My Fault!", [&](HWND prompt, int) {
    EXPECT_EQ(Text(prompt, IDC_ND_TEXT), "Insert another disk in drive A:, so that the copying may continue!");
    EXPECT_EQ(Text(dialog, IDC_CJ_GO), "&Pause");
    EXPECT_FALSE(IsWindowEnabled(Control(dialog, IDC_CJ_DEST))) << "the folders are locked while it runs";
  });
  ASSERT_EQ(fed, 4);
  ASSERT_NO_FATAL_FAILURE(StopAtPrompt(stack, 2));  // no disk is left
  // Every row, in any order, is one of the files (name and size), "Joined".
  auto allJoined = [&] {
    const std::vector<std::string> rows = Rows(dialog);
    return rows.size() == files.size() && std::all_of(files.begin(), files.end(), [&](const auto& file) {
             const std::string head = destination + "\\" + file.first + " -- " + std::to_string(file.second.size());
             return std::any_of(rows.begin(), rows.end(), [&](const std::string& row) {
               return row.rfind(head + " -- ", 0) == 0 && EndsWith(row, " -- Joined");
             });
           });
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

bool RunCli(std::string command) {
  STARTUPINFOA start = {};
  start.cb = sizeof start;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &process))
    return false;
  DWORD code = 1;
  if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code == 0;
}

// The splits of a 200 MB file and their batch, cut by kestrova-cli (beside
// the program) in the temporary space of drive C:, removed after the case.
// Delete after append off, then on. At full speed the join of 200 MB takes
// a fraction of a second; in blocks of 16 bytes it takes long enough for a
// person's clicks to land while it runs, however loaded the machine.
struct StoppedJoin : CopyOrJoinWindow, ::testing::WithParamInterface<bool> {
  static constexpr int64_t kSize = 200000000, kSplit = 100000000;
  // A settings file counts from 101 bytes on: Copy &/Or Join's options at
  // their defaults fill it out.
  void SetUp() override {
    Begin(0, "", {"BuffSize=16", "RAutoJoin=-1", "RAutoName=-1", "RCopyAll=-1", "RKeepStruct=-1", "RDeleteEnd= 0",
                  "MaxSizeToCopy=10485760"});
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(sizeof temp, temp);
    folder = std::string(temp) + "kestrova_large_join";
    source = folder + "\\source\\film.raw";
    target = folder + "\\film.raw";
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA((folder + "\\source").c_str(), nullptr);
    std::string cli = getenv("KESTROVA_EXE") ? getenv("KESTROVA_EXE") : "";
    cli = cli.substr(0, cli.find_last_of('\\') + 1) + "kestrova-cli.exe";
    ASSERT_TRUE(WriteBytes(source, Pattern(kSize, 9)));
    ASSERT_TRUE(RunCli("\"" + cli + "\" split \"" + source + "\" --size " + std::to_string(kSplit) + " --folder \"" +
                    folder + "\" --yes"));
    ASSERT_EQ(FileSize(SplitPath(target, 2)), kSize - kSplit) << "the 200 MB file's splits were not made";
  }
  void TearDown() override {  // 400 MB is not left behind
    CopyOrJoinWindow::TearDown();
    for (const std::string& file : {source, SplitPath(target, 1), SplitPath(target, 2), target + ".BAT", target})
      DeleteFileA(file.c_str());
    RemoveDirectoryA((folder + "\\source").c_str());
    RemoveDirectoryA(folder.c_str());
  }
  std::string folder, source, target;
};

TEST_P(StoppedJoin, APausedJoinHoldsStillAndAnAbortedOneLeavesSplitOneWhole) {
  const bool deleteAfterAppend = GetParam();
  const std::string first = SplitPath(target, 1), second = SplitPath(target, 2), batch = target + ".BAT";
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  HWND autoDelete = Control(dialog, IDC_CJ_AUTO_DELETE);
  if (IsChecked(autoDelete) != deleteAfterAppend) Click(autoDelete);
  ASSERT_EQ(IsChecked(autoDelete), deleteAfterAppend);

  ASSERT_TRUE(DropFiles(session->program, dialog, IDC_CJ_LIST, {batch, second, first}));
  ASSERT_TRUE(JoinButtonSays("&Pause"));
  Click(Control(dialog, IDC_CJ_ADD));
  ASSERT_TRUE(JoinButtonSays("Un&pause"));
  EXPECT_EQ(Text(dialog, IDC_CJ_VIEW), "Abort");
  // The file that grows wears a name that says it is not whole: split 1's
  // grown name with delete on, the target's partial name with it off.
  const std::string growing = deleteAfterAppend ? first + "." + std::to_string(kSplit) + ".~ks"
                                                : target + ".~ks";
  auto size = [&] { return FileSize(growing); };
  ASSERT_GE(StopsAfter(GetTickCount(), size, 500, 10000, "paused-join"), 0) << "the target kept growing";
  const int64_t held = size();
  ASSERT_LT(held, kSize) << "the join ended before it was paused";
  Shot(dialog, "copy-or-join-join-paused");

  // Unpaused, it goes on; then it is aborted with Yes.
  Click(Control(dialog, IDC_CJ_ADD));
  ASSERT_TRUE(JoinButtonSays("&Pause"));
  ASSERT_TRUE(WaitUntil([&] { return size() != held; }, 10000, "unpaused-join"));
  EXPECT_EQ(Asked(dialog, IDC_CJ_VIEW, kAbortHeading, IDYES), "Do you want to terminate the joinning process?");
  ASSERT_TRUE(JoinButtonSays("A&dd Splits", 60000)) << "the join did not end";

  ASSERT_EQ(Rows(dialog).size(), 1u);
  EXPECT_TRUE(EndsWith(Rows(dialog)[0], " -- Not Joined")) << Rows(dialog)[0];
  EXPECT_LT(FileSize(target), 0) << "the part-joined target is gone";
  EXPECT_LT(FileSize(growing), 0) << "the part-joined file is gone";
  EXPECT_TRUE(ReadBytes(first) == ReadBytes(source).substr(0, kSplit)) << "split 1 is not whole: " << FileSize(first) << " bytes";
  EXPECT_EQ(FileSize(second), kSize - kSplit) << "split 2 is kept";
  EXPECT_GT(FileSize(batch), 0) << "the batch is kept";
}

INSTANTIATE_TEST_SUITE_P(DeleteAfterAppend, StoppedJoin, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& on) { return on.param ? "On" : "Off"; });

TEST_F(CopyOrJoinWindow, WithoutCopyAllOnlyThePickedFilesOfADiskAreCopied) {
  if (GetDriveTypeA(kDrive) != DRIVE_REMOVABLE) GTEST_SKIP() << "skipped: A: is not a removable drive here";
  DiskStack stack;
  ASSERT_NO_FATAL_FAILURE(OpenOverDriveA(&stack));
  ASSERT_TRUE(WriteBytes(std::string(kDrive) + "keep.txt", Pattern(100, 4)));
  ASSERT_TRUE(WriteBytes(std::string(kDrive) + "leave.txt", Pattern(200, 5)));
  Click(Control(dialog, IDC_CJ_COPY_ALL));
  ASSERT_FALSE(IsChecked(Control(dialog, IDC_CJ_COPY_ALL)));
  // The folders dropped on their boxes: a folder as it is, a file for its folder.
  ASSERT_TRUE(DropFiles(session->program, dialog, IDC_CJ_DEST_GROUP, {destination}));
  ASSERT_TRUE(DropFiles(session->program, dialog, IDC_CJ_ORIGIN_GROUP, {std::string(kDrive) + "keep.txt"}));
  ASSERT_TRUE(WaitUntil([&] { return Text(dialog, IDC_CJ_ORIGIN) == kDrive; }, 5000, "copy-or-join-drops"));
  EXPECT_EQ(Text(dialog, IDC_CJ_DEST).rfind(destination, 0), 0u) << Text(dialog, IDC_CJ_DEST);
  EXPECT_TRUE(Rows(dialog).empty()) << "a drop on a folder box adds nothing to the list";
  Click(Control(dialog, IDC_CJ_GO));

  HWND prompt = WaitWindow(kPromptTitle, 30000);
  ASSERT_TRUE(prompt);
  EXPECT_FALSE(IsChecked(Control(prompt, IDC_ND_ERASE))) << "the prompt's Copy All box follows the window";
  PostClick(Control(prompt, IDC_PR_GO));
  HWND select = WaitWindow("Select the files You want to copy to the Destination Folder", 30000);
  ASSERT_TRUE(select);
  HWND list = Control(select, IDC_SF_LIST);
  ASSERT_EQ(ListCount(list), 2);
  EXPECT_EQ(Text(select, IDC_SF_TOTAL), "300");
  SendMessageA(list, LB_SETSEL, TRUE, ListText(list, 0).find("keep.txt") != std::string::npos ? 0 : 1);
  Shot(select, "copy-or-join-select-files");
  PostClick(Control(select, IDC_SF_COPY));
  ASSERT_TRUE(WaitGone(select));
  ASSERT_NO_FATAL_FAILURE(StopAtPrompt(stack, 1));
  EXPECT_TRUE(FileExists(destination + "\\keep.txt"));
  EXPECT_FALSE(FileExists(destination + "\\leave.txt")) << "a file left unpicked was copied";
  EXPECT_TRUE(FileExists(stack.Disk(1) + "\\leave.txt")) << "nothing is deleted on the disk";
}

TEST_F(CopyOrJoinWindow, AFileOfTheDestinationIsReplacedOnlyAfterTheShellsQuestion) {
  if (GetDriveTypeA(kDrive) != DRIVE_REMOVABLE) GTEST_SKIP() << "skipped: A: is not a removable drive here";
  DiskStack stack;
  const std::string mine = Pattern(100, 6), disks = Pattern(300, 7);
  ASSERT_NO_FATAL_FAILURE(OpenOverDriveA(&stack));
  ASSERT_TRUE(WriteBytes(std::string(kDrive) + "report.txt", disks));
  ASSERT_TRUE(WriteBytes(destination + "\\report.txt", mine));
  TypeInCombo(dialog, IDC_CJ_DEST, destination);
  TypeInCombo(dialog, IDC_CJ_ORIGIN, kDrive);
  Click(Control(dialog, IDC_CJ_GO));
  HWND prompt = WaitWindow(kPromptTitle, 30000);
  ASSERT_TRUE(prompt);
  PostClick(Control(prompt, IDC_PR_GO));

  // The shell asks first ("Confirm file overwrite" under Wine, found by a
  // word of its title); No keeps the person's file.
  HWND question = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    EnumWindows([](HWND window, LPARAM out) -> BOOL {
      std::string title = GetText(window);
      for (char& c : title) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
      if (!IsWindowVisible(window) || (title.find("overwrite") == std::string::npos &&
                                       title.find("replace") == std::string::npos)) return TRUE;
      *reinterpret_cast<HWND*>(out) = window;
      return FALSE;
    }, reinterpret_cast<LPARAM>(&question));
    return question != nullptr;
  }, 30000, "shell-replace-question")) << "the file was replaced without the shell's question";
  Shot(question, "copy-or-join-shell-replace-question");
  ASSERT_TRUE(GetDlgItem(question, IDNO));
  PostClick(GetDlgItem(question, IDNO));
  ASSERT_TRUE(WaitGone(question));
  // Nothing was taken: the same disk is asked for again, and the person stops.
  ASSERT_NO_FATAL_FAILURE(StopAtPrompt(stack, 1));
  EXPECT_TRUE(ReadBytes(destination + "\\report.txt") == mine) << "the person's file was replaced";
  EXPECT_EQ(NamesIn(destination), std::vector<std::string>{"report.txt"}) << "a partial copy was left";
  for (const std::string& row : Rows(dialog)) EXPECT_FALSE(EndsWith(row, " -- Joined")) << row;
  EXPECT_TRUE(ReadBytes(stack.Disk(1) + "\\report.txt") == disks) << "the disk's file is kept";
}

}  // namespace
