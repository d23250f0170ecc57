// "Override ShutDown" of the language dialog: stops a system shutdown that
// is counting down (NT family), with the shutdown privilege enabled only
// for that moment.
#include <windows.h>

#include "frame/command_center/shutdown_override.h"
#include "frame/dialogs/ask.h"
#include "frame/platform/privileges.h"
#include "frame/texts/texts.h"

namespace kst {

namespace {

void Tell(WindowRef owner, int title, int message) {
  PlayAlert();
  AskUser(kAskOk, owner, GetText(title), GetText(message), 21, 1);
}

}  // namespace

void OverrideShutdown(WindowRef owner) {
  if (!SetOwnPrivilege("SeShutdownPrivilege", true))
    Tell(owner, 891, 889);
  else if (!AbortSystemShutdownA(nullptr))
    Tell(owner, 888, 887);
  // Disabled again in any case.
  if (!SetOwnPrivilege("SeShutdownPrivilege", false)) Tell(owner, 891, 890);
}

}  // namespace kst
