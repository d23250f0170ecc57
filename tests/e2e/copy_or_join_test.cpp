// Copy &/Or Join as a person uses it: the splits of two files cut by
// kestrova-cli and carried on the floppy A:, fed back in another order
// (one disk twice), every row "Joined" and every file back byte for byte;
// and a set of splits with its batch dropped on the list and joined.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/e2e/command_center_steps.h"
#include "tests/e2e/driver.h"

namespace {

using cc_steps::AnswerQuestion;
using cc_steps::FileExists;
using cc_steps::Session;
using cc_steps::Shot;

const char kTitle[] = "Copy &/Or Join - Restoring where Others won't!";
const char kPromptTitle[] = "New Disk Please!";
const char kDrive[] = "A:\\";

std::string Pattern(int64_t size, unsigned seed) {
  std::string bytes(static_cast<size_t>(size), '\0');
  uint32_t x = seed * 2654435761u + 7;
  for (char& c : bytes) {
    x = x * 1103515245u + 12345u;
    c = static_cast<char>(x >> 16);
  }
  return bytes;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD wrote = 0;
  bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr) &&
            wrote == bytes.size();
  CloseHandle(file);
  return ok;
}

std::string ReadBytes(const std::string& path) {
  std::string bytes;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char block[65536];
  DWORD got = 0;
  while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0) bytes.append(block, got);
  CloseHandle(file);
  return bytes;
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

std::string Text(HWND dialog, int id) { return e2e::GetText(e2e::Control(dialog, id)); }

void TypePath(HWND dialog, int comboId, const std::string& text) {
  HWND combo = e2e::Control(dialog, comboId);
  e2e::SetText(combo, text);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(comboId, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(combo));
}

std::vector<std::string> Rows(HWND dialog) {
  HWND list = e2e::Control(dialog, IDC_CJ_LIST);
  std::vector<std::string> rows;
  for (int i = 0; i < e2e::ListCount(list); ++i) rows.push_back(e2e::ListText(list, i));
  return rows;
}

bool AllJoined(HWND dialog, size_t count) {
  std::vector<std::string> rows = Rows(dialog);
  if (rows.size() != count) return false;
  for (const std::string& row : rows)
    if (row.size() < 10 || row.compare(row.size() - 10, 10, " -- Joined") != 0) return false;
  return true;
}

struct CopyOrJoinWindow : ::testing::Test {
  void SetUp() override {
    session = std::make_unique<Session>(e2e::FreshFolder(test()));
    ASSERT_TRUE(session->center);
    dialog = session->Open(IDC_CC_COPY_OR_JOIN, kTitle);
    ASSERT_TRUE(dialog);
    destination = session->folder + "\\back";
    ASSERT_TRUE(CreateDirectoryA(destination.c_str(), nullptr));
  }
  void TearDown() override {
    if (session && session->center) session->ExitWithYes();
  }
  static std::string test() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }
  std::unique_ptr<Session> session;
  HWND dialog = nullptr;
  std::string destination;
};

TEST_F(CopyOrJoinWindow, FeedsTheDisksBackInAnotherOrderAndEveryFileComesBackWhole) {
  if (GetDriveTypeA(kDrive) != DRIVE_REMOVABLE) GTEST_SKIP() << "skipped: A: is not a removable drive here";
  const std::string stack = session->folder + "\\disks";
  ASSERT_TRUE(CreateDirectoryA(stack.c_str(), nullptr));
  ASSERT_GE(e2e::MoveDiskFiles(kDrive, stack + "\\before"), 0) << "A: starts empty";
  // Two files, each cut into pieces that fit a floppy; the disks hold:
  // 1: big.bin.001, 2: big.bin.002 and small.txt's set, 3: big.bin.003 and its batch.
  const std::string big = Pattern(3000000, 1), small = Pattern(5000, 2);
  const std::string cut = session->folder + "\\cut";
  ASSERT_TRUE(CreateDirectoryA(cut.c_str(), nullptr));
  ASSERT_TRUE(WriteBytes(session->folder + "\\big.bin", big));
  ASSERT_TRUE(WriteBytes(session->folder + "\\small.txt", small));
  ASSERT_TRUE(Split(session->folder + "\\big.bin", 1400000, cut));
  ASSERT_TRUE(Split(session->folder + "\\small.txt", 3000, cut));
  const std::vector<std::vector<std::string>> disks = {
      {"big.bin.001"}, {"big.bin.002", "small.txt.001", "small.txt.002", "small.txt.BAT"}, {"big.bin.003", "big.bin.BAT"}};
  for (size_t d = 0; d < disks.size(); ++d) {
    const std::string folder = stack + "\\" + std::to_string(d + 1);
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    for (const std::string& name : disks[d])
      ASSERT_TRUE(CopyFileA((cut + "\\" + name).c_str(), (folder + "\\" + name).c_str(), FALSE)) << name;
  }

  TypePath(dialog, IDC_CJ_DEST, destination);
  TypePath(dialog, IDC_CJ_ORIGIN, kDrive);
  Shot(dialog, "copy-or-join-ready");
  e2e::Click(e2e::Control(dialog, IDC_CJ_GO));

  // Disk 3 first, then 1, then 2 twice: the second feed of 2 brings nothing new.
  const int order[] = {3, 1, 2, 2};
  int inDrive = 0;
  for (int fed = 0; fed <= 4; ++fed) {
    HWND prompt = e2e::WaitWindow(kPromptTitle, 60000);
    ASSERT_TRUE(prompt) << "prompt " << fed + 1;
    EXPECT_EQ(Text(prompt, IDC_ND_TEXT), "Insert another disk in drive A:, so that the copying may continue!");
    if (fed == 0) {
      EXPECT_EQ(Text(dialog, IDC_CJ_GO), "&Pause");
      EXPECT_FALSE(IsWindowEnabled(e2e::Control(dialog, IDC_CJ_DEST))) << "the folders are locked while it runs";
    }
    if (inDrive) ASSERT_GE(e2e::MoveDiskFiles(kDrive, stack + "\\" + std::to_string(inDrive)), 0);
    if (fed == 4) {  // no disk is left: the person stops
      e2e::PostClick(e2e::Control(prompt, IDC_PR_ABORT));
      ASSERT_TRUE(AnswerQuestion("Abort Action - The Big Question...", IDYES));
      break;
    }
    inDrive = order[fed];
    ASSERT_GT(e2e::MoveDiskFiles(stack + "\\" + std::to_string(inDrive), kDrive), 0);
    e2e::PostClick(e2e::Control(prompt, IDC_PR_GO));
    ASSERT_TRUE(e2e::WaitGone(prompt));
  }
  ASSERT_TRUE(e2e::WaitUntil([&] { return Text(dialog, IDC_CJ_GO) == "Feed &Me"; }, 30000, "copy-or-join-idle"));
  ASSERT_TRUE(e2e::WaitUntil([&] { return AllJoined(dialog, 2); }, 30000, "copy-or-join-joined"))
      << Rows(dialog).size();
  Shot(dialog, "copy-or-join-joined");
  EXPECT_EQ(Text(dialog, IDC_CJ_DONE), "3") << "the disk fed twice counts once";
  EXPECT_TRUE(ReadBytes(destination + "\\big.bin") == big) << "big.bin differs from its source";
  EXPECT_TRUE(ReadBytes(destination + "\\small.txt") == small) << "small.txt differs from its source";
  for (const char* left : {"big.bin.001", "big.bin.002", "big.bin.003", "big.bin.BAT", "small.txt.001",
                           "small.txt.BAT"})
    EXPECT_FALSE(FileExists(destination + "\\" + left)) << left << " was left behind";
  EXPECT_TRUE(FileExists(stack + "\\3\\big.bin.003")) << "nothing is deleted on the disk";
}

