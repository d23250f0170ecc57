#include "frame/dialogs/ask.h"

#include <atomic>
#include <mutex>

#include "frame/texts/text_numbers.h"

namespace kst {

namespace {

std::mutex g_mutex;
AskHandler g_ask;
AlertHandler g_alert;
std::atomic<int> g_soundMode{1};

int ClosedAnswer(int style) {
  if (style == kAskYesNo) return kAnswerNo;
  if (style == kAskYesNoCancel) return kAnswerCancel;
  return kAnswerOk;
}

}  // namespace

int AskUser(int style, WindowRef owner, const std::string& heading, const std::string& message,
            int boxRecord, int ownerRecord) {
  AskHandler handler;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    handler = g_ask;
  }
  if (!handler) return ClosedAnswer(style);
  AskRequest request{style, owner, Trimmed(heading), Trimmed(message), boxRecord, ownerRecord};
  return handler(request);
}

void PlayAlert() {
  int mode = g_soundMode.load();
  if (mode == 0) return;
  AlertHandler handler;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    handler = g_alert;
  }
  if (handler) handler(mode);
}

void SetAskHandler(AskHandler handler) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_ask = std::move(handler);
}

void SetAlertHandler(AlertHandler handler) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_alert = std::move(handler);
}

int SoundMode() { return g_soundMode.load(); }
void SetSoundMode(int mode) { g_soundMode = mode; }

}  // namespace kst
