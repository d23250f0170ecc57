// kestrova-cli's ps command.
#pragma once

#include <string>
#include <vector>

namespace kst {

// ps [--threads] [--windows]: the Program Master's list on the terminal,
// each program's threads and windows below it when asked for.
int PsCommand(const std::vector<std::string>& args);

}  // namespace kst