TEST_F(CopyOrJoinWindow, ASetOfSplitsDroppedOnTheListIsJoined) {
  const std::string data = Pattern(2500000, 3);
  ASSERT_TRUE(WriteBytes(session->folder + "\\photo.raw", data));
  ASSERT_TRUE(Split(session->folder + "\\photo.raw", 1000000, destination));
  std::vector<std::string> paths;
  for (const char* name : {"photo.raw.BAT", "photo.raw.003", "photo.raw.001", "photo.raw.002"})
    paths.push_back(destination + "\\" + name);
  ASSERT_TRUE(e2e::DropFiles(session->program, dialog, IDC_CJ_LIST, paths));
  ASSERT_TRUE(e2e::WaitUntil([&] { return AllJoined(dialog, 1); }, 30000, "copy-or-join-dropped"))
      << (Rows(dialog).empty() ? "no rows" : Rows(dialog)[0]);
  EXPECT_EQ(Rows(dialog)[0], destination + "\\photo.raw -- 2500000 -- 3 -- No Batch -- Joined");
  EXPECT_EQ(Text(dialog, IDC_CJ_ADD), "A&dd Splits") << "the join's pause button is back to adding";
  EXPECT_TRUE(ReadBytes(destination + "\\photo.raw") == data) << "the joined file differs from its source";
  EXPECT_FALSE(FileExists(destination + "\\photo.raw.002"));
}

}  // namespace

namespace {

TEST_F(CopyOrJoinWindow, WithoutCopyAllOnlyThePickedFilesOfADiskAreCopied) {
  if (GetDriveTypeA(kDrive) != DRIVE_REMOVABLE) GTEST_SKIP() << "skipped: A: is not a removable drive here";
  const std::string stack = session->folder + "\\disks";
  ASSERT_TRUE(CreateDirectoryA(stack.c_str(), nullptr));
  ASSERT_GE(e2e::MoveDiskFiles(kDrive, stack + "\\before"), 0) << "A: starts empty";
  ASSERT_TRUE(WriteBytes(std::string(kDrive) + "keep.txt", Pattern(100, 4)));
  ASSERT_TRUE(WriteBytes(std::string(kDrive) + "leave.txt", Pattern(200, 5)));
  e2e::Click(e2e::Control(dialog, IDC_CJ_COPY_ALL));
  ASSERT_FALSE(e2e::IsChecked(e2e::Control(dialog, IDC_CJ_COPY_ALL)));
  TypePath(dialog, IDC_CJ_DEST, destination);
  TypePath(dialog, IDC_CJ_ORIGIN, kDrive);
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
  e2e::PostClick(e2e::Control(select, IDC_SF_COPY));
  ASSERT_TRUE(e2e::WaitGone(select));

  prompt = e2e::WaitWindow(kPromptTitle, 30000);
  ASSERT_TRUE(prompt);
  e2e::PostClick(e2e::Control(prompt, IDC_PR_ABORT));
  ASSERT_TRUE(AnswerQuestion("Abort Action - The Big Question...", IDYES));
  ASSERT_TRUE(e2e::WaitUntil([&] { return Text(dialog, IDC_CJ_GO) == "Feed &Me"; }, 30000, "copy-or-join-idle"));
  EXPECT_TRUE(FileExists(destination + "\\keep.txt"));
  EXPECT_FALSE(FileExists(destination + "\\leave.txt")) << "a file left unpicked was copied";
  EXPECT_TRUE(FileExists(std::string(kDrive) + "leave.txt")) << "nothing is deleted on the disk";
  ASSERT_GE(e2e::MoveDiskFiles(kDrive, stack + "\\after"), 0);
}

}  // namespace
