// Paths between the terminal and the program: a path typed on the command
// line in the program's Windows form, and a program path as the terminal
// user knows it.
#pragma once

#include <string>

namespace kst {

// Makes the platform take the terminal's names as they are: on Linux a
// name finds only the host file of exactly that name (case and a trailing
// blank are part of it). Called once, before any path is used.
void UseHostNames();
// The full Windows-form path of arg (relative paths start from the current
// folder; on Linux host paths land on drive Z:). The file's own name is
// kept exactly as typed.
std::string ProgramPath(const std::string& arg);
// The path to show the user.
std::string ShownPath(const std::string& path);
// The last name of arg as typed (after its last folder separator), before
// anything trims it: the name splits and batches are made of.
std::string TypedName(const std::string& arg);
// Where (0-based) the first argument is that reached the program with
// characters its code page could not carry (an ANSI program on Windows
// gets "?" in their place); -1 when all came through whole, as on Linux.
int LostArgument();

}  // namespace kst
