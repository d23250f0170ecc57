// The floppy A: swapped as a person swaps disks: at every "New Disk
// Please!" prompt the disk in the drive goes onto a stack (kept as folders
// disk1, disk2, ... beside the drive) and another goes in, until the run
// asks its closing question instead of another disk.
#pragma once

#include <windows.h>

#include "tests/e2e/command_center_steps.h"

#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Why the disks cannot fill up here (no floppy-sized file system is mounted
// on A:), or nothing when they can.
std::string WhyNoFloppy();

// The disk prompt when it is on the screen, without waiting.
HWND PromptShown();
// Waits for the disk prompt or the box headed heading; *prompt is the
// prompt when it came first, nullptr when the box did.
bool WaitPromptOr(const std::string& heading, HWND* prompt, DWORD ms = 60000);

struct DiskStack {
  std::string folder;
  std::string Disk(int number) const;  // the folder that holds disk number
  // The disk in the drive goes onto the stack as disk number: the count of
  // its files, -1 when one could not be moved.
  int TakeOut(int number) const;
  // Disk number from the stack goes into the drive: the count of its files.
  int PutIn(int number) const;
};

// A stack in folder, and A: emptied onto folder\before; false when it
// could not be emptied.
bool StackBesideDriveA(const std::string& folder, DiskStack* stack);

// Called at every prompt before it is answered, with the disk's number.
using OnPrompt = std::function<void(HWND prompt, int disk)>;

// Gives a fresh disk at every prompt until the box headed until shows;
// each full disk goes onto the stack in turn, and the last one too once the
// box is there. The number of disks filled; -1 (a failure recorded) when a
// prompt or a swap went wrong or far more than most disks were asked for.
int FillDisks(const DiskStack& stack, const std::string& until, int most, const OnPrompt& onPrompt = {});

// Feeds the stack's disks in order, one at each prompt, the one before put
// back on the stack, until the order is done or the box headed until shows
// instead of a prompt. The last disk fed stays in the drive. The number of
// disks fed; -1 (a failure recorded) when a prompt or a swap went wrong.
int FeedDisks(const DiskStack& stack, const std::vector<int>& order, const std::string& until,
              const OnPrompt& onPrompt = {});

// The files at paths backed up onto the floppy A: by Split &/Or Copy,
// verification skipped, its window left open: the disks are on the stack.
// The number of disks filled, -1 (a failure recorded) when the run failed.
int BackUpOntoFloppies(cc_steps::Session& session, const std::vector<std::string>& paths, const DiskStack& stack);

}  // namespace e2e
