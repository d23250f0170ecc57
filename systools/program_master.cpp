#include "systools/program_master.h"

#include "frame/text_numbers.h"
#include "frame/texts.h"

namespace kst {

namespace {

ProcessRecord* Selected(ProgramMaster& pm) {
  if (pm.selected < 0 || pm.selected >= static_cast<int>(pm.list.size())) return nullptr;
  return &pm.list[pm.selected];
}

// The selected process still is the one listed: its id has not been
// given to another program since the list was made.
bool StillSame(ProgramMaster& pm, const ProcessSource& source, const ProcessRecord& r) {
  uint64_t now = source.creationTime ? source.creationTime(r.processId) : 0;
  if (now == r.creationTime) return true;
  RefreshList(pm, source);
  return false;
}

}  // namespace

bool RefreshList(ProgramMaster& pm, const ProcessSource& source) {
  std::vector<ProcessRecord> fresh;
  if (!source.list || !source.list(pm.withWindows, &fresh)) return false;
  int selected = -1;
  if (const ProcessRecord* old = Selected(pm)) {
    for (size_t i = 0; i < fresh.size(); ++i)
      if (fresh[i].processId == old->processId && fresh[i].creationTime == old->creationTime)
        selected = static_cast<int>(i);
  }
  pm.list.swap(fresh);
  pm.selected = selected;
  return true;
}

ActionResult ChangePriority(ProgramMaster& pm, const ProcessSource& source, uint32_t priorityClass) {
  ProcessRecord* r = Selected(pm);
  if (!r) return ActionResult::NoSelection;
  if (!StillSame(pm, source, *r)) return ActionResult::Stale;
  uint32_t now = source.setPriority ? source.setPriority(r->processId, priorityClass) : 0;
  if (now == 0) return ActionResult::Failed;
  r->priorityClass = now;
  return ActionResult::Done;
}

ActionResult EndSelected(ProgramMaster& pm, const ProcessSource& source, bool friendly) {
  ProcessRecord* r = Selected(pm);
  if (!r) return ActionResult::NoSelection;
  if (r->processId == pm.ownId || IsProtectedProcess(r->processId, r->name)) {
    PlayAlert();
    AskUser(kAskOk, pm.owner, GetText(931), GetText(932), pm.boxRecord, pm.ownerRecord);
    return ActionResult::Refused;
  }
  if (!friendly) {
    std::string message = Trimmed(GetText(1301)) + "\r\n" + r->name;
    if (AskUser(kAskYesNo, pm.owner, GetText(1300), message, pm.boxRecord, pm.ownerRecord) != kAnswerYes)
      return ActionResult::Declined;
  }
  // The question may have stood for a while: look again just before acting.
  if (!StillSame(pm, source, *r)) return ActionResult::Stale;
  if (!friendly) return source.terminate && source.terminate(r->processId) ? ActionResult::Done : ActionResult::Failed;
  for (const WindowEntry& w : r->windows)
    if (source.postClose) source.postClose(w.handle, r->processId);
  return ActionResult::Done;
}

}  // namespace kst
