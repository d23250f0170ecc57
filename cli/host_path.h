// Paths between the terminal and the program: a path typed on the command
// line in the program's Windows form, and a program path as the terminal
// user knows it.
#pragma once

#include <string>

namespace kst {

// The full Windows-form path of arg (relative paths start from the current
// folder; on Linux host paths land on drive Z:).
std::string ProgramPath(const std::string& arg);
// The path to show the user.
std::string ShownPath(const std::string& path);

}  // namespace kst
