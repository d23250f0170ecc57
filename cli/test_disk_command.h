// kestrova-cli's test-disk command.
#pragma once

#include <string>
#include <vector>

namespace kst {

// test-disk DRIVE [--disk-size N[unit]] [--new-disk-command CMD]: Test
// Disks from a terminal.
int TestDiskCommand(const std::vector<std::string>& args);

}  // namespace kst
