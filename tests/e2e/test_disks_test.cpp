// Test Disks as a person uses it: a temporary folder typed, the floppy A:
// chosen, Go, the two disks swapped at every prompt; once with both disks
// read back whole, once with a byte of disk 1 changed while it was out.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "resources/resource_ids.h"
#include "tests/e2e/command_center_steps.h"
#include "tests/e2e/driver.h"

namespace {

using cc_steps::AnswerQuestion;
using cc_steps::Session;

const char kTitle[] = "Test Your Removable Disks/Drive";
const char kDrive[] = "A:\\";

std::string Text(HWND dialog, int id) { return e2e::GetText(e2e::Control(dialog, id)); }

int FilesIn(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do count += !(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  while (FindNextFileA(find, &entry));
  FindClose(find);
  return count;
}

// Answers the next disk prompt with its text in *text, after swap().
template <typename Swap>
bool AnswerPrompt(std::string* text, Swap swap) {
  HWND prompt = e2e::WaitWindow("New Disk Please!", 60000);
  if (!prompt) return false;
  *text = Text(prompt, IDC_ND_TEXT);
  swap();
  e2e::PostClick(e2e::Control(prompt, IDC_PR_GO));
  return e2e::WaitGone(prompt);
}

TEST(TestDisksWindow, TwoFloppiesPassThenABadByteOnTheFirstIsAFlaw) {
  if (!getenv("KESTROVA_A_CAPACITY"))
    GTEST_SKIP() << "skipped: no floppy-sized file system is mounted on A: here, so a disk would be "
                    "as large as the host's free space";
  Session session(e2e::FreshFolder("TestDisks"));
  ASSERT_TRUE(session.center);
  HWND dialog = session.Open(IDC_CC_TEST_DISKS, kTitle);
  ASSERT_TRUE(dialog);
  const std::string temporary = session.folder + "\\tmp", stack = session.folder + "\\stack";
  ASSERT_TRUE(CreateDirectoryA(temporary.c_str(), nullptr) && CreateDirectoryA(stack.c_str(), nullptr));
  ASSERT_GE(e2e::MoveDiskFiles(kDrive, stack + "\\before"), 0) << "A: starts empty";
  EXPECT_EQ(Text(dialog, IDC_TD_STATUS), "Waiting for orders!");
  EXPECT_FALSE(IsWindowEnabled(e2e::Control(dialog, IDC_TD_GO))) << "no temporary folder yet";
  e2e::SetText(e2e::Control(dialog, IDC_TD_TEMP), temporary);
  ASSERT_TRUE(
      e2e::WaitUntil([&] { return IsWindowEnabled(e2e::Control(dialog, IDC_TD_GO)) != 0; }, 5000, "go"));
  EXPECT_EQ(Text(dialog, IDC_TD_DRIVE), kDrive);

  for (const bool spoil : {false, true}) {
    e2e::Click(e2e::Control(dialog, IDC_TD_GO));
    std::string said[4];
    auto move = [&](const std::string& from, const std::string& to) {
      ASSERT_GE(e2e::MoveDiskFiles(from, to), 0);
    };
    ASSERT_TRUE(AnswerPrompt(&said[0], [] {}));
    EXPECT_EQ(Text(dialog, IDC_TD_GO), "&Pause");
    ASSERT_TRUE(AnswerPrompt(&said[1], [&] { move(kDrive, stack + "\\disk1"); }));
    ASSERT_TRUE(AnswerPrompt(&said[2], [&] {
      move(kDrive, stack + "\\disk2");
      move(stack + "\\disk1", kDrive);
      if (!spoil) return;
      // A byte of the test file on disk 1 changes while the disk is out:
      // the last of its second block, a zero of the random buffer's tail.
      WIN32_FIND_DATAA entry;
      HANDLE find = FindFirstFileA("A:\\KST*.tmp", &entry);
      ASSERT_NE(find, INVALID_HANDLE_VALUE);
      FindClose(find);
      HANDLE file = CreateFileA((std::string(kDrive) + entry.cFileName).c_str(), GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
      DWORD done = 0;
      SetFilePointer(file, 1023999, nullptr, FILE_BEGIN);
      ASSERT_TRUE(WriteFile(file, "!", 1, &done, nullptr));
      CloseHandle(file);
    }));
    ASSERT_TRUE(AnswerPrompt(&said[3], [&] { move(stack + "\\disk2", kDrive); }));
    EXPECT_EQ(said[0], "Insert new disk in drive A:\\, so that the copying may continue!");
    EXPECT_EQ(said[1], said[0]);
    EXPECT_EQ(said[2].rfind("Insert disk 1 in drive A:\\, so that the verifying may continue!", 0), 0u)
        << said[2];
    EXPECT_EQ(said[3].rfind("Insert disk 2 in drive A:\\", 0), 0u) << said[3];

    std::string message;
    ASSERT_TRUE(AnswerQuestion("Pay Attention!", IDOK, &message));
    EXPECT_EQ(message, spoil ? "Well... it looks like something went wrong!"
                             : "Well... it looks like everything seems alright!");
    ASSERT_TRUE(e2e::WaitUntil([&] { return Text(dialog, IDC_TD_GO) == "&Go"; }, 10000, "test-disks-idle"));
    EXPECT_EQ(Text(dialog, IDC_TD_STATUS), spoil ? "Flaws found!" : "No flaws found. Drive A:\\ seems OK!");
    cc_steps::Shot(dialog, spoil ? "test-disks-flaws" : "test-disks-no-flaws");
    EXPECT_EQ(FilesIn(temporary), 0) << "the temporary files are deleted";
    EXPECT_EQ(FilesIn(kDrive) + FilesIn(stack + "\\disk1") + FilesIn(stack + "\\disk2"), 0)
        << "both test files are deleted from their disks";
  }
  session.ExitWithYes();
}

}  // namespace
