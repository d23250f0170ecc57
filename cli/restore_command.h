// kestrova-cli's restore and scan commands.
#pragma once

#include <string>
#include <vector>

namespace kst {

// restore ORIGIN... --to DIR [options]: the Copy &/Or Join run from a terminal.
int RestoreCommand(const std::vector<std::string>& args);
// scan FOLDER...: the restore list those folders would make.
int ScanCommand(const std::vector<std::string>& args);

}  // namespace kst
