// Copy &/Or Join as a person uses it: three files backed up onto the floppy
// A: by Split &/Or Copy, fed back in another order (one disk twice), every
// row "Joined" and every file back byte for byte with nothing else left in
// the destination; the splits of a 200 MB file dropped on the list, the join
// paused, unpaused and aborted, and split 1 found whole again; and a disk,
// dropped on the origin box, of which only the picked files are copied.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/e2e/command_center_steps.h"
#include "tests/e2e/disk_swaps.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/files_on_disk.h"

namespace {

using cc_steps::AnswerQuestion;
using cc_steps::FileExists;
using cc_steps::Session;
using cc_steps::Shot;
using e2e::FileSize;
using e2e::Pattern;
using e2e::ReadBytes;
using e2e::TypeInCombo;
using e2e::WriteBytes;

const char kTitle[] = "Copy &/Or Join - Restoring where Others won't!";
const char kBackupTitle[] = "Split &/Or Copy - Backing Up where Others won't!";
const char kPromptTitle[] = "New Disk Please!";
const char kAbortHeading[] = "Abort Action - The Big Question...";
const char kDrive[] = "A:\\";

std::string Text(HWND dialog, int id) { return e2e::ItemText(dialog, id); }
std::vector<std::string> Rows(HWND dialog) { return e2e::ListRows(dialog, IDC_CJ_LIST); }

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Every row, in any order, is one of files (name and size) and ends "Joined".
bool AllJoined(HWND dialog, const std::string& folder, const std::map<std::string, std::string>& files) {
  std::vector<std::string> rows = Rows(dialog);
  if (rows.size() != files.size()) return false;
  for (const auto& [name, bytes] : files) {
    const std::string head = folder + "\\" + name + " -- " + std::to_string(bytes.size()) + " -- ";
    if (std::none_of(rows.begin(), rows.end(), [&](const std::string& row) {
          return row.rfind(head, 0) == 0 && EndsWith(row, " -- Joined");
        }))
      return false;
  }
  return true;
}

// Cuts file into pieces of size bytes, with its batch, into folder, as
// File Splitting does (kestrova-cli sits beside the program).
bool Split(const std::string& file, int64_t size, const std::string& folder) {
  std::string cli = getenv("KESTROVA_EXE") ? getenv("KESTROVA_EXE") : "";
  cli = cli.substr(0, cli.find_last_of('\\') + 1) + "kestrova-cli.exe";
  std::string command = "\"" + cli + "\" split \"" + file + "\" --size " + std::to_string(size) + " --folder \"" +
                        folder + "\" --yes";
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

struct CopyOrJoinWindow : ::testing::Test {
  void SetUp() override { Start({}); }
  // Starts Kestrova in a fresh folder whose settings file holds settings.
  void Start(const std::vector<std::string>& settings) {
    const std::string folder = e2e::FreshFolder(test());
    if (!settings.empty()) cc_steps::WriteLines(folder + "\\Kestrova.INI", settings);
    session = std::make_unique<Session>(folder);
    ASSERT_TRUE(session->center);
    destination = session->folder + "\\back";
  }
  void TearDown() override {
    if (session && session->center) session->ExitWithYes();
  }
  void OpenWindow() {
    dialog = session->Open(IDC_CC_COPY_OR_JOIN, kTitle);
    ASSERT_TRUE(dialog);
  }
  bool WaitIdle() {
    return e2e::WaitUntil([&] { return Text(dialog, IDC_CJ_GO) == "Feed &Me"; }, 30000, "copy-or-join-idle");
  }
  // "A&dd Splits" is the join's pause button while a join runs.
  bool JoinButtonSays(const std::string& label, DWORD ms = 10000) {
    return e2e::WaitUntil([&] { return Text(dialog, IDC_CJ_ADD) == label; }, ms, "join-button");
  }
  static std::string test() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }
  std::unique_ptr<Session> session;
  HWND dialog = nullptr;
  std::string destination;
};

TEST_F(CopyOrJoinWindow, ThreeFilesBackedUpOntoFloppiesComeBackWholeFromTheDisksFedInAnotherOrder) {
  if (const std::string why = e2e::WhyNoFloppy(); !why.empty()) GTEST_SKIP() << why;
  e2e::DiskStack stack;
  ASSERT_TRUE(e2e::StackBesideDriveA(session->folder + "\\disks", &stack)) << "A: starts empty";

  // The backup, in this order: two files too big for what is left of a
  // disk, so both are cut, and a small one.
  const std::map<std::string, std::string> files = {
      {"archive.zip", Pattern(2000000, 1)}, {"letters.doc", Pattern(1200000, 2)}, {"notes.txt", Pattern(5000, 3)}};
  std::vector<std::string> paths;
  for (const auto& [name, bytes] : files) {
    paths.push_back(session->folder + "\\" + name);
    ASSERT_TRUE(WriteBytes(paths.back(), bytes));
  }
  HWND backup = session->Open(IDC_CC_SPLIT_OR_COPY, kBackupTitle);
  ASSERT_TRUE(backup);
  ASSERT_TRUE(e2e::DropFiles(session->program, backup, IDC_SC_LIST, paths));
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::ListRows(backup, IDC_SC_LIST).size() == 3; }, 5000, "backup-rows"));
  const std::string temporary = session->folder + "\\tmp";
  ASSERT_TRUE(CreateDirectoryA(temporary.c_str(), nullptr));
  TypeInCombo(backup, IDC_SC_DEST, kDrive);
  TypeInCombo(backup, IDC_SC_TEMP, temporary);
  e2e::Click(e2e::Control(backup, IDC_SC_GO));
  const int disks = e2e::FillDisks(stack, "A Very Verifying Question... :)", 6);
  ASSERT_EQ(disks, 3);
  ASSERT_TRUE(AnswerQuestion("A Very Verifying Question... :)", IDCANCEL));
  ASSERT_TRUE(e2e::WaitUntil([&] { return Text(backup, IDC_SC_GO) == "&Go"; }, 30000, "backup-idle"));
  std::vector<std::vector<std::string>> carried;
  size_t batches = 0;
  for (int k = 1; k <= disks; ++k) {
    carried.push_back(e2e::NamesIn(stack.Disk(k)));
    batches += std::count_if(carried.back().begin(), carried.back().end(),
                             [](const std::string& name) { return EndsWith(name, ".BAT"); });
  }
  ASSERT_EQ(batches, 2u) << "both big files were cut";

  // The restore into a new folder, made with Create.
  OpenWindow();
  TypeInCombo(dialog, IDC_CJ_DEST, destination);
  e2e::Click(e2e::Control(dialog, IDC_CJ_CREATE));
  ASSERT_EQ(GetFileAttributesA(destination.c_str()) & FILE_ATTRIBUTE_DIRECTORY, DWORD{FILE_ATTRIBUTE_DIRECTORY});
  TypeInCombo(dialog, IDC_CJ_ORIGIN, kDrive);
  Shot(dialog, "copy-or-join-ready");
  e2e::Click(e2e::Control(dialog, IDC_CJ_GO));

  // Disk 3 first, then 1, then 2 twice: the second feed of 2 brings nothing new.
  const int fed = e2e::FeedDisks(stack, {3, 1, 2, 2}, "Big Whoops... Not My Fault!", [&](HWND prompt, int) {
    EXPECT_EQ(Text(prompt, IDC_ND_TEXT), "Insert another disk in drive A:, so that the copying may continue!");
    EXPECT_EQ(Text(dialog, IDC_CJ_GO), "&Pause");
    EXPECT_FALSE(IsWindowEnabled(e2e::Control(dialog, IDC_CJ_DEST))) << "the folders are locked while it runs";
  });
  ASSERT_EQ(fed, 4);
  // No disk is left: the person stops at the next prompt.
  HWND prompt = e2e::WaitWindow(kPromptTitle, 60000);
  ASSERT_TRUE(prompt);
  ASSERT_GE(stack.TakeOut(2), 0);
  e2e::PostClick(e2e::Control(prompt, IDC_PR_ABORT));
  ASSERT_TRUE(AnswerQuestion(kAbortHeading, IDYES));
  ASSERT_TRUE(WaitIdle());
  ASSERT_TRUE(e2e::WaitUntil([&] { return AllJoined(dialog, destination, files); }, 30000, "copy-or-join-joined"))
      << testing::PrintToString(Rows(dialog));
  Shot(dialog, "copy-or-join-joined");
  EXPECT_EQ(Text(dialog, IDC_CJ_DONE), "3") << "the disk fed twice counts once";

  std::vector<std::string> names;
  for (const auto& [name, bytes] : files) {
    names.push_back(name);
    EXPECT_TRUE(ReadBytes(destination + "\\" + name) == bytes) << name << " differs from its source";
  }
  EXPECT_EQ(e2e::NamesIn(destination), names) << "only the files are left in the destination";
  for (int k = 1; k <= disks; ++k)
    EXPECT_EQ(e2e::NamesIn(stack.Disk(k)), carried[static_cast<size_t>(k - 1)]) << "nothing is taken off disk " << k;
}

