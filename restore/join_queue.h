// The joining thread's work: a first-in-first-out queue of joins asked for
// by the person (the split list's "Join All As...") or by the list (a
// record that became complete), each with its own delete flag. A request
// for a record that is joined already, or being joined, is passed over.
#pragma once

#include <deque>
#include <mutex>

#include "restore/join_main_file.h"
#include "restore/restore_list.h"

namespace kst {

struct JoinQueue {
  std::mutex mutex;
  std::deque<JoinRequest> waiting;
  // A joining thread was started and takes the queue as it comes. It is
  // cleared under the lock at the moment the thread finds the queue empty,
  // so a request either reaches a thread that still looks, or starts one.
  bool joinerActive = false;
};

// Queues a join of the record (once: a second request for a record that
// waits already takes its flags).
void RequestJoin(JoinQueue& queue, const JoinRequest& request);
// The split list's "Join All As...": a record with missing splits is told
// ("No Dice...!") and not queued. True when queued.
bool RequestJoinFromList(JoinQueue& queue, RestoreList& list, const JoinRequest& request,
                         const MessageOwner& owner);
// The next request whose record can be joined now; false when none is left.
bool TakeJoin(JoinQueue& queue, RestoreList& list, JoinRequest* request);
// True when the caller is to start the joining thread: something waits
// and no joiner is active (it is marked active now).
bool ClaimJoiner(JoinQueue& queue);
// The joining thread's last look before it stops: true, and no longer
// active, when nothing waits (with dropWaiting, the joins were aborted and
// the waiting ones are dropped first); false when a request came in since
// it took the last one, which it is to take now.
bool ReleaseJoiner(JoinQueue& queue, bool dropWaiting);
// The joining thread's loop: runs the queued joins one after another until
// the queue is empty or keep-going is cleared. Returns the records joined;
// troubled (when given) is set when a join failed, stopped or got no target.
int RunQueuedJoins(JoinQueue& queue, JoinContext& context, bool* troubled = nullptr);

}  // namespace kst
