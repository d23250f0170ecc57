// kestrova-cli's compare command.
#pragma once

#include <string>
#include <vector>

namespace kst {

// compare ORIGINAL CLONE [--pattern P] [--clone-pattern Q] [--recursive]
// [--info FILE]: the File(s) Comparing run from a terminal. Exit 0 when
// everything compared equal, 1 when anything differs or is unmatched (or
// the comparison is refused), 2 on trouble.
int CompareCommand(const std::vector<std::string>& args);

}  // namespace kst
