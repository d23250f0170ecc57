// kestrova-cli's remove-excess command.
#pragma once

#include <string>
#include <vector>

namespace kst {

// remove-excess BASE TARGET [options]: the Excess Files Remover's run from
// a terminal.
int RemoveExcessCommand(const std::vector<std::string>& args);

}  // namespace kst
