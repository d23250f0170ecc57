// How a subprogram's window module plugs into the threads that run it.
#pragma once

#include <functional>

#include "frame/dialogs/dialog.h"
#include "frame/threads/subprograms.h"

namespace kst {

// The dialog records of a subprogram's window: its own, its About This
// box's, and those of the message boxes each of its threads asks through.
struct WindowRecords {
  int window = 0;
  int about = 0;
  int mainBox = 0;    // the Main thread's message boxes
  int secondBox = 0;  // the Second thread's message boxes
};

// The module's routines for its Main thread (setUp), its Second thread
// (work, then idle) and its extra thread; an empty one is not installed.
struct WindowHooks {
  std::function<void(Subprogram& self)> setUp = {};
  std::function<void(Subprogram& self)> work = {};
  std::function<void(Subprogram& self)> extraWork = {};
  std::function<void(Subprogram& self)> idle = {};
};

// Registers the window's texts on its record and its hooks in the
// subprogram; called once at start, before the window can be shown.
void InstallWindow(int subprogram, int record, DialogTexts texts, const WindowHooks& hooks);

}  // namespace kst
