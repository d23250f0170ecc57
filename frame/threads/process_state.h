// What the whole process shares: the exiting flag, the
// Windows family it runs on, and the 64-bit constants of the subprograms.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace kst {

// Shared 64-bit constants.
constexpr int64_t kZero64 = 0;
constexpr int64_t kOne64 = 1;
constexpr int64_t kFloppyBytes = 1457664;          // a 1.44 MB floppy disk: default split and disk size
constexpr int64_t kLargestSplit = 4294967295;      // the largest split a file is cut into
constexpr int64_t kLargestProgressRange = 65535;   // no progress bar gets a larger range

// Windows families, as QueryWindowsVersion reports them.
constexpr int kWindows9x = 1;       // 95/98/Me
constexpr int kWindowsNt = 2;       // NT/2000/XP and later
constexpr int kWindowsUnknown = -1; // the query failed or the family is not known

struct ProcessState {
  // Set once the user has confirmed the exit; every Main thread polls it.
  std::atomic<bool> exiting{false};
  std::atomic<int> windowsPlatform{kWindowsUnknown};
  // "Current Windows Version: NT/2K/XP Service Pack 3". Written once during
  // start-up, before any worker is woken; read-only afterwards.
  std::string windowsVersionText;
};

extern ProcessState g_process;

}  // namespace kst
