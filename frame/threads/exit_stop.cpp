#include "frame/threads/exit_stop.h"

#include "frame/dialogs/dialog.h"
#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "frame/threads/subprograms.h"

namespace kst {

namespace {

constexpr int kCommandCenterRecord = 1;
constexpr int kCommandCenterChild = 2;  // its own dialogs block no worker
constexpr int kPollMs = 20;

bool AtWork(const Subprogram& s) {
  return (s.workSlots[0] && s.job.running.load()) || (s.workSlots[1] && s.extraJob.running.load());
}

// A toggle's label as a name: "S&plit &&/Or Copy" is "Split &/Or Copy".
std::string PlainName(const std::string& label) {
  std::string name;
  for (size_t i = 0; i < label.size(); ++i) {
    if (label[i] == '&' && i + 1 < label.size()) ++i;
    else if (label[i] == '&') continue;
    name.push_back(label[i]);
  }
  return name;
}

bool IsMainWindowRecord(int number) {
  if (number == kCommandCenterRecord || number == kCommandCenterChild) return true;
  for (int id = 0; id < kSubprogramCount; ++id)
    if (GetSubprogram(id).record == number) return true;
  return false;
}

}  // namespace

std::vector<int> SubprogramsAtWork() {
  std::vector<int> atWork;
  for (int id = 0; id < kSubprogramCount; ++id)
    if (AtWork(GetSubprogram(id))) atWork.push_back(id);
  return atWork;
}

std::string ExitQuestion(const std::vector<int>& atWork) {
  if (atWork.empty()) return GetText(40);
  std::string text = Trimmed(GetText(1450));
  for (int id : atWork) text += "\r\n    " + PlainName(Trimmed(GetText(GetSubprogram(id).nameText)));
  return text + "\r\n\r\n" + Trimmed(GetText(1451));
}

bool StopAllWork(int waitMs, const std::function<void()>& pump) {
  for (int id = 0; id < kSubprogramCount; ++id) {
    Subprogram& s = GetSubprogram(id);
    if (s.workSlots[0]) AbortJob(s.job);
    if (s.workSlots[1]) AbortJob(s.extraJob);
  }
  for (int waited = 0;; waited += kPollMs) {
    if (SubprogramsAtWork().empty()) return true;
    // A worker waiting for a disk or an answer ends only when its prompt
    // goes; one may open a prompt on its way to its check point.
    for (int n = 1; n <= kRecordCount; ++n) {
      DialogState* open = Record(n).state;
      if (open && open->window.load() && !IsMainWindowRecord(n)) DialogExit(*open);
    }
    if (waited >= waitMs) return false;
    if (pump) pump();
    plat::SleepMs(kPollMs);
  }
}

}  // namespace kst
