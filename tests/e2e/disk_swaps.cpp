#include "tests/e2e/disk_swaps.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "resources/resource_ids.h"
#include "tests/e2e/driver.h"

namespace e2e {

std::string WhyNoFloppy() {
  return getenv("KESTROVA_A_CAPACITY") ? "" : "skipped: no floppy-sized file system is mounted on A: here";
}

HWND PromptShown() {
  HWND prompt = FindWindowA("#32770", "New Disk Please!");
  return prompt && IsWindowVisible(prompt) ? prompt : nullptr;
}

bool WaitPromptOr(const std::string& heading, HWND* prompt, DWORD ms) {
  return WaitUntil(
      [&] {
        *prompt = PromptShown();
        return *prompt || cc_steps::QuestionShown(heading);
      },
      ms, "disk-prompt");
}

std::string DiskStack::Disk(int number) const { return folder + "\\disk" + std::to_string(number); }

int DiskStack::TakeOut(int number) const { return MoveDiskFiles("A:\\", Disk(number)); }

int DiskStack::PutIn(int number) const { return MoveDiskFiles(Disk(number), "A:\\"); }

bool StackBesideDriveA(const std::string& folder, DiskStack* stack) {
  stack->folder = folder;
  CreateDirectoryA(folder.c_str(), nullptr);
  return MoveDiskFiles("A:\\", folder + "\\before") >= 0;
}

namespace {

// Answers the prompt with Go and waits for it to go.
bool Go(HWND prompt) {
  PostClick(Control(prompt, IDC_PR_GO));
  return WaitGone(prompt);
}

}  // namespace

int FillDisks(const DiskStack& stack, const std::string& until, int most, const OnPrompt& onPrompt) {
  int disks = 0;
  for (;;) {
    HWND prompt = nullptr;
    if (!WaitPromptOr(until, &prompt)) {
      ADD_FAILURE() << "neither a disk prompt nor \"" << until << "\" after disk " << disks;
      return -1;
    }
    if (!prompt) break;
    if (disks >= most) {
      ADD_FAILURE() << "more than " << most << " disks asked for";
      return -1;
    }
    if (onPrompt) onPrompt(prompt, disks + 1);
    const int moved = stack.TakeOut(disks + 1);
    if (moved < 0) return -1;
    if (moved > 0) ++disks;  // the first prompt finds the drive empty
    if (!Go(prompt)) return -1;
  }
  // The last disk is still in the drive.
  if (stack.TakeOut(++disks) <= 0) {
    ADD_FAILURE() << "the last disk is empty";
    return -1;
  }
  return disks;
}

int FeedDisks(const DiskStack& stack, const std::vector<int>& order, const std::string& until,
              const OnPrompt& onPrompt) {
  int fed = 0;
  for (int disk : order) {
    HWND prompt = nullptr;
    if (!WaitPromptOr(until, &prompt)) {
      ADD_FAILURE() << "neither a disk prompt nor \"" << until << "\" after " << fed << " disks fed";
      return -1;
    }
    if (!prompt) break;
    if (onPrompt) onPrompt(prompt, disk);
    if (fed > 0 && stack.TakeOut(order[static_cast<size_t>(fed - 1)]) < 0) return -1;
    if (stack.PutIn(disk) <= 0) {
      ADD_FAILURE() << "disk " << disk << " is not on the stack";
      return -1;
    }
    ++fed;
    if (!Go(prompt)) return -1;
  }
  return fed;
}

int BackUpOntoFloppies(cc_steps::Session& session, const std::vector<std::string>& paths, const DiskStack& stack) {
  HWND backup = session.Open(IDC_CC_SPLIT_OR_COPY, "Split &/Or Copy - Backing Up where Others won't!");
  const std::string temporary = session.folder + "\\tmp";
  CreateDirectoryA(temporary.c_str(), nullptr);
  if (!backup || !DropFiles(session.program, backup, IDC_SC_LIST, paths) ||
      !WaitUntil([&] { return ListRows(backup, IDC_SC_LIST).size() == paths.size(); }, 5000, "backup-rows")) {
    ADD_FAILURE() << "the files were not listed for the backup";
    return -1;
  }
  TypeInCombo(backup, IDC_SC_DEST, "A:\\");
  TypeInCombo(backup, IDC_SC_TEMP, temporary);
  Click(Control(backup, IDC_SC_GO));
  const char kVerify[] = "A Very Verifying Question... :)";
  const int disks = FillDisks(stack, kVerify, 6);
  if (disks < 0 || !cc_steps::AnswerQuestion(kVerify, IDCANCEL) ||
      !WaitUntil([&] { return ItemText(backup, IDC_SC_GO) == "&Go"; }, 30000, "backup-idle")) {
    ADD_FAILURE() << "the backup did not end";
    return -1;
  }
  return disks;
}

}  // namespace e2e