// The splits of a 200 MB file and their batch, made once in the temporary
// space of drive C: and left as they were made by every case below.
struct LargeSplits {
  std::string folder, source, first, second, batch, target;
  static constexpr int64_t kSize = 200000000, kSplit = 100000000;
  bool Made() const {
    return FileSize(source) == kSize && FileSize(first) == kSplit && FileSize(second) == kSize - kSplit &&
           FileSize(batch) > 0 && FileSize(target) < 0;
  }
};

// The splits, made when they are not there as made (and make is true).
const LargeSplits& MakeLargeSplits(bool make = true) {
  static LargeSplits made;
  if (made.folder.empty()) {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(sizeof temp, temp);
    made.folder = std::string(temp) + "kestrova_large_join";
    made.target = made.folder + "\\film.raw";
    made.source = made.folder + "\\source\\film.raw";
    made.first = made.target + ".001";
    made.second = made.target + ".002";
    made.batch = made.target + ".BAT";
  }
  if (make && !made.Made()) {
    CreateDirectoryA(made.folder.c_str(), nullptr);
    CreateDirectoryA((made.folder + "\\source").c_str(), nullptr);
    DeleteFileA(made.target.c_str());
    if (!e2e::WriteLargeFile(made.source, LargeSplits::kSize, 9) ||
        !Split(made.source, LargeSplits::kSplit, made.folder))
      ADD_FAILURE() << "the 200 MB file's splits could not be made in " << made.folder;
  }
  return made;
}

