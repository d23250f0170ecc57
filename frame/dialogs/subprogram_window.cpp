#include "frame/dialogs/subprogram_window.h"

#include <utility>

namespace kst {

void InstallWindow(int subprogram, int record, DialogTexts texts, const WindowHooks& hooks) {
  SetRecordTexts(record, std::move(texts));
  Subprogram& self = GetSubprogram(subprogram);
  if (hooks.setUp) self.setUp = hooks.setUp;
  if (hooks.work) self.work = hooks.work;
  if (hooks.extraWork) self.extraWork = hooks.extraWork;
  if (hooks.idle) self.idle = hooks.idle;
}

}  // namespace kst
