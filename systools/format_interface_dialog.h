// The Format Interface window (template 127, record 19), run by Format
// Interface Main; the system's format dialog runs on that same thread.
#pragma once

namespace kst {

// Fills the Format Interface's hooks and registers the window's texts;
// called once at start, before the window can be shown.
void InstallFormatInterface();

}  // namespace kst
