#include "restore/join_splits_dialog.h"

#include <string>
#include <vector>

#include "frame/dialogs/child_dialog.h"
#include "frame/dialogs/dialog.h"
#include "frame/dialogs/dialog_win32.h"
#include "frame/settings/settings.h"
#include "frame/texts/texts.h"
#include "resources/resource_ids.h"

namespace kst {

namespace {

using Args = const std::vector<std::string>&;

DialogState g_state;

struct Open {
  RestoreList* list = nullptr;
  JoinQueue* queue = nullptr;
  int id = 0;
  MessageOwner owner;
  bool queued = false;
};
Open g_open;

void ShowRecord(DialogState& state) {
  RestoreRecord r;
  if (!FindRecord(*g_open.list, g_open.id, &r)) r = RestoreRecord{};
  DialogSetItems(state, IDC_JS_LIST, SlotRows(r));
  DialogSet(state, IDC_JS_TOTAL, std::to_string(TotalSize(r)));
  const bool remove = AppSettings().rDelAfterJoin;
  DialogSetValue(state, IDC_JS_DELETE, remove ? 1 : 0);
  DialogSetValue(state, IDC_JS_CONFIRMED, remove ? 1 : 0);
  DialogFlush(state);
}

}  // namespace

bool RunJoinSplits(RestoreList& list, JoinQueue& queue, int id, int record, const MessageOwner& owner) {
  g_open = Open{&list, &queue, id, owner, false};
  DialogState& state = g_state;
  const DialogTexts texts{300,
                          {{IDC_JS_LIST_LABEL, 296, 0},
                           {IDC_JS_TOTAL_LABEL, 297, 0},
                           {IDC_JS_TOTAL, 0, 718},
                           {IDC_JS_DELETE, 298, 717},
                           {IDC_JS_CONFIRMED, 299, 0},
                           {IDC_JS_JOIN, 294, 714},
                           {IDC_JS_CLOSE, 295, 715}}};
  if (!OpenChildDialog(state, IDD_JOIN_SPLITS, record, owner.ownerRecord, texts)) return false;
  DialogSetCallback(state, IDC_JS_DELETE, [](DialogState& s, int control, int, Args) {
    AppSettings().rDelAfterJoin = DialogGetValue(s, control) != 0;
    ShowRecord(s);
  });
  DialogSetCallback(state, IDC_JS_JOIN, [](DialogState& s, int, int, Args) {
    const MessageOwner here{s.window.load(), g_open.owner.boxRecord, g_open.owner.ownerRecord};
    if (!RequestJoinFromList(*g_open.queue, *g_open.list, {g_open.id, AppSettings().rDelAfterJoin, true}, here))
      return;
    g_open.queued = true;
    DialogExit(s);
  });
  CloseOnPress(state, IDC_JS_CLOSE);
  ShowRecord(state);
  RunChildDialog(state, record);
  return g_open.queued;
}

}  // namespace kst
