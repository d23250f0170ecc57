// Test Disks as a person uses it: two floppies swapped at every prompt.
#include "tests/e2e/command_center_steps.h"
#include "tests/e2e/disk_swaps.h"

using namespace e2e;

using TestDisksWindow = WindowTest;

TEST_F(TestDisksWindow, TwoFloppiesPassThenABadByteOnTheFirstIsAFlaw) {
  if (const std::string why = WhyNoFloppy(); !why.empty()) GTEST_SKIP() << why;
  ASSERT_NO_FATAL_FAILURE(Begin(IDC_CC_TEST_DISKS, "Test Your Removable Disks/Drive"));
  DiskStack stack;
  ASSERT_TRUE(StackBesideDriveA(Path("stack"), &stack)) << "A: starts empty";
  const std::string temporary = Path("tmp");
  ASSERT_TRUE(CreateDirectoryA(temporary.c_str(), nullptr));
  EXPECT_FALSE(IsWindowEnabled(Control(dialog, IDC_TD_GO))) << "no temporary folder yet";
  SetText(Control(dialog, IDC_TD_TEMP), temporary);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(Control(dialog, IDC_TD_GO)) != 0; }, 5000, "go"));
  EXPECT_EQ(Text(dialog, IDC_TD_DRIVE), kDriveA);

  for (const bool spoil : {false, true}) {
    SCOPED_TRACE(spoil ? "a byte changed" : "both whole");
    Click(Control(dialog, IDC_TD_GO));
    // At each prompt: its text, and the disks as they are swapped before Go.
    const std::pair<std::string, std::function<void()>> prompts[] = {
        {"Insert new disk in drive A:\\, so that the copying may continue!", [] {}},
        {"Insert new disk in drive A:\\", [&] { ASSERT_GE(stack.TakeOut(1), 0); }},
        {"Insert disk 1 in drive A:\\, so that the verifying may continue!", [&] {
           ASSERT_GE(stack.TakeOut(2), 0);
           ASSERT_GE(stack.PutIn(1), 0);
           if (!spoil) return;
           // A byte of disk 1 changes while it is out: a zero at its second block's end.
           const std::vector<std::string> names = NamesIn(kDriveA);
           ASSERT_EQ(names.size(), 1u);
           std::string bytes = ReadBytes(kDriveA + names[0]);
           ASSERT_GT(bytes.size(), 1023999u);
           bytes[1023999] = '!';
           ASSERT_TRUE(WriteBytes(kDriveA + names[0], bytes));
         }},
        {"Insert disk 2 in drive A:\\", [&] {
           ASSERT_GE(stack.TakeOut(1), 0);
           ASSERT_GE(stack.PutIn(2), 0);
         }}};
    for (const auto& [text, swap] : prompts) {
      HWND prompt = WaitWindow(kNewDisk, 60000);
      ASSERT_TRUE(prompt);
      EXPECT_EQ(Text(prompt, IDC_ND_TEXT).rfind(text, 0), 0u) << Text(prompt, IDC_ND_TEXT);
      swap();
      ASSERT_TRUE(Closes(prompt, IDC_PR_GO));
    }
    ASSERT_TRUE(AnswerQuestion("Pay Attention!", IDOK));
    ASSERT_TRUE(Shows(dialog, IDC_TD_GO, "&Go"));
    EXPECT_EQ(Text(dialog, IDC_TD_STATUS), spoil ? "Flaws found!" : "No flaws found. Drive A:\\ seems OK!");
    Shot(dialog, spoil ? "test-disks-flaws" : "test-disks-no-flaws");
    EXPECT_TRUE(NamesIn(temporary).empty()) << "the temporary files are deleted";
    EXPECT_TRUE(NamesIn(kDriveA).empty() && NamesIn(stack.Disk(1)).empty() && NamesIn(stack.Disk(2)).empty())
        << "both test files are deleted from their disks";
  }
}

