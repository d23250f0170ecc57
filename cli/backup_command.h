// kestrova-cli's backup and savelist commands.
#pragma once

#include <string>
#include <vector>

namespace kst {

// backup FILE... --to DIR [options]: the Split &/Or Copy run from a terminal.
int BackupCommand(const std::vector<std::string>& args);
// savelist F: a saved transport list as the list dialog shows it.
int SaveListCommand(const std::vector<std::string>& args);

}  // namespace kst
