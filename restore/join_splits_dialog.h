// The split list of one restore record (template 102): its slots, its
// total, and "&Join All As..." with the list's own delete setting. Runs on
// the Copy &/Or Join window's thread.
#pragma once

#include "restore/join_queue.h"
#include "restore/restore_list.h"

namespace kst {

// Shows record id of list; a join asked for goes to queue. True when a
// join was queued (the caller wakes the joining thread).
bool RunJoinSplits(RestoreList& list, JoinQueue& queue, int id, int record, const MessageOwner& owner);

}  // namespace kst
