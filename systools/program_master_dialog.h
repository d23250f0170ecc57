// The Program Master window (template 163, record 39), run by Program
// Master Main; it has no worker thread.
#pragma once

namespace kst {

// Fills The Program Master's hooks and registers the window's texts;
// called once at start, before the window can be shown.
void InstallProgramMaster();

}  // namespace kst
