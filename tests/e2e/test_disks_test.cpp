// Test Disks as a person uses it: a temporary folder typed, the floppy A:
// chosen, Go, the two disks swapped at every prompt; once with both disks
// read back whole, once with a byte of disk 1 changed while it was out.
#include "tests/e2e/command_center_steps.h"
#include "tests/e2e/disk_swaps.h"

namespace {

using namespace cc_steps;
using namespace e2e;

const char kDrive[] = "A:\\";

// Answers the next disk prompt after swap(), and gives its text.
template <typename Swap>
std::string AnswerPrompt(Swap swap) {
  HWND prompt = WaitWindow("New Disk Please!", 60000);
  if (!prompt) return "(no prompt)";
  const std::string text = Text(prompt, IDC_ND_TEXT);
  swap();
  PostClick(Control(prompt, IDC_PR_GO));
  return WaitGone(prompt) ? text : "(the prompt stayed)";
}

using TestDisksWindow = WindowTest;

TEST_F(TestDisksWindow, TwoFloppiesPassThenABadByteOnTheFirstIsAFlaw) {
  if (const std::string why = WhyNoFloppy(); !why.empty()) GTEST_SKIP() << why;
  ASSERT_NO_FATAL_FAILURE(Begin(IDC_CC_TEST_DISKS, "Test Your Removable Disks/Drive"));
  DiskStack stack;
  ASSERT_TRUE(StackBesideDriveA(Path("stack"), &stack)) << "A: starts empty";
  const std::string temporary = Path("tmp");
  ASSERT_TRUE(CreateDirectoryA(temporary.c_str(), nullptr));
  EXPECT_EQ(Text(dialog, IDC_TD_STATUS), "Waiting for orders!");
  EXPECT_FALSE(IsWindowEnabled(Control(dialog, IDC_TD_GO))) << "no temporary folder yet";
  SetText(Control(dialog, IDC_TD_TEMP), temporary);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(Control(dialog, IDC_TD_GO)) != 0; }, 5000, "go"));
  EXPECT_EQ(Text(dialog, IDC_TD_DRIVE), kDrive);

  for (const bool spoil : {false, true}) {
    SCOPED_TRACE(spoil ? "a byte changed" : "both whole");
    Click(Control(dialog, IDC_TD_GO));
    const std::string first = AnswerPrompt([] {});
    EXPECT_EQ(Text(dialog, IDC_TD_GO), "&Pause");
    const std::string second = AnswerPrompt([&] { ASSERT_GE(stack.TakeOut(1), 0); });
    const std::string third = AnswerPrompt([&] {
      ASSERT_GE(stack.TakeOut(2), 0);
      ASSERT_GE(stack.PutIn(1), 0);
      if (!spoil) return;
      // A byte of the test file on disk 1 changes while the disk is out:
      // the last of its second block, a zero of the random buffer's tail.
      WIN32_FIND_DATAA entry;
      HANDLE find = FindFirstFileA("A:\\KST*.tmp", &entry);
      ASSERT_NE(find, INVALID_HANDLE_VALUE);
      FindClose(find);
      HANDLE file = CreateFileA((kDrive + std::string(entry.cFileName)).c_str(), GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
      DWORD done = 0;
      SetFilePointer(file, 1023999, nullptr, FILE_BEGIN);
      ASSERT_TRUE(WriteFile(file, "!", 1, &done, nullptr));
      CloseHandle(file);
    });
    const std::string fourth = AnswerPrompt([&] {
      ASSERT_GE(stack.TakeOut(1), 0);
      ASSERT_GE(stack.PutIn(2), 0);
    });
    EXPECT_EQ(first, "Insert new disk in drive A:\\, so that the copying may continue!");
    EXPECT_EQ(second, first);
    EXPECT_EQ(third.rfind("Insert disk 1 in drive A:\\, so that the verifying may continue!", 0), 0u) << third;
    EXPECT_EQ(fourth.rfind("Insert disk 2 in drive A:\\", 0), 0u) << fourth;

    std::string message;
    ASSERT_TRUE(AnswerQuestion("Pay Attention!", IDOK, &message));
    EXPECT_EQ(message, spoil ? "Well... it looks like something went wrong!"
                             : "Well... it looks like everything seems alright!");
    ASSERT_TRUE(WaitUntil([&] { return Text(dialog, IDC_TD_GO) == "&Go"; }, 10000, "test-disks-idle"));
    EXPECT_EQ(Text(dialog, IDC_TD_STATUS), spoil ? "Flaws found!" : "No flaws found. Drive A:\\ seems OK!");
    Shot(dialog, spoil ? "test-disks-flaws" : "test-disks-no-flaws");
    EXPECT_TRUE(NamesIn(temporary).empty()) << "the temporary files are deleted";
    EXPECT_TRUE(NamesIn(kDrive).empty() && NamesIn(stack.Disk(1)).empty() && NamesIn(stack.Disk(2)).empty())
        << "both test files are deleted from their disks";
  }
}

}  // namespace
