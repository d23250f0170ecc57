// The Copy &/Or Join window (template 119, record 13): run by "Copy &/Or
// Join Main", its restore runs done by "Copy &/Or Join Second" and the
// joins the person asks for by the joining thread.
#pragma once

namespace kst {

// Fills Copy &/Or Join's set-up, work, joining and idle hooks, registers
// the window's texts and hooks its speed field to the clock; called once
// at start, before the window can be shown.
void InstallCopyOrJoin();

// At program exit: stops a running join and waits, for a bounded time, for
// it to leave its splits whole again.
void StopJoiningForExit();

}  // namespace kst
