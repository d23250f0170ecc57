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
// The joining thread's loop: runs the queued joins one after another until
// the queue is empty or keep-going is cleared. Returns the records joined.
int RunQueuedJoins(JoinQueue& queue, JoinContext& context);

}  // namespace kst