// Delete after append off, then on. At full speed the join of 200 MB takes
// a fraction of a second; in blocks of 16 bytes it takes long enough for a
// person's clicks to land while it runs, however loaded the machine.
struct StoppedJoin : CopyOrJoinWindow, ::testing::WithParamInterface<bool> {
  // A settings file counts from 101 bytes on: Copy &/Or Join's options at
  // their defaults fill it out.
  // 400 MB is not left behind in the temporary space.
  static void TearDownTestSuite() {
    const LargeSplits& made = MakeLargeSplits(false);
    for (const std::string& file : {made.source, made.first, made.second, made.batch, made.target})
      DeleteFileA(file.c_str());
    RemoveDirectoryA((made.folder + "\\source").c_str());
    RemoveDirectoryA(made.folder.c_str());
  }
  void SetUp() override {
    Start({"BuffSize=16", "RAutoJoin=-1", "RAutoName=-1", "RCopyAll=-1", "RKeepStruct=-1", "RDeleteEnd= 0",
           "MaxSizeToCopy=10485760"});
  }
};

TEST_P(StoppedJoin, APausedJoinHoldsStillAndAnAbortedOneLeavesSplitOneWhole) {
  const bool deleteAfterAppend = GetParam();
  const LargeSplits& splits = MakeLargeSplits();
  ASSERT_TRUE(splits.Made());
  OpenWindow();
  HWND autoDelete = e2e::Control(dialog, IDC_CJ_AUTO_DELETE);
  if (e2e::IsChecked(autoDelete) != deleteAfterAppend) e2e::Click(autoDelete);
  ASSERT_EQ(e2e::IsChecked(autoDelete), deleteAfterAppend);

  ASSERT_TRUE(e2e::DropFiles(session->program, dialog, IDC_CJ_LIST, {splits.batch, splits.second, splits.first}));
  ASSERT_TRUE(JoinButtonSays("&Pause"));
  e2e::Click(e2e::Control(dialog, IDC_CJ_ADD));
  ASSERT_TRUE(JoinButtonSays("Un&pause"));
  EXPECT_EQ(Text(dialog, IDC_CJ_VIEW), "Abort");
  // The file that grows wears a name that says it is not whole: split 1's
  // grown name with delete on, the target's partial name with it off.
  const std::string growing = deleteAfterAppend ? splits.first + "." + std::to_string(LargeSplits::kSplit) + ".~ks"
                                                : splits.target + ".~ks";
  auto size = [&] { return FileSize(growing); };
  ASSERT_GE(e2e::StopsAfter(GetTickCount(), size, 500, 10000, "paused-join"), 0) << "the target kept growing";
  const int64_t held = size();
  ASSERT_LT(held, LargeSplits::kSize) << "the join ended before it was paused";
  Shot(dialog, "copy-or-join-join-paused");

  // Unpaused, it goes on; then it is aborted with Yes.
  e2e::Click(e2e::Control(dialog, IDC_CJ_ADD));
  ASSERT_TRUE(JoinButtonSays("&Pause"));
  ASSERT_TRUE(e2e::WaitUntil([&] { return size() != held; }, 10000, "unpaused-join"));
  e2e::PostClick(e2e::Control(dialog, IDC_CJ_VIEW));
  std::string question;
  ASSERT_TRUE(AnswerQuestion(kAbortHeading, IDYES, &question));
  EXPECT_EQ(question, "Do you want to terminate the joinning process?");
  ASSERT_TRUE(JoinButtonSays("A&dd Splits", 60000)) << "the join did not end";

  ASSERT_EQ(Rows(dialog).size(), 1u);
  EXPECT_TRUE(EndsWith(Rows(dialog)[0], " -- Not Joined")) << Rows(dialog)[0];
  EXPECT_LT(FileSize(splits.target), 0) << "the part-joined target is gone";
  EXPECT_LT(FileSize(growing), 0) << "the part-joined file is gone";
  EXPECT_TRUE(e2e::SameBytes(splits.first, splits.source, LargeSplits::kSplit))
      << "split 1 is not whole: " << FileSize(splits.first) << " bytes";
  EXPECT_EQ(FileSize(splits.second), LargeSplits::kSize - LargeSplits::kSplit) << "split 2 is kept";
  EXPECT_GT(FileSize(splits.batch), 0) << "the batch is kept";
}

