// AskUser's window: a heading, a read-only scrollable message and the
// buttons of the style, run modally on the caller's thread through the
// dialog record the caller names, dressed in its owner's icon and colours.
#include "frame/dialogs/ask_dialog.h"

#include <windows.h>

#include <string>
#include <vector>

#include "frame/dialogs/ask.h"
#include "frame/dialogs/dialog.h"
#include "frame/dialogs/dialog_win32.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "resources/resource_ids.h"

namespace kst {

namespace {

constexpr int kTextPopQuiz = 495;
constexpr int kTextYes = 496;
constexpr int kTextNo = 497;
constexpr int kTextCancel = 498;
constexpr int kTextOk = 499;
constexpr int kTextInformation = 500;

struct BoxStyle {
  int templateId;
  int titleText;
  std::vector<int> buttons;  // also the answers they give
  int closedAnswer;          // what the close box and Esc answer
};

BoxStyle StyleOf(int style) {
  if (style == kAskYesNoCancel)
    return {IDD_ASK_YES_NO_CANCEL, kTextPopQuiz, {IDYES, IDNO, IDCANCEL}, kAnswerCancel};
  if (style == kAskYesNo) return {IDD_ASK_YES_NO, kTextPopQuiz, {IDYES, IDNO}, kAnswerNo};
  return {IDD_ASK_OK, kTextInformation, {IDOK}, kAnswerOk};
}

// A multi-line edit field breaks lines only at CR LF.
std::string WithCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 16);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}



int ShowBox(const AskRequest& request) {
  BoxStyle style = StyleOf(request.style);
  DialogState state;
  if (request.boxRecord < 1 || request.boxRecord > kRecordCount ||
      !DialogInit(style.templateId, state))
    return ShowDialogNotFound();

  DressLikeOwner(request.boxRecord, request.ownerRecord);
  DialogRecord& box = Record(request.boxRecord);
  DialogState* previous = box.state;
  BindRecord(request.boxRecord, state);

  DialogTexts texts;
  texts.titleText = style.titleText;
  texts.controls = {{IDYES, kTextYes, 0}, {IDNO, kTextNo, 0}, {IDCANCEL, kTextCancel, 0},
                    {IDOK, kTextOk, 0}};
  SetRecordTexts(request.boxRecord, texts);
  DialogPrepare(request.boxRecord);
  ApplyTexts(request.boxRecord);
  DialogSet(state, IDC_ASK_HEADING, request.heading);
  DialogSet(state, IDC_ASK_MESSAGE, WithCrLf(request.message));
  for (int button : style.buttons)
    DialogSetCallback(state, button,
                      [](DialogState& s, int id, int, const std::vector<std::string>&) {
                        DialogExit(s, id);
                      });

  int result = DialogRunModal(state, request.boxRecord);

  DialogRelease(request.boxRecord);
  DialogUninit(state);
  UnbindRecord(request.boxRecord, previous);  // after a relabel that holds it
  if (result == -1) return ShowDialogNotFound();
  for (int button : style.buttons)
    if (result == button) return result;
  // The close box or Esc (IDCANCEL in a box without Cancel), or a close by the program.
  return style.closedAnswer;
}

void SoundAlert(int soundMode) {
  if (soundMode == 1) MessageBeep(MB_ICONASTERISK);
  if (soundMode == 2) MessageBeep(0xFFFFFFFF);
}

}  // namespace

void InstallAskDialog() {
  SetAskHandler(ShowBox);
  SetAlertHandler(SoundAlert);
}

}  // namespace kst
