// The floppy A: swapped as a person swaps disks: at every "New Disk
// Please!" the disk in the drive goes onto a stack (folders disk1, disk2,
// ...) and another goes in.
#pragma once

#include <windows.h>

#include "tests/e2e/command_center_steps.h"

#include <functional>
#include <string>
#include <vector>

namespace e2e {

constexpr char kNewDisk[] = "New Disk Please!";
constexpr char kDriveA[] = "A:\\";

std::string WhyNoFloppy();  // why disks cannot fill up here, or nothing

struct DiskStack {
  std::string folder;
  std::string Disk(int number) const;  // the folder that holds disk number
  // The drive's disk onto the stack as disk number, or that disk into the
  // drive: the count of its files, -1 when one could not be moved.
  int TakeOut(int number) const;
  int PutIn(int number) const;
};

// A stack in folder, and A: emptied onto folder\before (false when it could not be).
bool StackBesideDriveA(const std::string& folder, DiskStack* stack);

// Called at every prompt before it is answered, with the disk's number.
using OnPrompt = std::function<void(HWND prompt, int disk)>;

// A fresh disk at every prompt until the box headed until shows, each full
// one onto the stack in turn, the last too: the number of disks filled; -1
// (a failure recorded) when a swap went wrong or more than most were asked for.
int FillDisks(const DiskStack& stack, const std::string& until, int most, const OnPrompt& onPrompt = {});

// The stack's disks fed in order, one at each prompt, until the order is done
// or the box headed until shows; the last fed stays in the drive. The number
// fed; -1 (a failure recorded) when a swap went wrong.
int FeedDisks(const DiskStack& stack, const std::vector<int>& order, const std::string& until,
              const OnPrompt& onPrompt = {});

// At the next prompt disk inDrive is taken out and the run aborted.
void StopAtPrompt(const DiskStack& stack, int inDrive);

// The files backed up onto A: by Split &/Or Copy, unverified, the disks on
// the stack: their number, -1 (a failure recorded) when the run failed.
int BackUpOntoFloppies(Session& session, const std::vector<std::string>& paths, const DiskStack& stack);

}  // namespace e2e
