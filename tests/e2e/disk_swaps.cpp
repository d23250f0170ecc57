#include "tests/e2e/disk_swaps.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace e2e {

std::string WhyNoFloppy() {
  return getenv("KESTROVA_A_CAPACITY") ? "" : "skipped: no floppy-sized file system is mounted on A: here";
}

std::string DiskStack::Disk(int number) const { return folder + "\\disk" + std::to_string(number); }

int DiskStack::TakeOut(int number) const { return MoveDiskFiles(kDriveA, Disk(number)); }

int DiskStack::PutIn(int number) const { return MoveDiskFiles(Disk(number), kDriveA); }

bool StackBesideDriveA(const std::string& folder, DiskStack* stack) {
  stack->folder = folder;
  CreateDirectoryA(folder.c_str(), nullptr);
  return MoveDiskFiles(kDriveA, folder + "\\before") >= 0;
}

namespace {

// Waits for the disk prompt or the box headed heading; *prompt is the
// prompt when it came first, nullptr when the box did.
bool WaitPromptOr(const std::string& heading, HWND* prompt) {
  return WaitUntil([&] {
    *prompt = FindWindowA("#32770", kNewDisk);
    if (*prompt && !IsWindowVisible(*prompt)) *prompt = nullptr;
    return *prompt || QuestionShown(heading);
  }, 60000, "disk-prompt");
}

int Failed(const std::string& why) {
  ADD_FAILURE() << why;
  return -1;
}

}  // namespace

int FillDisks(const DiskStack& stack, const std::string& until, int most, const OnPrompt& onPrompt) {
  int disks = 0;
  for (HWND prompt = nullptr;; prompt = nullptr) {
    if (!WaitPromptOr(until, &prompt)) return Failed("neither a disk prompt nor " + until);
    if (!prompt) break;
    if (disks >= most) return Failed("more than " + std::to_string(most) + " disks asked for");
    if (onPrompt) onPrompt(prompt, disks + 1);
    const int moved = stack.TakeOut(disks + 1);
    if (moved < 0) return -1;
    if (moved > 0) ++disks;  // the first prompt finds the drive empty
    if (!Closes(prompt, IDC_PR_GO)) return -1;
  }
  // The last disk is still in the drive.
  return stack.TakeOut(++disks) > 0 ? disks : Failed("the last disk is empty");
}

int FeedDisks(const DiskStack& stack, const std::vector<int>& order, const std::string& until,
              const OnPrompt& onPrompt) {
  int fed = 0;
  for (int disk : order) {
    HWND prompt = nullptr;
    if (!WaitPromptOr(until, &prompt)) return Failed("neither a disk prompt nor " + until);
    if (!prompt) break;
    if (onPrompt) onPrompt(prompt, disk);
    if (fed > 0 && stack.TakeOut(order[static_cast<size_t>(fed - 1)]) < 0) return -1;
    if (stack.PutIn(disk) <= 0) return Failed("disk " + std::to_string(disk) + " is not on the stack");
    ++fed;
    if (!Closes(prompt, IDC_PR_GO)) return -1;
  }
  return fed;
}

void StopAtPrompt(const DiskStack& stack, int inDrive) {
  HWND prompt = WaitWindow(kNewDisk, 60000);
  ASSERT_TRUE(prompt);
  ASSERT_GE(stack.TakeOut(inDrive), 0);
  PostClick(Control(prompt, IDC_PR_ABORT));
  ASSERT_TRUE(AnswerQuestion(kAbortHeading, IDYES));
}

int BackUpOntoFloppies(Session& session, const std::vector<std::string>& paths, const DiskStack& stack) {
  HWND backup = session.Open(IDC_CC_SPLIT_OR_COPY, "Split &/Or Copy - Backing Up where Others won't!");
  const std::string temporary = session.folder + "\\tmp", verify = "A Very Verifying Question... :)";
  CreateDirectoryA(temporary.c_str(), nullptr);
  if (!backup || !DropFiles(session.program, backup, IDC_SC_LIST, paths) ||
      !WaitUntil([&] { return ListRows(backup, IDC_SC_LIST).size() == paths.size(); }, 30000, "backup-rows"))
    return Failed("the files were not listed for the backup");
  Walk(backup, {{kCombo, IDC_SC_DEST, kDriveA}, {kCombo, IDC_SC_TEMP, temporary}, {kClick, IDC_SC_GO}});
  const int disks = FillDisks(stack, verify, 6);
  if (disks < 0 || !AnswerQuestion(verify, IDCANCEL) || !Shows(backup, IDC_SC_GO, "&Go"))
    return Failed("the backup did not end");
  return disks;
}

}  // namespace e2e
