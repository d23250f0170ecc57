// A file written from start to end (a split, a copy onto a disk, a joined
// or unwrapped file) wears a partial name in its own folder until it is
// whole and checked, then takes its real name: a crash, a kill or an abort
// never leaves a short file under a real name. Partial names end with
// ".~ks", which no split, batch or user file of the program's making has,
// so a later run knows them for its own leftovers.
#pragma once

#include <string>

namespace kst {

inline constexpr const char* kPartialEnding = ".~ks";

// "A:\big.bin.002" -> "A:\big.bin.002.~ks".
std::string PartialNameOf(const std::string& path);
// True when name (or path) ends with the partial ending, case ignored.
bool IsPartialName(const std::string& name);
// Gives the whole file partial its real name path. Never replaces: false
// with 183 (or 80) when path is taken, and partial stays as it is.
bool CommitPartial(const std::string& partial, const std::string& path);
// Deletes the partial files of folder whose real names match pattern
// ("big.bin.*"), leftovers of a run that was stopped; returns how many.
int RemovePartialLeftovers(const std::string& folder, const std::string& pattern);

}  // namespace kst
