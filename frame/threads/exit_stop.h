// Exit while work runs: the question names the work, and Yes stops every
// job the way its Abort does before the program goes.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kst {

// The subprograms whose worker (Second, joining or Third thread) runs now.
std::vector<int> SubprogramsAtWork();
// The Exit question: "Do you want to Exit Kestrova?" when nothing works,
// else the running work by name and what Yes does to it.
std::string ExitQuestion(const std::vector<int>& atWork);
// Stops every running job as its Abort does: clears keep-going (a paused
// worker, or one held by an open abort question, is let go to stop), and
// closes the prompts and message boxes still open, which answer as their
// close box does (an abort, No or Cancel). Then waits, at most waitMs,
// until every worker has rolled back and ended, calling pump between looks
// so that the caller's windows keep working. True when all ended in time.
bool StopAllWork(int waitMs, const std::function<void()>& pump);

}  // namespace kst
