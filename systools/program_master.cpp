#include "systools/program_master.h"

#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"

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

// The record of a process in the list as it is now: a question lets the
// timer or a Refresh build a new list behind it.
ProcessRecord* Listed(ProgramMaster& pm, const ProcessRecord& chosen) {
  for (ProcessRecord& r : pm.list)
    if (r.processId == chosen.processId && r.creationTime == chosen.creationTime) return &r;
  return nullptr;
}

// Real Time can starve the whole system, Idle can starve the program: for
// this program or a critical one, the person confirms first.
bool MayTakeClass(ProgramMaster& pm, const ProcessRecord& chosen, uint32_t priorityClass) {
  if (priorityClass != kRealTimeClass && priorityClass != kIdleClass) return true;
  if (chosen.processId != pm.ownId && !IsProtectedProcess(chosen.processId, chosen.name)) return true;
  PlayAlert();
  std::string message = Trimmed(GetText(priorityClass == kRealTimeClass ? 1303 : 1304)) + "\r\n" + chosen.name + "?";
  return AskUser(kAskYesNo, pm.owner, GetText(1302), message, pm.boxRecord, pm.ownerRecord) == kAnswerYes;
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
  const ProcessRecord* r = Selected(pm);
  if (!r) return ActionResult::NoSelection;
  // Copied: the list may be built anew while the question stands.
  const ProcessRecord chosen = *r;
  if (!MayTakeClass(pm, chosen, priorityClass)) return ActionResult::Declined;
  if (!StillSame(pm, source, chosen)) return ActionResult::Stale;
  uint32_t now = source.setPriority ? source.setPriority(chosen.processId, priorityClass) : 0;
  if (now == 0) return ActionResult::Failed;
  if (ProcessRecord* listed = Listed(pm, chosen)) listed->priorityClass = now;
  return ActionResult::Done;
}

ActionResult EndSelected(ProgramMaster& pm, const ProcessSource& source, bool friendly) {
  const ProcessRecord* r = Selected(pm);
  if (!r) return ActionResult::NoSelection;
  // Copied: the list may be built anew while a question stands.
  const ProcessRecord chosen = *r;
  if (chosen.processId == pm.ownId || IsProtectedProcess(chosen.processId, chosen.name)) {
    PlayAlert();
    AskUser(kAskOk, pm.owner, GetText(931), GetText(932), pm.boxRecord, pm.ownerRecord);
    return ActionResult::Refused;
  }
  if (!friendly) {
    std::string message = Trimmed(GetText(1301)) + "\r\n" + chosen.name;
    if (AskUser(kAskYesNo, pm.owner, GetText(1300), message, pm.boxRecord, pm.ownerRecord) != kAnswerYes)
      return ActionResult::Declined;
  }
  // The question may have stood for a while: look again just before acting.
  if (!StillSame(pm, source, chosen)) return ActionResult::Stale;
  if (!friendly) return source.terminate && source.terminate(chosen.processId) ? ActionResult::Done : ActionResult::Failed;
  for (const WindowEntry& w : chosen.windows)
    if (source.postClose) source.postClose(w.handle, chosen.processId);
  return ActionResult::Done;
}

}  // namespace kst