INSTANTIATE_TEST_SUITE_P(DeleteAfterAppend, StoppedJoin, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& on) { return on.param ? "On" : "Off"; });

TEST_F(CopyOrJoinWindow, WithoutCopyAllOnlyThePickedFilesOfADiskAreCopied) {
  if (GetDriveTypeA(kDrive) != DRIVE_REMOVABLE) GTEST_SKIP() << "skipped: A: is not a removable drive here";
  e2e::DiskStack stack;
  ASSERT_TRUE(e2e::StackBesideDriveA(session->folder + "\\disks", &stack)) << "A: starts empty";
  ASSERT_TRUE(CreateDirectoryA(destination.c_str(), nullptr));
  OpenWindow();
  ASSERT_TRUE(WriteBytes(std::string(kDrive) + "keep.txt", Pattern(100, 4)));
  ASSERT_TRUE(WriteBytes(std::string(kDrive) + "leave.txt", Pattern(200, 5)));
  e2e::Click(e2e::Control(dialog, IDC_CJ_COPY_ALL));
  ASSERT_FALSE(e2e::IsChecked(e2e::Control(dialog, IDC_CJ_COPY_ALL)));
  // The folders dropped on their boxes: a folder as it is, a file for its folder.
  ASSERT_TRUE(e2e::DropFiles(session->program, dialog, IDC_CJ_DEST_GROUP, {destination}));
  ASSERT_TRUE(e2e::DropFiles(session->program, dialog, IDC_CJ_ORIGIN_GROUP, {std::string(kDrive) + "keep.txt"}));
  ASSERT_TRUE(e2e::WaitUntil([&] { return Text(dialog, IDC_CJ_ORIGIN) == kDrive; }, 5000, "copy-or-join-drops"));
  EXPECT_EQ(Text(dialog, IDC_CJ_DEST).rfind(destination, 0), 0u) << Text(dialog, IDC_CJ_DEST);
  EXPECT_TRUE(Rows(dialog).empty()) << "a drop on a folder box adds nothing to the list";
  e2e::Click(e2e::Control(dialog, IDC_CJ_GO));

  HWND prompt = e2e::WaitWindow(kPromptTitle, 30000);
  ASSERT_TRUE(prompt);
  EXPECT_FALSE(e2e::IsChecked(e2e::Control(prompt, IDC_ND_ERASE))) << "the prompt's Copy All box follows the window";
  e2e::PostClick(e2e::Control(prompt, IDC_PR_GO));
  HWND select = e2e::WaitWindow("Select the files You want to copy to the Destination Folder", 30000);
  ASSERT_TRUE(select);
  HWND list = e2e::Control(select, IDC_SF_LIST);
  ASSERT_EQ(e2e::ListCount(list), 2);
  EXPECT_EQ(Text(select, IDC_SF_COUNT), "2");
  EXPECT_EQ(Text(select, IDC_SF_TOTAL), "300");
  const int keep = e2e::ListText(list, 0).find("keep.txt") != std::string::npos ? 0 : 1;
  SendMessageA(list, LB_SETSEL, TRUE, keep);
  Shot(select, "copy-or-join-select-files");
  e2e::PostClick(e2e::Control(select, IDC_SF_COPY));
  ASSERT_TRUE(e2e::WaitGone(select));

  prompt = e2e::WaitWindow(kPromptTitle, 30000);
  ASSERT_TRUE(prompt);
  e2e::PostClick(e2e::Control(prompt, IDC_PR_ABORT));
  ASSERT_TRUE(AnswerQuestion(kAbortHeading, IDYES));
  ASSERT_TRUE(WaitIdle());
  EXPECT_TRUE(FileExists(destination + "\\keep.txt"));
  EXPECT_FALSE(FileExists(destination + "\\leave.txt")) << "a file left unpicked was copied";
  EXPECT_TRUE(FileExists(std::string(kDrive) + "leave.txt")) << "nothing is deleted on the disk";
  ASSERT_GE(stack.TakeOut(1), 0);
}

