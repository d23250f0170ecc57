// The Excess Files Remover window (template 144, record 35): run by
// ExFilesRemover Main, its removal done by ExFilesRemover Second.
#pragma once

namespace kst {

// Fills the Excess Files Remover's set-up, work and idle hooks and
// registers the window's texts; called once at start.
void InstallExcessRemover();

}  // namespace kst
