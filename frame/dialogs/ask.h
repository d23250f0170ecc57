// The one seam through which the portable core reaches a person: questions
// and messages (AskUser) and the alert sound (PlayAlert). Kestrova.exe
// installs its message-box dialogs here; native tests install a script
// that answers as a person would and records what was asked.
#pragma once

#include <functional>
#include <string>

namespace kst {

// A platform window handle (HWND on Windows), or nullptr for none.
using WindowRef = void*;

enum AskStyle { kAskOk = 0, kAskYesNoCancel = 3, kAskYesNo = 4 };
enum Answer { kAnswerOk = 1, kAnswerCancel = 2, kAnswerYes = 6, kAnswerNo = 7 };

struct AskRequest {
  int style = kAskOk;
  WindowRef owner = nullptr;
  std::string heading;  // shown in the box's label
  std::string message;  // shown in the read-only text field
  int boxRecord = 0;    // the dialog record the box runs on
  int ownerRecord = 0;  // whose icon and colours the box takes
};

// Shows a message box and returns the answer (1 OK, 6 Yes, 7 No, 2 Cancel).
// Heading and message are used without trailing blanks.
int AskUser(int style, WindowRef owner, const std::string& heading, const std::string& message,
            int boxRecord, int ownerRecord);
// Plays the alert of the current sound mode (nothing in mode 0).
void PlayAlert();

// Who answers. Without a handler every box answers as if closed: OK for an
// OK box, No for Yes/No and Cancel for Yes/No/Cancel.
using AskHandler = std::function<int(const AskRequest&)>;
void SetAskHandler(AskHandler handler);
using AlertHandler = std::function<void(int soundMode)>;
void SetAlertHandler(AlertHandler handler);

// The sound mode: 0 no sounds, 1 wave sounds, 2 beep sounds.
int SoundMode();
void SetSoundMode(int mode);

}  // namespace kst
