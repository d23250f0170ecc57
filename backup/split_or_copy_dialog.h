// The Split &/Or Copy window (template 111, record 7): run by "Split &/Or
// Copy Main", its runs done by "Split &/Or Copy Second".
#pragma once

namespace kst {

// Fills Split &/Or Copy's set-up, work and idle hooks and registers the
// window's texts; called once at start, before the window can be shown.
void InstallSplitOrCopy();

}  // namespace kst
