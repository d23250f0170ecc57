#include "restore/join_queue.h"

#include "frame/dialogs/ask.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"

namespace kst {

void RequestJoin(JoinQueue& queue, const JoinRequest& request) {
  std::lock_guard<std::mutex> lock(queue.mutex);
  for (JoinRequest& waiting : queue.waiting)
    if (waiting.recordId == request.recordId) {
      waiting = request;
      return;
    }
  queue.waiting.push_back(request);
}

bool RequestJoinFromList(JoinQueue& queue, RestoreList& list, const JoinRequest& request,
                         const MessageOwner& owner) {
  RestoreRecord r;
  if (!FindRecord(list, request.recordId, &r) || r.joined) return false;
  if (r.slots.empty() || PresentCount(r) != static_cast<int>(r.slots.size())) {
    PlayAlert();
    AskUser(kAskOk, owner.window, Trimmed(GetText(317)), Trimmed(GetText(318)), owner.boxRecord,
            owner.ownerRecord);
    return false;
  }
  JoinRequest byPerson = request;
  byPerson.byPerson = true;
  RequestJoin(queue, byPerson);
  return true;
}

bool TakeJoin(JoinQueue& queue, RestoreList& list, JoinRequest* request) {
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(queue.mutex);
      if (queue.waiting.empty()) return false;
      *request = queue.waiting.front();
      queue.waiting.pop_front();
    }
    RestoreRecord r;
    if (FindRecord(list, request->recordId, &r) && !r.joined && !r.busy) return true;
  }
}

bool ClaimJoiner(JoinQueue& queue) {
  std::lock_guard<std::mutex> lock(queue.mutex);
  if (queue.waiting.empty() || queue.joinerActive) return false;
  queue.joinerActive = true;
  return true;
}

bool ReleaseJoiner(JoinQueue& queue, bool dropWaiting) {
  std::lock_guard<std::mutex> lock(queue.mutex);
  if (dropWaiting) queue.waiting.clear();
  if (!queue.waiting.empty()) return false;
  queue.joinerActive = false;
  return true;
}

int RunQueuedJoins(JoinQueue& queue, JoinContext& context, bool* troubled) {
  int joined = 0;
  JoinRequest request;
  while (CheckPoint(*context.job) && TakeJoin(queue, *context.list, &request)) {
    const JoinOutcome outcome = JoinMainFile(context, request);
    joined += outcome == JoinOutcome::Joined ? 1 : 0;
    const bool trouble = outcome == JoinOutcome::Failed || outcome == JoinOutcome::Stopped ||
                         outcome == JoinOutcome::Cancelled || outcome == JoinOutcome::Damaged;
    if (trouble && troubled) *troubled = true;
  }
  return joined;
}

}  // namespace kst