// The shell's own question before a copy replaces a file ("Confirm file
// overwrite" under Wine), found by a word of its title.
BOOL CALLBACK MatchReplaceQuestion(HWND window, LPARAM out) {
  std::string title = e2e::GetText(window);
  for (char& c : title) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  if (!IsWindowVisible(window) ||
      (title.find("overwrite") == std::string::npos && title.find("replace") == std::string::npos))
    return TRUE;
  *reinterpret_cast<HWND*>(out) = window;
  return FALSE;
}

HWND WaitShellReplaceQuestion(DWORD ms) {
  HWND found = nullptr;
  e2e::WaitUntil(
      [&] {
        EnumWindows(MatchReplaceQuestion, reinterpret_cast<LPARAM>(&found));
        return found != nullptr;
      },
      ms, "shell-replace-question");
  return found;
}

TEST_F(CopyOrJoinWindow, AFileOfTheDestinationIsReplacedOnlyAfterTheShellsQuestion) {
  if (GetDriveTypeA(kDrive) != DRIVE_REMOVABLE) GTEST_SKIP() << "skipped: A: is not a removable drive here";
  e2e::DiskStack stack;
  ASSERT_TRUE(e2e::StackBesideDriveA(session->folder + "\\disks", &stack)) << "A: starts empty";
  ASSERT_TRUE(CreateDirectoryA(destination.c_str(), nullptr));
  const std::string mine = Pattern(100, 6), disks = Pattern(300, 7);
  ASSERT_TRUE(WriteBytes(destination + "\\report.txt", mine));
  ASSERT_TRUE(WriteBytes(std::string(kDrive) + "report.txt", disks));
  OpenWindow();
  TypeInCombo(dialog, IDC_CJ_DEST, destination);
  TypeInCombo(dialog, IDC_CJ_ORIGIN, kDrive);
  e2e::Click(e2e::Control(dialog, IDC_CJ_GO));
  HWND prompt = e2e::WaitWindow(kPromptTitle, 30000);
  ASSERT_TRUE(prompt);
  e2e::PostClick(e2e::Control(prompt, IDC_PR_GO));

  // The shell asks; No keeps the person's file.
  HWND question = WaitShellReplaceQuestion(30000);
  ASSERT_TRUE(question) << "the file was replaced without the shell's question";
  Shot(question, "copy-or-join-shell-replace-question");
  HWND no = GetDlgItem(question, IDNO);
  ASSERT_TRUE(no);
  e2e::PostClick(no);
  ASSERT_TRUE(e2e::WaitGone(question));

  // Nothing was taken: the same disk is asked for again, and the person stops.
  prompt = e2e::WaitWindow(kPromptTitle, 30000);
  ASSERT_TRUE(prompt);
  e2e::PostClick(e2e::Control(prompt, IDC_PR_ABORT));
  ASSERT_TRUE(AnswerQuestion(kAbortHeading, IDYES));
  ASSERT_TRUE(WaitIdle());
  EXPECT_TRUE(ReadBytes(destination + "\\report.txt") == mine) << "the person's file was replaced";
  EXPECT_EQ(e2e::NamesIn(destination), std::vector<std::string>{"report.txt"}) << "a partial copy was left";
  for (const std::string& row : Rows(dialog)) EXPECT_FALSE(EndsWith(row, " -- Joined")) << row;
  EXPECT_TRUE(ReadBytes(std::string(kDrive) + "report.txt") == disks) << "the disk's file is kept";
  ASSERT_GE(stack.TakeOut(1), 0);
}

}  // namespace
