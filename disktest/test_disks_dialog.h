// The Test Disks window (template 117) on "Test Disks Main", and its run on
// "Test Disks Second".
#pragma once

namespace kst {

// Installs the window's routines and the worker's job in the subprogram table.
void InstallTestDisks();

}  // namespace kst
